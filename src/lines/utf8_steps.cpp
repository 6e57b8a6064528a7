#include "lines/utf8_steps.h"

#include <optional>

#include "common/unicode.h"

namespace quill::utf8 {

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
    int64_t count = 0;
    for (char byte : text) count += isContinuation(byte) ? 0 : 1;
    return count;
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

}  // namespace quill::utf8
