// Any bytes through text-to-number and number-to-text. Nothing may crash, the
// throwing and non-throwing conversions must agree, the direct road to a
// double and the digits of a double must be those of the 80-bit steps, and
// formatting must be idempotent through parsing: a double's text, read back
// and stored, gives a double with the very same text.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/error.h"
#include "numtext/format.h"
#include "numtext/parse.h"

#include "digits_by_the_steps.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The text of d must read back, with the same mark, to a double with the same text.
void checkRoundTrip(double d, char mark) {
    char text[quill::kMaxDoubleTextLength];
    const std::size_t length = quill::doubleToText(d, mark, text);
    check(length <= quill::kMaxDoubleTextLength);
    if (!std::isfinite(d)) return;  // INF and NAN are not input forms
    quill::Ext80 back;
    check(quill::tryTextToNumber(std::string_view(text, length), mark, back));
    const auto narrowed = back.narrowToDouble();
    if (narrowed.overflow) {
        // Fifteen digits round the largest doubles up past the double range;
        // that one text is the only one that cannot be stored again.
        char largest[] = "1.79769313486232E308";
        largest[1] = mark;
        const std::size_t sign = d < 0 ? 1 : 0;
        check(std::string_view(text + sign, length - sign) == std::string_view(largest, sizeof largest - 1));
        return;
    }
    char again[quill::kMaxDoubleTextLength];
    const std::size_t againLength = quill::doubleToText(narrowed.value, mark, again);
    check(againLength == length && std::memcmp(again, text, length) == 0);
}

// Any 80-bit value the parser yields has a decimal form of at most fifteen
// digits without a trailing zero.
void checkDecimalForm(quill::Ext80 v) {
    const quill::DecimalForm form = quill::toDecimalForm(v);
    const std::size_t digits = strnlen(form.digits, sizeof form.digits);
    check(digits <= 15);
    check(digits == 0 || form.digits[digits - 1] != '0');
    check(form.exponent != quill::DecimalForm::kNaN && form.exponent != quill::DecimalForm::kInfinity);
}

// The fifteen digits of a value by the 80-bit steps one after the other, as
// the report's rule has them, against the short road of the conversions.
void checkDigitsAgainstTheSteps(quill::Ext80 v) {
    v = v.abs();
    if (!v.isFinite() || v.biasedExponent() == 0) return;
    const auto [exponent, fifteen] = quill::digitsByTheSteps(v);
    const quill::DecimalForm form = quill::toDecimalForm(v);
    check(form.exponent == exponent);
    uint64_t written = 0;
    int count = 0;
    for (; form.digits[count] != 0; ++count) written = written * 10 + uint64_t(form.digits[count] - '0');
    for (; count < 15; ++count) written *= 10;
    check(written == fifteen);
}

enum class Outcome { Value, Rejected, Overflow };

// textToDouble: the double textToNumber stores, or the same error.
void checkDirectRoad(std::string_view text, char mark, bool parsed, quill::Ext80 value) {
    Outcome direct = Outcome::Value;
    double d = 0;
    try {
        d = quill::textToDouble(text, mark);
    } catch (const quill::ConvertError&) {
        direct = Outcome::Rejected;
    } catch (const quill::OverflowError&) {
        direct = Outcome::Overflow;
    }
    if (!parsed) return check(direct == Outcome::Rejected);
    const auto narrowed = value.narrowToDouble();
    if (narrowed.overflow) return check(direct == Outcome::Overflow);
    check(direct == Outcome::Value && std::bit_cast<uint64_t>(d) == std::bit_cast<uint64_t>(narrowed.value));
}

void checkText(std::string_view text, char mark) {
    quill::Ext80 value;
    const bool parsed = quill::tryTextToNumber(text, mark, value);
    bool threw = false;
    try {
        quill::textToNumber(text, mark);
    } catch (const quill::ConvertError&) {
        threw = true;
    }
    check(threw != parsed);
    checkDirectRoad(text, mark, parsed, value);
    if (!parsed) return;
    check(value.isFinite());
    checkDecimalForm(value);
    checkDigitsAgainstTheSteps(value);
    const auto narrowed = value.narrowToDouble();
    if (narrowed.overflow) return;
    checkRoundTrip(narrowed.value, mark);
    checkDigitsAgainstTheSteps(quill::Ext80::fromDouble(narrowed.value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkText(text, '.');
    checkText(text, ',');
    checkText(quill::trimBlanks(text), '.');
    // The first eight bytes as a double: every bit pattern, NaNs and subnormals included.
    if (size >= 8) {
        uint64_t bits;
        std::memcpy(&bits, data, 8);
        const double d = std::bit_cast<double>(bits);
        checkRoundTrip(d, '.');
        checkRoundTrip(d, ',');
        checkDigitsAgainstTheSteps(quill::Ext80::fromDouble(d));
        char hex[quill::kMaxHexTextLength];
        check(quill::doubleToHexText(d, hex) <= quill::kMaxHexTextLength);
    }
    return 0;
}
