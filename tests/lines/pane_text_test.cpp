// The pane text model: the shared line-list contract, bytes that are not
// UTF-8, and the edits the widget makes.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "common/error.h"
#include "common/utf8_steps.h"
#include "line_list_contract.h"
#include "lines/pane_text.h"

namespace quill::contract {

struct PaneTextMaker {
    static std::unique_ptr<LineList> makeDialog() { return std::make_unique<PaneText>(); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(PaneRows, LineListContract, ::testing::Types<PaneTextMaker>);

}  // namespace quill::contract

namespace quill {
namespace {

PaneText paneNamed(const std::string& bytes) {
    PaneText pane;
    pane.load({bytes});
    pane.forgetHistory();
    return pane;
}

TEST(PaneText, BytesThatAreNotUtf8ComeBackUnchanged) {
    // A GBK file: shown as replacement characters, saved as it came.
    const std::string gbk = "\xBE\xCD\xD0\xF7\r\n1.5\r\n\xFF\xFE";
    PaneText pane = paneNamed(gbk);
    EXPECT_EQ(pane.count(), 3);
    EXPECT_EQ(pane.line(0), "\xBE\xCD\xD0\xF7");
    EXPECT_EQ(pane.fileBytes(), gbk);
    // Editing next to them leaves them alone.
    pane.edit({1, 3}, {1, 3}, "0");
    EXPECT_EQ(pane.fileBytes(), "\xBE\xCD\xD0\xF7\r\n1.50\r\n\xFF\xFE");
}

TEST(PaneText, LoneBreakBytesStayInsideTheirLine) {
    PaneText pane = paneNamed("1\n2\r3\r\n4");
    EXPECT_EQ(pane.count(), 2);
    EXPECT_EQ(pane.line(0), "1\n2\r3");
    EXPECT_EQ(pane.characters(), 8);
}

TEST(PaneText, EditsReplaceSpansAcrossRows) {
    struct Case {
        std::string before;
        TextPos from, to;
        std::string text, after;
        TextPos end;
    };
    const Case cases[] = {
        {"", {0, 0}, {0, 0}, "12", "12", {0, 2}},
        {"12", {0, 1}, {0, 1}, "\r\n", "1\r\n2", {1, 0}},
        {"1\r\n2", {0, 1}, {1, 0}, "", "12", {0, 1}},
        {"abc\r\ndef\r\nghi", {0, 1}, {2, 2}, "X", "aXi", {0, 2}},
        {"abc\r\ndef", {1, 3}, {1, 3}, "\r\nx\r\ny", "abc\r\ndef\r\nx\r\ny", {3, 1}},
        {"abc", {0, 3}, {0, 0}, "", "", {0, 0}},     // ends given the wrong way round
        {"ab", {5, 9}, {7, 9}, "!", "ab!", {0, 3}},  // places past the end are clamped
    };
    for (const Case& c : cases) {
        PaneText pane = paneNamed(c.before);
        const auto result = pane.edit(c.from, c.to, c.text);
        EXPECT_EQ(pane.fileBytes(), c.after) << c.before << " + " << c.text;
        EXPECT_EQ(result.end, c.end) << c.before << " + " << c.text;
        EXPECT_EQ(pane.characters(), static_cast<int64_t>(utf8::countCharacters(c.after))) << c.after;
        EXPECT_FALSE(result.cut);
    }
}

TEST(PaneText, AnEditTakesOnlyWhatFitsAndNeverHalfABreak) {
    PaneText pane = paneNamed("ab");
    pane.setCapacity(5);
    auto result = pane.edit({0, 2}, {0, 2}, "c\r\nde");
    EXPECT_TRUE(result.cut);
    EXPECT_EQ(pane.fileBytes(), "abc\r\n");

    pane = paneNamed("ab");
    pane.setCapacity(3);
    result = pane.edit({0, 2}, {0, 2}, "\r\nx");  // CR would fit, its LF not
    EXPECT_TRUE(result.cut);
    EXPECT_EQ(pane.fileBytes(), "ab");
    EXPECT_FALSE(pane.canUndo());

    // Replacing a selection frees its room first.
    pane = paneNamed("就绪");
    pane.setCapacity(2);
    pane.edit({0, 0}, {0, 6}, "xyz");
    EXPECT_EQ(pane.fileBytes(), "xy");
}

TEST(PaneText, UndoAndRedoRestoreTextAndCount) {
    PaneText pane = paneNamed("1\r\n2");
    for (char c : std::string("345")) pane.edit(pane.end(), pane.end(), std::string(1, c), PaneText::EditKind::typing);
    pane.edit({0, 0}, {1, 1}, "x");
    EXPECT_EQ(pane.fileBytes(), "x345");

    pane.undo();
    EXPECT_EQ(pane.fileBytes(), "1\r\n2345");
    const auto span = pane.undo();  // the typed run goes as one
    EXPECT_EQ(pane.fileBytes(), "1\r\n2");
    EXPECT_EQ(span.second, (TextPos{1, 1}));
    EXPECT_FALSE(pane.canUndo());
    pane.redo();
    pane.redo();
    EXPECT_EQ(pane.fileBytes(), "x345");
    EXPECT_EQ(pane.characters(), 4);

    // What the program does to the text is not undone, and ends the history.
    pane.add("6");
    EXPECT_FALSE(pane.canUndo());
    EXPECT_FALSE(pane.canRedo());
}

// A load replaces the text as one step: Undo brings back what was typed,
// Redo the file, and typing after the load does not join it.
TEST(PaneText, ALoadIsOneStepOfTheHistory) {
    PaneText pane = paneNamed("1\r\n2");
    pane.edit(pane.end(), pane.end(), "3", PaneText::EditKind::typing);
    pane.load({"7\r\n8\r\n"});
    pane.edit(pane.end(), pane.end(), "9", PaneText::EditKind::typing);
    const struct {
        bool undo;
        std::string text;
    } steps[] = {{true, "7\r\n8\r\n"}, {true, "1\r\n23"}, {false, "7\r\n8\r\n"}, {false, "7\r\n8\r\n9"}};
    for (const auto& s : steps) {
        s.undo ? pane.undo() : pane.redo();
        EXPECT_EQ(pane.fileBytes(), s.text);
        EXPECT_EQ(pane.characters(), utf8::countCharacters(s.text));
    }

    // The history holds each replaced text once; past its budget the oldest
    // steps go, the newest stays however large.
    const std::size_t size = 130u << 20;  // two exceed the budget
    pane.load({std::string(size, '5')});
    pane.load({std::string(size, '6')});
    pane.load({"1"});
    EXPECT_EQ(pane.historyBytes(), size);
    pane.undo();
    EXPECT_EQ(pane.characters(), static_cast<int64_t>(size));
    EXPECT_EQ(pane.row(0)[0], '6');
    EXPECT_FALSE(pane.canUndo());
    EXPECT_EQ(pane.historyBytes(), 1u);
}

TEST(PaneText, RandomEditsKeepRowsCountAndWidestConsistent) {
    std::mt19937 random(805465);
    const std::string pieces[] = {"", "7", "\r\n", "就", "ab\r\ncd", "\r\n\r\n", "0.5"};
    PaneText pane;
    std::string model;  // the same text kept as plain bytes
    const auto offsetOf = [&pane](TextPos pos) {
        std::size_t offset = 0;
        for (int64_t r = 0; r < pos.row; ++r) offset += pane.row(r).size() + 2;
        return offset + pos.col;
    };
    for (int round = 0; round < 2000; ++round) {
        const auto place = [&] {
            const int64_t row = static_cast<int64_t>(random() % pane.rowCount());
            return pane.clamp({row, random() % (pane.row(row).size() + 1)});
        };
        TextPos from = place(), to = place();
        if (to < from) std::swap(from, to);
        if (random() % 7 == 0) from = {}, to = pane.end();  // the whole text replaced, as a range fill does
        const std::string& text = pieces[random() % std::size(pieces)];
        const std::size_t a = offsetOf(from), b = offsetOf(to);
        model.replace(a, b - a, text);
        pane.edit(from, to, text);
        if (random() % 5 == 0) {
            pane.undo();
            pane.redo();
        }
        ASSERT_EQ(pane.fileBytes(), model) << "round " << round;
        ASSERT_EQ(pane.characters(), utf8::countCharacters(model)) << "round " << round;
        std::size_t widest = 0;
        for (int64_t r = 0; r < pane.rowCount(); ++r) widest = std::max(widest, pane.row(r).size());
        ASSERT_EQ(pane.widestRowBytes(), widest) << "round " << round;
    }
}

// Every text the pane lets go of reaches the discard, once: a cleared text,
// the steps a cleared history held, the redo steps a new edit ends, and the
// oldest step past the history's limit.
TEST(PaneText, TextsLetGoReachTheDiscard) {
    const struct {
        const char* what;
        std::function<void(PaneText&)> act;
        std::vector<std::string> discarded;
    } cases[] = {
        {"clear", [](PaneText& p) { p.clear(); }, {"", "1\r\n2"}},
        {"an edit after an undo",
         [](PaneText& p) {
             p.edit({0, 0}, {0, 1}, "x");
             p.undo();
             p.edit({0, 0}, {0, 0}, "y");
         },
         {"x"}},
        {"lines added", [](PaneText& p) { p.add("3"); }, {""}},
        {"past the step limit",
         [](PaneText& p) {
             for (int i = 0; i < 100; ++i) p.edit({0, 0}, p.end(), std::to_string(i));
         },
         {""}},
    };
    for (const auto& c : cases) {
        PaneText pane;
        pane.load({"1\r\n2"});
        std::vector<std::string> discarded;
        pane.setDiscard([&](std::vector<RowText> texts) {
            for (const RowText& t : texts) discarded.push_back(t.text());
        });
        c.act(pane);
        EXPECT_EQ(discarded, c.discarded) << c.what;
    }
}

TEST(PaneText, ObserverHearsOneChangePerBatch) {
    PaneText pane;
    std::vector<bool> heard;
    pane.setObserver([&heard](bool replaced) { heard.push_back(replaced); });
    LineBatch batch;
    for (int i = 0; i < 1000; ++i) batch.add("F(1)=2");
    pane.addLines(batch);
    pane.clear();
    pane.load({"1"});
    EXPECT_EQ(heard, (std::vector<bool>{false, true, true}));

    // A batch cut short by the capacity still reports what went in.
    heard.clear();
    pane.setCapacity(10);
    EXPECT_THROW(pane.addLines(batch), LineInsertionError);
    EXPECT_EQ(heard, (std::vector<bool>{false}));
    EXPECT_EQ(pane.fileBytes(), "1\r\nF(1)=2");
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

// Prepared lines go in as the same lines added one by one would: the same
// rows, and the same stop at the first that does not fit.
TEST(PaneText, PreparedLinesEndAsAddingOneByOne) {
    std::mt19937 random(515);
    const std::string pieces[] = {"7", "-0.5", " ", "é", "数", "\r", "x"};
    for (int round = 0; round < 600; ++round) {
        std::string start;
        for (int n = random() % 4; n > 0; --n) start += random() % 3 == 0 ? "\r\n" : "4数";
        std::vector<std::string> lines(random() % 10);
        std::string text;
        for (std::string& s : lines) {
            for (int n = random() % 4 == 0 ? 0 : random() % 6; n > 0; --n) s += pieces[random() % std::size(pieces)];
            text += s + "\r\n";
        }
        const int64_t capacity = static_cast<int64_t>(start.size() + random() % (text.size() + 3));
        PaneText one = paneNamed(start), all = paneNamed(start);
        one.setCapacity(capacity);
        all.setCapacity(capacity);
        bool oneFit = true;
        try {
            for (const std::string& s : lines) one.add(s);
        } catch (const LineInsertionError&) {
            oneFit = false;
        }
        PreparedLines prepared(text + "open");
        bool allFit = true;
        try {
            all.addLines(std::move(prepared));
        } catch (const LineInsertionError&) {
            allFit = false;
        }
        ASSERT_EQ(allFit, oneFit) << "round " << round;
        ASSERT_EQ(all.fileBytes(), one.fileBytes()) << "round " << round;
        ASSERT_EQ(all.characters(), one.characters()) << "round " << round;
        ASSERT_EQ(all.widestRowBytes(), one.widestRowBytes()) << "round " << round;
        // Rows that came whole are edited and undone like any others.
        const TextPos from = one.clamp({static_cast<int64_t>(random() % one.rowCount()), random() % 4});
        const TextPos to = one.clamp({from.row + static_cast<int64_t>(random() % 3), random() % 4});
        for (PaneText* pane : {&one, &all}) pane->edit(std::min(from, to), std::max(from, to), "é\r\n");
        ASSERT_EQ(all.fileBytes(), one.fileBytes()) << "round " << round;
        ASSERT_EQ(all.characters(), one.characters()) << "round " << round;
        all.undo();
        one.undo();
        ASSERT_EQ(all.fileBytes(), one.fileBytes()) << "round " << round;
        ASSERT_EQ(all.line(all.count() - 1), one.line(one.count() - 1)) << "round " << round;
    }
}

}  // namespace
}  // namespace quill
