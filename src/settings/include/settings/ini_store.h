#pragma once
// A settings file on disk, opened for one operation: create it on the path,
// read or write a few keys, let it go. Creating it touches nothing on disk;
// every write goes to disk at once (atomically), so there is nothing to flush.

#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

class IniStore {
public:
    // Longest value readText gives back; longer values are cut to this.
    static constexpr std::size_t kMaxValueBytes = 2047;

    explicit IniStore(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    // The key's value (see ini_text.h for the layout), cut to kMaxValueBytes;
    // defaultText when the file, the section or the key is missing or the
    // file cannot be read. Never creates or changes the file.
    std::string readText(std::string_view section, std::string_view key, std::string_view defaultText) const;

    // Sets the key's value, creating the file, the section or the key as
    // needed and keeping every other byte of the file, in the file's own
    // encoding (ini_encoding.h). Throws IniFileError "Unable to write to
    // <path>" when the file cannot be read back, created or replaced, is
    // read-only, or is UTF-16 that cannot be rewritten faithfully; the old
    // file then stays as it was.
    void writeText(std::string_view section, std::string_view key, std::string_view value) const;

    // The value as an integer (int_text.h), after "0x..." became "$..."; the
    // default when there is none or it is not an integer text.
    std::int32_t readInt32(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

    // readInt32 with the default as 1 or 0; true when the integer is not 0.
    bool readFlag(std::string_view section, std::string_view key, bool defaultValue) const;

    // Writes "1" or "0".
    void writeFlag(std::string_view section, std::string_view key, bool value) const;

private:
    std::string path_;
};

}  // namespace quill
