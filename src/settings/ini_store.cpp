#include "settings/ini_store.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "common/error.h"
#include "common/safe_file.h"
#include "settings/ini_encoding.h"
#include "settings/ini_text.h"
#include "settings/int_text.h"

namespace quill {

std::string IniStore::readText(std::string_view section, std::string_view key, std::string_view defaultText) const {
    std::string bytes;
    if (!readWholeFile(path_, bytes)) return std::string(defaultText);
    const std::optional<IniFileText> file = decodeIniFile(bytes);
    if (!file) return std::string(defaultText);
    std::optional<std::string> value = findIniValue(file->text, section, key);
    if (!value) return std::string(defaultText);
    if (value->size() > kMaxValueBytes) value->resize(kMaxValueBytes);
    return *value;
}

void IniStore::writeText(std::string_view section, std::string_view key, std::string_view value) const {
    const IniFileError failure("Unable to write to " + path_);
    if (!isWritableIniEntry(section, key, value)) throw failure;

    // Only a file that is truly missing starts afresh: one we cannot read (or
    // a folder in its place) must never be replaced by a file of one key.
    std::string old;
    struct stat info;
    if (::stat(path_.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || !readWholeFile(path_, old)) throw failure;
    } else if (errno != ENOENT) {
        throw failure;
    }
    // The file is edited in its own encoding, or not at all.
    std::optional<IniFileText> file = decodeIniFile(old);
    if (!file) throw failure;
    file->text = withIniValue(file->text, section, key, value);
    const std::optional<std::string> bytes = encodeIniFile(*file);
    if (!bytes || saveFileSafely(path_, *bytes) != SaveStatus::ok) throw failure;
}

std::int32_t IniStore::readInt32(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    const std::string text = hexPrefixToDollar(readText(section, key, ""));
    return int32FromText(text).value_or(defaultValue);
}

bool IniStore::readFlag(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInt32(section, key, defaultValue ? 1 : 0) != 0;
}

void IniStore::writeFlag(std::string_view section, std::string_view key, bool value) const {
    writeText(section, key, value ? "1" : "0");
}

}  // namespace quill
