// Any settings file through reading and writing one key, as the settings
// store does it, without the disk. The input is the section, the key and the
// value (each ended by a backslash and one more byte, "\\" for a backslash
// itself), then the file's bytes. Nothing may crash; a file that decodes
// encodes back to the very same bytes; a written key reads back as written
// and writing it again changes nothing; and every other line of the file stays
// byte for byte: the bytes that change lie within one line of the old file.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_encoding.h"
#include "settings/ini_text.h"

namespace {

// Aborts, naming the line of the check that failed.
void check(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at %s:%d\n", __FILE__, line);
    std::abort();
}

std::size_t lineBreaks(std::string_view s) {
    return std::count(s.begin(), s.end(), '\r') + std::count(s.begin(), s.end(), '\n');
}

// Between the longest common head and tail of before and after, before holds
// no line break (the change stays inside one line: a value replaced, or new
// lines put between two lines) and after holds at most the breaks of a new
// section line, a new key line and the break the old last line lacked.
void checkOnlyOneLineChanged(std::string_view before, std::string_view after, bool keyExisted) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
    const std::string_view removed = before.substr(head, before.size() - head - tail);
    const std::string_view added = after.substr(head, after.size() - head - tail);
    check(lineBreaks(removed) == 0);
    check(lineBreaks(added) <= (keyExisted ? 0 : 6));
}

void checkEdit(const std::string& text, const std::string& section, const std::string& key, const std::string& value) {
    const std::optional<std::string> old = quill::findIniValue(text, section, key);
    if (!quill::isWritableIniEntry(section, key, value)) return;
    const std::string edited = quill::withIniValue(text, section, key, value);
    // What the same entry reads as in a file of its own.
    const std::optional<std::string> expected =
        quill::findIniValue(quill::withIniValue("", section, key, value), section, key);
    check(expected.has_value());
    check(quill::findIniValue(edited, section, key) == expected);
    check(quill::withIniValue(edited, section, key, value) == edited);
    checkOnlyOneLineChanged(text, edited, old.has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(256);
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    checkEdit(bytes, section, key, value);  // the bytes as a plain file

    const std::optional<quill::IniFileText> file = quill::decodeIniFile(bytes);
    if (!file) return 0;  // malformed UTF-16: never edited
    check(quill::encodeIniFile(*file) == bytes);
    if (file->encoding == quill::IniEncoding::bytes) return 0;
    checkEdit(file->text, section, key, value);
    if (!quill::isWritableIniEntry(section, key, value)) return 0;
    quill::IniFileText edited{file->encoding, quill::withIniValue(file->text, section, key, value)};
    // Names and values that are not UTF-8 cannot go into UTF-16: the write is refused.
    if (const std::optional<std::string> encoded = quill::encodeIniFile(edited)) {
        const std::optional<quill::IniFileText> back = quill::decodeIniFile(*encoded);
        check(back && back->encoding == file->encoding && back->text == edited.text);
    }
    return 0;
}
