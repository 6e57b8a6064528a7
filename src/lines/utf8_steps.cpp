#include "lines/utf8_steps.h"

namespace quill::utf8 {

std::size_t Next(std::string_view text, std::size_t pos) {
    ++pos;
    while (pos < text.size() && IsContinuation(text[pos])) ++pos;
    return pos;
}

std::size_t Previous(std::string_view text, std::size_t pos) { return Floor(text, pos - 1); }

std::size_t Floor(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    while (pos > 0 && IsContinuation(text[pos])) --pos;
    return pos;
}

int64_t CountCharacters(std::string_view text) {
    int64_t count = 0;
    for (char byte : text) count += IsContinuation(byte) ? 0 : 1;
    return count;
}

std::size_t BytesOfFirst(std::string_view text, int64_t characters) {
    std::size_t pos = 0;
    while (characters > 0 && pos < text.size()) {
        pos = Next(text, pos);
        --characters;
    }
    return pos;
}

char32_t Decode(std::string_view text, std::size_t pos, std::size_t end) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = end - pos;
    if (lead < 0x80) return length == 1 ? lead : kReplacement;

    std::size_t expected;
    char32_t value;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        expected = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        expected = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        expected = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (length != expected) return kReplacement;
    for (std::size_t i = pos + 1; i < end; ++i) value = (value << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
    return value;
}

}  // namespace quill::utf8
