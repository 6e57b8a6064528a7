#include "lines/line_list.h"

#include <gtest/gtest.h>

#include <random>

#include "line_list_contract.h"

namespace quill {

namespace contract {
struct ByteMaker {
    static std::unique_ptr<LineList> makeDialog() { return std::make_unique<ByteLineList>(); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Bytes, LineListContract, ::testing::Types<ByteMaker>);
}  // namespace contract

namespace {

// The lines straight from the definition: split at every CR LF, drop an
// empty last piece.
std::vector<std::string> referenceLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> linesOf(const ByteLineList& pane) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < pane.count(); ++i) lines.push_back(pane.line(i));
    return lines;
}

TEST(ByteLineList, LoneCrAndLfAreNoBreaks) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"1\r2", {"1\r2"}}, {"1\n2\n", {"1\n2\n"}},       {"1\r\r\n2", {"1\r", "2"}}, {"\n\r\n", {"\n"}},
        {"\r", {"\r"}},     {"1\r\n\n\r\n", {"1", "\n"}}, {"\r\n\r", {"", "\r"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(linesOf(ByteLineList(c.text)), c.lines) << testing::PrintToString(c.text);
        ByteLineList loaded;
        loaded.load({c.text});
        EXPECT_EQ(linesOf(loaded), c.lines) << testing::PrintToString(c.text);
    }
}

TEST(ByteLineList, BatchLinesAreItsCrLfPiecesAndAnOpenLineIsLeftOut) {
    LineBatch batch;
    batch.add("a\r\nb");
    batch.open() += "c";
    batch.endLine();
    batch.open() += "never ended";
    ByteLineList pane(std::string("7"));
    pane.addLines(batch);
    EXPECT_EQ(pane.text(), "7\r\na\r\nb\r\nc");
}

// Random edits with bytes that come near a break (lone CR, lone LF), each
// followed by a full check of count and every line against the definition.
TEST(ByteLineList, LineIndexFollowsEveryKindOfChange) {
    std::mt19937 random(7);
    const char bytes[] = {'\r', '\n', 'x', '9', '\r', '\n'};
    auto randomText = [&](int most) {
        std::string s;
        for (int n = random() % (most + 1); n > 0; --n) s += bytes[random() % sizeof bytes];
        return s;
    };
    // Lines of a batch hold no CR LF pair; everything else goes.
    auto batchLine = [&] {
        std::string s = randomText(5);
        for (std::size_t at; (at = s.find("\r\n")) != std::string::npos;) s.erase(at, 1);
        return s;
    };
    ByteLineList pane;
    for (int step = 0; step < 3000; ++step) {
        const std::string before = pane.text();
        pane.setCapacity(static_cast<int64_t>(before.size()) + random() % 40);
        switch (random() % 8) {
            case 0: pane.load({randomText(30)}); break;
            case 1: pane.clear(); break;
            case 2:
            case 3: {
                const std::string s = randomText(6);
                const bool atLineStart = before.empty() || before.ends_with("\r\n");
                const std::string after = atLineStart ? before + s + "\r\n" : before + "\r\n" + s;
                try {
                    ASSERT_EQ(pane.add(s), static_cast<int32_t>(referenceLines(before).size()));
                    ASSERT_EQ(pane.text(), after);
                } catch (const LineInsertionError&) {
                    ASSERT_GT(after.size(), static_cast<std::size_t>(pane.capacity()));
                    ASSERT_EQ(pane.text(), before);
                }
                break;
            }
            default: {
                std::vector<std::string> lines(random() % 6);
                LineBatch batch;
                for (std::string& s : lines) batch.add(s = batchLine());
                ByteLineList oneByOne(before);
                oneByOne.setCapacity(pane.capacity());
                bool oneFit = true, allFit = true;
                try {
                    for (const std::string& s : lines) oneByOne.add(s);
                } catch (const LineInsertionError&) {
                    oneFit = false;
                }
                try {
                    pane.addLines(batch);
                } catch (const LineInsertionError&) {
                    allFit = false;
                }
                ASSERT_EQ(allFit, oneFit) << "step " << step;
                ASSERT_EQ(pane.text(), oneByOne.text()) << "step " << step;
            }
        }
        ASSERT_EQ(linesOf(pane), referenceLines(pane.text()))
            << "step " << step << ' ' << testing::PrintToString(pane.text());
        ASSERT_EQ(pane.line(pane.count()), "");
    }
}

}  // namespace
}  // namespace quill
