#pragma once
// Included before every test source of the WebAssembly build: the
// floating-point std::to_chars and std::from_chars that emscripten's libc++
// 13 lacks, which the tests use as their reference. Only the tests see
// these; they stand on the C library's correctly rounded printf and strtod.

#include <version>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace std {

inline to_chars_result to_chars(char* first, char* last, long double value, chars_format format, int precision) {
    const char* spec = format == chars_format::scientific ? "%.*Le" : format == chars_format::fixed ? "%.*Lf" : "%.*Lg";
    const int n = snprintf(first, static_cast<size_t>(last - first), spec, precision, value);
    if (n < 0 || n >= last - first) return {last, errc::value_too_large};
    return {first + n, errc()};
}
inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
    return to_chars(first, last, static_cast<long double>(value), format, precision);
}
// The shortest text that reads back as the value.
inline to_chars_result to_chars(char* first, char* last, double value) {
    char buffer[40];
    for (int precision = 1; precision <= 17; ++precision) {
        snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (strtod(buffer, nullptr) == value || precision == 17) break;
    }
    const size_t n = strlen(buffer);
    if (n > static_cast<size_t>(last - first)) return {last, errc::value_too_large};
    memcpy(first, buffer, n);
    return {first + n, errc()};
}
inline from_chars_result from_chars(const char* first, const char* last, double& value) {
    const string text(first, last);
    char* end = nullptr;
    const double v = strtod(text.c_str(), &end);
    if (end == text.c_str()) return {first, errc::invalid_argument};
    value = v;
    return {first + (end - text.c_str()), errc()};
}

}  // namespace std
#endif
