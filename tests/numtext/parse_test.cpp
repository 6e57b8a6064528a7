#include "numtext/parse.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "common/error.h"
#include "numtext/pow10.h"

namespace quill {
namespace {

using namespace std::literals;

bool sameBits(Ext80 a, Ext80 b) {
    return a.negative() == b.negative() && a.biasedExponent() == b.biasedExponent() &&
           a.significand() == b.significand();
}
uint64_t bitsOf(double d) { return std::bit_cast<uint64_t>(d); }
std::string rejection(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

enum class Outcome { Value, StoreOverflows, Rejected };

// What the evaluation sees for one trimmed line: a double, the overflow at
// the store, or the conversion error (whose message must name the text).
template <class Convert>
Outcome outcomeOf(std::string_view text, double& value, Convert convert) {
    try {
        value = convert();
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.message(), rejection(text));
        return Outcome::Rejected;
    } catch (const OverflowError& e) {
        EXPECT_EQ(e.message(), "Floating point overflow");
        return Outcome::StoreOverflows;
    }
    return Outcome::Value;
}

// Both roads to a double, which must agree in every bit.
Outcome convertAndStore(std::string_view text, char mark, double& value) {
    const Outcome outcome = outcomeOf(text, value, [&] { return narrowToDouble(textToNumber(text, mark)); });
    double direct = 0;
    EXPECT_EQ(outcomeOf(text, direct, [&] { return textToDouble(text, mark); }), outcome) << text;
    if (outcome == Outcome::Value) {
        EXPECT_EQ(bitsOf(direct), bitsOf(value)) << text;
    }
    return outcome;
}

struct Row {
    std::string text;
    Outcome outcome;
    double value = 0;
};

void checkRows(const std::vector<Row>& rows, char mark) {
    for (const Row& row : rows) {
        SCOPED_TRACE("text '" + row.text + "'");
        double value = 0;
        ASSERT_EQ(convertAndStore(row.text, mark, value), row.outcome);
        if (row.outcome == Outcome::Value) {
            EXPECT_EQ(bitsOf(value), bitsOf(row.value)) << value;
        }
    }
}

constexpr auto V = Outcome::Value;
constexpr auto O = Outcome::StoreOverflows;
constexpr auto R = Outcome::Rejected;

TEST(TextToNumber, AcceptedForms) {
    checkRows({{"1.5", V, 1.5},
               {"-0.25", V, -0.25},
               {"+3", V, 3},
               {".5", V, 0.5},
               {"5.", V, 5},
               {"1.e2", V, 100},
               {"+.5e+1", V, 5},
               {".", V, 0},
               {".e5", V, 0},
               {"-0", V, -0.0},
               {"-.", V, -0.0},
               {"-0e-999", V, -0.0},
               {"1e3", V, 1000},
               {"1E+3", V, 1000},
               {"2.5e-3", V, 0.0025},
               {"1e", V, 1},
               {"1e+", V, 1},
               {"1e-", V, 1},
               {"   42   ", V, 42},
               {"00000000000000000000000000000000001", V, 1},
               {"0.000000000000000000001", V, 1e-21},
               {"123456789012345678901234567890", V, 1.2345678901234568e29},
               {"18446744073709551615", V, 18446744073709551615.0},
               {"18446744073709551616", V, 18446744073709551616.0},
               {"1.7976931348623158e308", V, DBL_MAX},
               {"1e-320", V, 1e-320},
               {"-1e-400", V, -0.0},
               {"1e-400", V, 0},
               {"1e-4999", V, 0},
               {"1e0000000499", O},
               {"1.8e308", O},
               {"1e400", O},
               {"1e500", O},
               {"1e1000", O},
               {"1e4932", O},
               {"-1e4932", O},
               {"9007199254740993", V, 9007199254740992.0}},
              '.');
}

TEST(TextToNumber, RejectedForms) {
    checkRows({{"", R},
               {"+", R},
               {"-", R},
               {"E5", R},
               {"e5", R},
               {"e", R},
               {"++1", R},
               {"+-1", R},
               {"- 5", R},
               {"1 000", R},
               {"1,000", R},
               {"1e 5", R},
               {"1e++1", R},
               {"1.2.3", R},
               {"1e2.5", R},
               {"0x10", R},
               {"$10", R},
               {"INF", R},
               {"NAN", R},
               {"\t1", R},
               {"1\t", R},
               // clang-format off
               {"\xA3\xB1", R},      // full-width 1 (GBK)
               {"1\xA3\xB0", R},     // full-width 0 after a digit
               {"\xA1\xA1" "1", R},  // full-width space
               // clang-format on
               {"1.2e4932", R},
               {"1e4999", R},
               {"-1e4999", R},
               {"1e4990", R},
               {"1e5000", R},
               {"0e5000", R},
               {"1e-5000", R},
               {"1e-49900", R}},
              '.');
}

TEST(TextToNumber, OtherDecimalMarks) {
    checkRows({{"1,5", V, 1.5}, {",5e1", V, 5}, {"-1,", V, -1}, {"1.5", R}, {"1,5,", R}}, ',');
    // A separator byte above 0x7F is still matched as one byte.
    // clang-format off
    checkRows({{"1\xB7" "5", V, 1.5}, {"1.5", R}}, '\xB7');
    // A NUL separator can never be read: the text ends there.
    checkRows({{"1\0" "5"s, V, 1}, {"\0" "5"s, R}}, '\0');
    // clang-format on
}

TEST(TextToNumber, TextEndsAtFirstNul) {
    // clang-format off
    checkRows({{"7\0garbage"s, V, 7}, {" 1.5 \0 x"s, V, 1.5}, {"1e\0" "5"s, V, 1}, {"\0" "5"s, R}, {"-\0" "1"s, R}},
              '.');
    // clang-format on
}

std::string repeated(char c, std::size_t n) { return std::string(n, c); }

TEST(TextToNumber, AccumulatorRangeDecidesLongTexts) {
    checkRows({{"1." + repeated('0', 4932), V, 1},
               {"1." + repeated('0', 4933), R},
               {repeated('0', 6000) + "1e-4", V, 1e-4},
               {"0." + repeated('0', 6000) + "1", V, 0},
               {"-0." + repeated('0', 6000) + "1", V, -0.0},
               {"0." + repeated('0', 4000) + "1e4001", V, 1},
               {repeated('9', 4931), O},
               {repeated('9', 4934), R},
               {"." + repeated('9', 4934) + "e4999", R}},
              '.');
}

// An accumulator that has left 64 bits rounds at each step: the 80-bit value
// lands one step below 2^53 + 1, so the store gives 2^53, not 2^53 + 2.
TEST(TextToNumber, RoundsAtEveryStepNotOnce) {
    const Ext80 v = textToNumber("9007199254740993.000000000001", '.');
    EXPECT_EQ(v.biasedExponent(), 16383 + 53);
    EXPECT_EQ(v.significand(), (((1ULL << 53) + 1) << 10) - 1);
    EXPECT_EQ(narrowToDouble(v), 9007199254740992.0);
}

TEST(NarrowToDouble, RoundsOnceMoreAndFailsBeyondTheDoubleRange) {
    // 2^1024 - 2^970 is the first magnitude that rounds above the largest double.
    const Ext80 justBelow = Ext80::fromBits(false, 16383 + 1023, 0xFFFFFFFFFFFFFBFFULL);
    const Ext80 tie = Ext80::fromBits(false, 16383 + 1023, 0xFFFFFFFFFFFFFC00ULL);
    EXPECT_EQ(narrowToDouble(justBelow), DBL_MAX);
    EXPECT_THROW(narrowToDouble(tie), OverflowError);
    EXPECT_THROW(narrowToDouble(tie.negated()), OverflowError);
    EXPECT_THROW(narrowToDouble(Ext80::fromBits(false, 0x7FFF, 0x8000000000000000ULL)), OverflowError);
    EXPECT_THROW(narrowToDouble(Ext80::fromBits(false, 0x7FFF, 0xC000000000000000ULL)), OverflowError);
    // Below the double range: subnormal or zero, sign kept, never an error.
    const Ext80 tinyNegative = Ext80::fromBits(true, 16383 - 1080, 0x8000000000000000ULL);
    EXPECT_EQ(bitsOf(narrowToDouble(tinyNegative)), bitsOf(-0.0));
    EXPECT_EQ(narrowToDouble(Ext80::fromBits(false, 16383 - 1074, 0x8000000000000000ULL)), 4.9406564584124654e-324);
}

TEST(TrimBlanks, StripsControlBytesAndSpacesAtTheEndsOnly) {
    const struct {
        std::string text, trimmed;
    } rows[] = {
        {"\t 12.5\r", "12.5"},
        {" \t\x01\x1f\n\r\v\f ", ""},
        {"", ""},
        {"1 2", "1 2"},
        {"\0 5\t\0"s, "5"},
        {"\x7f", "\x7f"},
        {"\xA1\xA1"
         "1\xA1\xA1",
         "\xA1\xA1"
         "1\xA1\xA1"},
        {"\x80 \x01 \xff", "\x80 \x01 \xff"},
        {"\x21", "\x21"},
    };
    for (const auto& row : rows) EXPECT_EQ(trimBlanks(row.text), row.trimmed) << row.text;
}

// Lines of 100 MB: every one finishes in one pass over its bytes.
TEST(TextToNumber, HundredMegabyteLines) {
    constexpr std::size_t kSize = 100u << 20;
    std::string line(kSize, '0');
    Ext80 v;
    ASSERT_TRUE(tryTextToNumber(line, '.', v));
    EXPECT_TRUE(v.isZero());
    line[1] = '.';
    line.back() = '1';  // 0.000…01 with a hundred million fraction digits
    ASSERT_TRUE(tryTextToNumber(line, '.', v));
    EXPECT_TRUE(v.isZero() && !v.negative());
    line[0] = '1';  // overflows after about 4933 digits
    EXPECT_FALSE(tryTextToNumber(line, '.', v));
    line.assign(kSize, ' ');
    line[kSize / 2] = '7';
    ASSERT_TRUE(tryTextToNumber(line, '.', v));
    EXPECT_EQ(narrowToDouble(v), 7);
    EXPECT_EQ(trimBlanks(line), "7");
    line[kSize / 2 + 1] = '\0';
    line[kSize / 2 + 2] = 'x';
    ASSERT_TRUE(tryTextToNumber(line, '.', v));
    line.assign(kSize, '\xB5');
    EXPECT_FALSE(tryTextToNumber(line, '.', v));
    EXPECT_EQ(trimBlanks(line).size(), kSize);
}

// The conversion read plainly: one 80-bit multiply and add per digit from the
// first digit on, then the one scaling. No integer shortcut.
bool referenceConvert(std::string_view text, char mark, Ext80& out) {
    text = text.substr(0, text.find('\0'));
    std::size_t p = 0;
    auto at = [&](std::size_t i) { return i < text.size() ? int(static_cast<unsigned char>(text[i])) : -1; };
    auto isDigit = [&] { return at(p) >= '0' && at(p) <= '9'; };
    while (at(p) == ' ') ++p;
    const int sign = at(p);
    if (sign == '+' || sign == '-') ++p;
    const std::size_t q = p;
    Ext80 v;
    Ext80Flags flags;
    auto digits = [&] {
        int count = 0;
        for (; isDigit(); ++p, ++count)
            v = Ext80::add(Ext80::mul(v, Ext80::fromUint64(10), flags), Ext80::fromUint64(at(p) - '0'), flags);
        return count;
    };
    digits();
    int f = 0;
    if (at(p) == static_cast<unsigned char>(mark)) {
        ++p;
        f = digits();
    }
    if (p == q) return false;
    int m = 0;
    if (at(p) == 'e' || at(p) == 'E') {
        const int expSign = at(++p);
        if (expSign == '+' || expSign == '-') ++p;
        for (; isDigit() && m < 500; ++p) m = m * 10 + at(p) - '0';
        if (expSign == '-') m = -m;
    }
    while (at(p) == ' ') ++p;
    if (p != text.size()) return false;
    v = scaleByPowerOfTen(v, m - f, flags);
    if (sign == '-') v = v.negated();
    if (flags.any()) return false;
    out = v;
    return true;
}

std::string randomDigits(std::mt19937_64& random, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += char('0' + random() % 10);
    return s;
}

// Number-shaped texts, now and then with a piece that breaks them.
std::string randomText(std::mt19937_64& random) {
    auto pick = [&](std::initializer_list<std::string_view> options) {
        return std::string(options.begin()[random() % options.size()]);
    };
    std::string s = pick({"", "", " ", "  ", "\t"}) + pick({"", "", "+", "-", "--"});
    s += randomDigits(random, int(random() % 4 == 0 ? random() % 60 : random() % 22));
    if (random() % 2) s += pick({".", ".", ",", ".."}) + randomDigits(random, int(random() % 25));
    if (random() % 2) {
        s += pick({"e", "E", "e+", "e-", "e-", "e++"});
        s += randomDigits(random, int(random() % 5));
    }
    s += pick({"", "", " ", "x", "\xB5",
               "\0"
               "9"sv});
    return s;
}

TEST(TextToNumber, AgreesWithThePlainStepByStepReading) {
    std::mt19937_64 random(2023);
    int accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string text = randomText(random);
        Ext80 got, expected;
        const bool ok = tryTextToNumber(text, '.', got);
        ASSERT_EQ(ok, referenceConvert(text, '.', expected)) << text;
        double stored = 0;
        convertAndStore(text, '.', stored);  // the direct road to a double agrees
        if (ok) {
            ASSERT_TRUE(sameBits(got, expected)) << text;
            ++accepted;
        }
    }
    EXPECT_GT(accepted, 50000);  // the generator must reach both sides
    EXPECT_LT(accepted, 180000);
}

// Texts placed right against an unreadable page on either side: a read of
// even one byte outside the text would crash here.
TEST(TextToNumber, ReadsNoByteOutsideTheText) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    auto* base =
        static_cast<char*>(mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    mprotect(base, page, PROT_NONE);
    mprotect(base + 2 * page, page, PROT_NONE);
    char* const first = base + page;
    char* const last = base + 2 * page;
    std::mt19937_64 random(99);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomText(random).substr(0, page);
        Ext80 expected, atStart, atEnd;
        const bool ok = tryTextToNumber(text, '.', expected);
        std::memcpy(first, text.data(), text.size());
        ASSERT_EQ(tryTextToNumber({first, text.size()}, '.', atStart), ok) << text;
        std::memcpy(last - text.size(), text.data(), text.size());
        ASSERT_EQ(tryTextToNumber({last - text.size(), text.size()}, '.', atEnd), ok) << text;
        if (ok) {
            ASSERT_TRUE(sameBits(atStart, expected) && sameBits(atEnd, expected)) << text;
        }
    }
    munmap(base, 3 * page);
}

TEST(TextToNumber, LongMantissasAgreeWithThePlainReading) {
    std::mt19937_64 random(77);
    for (int length : {19, 20, 21, 40, 400, 4000, 4920, 4940, 10000}) {
        for (int i = 0; i < 20; ++i) {
            const std::string text = "0." + randomDigits(random, length) + "e" + std::to_string(random() % 4999);
            Ext80 got, expected;
            const bool ok = tryTextToNumber(text, '.', got);
            ASSERT_EQ(ok, referenceConvert(text, '.', expected)) << length;
            ASSERT_TRUE(!ok || sameBits(got, expected)) << length;
        }
    }
}

TEST(TextToNumber, IntegersBelow2To64AreExact) {
    std::mt19937_64 random(64);
    for (int i = 0; i < 100000; ++i) {
        const uint64_t u = random() >> (random() % 64);
        const bool negative = random() % 2;
        const std::string text = (negative ? "-" : "") + std::string(random() % 3, '0') + std::to_string(u);
        Ext80 expected = Ext80::fromUint64(u);
        if (negative) expected = expected.negated();
        ASSERT_TRUE(sameBits(textToNumber(text, '.'), expected)) << text;
    }
}

// Seventeen significant digits pin a double to within 0.45 of its last place;
// the 80-bit steps add no more than a few thousandths of one, so every such
// text comes back to its double, subnormals included.
TEST(TextToNumber, SeventeenDigitTextsGiveTheirDoubleBack) {
    std::mt19937_64 random(17);
    for (int i = 0; i < 200000; ++i) {
        double d;
        do d = std::bit_cast<double>(random());
        while (!std::isfinite(d));
        char buffer[40];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::scientific, 16).ptr;
        const std::string_view text(buffer, end - buffer);
        ASSERT_EQ(bitsOf(narrowToDouble(textToNumber(text, '.'))), bitsOf(d)) << text;
    }
}

}  // namespace
}  // namespace quill
