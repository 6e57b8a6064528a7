#pragma once
// Stepping through UTF-8 text one character at a time. A character is a byte
// that is not a continuation byte (10xxxxxx) together with the continuation
// bytes after it, so bytes that are not valid UTF-8 still form characters and
// survive editing unchanged. The same characters counted in UTF-16 units are
// the places that Qt's strings, input methods and screen readers name.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quill::utf8 {

constexpr char32_t kReplacement = 0xFFFD;

inline bool isContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The start of the character after the one at pos (pos < size).
std::size_t next(std::string_view text, std::size_t pos);
// The start of the character before pos (pos > 0).
std::size_t previous(std::string_view text, std::size_t pos);
// The nearest character start at or before pos.
std::size_t floor(std::string_view text, std::size_t pos);

int64_t countCharacters(std::string_view text);
// Bytes taken by the first `characters` characters (all of text if fewer).
std::size_t bytesOfFirst(std::string_view text, int64_t characters);

// The code point of the character [pos, end); kReplacement when its bytes are
// not one well-formed UTF-8 sequence.
char32_t decode(std::string_view text, std::size_t pos, std::size_t end);

// ---- UTF-16 offsets: a character past U+FFFF takes two units, any other
// (one that does not decode included) one.

// The UTF-16 units of the text.
int64_t utf16Units(std::string_view text);
// The characters and the UTF-16 units of the text, in one pass as quick as
// counting the characters alone.
struct Counts {
    int64_t characters = 0, utf16Units = 0;
};
Counts countCharactersAndUnits(std::string_view text);
// The start of the character that holds the unit-th UTF-16 unit (for a unit
// inside a surrogate pair, its character's start); the size past the last.
std::size_t byteOfUtf16Unit(std::string_view text, int64_t unit);
// The characters as UTF-16, each that does not decode as kReplacement.
std::u16string toUtf16(std::string_view text);

}  // namespace quill::utf8
