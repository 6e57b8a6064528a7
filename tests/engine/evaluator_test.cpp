#include "engine/evaluator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <memory>
#include <string>
#include <vector>

#include "common/error.h"

namespace quill {
namespace {

// A pane seen only through line(i), the way the desktop panes are read.
class VectorLines : public LineReader {
public:
    explicit VectorLines(const std::string& text) {
        for (std::size_t p = 0; p < text.size();) {
            std::size_t e = text.find("\r\n", p);
            if (e == std::string::npos) e = text.size();
            lines_.push_back(text.substr(p, e - p));
            p = e + 2;
        }
    }
    int32_t count() const override { return static_cast<int32_t>(lines_.size()); }
    std::string line(int32_t i) const override { return i < count() ? lines_[i] : std::string(); }

private:
    std::vector<std::string> lines_;
};

std::unique_ptr<LineReader> paneNamed(bool lineByLine, const std::string& text) {
    if (lineByLine) return std::make_unique<VectorLines>(text);
    return std::make_unique<ByteLineList>(text);
}

uint64_t bitsOf(double d) { return std::bit_cast<uint64_t>(d); }

// Reading runs on both kinds of pane: the byte string walked directly and a
// pane asked line by line must give the same lists.
class ReadListTest : public ::testing::TestWithParam<bool> {};

TEST_P(ReadListTest, ParsesOrRejectsLikeThePane) {
    struct Case {
        const char* text;
        char mark;
        std::vector<double> values;
        const char* error;  // nullptr when the pane converts
    };
    const Case cases[] = {
        {"1\r\n2\r\n3\r\n", '.', {1, 2, 3}, nullptr},
        {"1\r\n\r\n   \r\n\t\r\n2", '.', {1, 2}, nullptr},  // blank lines close up
        {"\r\n", '.', {}, nullptr},                         // one blank line: no values
        {"  1,5  \r\n", ',', {1.5}, nullptr},
        {"7\r", '.', {7}, nullptr},  // a lone CR stays in the line, then is trimmed
        {"1e-400\r\n-0", '.', {0.0, -0.0}, nullptr},
        {"1.5", ',', {}, "'1.5' is not a valid floating point value"},
        {"1\r\nabc\r\n", '.', {}, "'abc' is not a valid floating point value"},
        {"  1 2 \r\n", '.', {}, "'1 2' is not a valid floating point value"},
        {"1\n2", '.', {}, "'1\n2' is not a valid floating point value"},  // LF alone is no break
        {"1\r2", '.', {}, "'1\r2' is not a valid floating point value"},  // nor is CR
        {"1\r\n1e400\r\nabc", '.', {}, "Floating point overflow"},        // stops at the first failure
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Evaluator e;
        const auto pane = paneNamed(GetParam(), c.text);
        if (c.error) {
            try {
                e.readCoefficients(*pane, c.mark);
                ADD_FAILURE() << "no error";
            } catch (const Error& err) {
                EXPECT_EQ(err.message(), c.error);
            }
            continue;
        }
        EXPECT_TRUE(e.readXValues(*pane, c.mark));
        ASSERT_EQ(e.xCount(), static_cast<int32_t>(c.values.size()));
        for (std::size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(bitsOf(e.xValues()[i]), bitsOf(c.values[i]));
    }
}

TEST_P(ReadListTest, EmptyPaneKeepsAndFailedPaneRestoresTheList) {
    Evaluator e;
    ASSERT_TRUE(e.readCoefficients(*paneNamed(GetParam(), "4\r\n5"), '.'));
    EXPECT_FALSE(e.readCoefficients(*paneNamed(GetParam(), ""), '.'));
    EXPECT_EQ(e.coefficients(), (std::vector<double>{4, 5}));
    EXPECT_THROW(e.readCoefficients(*paneNamed(GetParam(), "1\r\n2\r\nx"), '.'), ConvertError);
    EXPECT_THROW(e.readCoefficients(*paneNamed(GetParam(), "1\r\n2e999"), '.'), OverflowError);
    EXPECT_EQ(e.coefficients(), (std::vector<double>{4, 5}));
}

INSTANTIATE_TEST_SUITE_P(Panes, ReadListTest, ::testing::Values(false, true));

TEST(EvaluatePolynomialTest, RoundsEachProductAndSumTwice) {
    // Exact products and sums whose 64-bit rounding lands on a tie for the
    // 53-bit one: plain double arithmetic gives the neighbouring double.
    const double pa = 0x1.4a5b9330c5532p+0, pb = 0x1.e868ac9c00d07p+0;
    const double tiny = 0x1.00002p-53;  // 2^-53 + 2^-70
    ASSERT_NE(pa * pb, 0x1.3b22d243cddbp+1);
    ASSERT_NE(1.0 + tiny, 1.0);
    struct Case {
        std::vector<double> a;
        double x, f;
    };
    const Case cases[] = {
        {{1, 2, 3}, 2, 17},
        {{}, 5, 0},
        {{5, 1}, 0, 5},
        {{5, 0}, 1e308, 5},  // the constant term is never multiplied
        {{-0.0}, 3, 0.0},    // the sum starts from +0
        {{5, 1}, -0.0, 5},
        {{0, 1, 1}, -1, 0},              // -1 + 1
        {{0, 0, 1e-300}, 1e200, 1e100},  // coefficient times x, then x: no x^2 on its own
        {{1, 0x1p-53, 0x1p-53}, 1, 1},   // ascending: each half-ulp tie goes back to 1
        {{0, pa}, pb, 0x1.3b22d243cddbp+1},
        {{1, tiny}, 1, 1},
        {{DBL_MAX, 0x1p969}, 1, DBL_MAX},  // below half an ulp of the largest double
        {{0, 1e-200}, 1e-200, 0},          // underflow is silent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(bitsOf(evaluatePolynomial(c.a, c.x)), bitsOf(c.f));
    }
    // Overflow in a product, in a sum, and in a sum that is a tie rounding up.
    const Case overflowing[] = {{{0, 1e200}, 1e200, 0}, {{DBL_MAX, DBL_MAX}, 1, 0}, {{DBL_MAX, 0x1p970}, 1, 0}};
    for (const Case& c : overflowing) EXPECT_THROW(evaluatePolynomial(c.a, c.x), OverflowError);
}

TEST(EvaluatorTest, IndicesOutsideTheListsGiveZero) {
    Evaluator e;
    ByteLineList result;
    e.solve(ByteLineList("2\r\n3"), ByteLineList("10"), result, true, {});
    EXPECT_EQ(e.termAt(1, 0) + e.valueAt(0), 62);
    for (auto [i, j] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 1}}) EXPECT_EQ(e.termAt(i, j), 0.0);
    EXPECT_EQ(e.valueAt(-1) + e.valueAt(1), 0.0);
}

}  // namespace
}  // namespace quill
