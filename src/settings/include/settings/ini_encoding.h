#pragma once
// A settings file's bytes as the text the INI routines read and edit, and
// back. Files without a UTF-16 byte-order mark are taken byte for byte (a
// UTF-8 mark stays in the text: ini_text.h skips it). A UTF-16 file with a
// mark, as Windows editors write it, is decoded to UTF-8 without the mark and
// encoded back with the same mark and byte order, so an edit keeps every
// other line. UTF-16 that is not well formed (a lone surrogate, an odd byte
// count) cannot come back byte for byte and is refused.

#include <optional>
#include <string>
#include <string_view>

namespace quill {

enum class IniEncoding { bytes, utf16le, utf16be };

struct IniFileText {
    IniEncoding encoding = IniEncoding::bytes;
    std::string text;  // UTF-8 for the UTF-16 encodings
};

// The file's text, or nullopt for malformed UTF-16.
std::optional<IniFileText> decodeIniFile(std::string_view bytes);

// The bytes of text in its encoding, the UTF-16 mark first. text must be
// valid UTF-8 for the UTF-16 encodings (what decodeIniFile gives, edited with
// valid UTF-8); nullopt otherwise.
std::optional<std::string> encodeIniFile(const IniFileText& file);

}  // namespace quill
