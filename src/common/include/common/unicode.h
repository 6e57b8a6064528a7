#pragma once
// The one UTF-8 and UTF-16 codec. Well-formed UTF-8 has no overlong forms, no
// surrogates and nothing past U+10FFFF; well-formed UTF-16 has an even byte
// count and every surrogate in a high-low pair. List files and settings files
// both decode and encode through here, so a file means the same to each.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quill {

// c is a code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

// The code point of the well-formed UTF-8 sequence at text[at] (at < size),
// advancing at past it; nullopt, with at unchanged, for anything else.
std::optional<char32_t> nextUtf8(std::string_view text, std::size_t& at);

bool isValidUtf8(std::string_view bytes);

// UTF-16 code units without a byte-order mark, decoded and appended to *out
// when out is given; false when they are not well formed (out then holds part).
bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string* out);

// Valid UTF-8 appended to out as UTF-16 code units (no mark added); false when
// the text is not valid UTF-8 (out then holds part).
bool utf8ToUtf16(std::string_view utf8, bool bigEndian, std::string& out);

// One code point (U+FEFF for the byte-order mark) as one or two code units.
void appendUtf16(std::string& out, char32_t c, bool bigEndian);

}  // namespace quill
