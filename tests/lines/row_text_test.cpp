// The rows in blocks against the same text kept as plain bytes: edits that
// reach across blocks, spans taken out and put back, appends at the end, and
// copies that keep what they saw.

#include "lines/row_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/utf8_steps.h"

namespace quill {
namespace {

// The rows of a text straight from the definition.
std::vector<std::string> rowsOf(const std::string& text) {
    std::vector<std::string> rows;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        rows.push_back(text.substr(start, at - start));
    rows.push_back(text.substr(start));
    return rows;
}

std::size_t offsetOf(const std::vector<std::string>& rows, TextPos pos) {
    std::size_t offset = 0;
    for (int64_t r = 0; r < pos.row; ++r) offset += rows[static_cast<std::size_t>(r)].size() + 2;
    return offset + pos.col;
}

// Each CR LF of the text as one LF.
std::string withLineFeeds(const std::string& text) {
    std::string fed;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text.compare(i, 2, "\r\n") != 0) fed.push_back(text[i]);
    return fed;
}

void expectSame(const RowText& text, const std::string& model, int round) {
    const std::vector<std::string> rows = rowsOf(model);
    ASSERT_EQ(text.text(), model) << "round " << round;
    ASSERT_EQ(text.rowCount(), static_cast<int64_t>(rows.size())) << "round " << round;
    ASSERT_EQ(text.characters(), utf8::countCharacters(model)) << "round " << round;
    std::size_t widest = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(text.row(static_cast<int64_t>(r)), rows[r]) << "round " << round << " row " << r;
        widest = std::max(widest, rows[r].size());
    }
    ASSERT_EQ(text.widestRowBytes(), widest) << "round " << round;
    ASSERT_EQ(text.utf16Length(), utf8::utf16Units(withLineFeeds(model))) << "round " << round;
}

TEST(RowText, EditsAcrossBlocksKeepTheText) {
    std::mt19937 random(2024);
    std::string model;
    for (int i = 0; i < 30000; ++i) model += std::to_string(i * 7919 % 10007) + (i % 97 ? "\r\n" : "\r\r\n");
    RowText text(model);
    const std::string chunk = model.substr(0, model.size() / 2);
    // A character outside the BMP, whole and in halves that an append joins.
    const std::string pieces[] = {
        "", "7", "\r\n", "就", "ab\r\ncd", "\r\n\r\n", "\r", "\n", "\xF0\x9F\x98\x80", "\xF0\x9F", "\x98\x80\r\n"};
    std::vector<std::pair<RowText, std::string>> kept;  // copies taken along the way
    for (int round = 0; round < 400; ++round) {
        const std::vector<std::string> rows = rowsOf(model);
        const auto place = [&] {
            const auto row = static_cast<int64_t>(random() % rows.size());
            return text.clamp({row, random() % (rows[static_cast<std::size_t>(row)].size() + 1)});
        };
        TextPos from = place(), to = place();
        if (to < from) std::swap(from, to);
        if (random() % 8 == 0) to = std::max(from, text.clamp({from.row + static_cast<int64_t>(random() % 9000), 0}));
        const std::size_t a = offsetOf(rows, from), b = offsetOf(rows, to);
        RowText inserted(std::string(pieces[random() % std::size(pieces)]));
        std::string insertedText = inserted.text();
        switch (random() % 5) {
            case 0: {  // a span taken out elsewhere, as the undo history puts texts back
                const TextPos x = place(), y = place();
                inserted = text.between(std::min(x, y), std::max(x, y));
                insertedText = model.substr(offsetOf(rows, std::min(x, y)),
                                            offsetOf(rows, std::max(x, y)) - offsetOf(rows, std::min(x, y)));
                ASSERT_EQ(inserted.text(), insertedText) << "round " << round;
                break;
            }
            case 1:  // lines added at the end, one at a time
                from = to = text.end();
                break;
            case 2:  // a text of many blocks, once the text runs short
                if (rows.size() > 20000) break;
                insertedText = chunk;
                inserted = RowText(chunk);
                break;
            default: break;
        }
        const std::size_t start = from == text.end() ? model.size() : a, end = from == text.end() ? model.size() : b;
        ASSERT_EQ(text.between(from, to).text(), model.substr(start, end - start)) << "round " << round;
        ASSERT_EQ(text.textBetween(from, to, "\n"), withLineFeeds(model.substr(start, end - start)));
        // The same place as a screen reader counts it, and back.
        const int64_t units = utf8::utf16Units(withLineFeeds(model.substr(0, start)));
        ASSERT_EQ(text.utf16Offset(from), units) << "round " << round;
        ASSERT_EQ(text.posAtUtf16(units), from == text.end() ? text.end() : from) << "round " << round;
        model.replace(start, end - start, insertedText);
        if (from == text.end() && round % 2)
            text.append(insertedText);
        else
            text.replace(from, to, inserted);
        expectSame(text, model, round);
        if (round % 50 == 0) kept.emplace_back(text, model);
    }
    for (const auto& [copy, was] : kept) expectSame(copy, was, -1);
}

}  // namespace
}  // namespace quill
