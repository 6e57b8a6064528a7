#include "settings/int_text.h"

namespace quill {
namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::int32_t> hexDigitsToInt32(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0 || value > 0x0FFFFFFFu) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);  // two's complement, as in C++20
}

std::optional<std::int32_t> decimalDigitsToInt32(std::string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
        if (!isDecimalDigit(c) || value > 214748364) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> int32FromText(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);

    if (text[0] == '-' || text[0] == '+') return decimalDigitsToInt32(text.substr(1), text[0] == '-');
    if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') return hexDigitsToInt32(text.substr(1));
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return hexDigitsToInt32(text.substr(2));
    return decimalDigitsToInt32(text, false);
}

std::string hexPrefixToDollar(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return "$" + std::string(text.substr(2));
    return std::string(text);
}

}  // namespace quill
