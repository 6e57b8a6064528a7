#include "lines/utf8_steps.h"

#include <optional>

#include "common/unicode.h"

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
    std::size_t at = pos;
    const std::optional<char32_t> c = NextUtf8(text.substr(0, end), at);
    return c && at == end ? *c : kReplacement;
}

}  // namespace quill::utf8
