#include "common/utf8_steps.h"

#include <bit>
#include <cstring>
#include <optional>

#include "common/unicode.h"

namespace quill::utf8 {

namespace {

bool isAscii(char byte) { return static_cast<unsigned char>(byte) < 0x80; }

constexpr uint64_t kTopBits = 0x8080808080808080ull;

// Of eight bytes looked at together: the continuation bytes (top bit set,
// the next one clear), and whether one of them is 0xF0 or above.
int continuationsIn(uint64_t word) { return std::popcount(word & ~(word << 1) & kTopBits); }
bool holdsHighLead(uint64_t word) { return (word & (word << 1) & (word << 2) & (word << 3) & kTopBits) != 0; }

}  // namespace

std::size_t next(std::string_view text, std::size_t pos) {
    ++pos;
    while (pos < text.size() && isContinuation(text[pos])) ++pos;
    return pos;
}

std::size_t previous(std::string_view text, std::size_t pos) { return floor(text, pos - 1); }

std::size_t floor(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    while (pos > 0 && isContinuation(text[pos])) --pos;
    return pos;
}

int64_t countCharacters(std::string_view text) {
    // Every byte starts a character but a continuation byte.
    const char* p = text.data();
    const char* const end = p + text.size();
    int64_t continuations = 0;
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        continuations += continuationsIn(word);
    }
    for (; p < end; ++p) continuations += isContinuation(*p) ? 1 : 0;
    return static_cast<int64_t>(text.size()) - continuations;
}

std::size_t bytesOfFirst(std::string_view text, int64_t characters) {
    std::size_t pos = 0;
    while (characters > 0 && pos < text.size()) {
        pos = next(text, pos);
        --characters;
    }
    return pos;
}

char32_t decode(std::string_view text, std::size_t pos, std::size_t end) {
    std::size_t at = pos;
    const std::optional<char32_t> c = nextUtf8(text.substr(0, end), at);
    return c && at == end ? *c : kReplacement;
}

int64_t utf16Units(std::string_view text) { return countCharactersAndUnits(text).utf16Units; }

Counts countCharactersAndUnits(std::string_view text) {
    // Only a character whose lead byte is 0xF0 or above may pass U+FFFF, and
    // it does when its bytes decode; words that hold such a lead are rare and
    // looked at byte by byte.
    const char* const begin = text.data();
    const char* p = begin;
    const char* const end = p + text.size();
    int64_t continuations = 0, pairs = 0;
    const auto countPairs = [&](const char* from, const char* to) {
        for (; from < to; ++from) {
            if (static_cast<unsigned char>(*from) < 0xF0) continue;
            const auto pos = static_cast<std::size_t>(from - begin);
            if (decode(text, pos, next(text, pos)) > 0xFFFF) ++pairs;
        }
    };
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        continuations += continuationsIn(word);
        if (holdsHighLead(word)) countPairs(p, p + 8);
    }
    countPairs(p, end);
    for (; p < end; ++p) continuations += isContinuation(*p) ? 1 : 0;
    const int64_t characters = static_cast<int64_t>(text.size()) - continuations;
    return {characters, characters + pairs};
}

std::size_t byteOfUtf16Unit(std::string_view text, int64_t unit) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = next(text, pos);
        unit -= decode(text, pos, end) > 0xFFFF ? 2 : 1;
        if (unit < 0) break;
        pos = end;
    }
    return pos;
}

std::u16string toUtf16(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (isAscii(text[pos])) {
            units.push_back(static_cast<char16_t>(text[pos++]));
            continue;
        }
        const std::size_t end = next(text, pos);
        const char32_t c = decode(text, pos, end);
        if (c > 0xFFFF) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
        pos = end;
    }
    return units;
}

}  // namespace quill::utf8
