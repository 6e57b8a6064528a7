#pragma once
// The probes' numbers as hexadecimal doubles, which the checking scripts
// read and write exactly.

#include <charconv>
#include <string>
#include <string_view>

namespace quill::probe {

inline double read(std::string_view text) {
    double value = 0.0;
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    if (text.starts_with("0x")) text.remove_prefix(2);
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::hex);
    return negative ? -value : value;
}

inline std::string hex(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::hex).ptr;
    return std::string(buffer, end);
}

}  // namespace quill::probe
