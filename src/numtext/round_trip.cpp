#include "numtext/round_trip.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "numtext/parse.h"

namespace quill {

namespace {

// The significant digits of value rounded to `precision` of them, trailing
// zeros dropped, and the decimal exponent of the first: value ≈ 0.d1d2… × 10^(exponent).
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits digitsOf(double magnitude, int precision) {
    char buffer[64];
    // Scientific form d.ddddde±XX, correctly rounded to nearest.
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, precision - 1).ptr;
    Digits out;
    const char* p = buffer;
    for (; p != end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') out.digits.push_back(*p);
    int e = 0;
    if (p != end) std::from_chars(p + 1 + (p[1] == '+'), end, e);
    out.exponent = e + 1;
    while (out.digits.size() > 1 && out.digits.back() == '0') out.digits.pop_back();
    return out;
}

std::string layOut(bool negative, const Digits& d, char mark) {
    std::string out = negative ? "-" : "";
    const int e = d.exponent;
    const int length = static_cast<int>(d.digits.size());
    if (d.digits == "0") return out + "0";
    if (e > 15 || e < -3) {
        out += d.digits[0];
        if (length > 1) out += mark + d.digits.substr(1);
        return out + "E" + std::to_string(e - 1);
    }
    if (e >= 1) {
        if (length <= e) return out + d.digits + std::string(static_cast<std::size_t>(e - length), '0');
        return out + d.digits.substr(0, static_cast<std::size_t>(e)) + mark +
               d.digits.substr(static_cast<std::size_t>(e));
    }
    return out + "0" + mark + std::string(static_cast<std::size_t>(-e), '0') + d.digits;
}

bool readsBack(const std::string& text, char mark, double value) {
    double back = 0.0;
    try {
        back = textToDouble(text, mark);
    } catch (...) {
        return false;
    }
    return std::bit_cast<uint64_t>(back) == std::bit_cast<uint64_t>(value);
}

}  // namespace

std::string roundTripText(double value, char decimalMark) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    const bool negative = std::signbit(value);
    for (int precision = 15; precision <= 17; ++precision) {
        const std::string text = layOut(negative, digitsOf(std::fabs(value), precision), decimalMark);
        if (readsBack(text, decimalMark, value)) return text;
    }
    // The panes' reading rounds twice (through 80 bits), so a 17-digit text
    // could in principle land on a neighbour: the neighbouring 17-digit texts.
    Digits d = digitsOf(std::fabs(value), 17);
    d.digits.resize(17, '0');
    for (int step : {1, -1, 2, -2}) {
        Digits n = d;
        long long last = std::atoll(n.digits.c_str()) + step;
        n.digits = std::to_string(last);
        if (n.digits.size() != 17) continue;
        const std::string text = layOut(negative, n, decimalMark);
        if (readsBack(text, decimalMark, value)) return text;
    }
    return layOut(negative, digitsOf(std::fabs(value), 17), decimalMark);
}

}  // namespace quill
