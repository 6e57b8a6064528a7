#include "engine/list_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "common/error.h"
#include "engine/worker_pool.h"

namespace quill {
namespace {

uint64_t bitsOf(double d) { return std::bit_cast<uint64_t>(d); }

// The text whole, or in pieces of one byte (a CR LF cut in two included): the
// same values, the same first error and line.
class ReadListTest : public ::testing::TestWithParam<bool> {
protected:
    std::vector<double> read(const std::string& text, char mark) {
        if (!GetParam()) return readList(text, mark);
        WorkerPool pool(2);
        const SolveControl control;
        ListReader reader(mark, pool, control);
        for (const char c : text) reader.add(std::string_view(&c, 1));
        reader.finish();
        EXPECT_EQ(reader.empty(), text.empty());
        return reader.values();
    }
};

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
        if (c.error) {
            try {
                read(c.text, c.mark);
                ADD_FAILURE() << "no error";
            } catch (const Error& err) {
                EXPECT_EQ(err.message(), c.error);
            }
            continue;
        }
        const std::vector<double> values = read(c.text, c.mark);
        ASSERT_EQ(values.size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(bitsOf(values[i]), bitsOf(c.values[i]));
    }
}

TEST_P(ReadListTest, ErrorsNameTheirKind) {
    EXPECT_TRUE(read("", '.').empty());
    EXPECT_THROW(read("1\r\n2\r\nx", '.'), ConvertError);
    EXPECT_THROW(read("1\r\n2e999", '.'), OverflowError);
}

INSTANTIATE_TEST_SUITE_P(Pieces, ReadListTest, ::testing::Values(false, true));

// Every value knows its pane line, blank lines counted, across chunks and
// rounds of text; values taken as they are know none.
TEST(ListReaderTest, EachValueKnowsItsLine) {
    std::string text;
    std::vector<int64_t> lines;
    for (int64_t line = 0; line < 400000; ++line) {
        if (line % 7 == 3 || (line > 200000 && line < 200100)) {
            text += line % 2 ? "  \r\n" : "\r\n";
        } else {
            text += std::to_string(line % 1000) + "\r\n";
            lines.push_back(line);
        }
    }
    WorkerPool pool(3);
    const SolveControl control;
    ListReader reader('.', pool, control);
    for (std::size_t at = 0; at < text.size(); at += 1 << 20) reader.add(std::string_view(text).substr(at, 1 << 20));
    reader.finish();
    ASSERT_EQ(reader.count(), lines.size());
    ASSERT_GT(reader.blocks().size(), 4u);
    for (std::size_t j = 0; j < lines.size(); ++j) ASSERT_EQ(reader.lineOf(j), lines[j]) << j;
    EXPECT_EQ(reader.lineOf(lines.size()), -1);
    reader.setValues({1, 2});
    EXPECT_EQ(reader.lineOf(1), -1);
}

// A text of several rounds in pieces as a file is read: converted behind
// the caller, the same values as the whole text converted at once, and the
// earliest error with its line, whatever round it lies in.
TEST(ListReaderTest, RoundsConvertedBehindTheCallerKeepTheirOrder) {
    std::string text;
    for (int line = 0; line < 700000; ++line) text += std::to_string(line) + ".0625e-3\r\n";
    ASSERT_GT(text.size(), std::size_t{2} * (4 << 20));  // rounds of 4 MB
    const auto readInPieces = [](const std::string& t) {
        WorkerPool pool(2);
        const SolveControl control;
        ListReader reader('.', pool, control);
        for (std::size_t at = 0; at < t.size(); at += 65536) reader.add(std::string_view(t).substr(at, 65536));
        reader.finish();
        return reader.values();
    };
    const std::vector<double> whole = readList(text, '.');
    ASSERT_EQ(whole.size(), 700000u);
    const std::vector<double> pieces = readInPieces(text);
    ASSERT_EQ(pieces.size(), whole.size());
    for (std::size_t j = 0; j < whole.size(); ++j) ASSERT_EQ(bitsOf(pieces[j]), bitsOf(whole[j])) << j;

    // Errors in the second and third round: the second one's is raised.
    std::string bad = text;
    for (const int line : {610000, 330000}) {
        const std::size_t at = bad.find("\r\n" + std::to_string(line) + ".") + 2;
        bad.insert(at, line == 330000 ? "x" : "1e999");
    }
    try {
        readInPieces(bad);
        ADD_FAILURE() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.lineIndex(), 330000);
    }
}

}  // namespace
}  // namespace quill
