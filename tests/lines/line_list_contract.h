#pragma once
// Behaviour every LineList must show, whatever holds its text. Instantiate it
// once per test program with a maker type that has
//     static std::unique_ptr<quill::LineList> Make();
// returning an empty pane with the default capacity, inside quill::contract:
//     namespace quill::contract {
//     INSTANTIATE_TYPED_TEST_SUITE_P(Qt, LineListContract, ::testing::Types<MyMaker>);
//     }
// Texts have CR LF breaks only. Capacity counts characters, a CR LF as two:
// on ASCII text that is the length of fileBytes().

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/error.h"
#include "lines/line_list.h"

namespace quill::contract {

template <class Maker>
class LineListContract : public ::testing::Test {
protected:
    static std::unique_ptr<LineList> paneNamed(const std::string& text = {}) {
        std::unique_ptr<LineList> pane = Maker::makeDialog();
        if (!text.empty()) pane->load({text});
        return pane;
    }
    static std::vector<std::string> allLines(const LineList& pane) {
        std::vector<std::string> lines;
        for (int32_t i = 0; i < pane.count(); ++i) lines.push_back(pane.line(i));
        return lines;
    }
    // Adds the lines one at a time; false when one did not fit.
    static bool addEach(LineList& pane, const std::vector<std::string>& lines) {
        try {
            for (const std::string& s : lines) pane.add(s);
        } catch (const LineInsertionError&) {
            return false;
        }
        return true;
    }
    static bool addBatch(LineList& pane, const std::vector<std::string>& lines) {
        LineBatch batch;
        for (const std::string& s : lines) batch.add(s);
        try {
            pane.addLines(batch);
        } catch (const LineInsertionError&) {
            return false;
        }
        return true;
    }
};

TYPED_TEST_SUITE_P(LineListContract);

TYPED_TEST_P(LineListContract, LinesOfATextAndTheHiddenEmptyLastLine) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"7", {"7"}},
        {"7\r\n", {"7"}},
        {"7\r\n8", {"7", "8"}},
        {"7\r\n\r\n", {"7", ""}},
        {"\r\n", {""}},
        {"1\r\n2\r\n", {"1", "2"}},
        {"\r\n\r\nx", {"", "", "x"}},
        {" 1.5 \r\n-2e3\r\n\r\n4", {" 1.5 ", "-2e3", "", "4"}},
    };
    for (const Case& c : cases) {
        auto pane = this->paneNamed(c.text);
        EXPECT_EQ(this->allLines(*pane), c.lines) << '"' << c.text << '"';
        EXPECT_EQ(pane->line(pane->count()), "") << "past the end";
        EXPECT_EQ(pane->line(-1), "");
        EXPECT_EQ(pane->fileBytes(), c.text);
    }
}

TYPED_TEST_P(LineListContract, AddPutsEachLineOnALineOfItsOwn) {
    struct Case {
        std::string text, added, after;
        int32_t index;
    };
    const Case cases[] = {
        {"", "a", "a\r\n", 0},
        {"1\r\n2", "3", "1\r\n2\r\n3", 2},
        {"1\r\n2\r\n", "3", "1\r\n2\r\n3\r\n", 2},
        {"\r\n", "x", "\r\nx\r\n", 1},
        {"", "", "\r\n", 0},
        // An empty line after an open one only ends it: the count stays 1.
        {"7", "", "7\r\n", 1},
    };
    for (const Case& c : cases) {
        auto pane = this->paneNamed(c.text);
        EXPECT_EQ(pane->add(c.added), c.index) << '"' << c.text << "\" + \"" << c.added << '"';
        EXPECT_EQ(pane->fileBytes(), c.after) << '"' << c.text << "\" + \"" << c.added << '"';
    }
}

TYPED_TEST_P(LineListContract, AddedLinesReadBackWholeHoweverLong) {
    auto pane = this->paneNamed();
    const std::vector<std::string> lines = {"MemoAN",
                                            std::string(4094, '1'),
                                            std::string(4095, '2'),
                                            std::string(4096, '3'),
                                            std::string(5000, '4'),
                                            "",
                                            std::string(100000, '5'),
                                            "last"};
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(pane->add(lines[i]), static_cast<int32_t>(i));
    EXPECT_EQ(this->allLines(*pane), lines);
}

TYPED_TEST_P(LineListContract, CapacityOutlivesClearAndDoesNotBindFileText) {
    auto pane = this->paneNamed("1\r\n2\r\n");
    EXPECT_EQ(pane->capacity(), kDefaultCapacity);
    pane->setCapacity(4);
    pane->clear();
    EXPECT_EQ(pane->count(), 0);
    EXPECT_EQ(pane->capacity(), 4);
    pane->load({"0123456789\r\nabc\r\n"});
    EXPECT_EQ(pane->count(), 2);
    EXPECT_EQ(pane->capacity(), 4);
}

TYPED_TEST_P(LineListContract, ALineThatDoesNotFitGoesInNotAtAll) {
    struct Case {
        std::string text, added;
        int64_t spare;  // capacity minus the length the text would reach
    };
    const Case cases[] = {
        {"", "12345", 0},    {"", "12345", -1},    {"1\r\n2", "3", 0},
        {"1\r\n2", "3", -1}, {"1\r\n", "", 0},     {"1\r\n", "", -1},
        {"1\r\n", "", -2},   {"abc", "defgh", -6}, {"", std::string(5000, '9'), -1},
    };
    for (const Case& c : cases) {
        auto pane = this->paneNamed(c.text);
        const int64_t reached = static_cast<int64_t>(c.text.size() + c.added.size() + 2);
        pane->setCapacity(reached + c.spare);
        const std::string before = pane->fileBytes();
        if (c.spare >= 0) {
            EXPECT_NO_THROW(pane->add(c.added)) << '"' << c.text << "\" + \"" << c.added << '"';
            EXPECT_EQ(static_cast<int64_t>(pane->fileBytes().size()), reached);
        } else {
            try {
                pane->add(c.added);
                ADD_FAILURE() << '"' << c.text << "\" + \"" << c.added << "\" fitted";
            } catch (const LineInsertionError& e) {
                EXPECT_EQ(e.message(), "RichEdit line insertion error");
            }
            EXPECT_EQ(pane->fileBytes(), before);
        }
    }
}

TYPED_TEST_P(LineListContract, CapacityCountsUtf8CharactersNotBytes) {
    // "就绪" is six bytes and two characters.
    const struct {
        std::string text, added;
        int64_t capacity;
        bool fits;
    } cases[] = {
        {"", "就绪Ready", 9, true},
        {"", "就绪Ready", 8, false},
        {"就绪\r\n", "abc", 9, true},
        {"就绪\r\n", "abc", 8, false},
    };
    for (const auto& c : cases) {
        for (const bool batched : {false, true}) {
            auto pane = this->paneNamed(c.text);
            pane->setCapacity(c.capacity);
            EXPECT_EQ(batched ? this->addBatch(*pane, {c.added}) : this->addEach(*pane, {c.added}), c.fits)
                << c.text << " + " << c.added << " within " << c.capacity << (batched ? " batched" : "");
        }
    }
}

TYPED_TEST_P(LineListContract, RandomBatchesEndAsAddingOneByOne) {
    std::mt19937 random(20230611);
    const std::string alphabet = "0123456789 .-eE+x";
    // Starts with and without a final break; batches with runs of empty lines;
    // capacities from nothing left to everything fitting.
    for (int round = 0; round < 800; ++round) {
        std::string start;
        for (int n = random() % 4; n > 0; --n) start += random() % 3 == 0 ? "\r\n" : "42";
        std::vector<std::string> lines(random() % 12);
        std::size_t bytes = 0;
        for (std::string& s : lines) {
            for (int n = random() % 4 == 0 ? 0 : random() % 9; n > 0; --n) s += alphabet[random() % alphabet.size()];
            bytes += s.size() + 2;
        }
        const int64_t capacity = static_cast<int64_t>(start.size() + random() % (bytes + 3));
        auto one = this->paneNamed(start), all = this->paneNamed(start);
        one->setCapacity(capacity);
        all->setCapacity(capacity);
        const bool oneFit = this->addEach(*one, lines);
        ASSERT_EQ(this->addBatch(*all, lines), oneFit) << "round " << round;
        ASSERT_EQ(all->fileBytes(), one->fileBytes()) << "round " << round;
        ASSERT_EQ(this->allLines(*all), this->allLines(*one)) << "round " << round;
    }
}

REGISTER_TYPED_TEST_SUITE_P(LineListContract, CapacityCountsUtf8CharactersNotBytes,
                            LinesOfATextAndTheHiddenEmptyLastLine, AddPutsEachLineOnALineOfItsOwn,
                            AddedLinesReadBackWholeHoweverLong, CapacityOutlivesClearAndDoesNotBindFileText,
                            ALineThatDoesNotFitGoesInNotAtAll, RandomBatchesEndAsAddingOneByOne);

}  // namespace quill::contract
