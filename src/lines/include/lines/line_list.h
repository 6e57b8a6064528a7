#pragma once
// A pane's text seen as a list of lines. The text is divided at every CR LF;
// a trailing empty last line is not counted, so "7\r\n" and "7" both hold one
// line and the empty text holds none.
//
// The interface comes in three parts, by who uses it: the evaluation reads
// (LineReader), the report and the Clear commands write (LineWriter), loading
// and saving move the text to and from files (LineFile). ByteLineList holds
// the lines as rows of bytes (RowText) for the engine, the command line and
// tests; PaneText adds the edits and the undo history of a desktop pane.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lines/file_encoding.h"
#include "lines/row_text.h"

namespace quill {

// Lines to be added in one go, with the same result as adding them one by one.
// Each line is stored followed by CR LF, so a line must not hold a CR LF of its
// own (one that does counts as the lines it holds); text after the last CR LF
// (an open line never ended) is not part of the batch.
class LineBatch {
public:
    void add(std::string_view line) {
        text_.append(line);
        text_.append("\r\n", 2);
        ++count_;
    }
    // Appends to the line being built; finish it with endLine().
    std::string& open() { return text_; }
    void endLine() {
        text_.append("\r\n", 2);
        ++count_;
    }
    void reserve(std::size_t bytes) { text_.reserve(bytes); }
    const std::string& text() const { return text_; }
    int64_t count() const { return count_; }
    bool empty() const { return count_ == 0; }

private:
    std::string text_;
    int64_t count_ = 0;
};

// The most characters a pane's text may reach through adding lines, CR LF
// counted as two and a UTF-8 character as one. A new pane starts with
// kDefaultCapacity; a load from a file raises it (list_file.h).
constexpr int64_t kDefaultCapacity = int64_t{1} << 30;  // 1,073,741,824: a report of ten million x values fits

// The lines as the evaluation reads them.
class LineReader {
public:
    virtual ~LineReader() = default;

    virtual int32_t count() const = 0;
    // Line i without its line break, whole however long; empty past the end.
    virtual std::string line(int32_t i) const = 0;
    // Calls visit(line) for every line in order, each without its line break.
    // The view lives only for the call; implementations may avoid copying.
    virtual void forEachLine(const std::function<void(std::string_view)>& visit) const;
};

// The lines as the report and the Clear commands write them.
class LineWriter {
public:
    virtual ~LineWriter() = default;

    // Puts s on a line of its own after the text and returns the index of the
    // new line (the count before the call). A line that does not fit the
    // capacity raises LineInsertionError and leaves the text unchanged.
    virtual int32_t add(std::string_view s) = 0;
    // Adds every line of the batch in order, as add() would: the lines that
    // fit go in whole, and the first one that does not raises LineInsertionError.
    virtual void addLines(const LineBatch& batch);
    // Empties the text; the capacity stays.
    virtual void clear() = 0;

    // In characters, see kDefaultCapacity.
    virtual int64_t capacity() const = 0;
    virtual void setCapacity(int64_t characters) = 0;
};

// A list as a load gives it: its text, decoded once (UTF-8, or the bytes as
// they came where no encoding reads them), with CR LF breaks, and how its
// file was encoded.
struct ListText {
    ListText(std::string text = {}, FileEncoding encoding = {}) : text(std::move(text)), encoding(encoding) {}
    std::string text;
    FileEncoding encoding;
};

// The text as it goes to and comes from a file. Not bound by the capacity.
class LineFile {
public:
    virtual ~LineFile() = default;

    // The text in the encoding of the file it was last loaded from (UTF-8
    // before any).
    virtual std::string fileBytes() const = 0;
    // Replaces the whole text with a loaded list and keeps its encoding.
    virtual void load(ListText list) = 0;
};

// A pane's whole line list: what a pane holds and what a load fills.
class LineList : public LineReader, public LineWriter, public LineFile {};

// Whole lines made ready away from a pane, on any thread, to go into it at
// once: an empty pane takes them without a copy.
class PreparedLines {
public:
    PreparedLines() = default;
    // Whole lines, each ending with CR LF; text after the last one is not taken.
    explicit PreparedLines(std::string lines);
    int64_t count() const { return rows_.rowCount() - 1; }

private:
    friend class ByteLineList;
    RowText rows_;
};

// The line model on rows of bytes, with the encoding of its last load.
class ByteLineList : public LineList {
public:
    ByteLineList() = default;
    explicit ByteLineList(std::string text);
    // The lines of a text taken aside (RowText copies share their bytes).
    explicit ByteLineList(RowText rows);

    int32_t count() const override;
    std::string line(int32_t i) const override;
    void forEachLine(const std::function<void(std::string_view)>& visit) const override;
    int32_t add(std::string_view s) override;
    void addLines(const LineBatch& batch) override;
    // As addLines; an empty pane takes the prepared rows themselves.
    void addLines(PreparedLines&& lines);
    void clear() override;
    int64_t capacity() const override { return capacity_; }
    void setCapacity(int64_t characters) override { capacity_ = characters; }
    std::string fileBytes() const override;
    void load(ListText list) final;
    // The same with the rows of the text already made (on another thread).
    virtual void load(RowText rows, FileEncoding encoding);

    // The whole text, rows joined by CR LF.
    std::string text() const { return rows_.text(); }
    const RowText& rows() const { return rows_; }
    FileEncoding fileEncoding() const { return encoding_; }

protected:
    // Called after lines went in at the end (add, addLines).
    virtual void appended() {}

    RowText rows_;
    FileEncoding encoding_;

private:
    // Adds whole lines (rows of `lines` but its empty last one) as add()
    // would, those that fit; false when not all of them did.
    bool appendLines(RowText lines);

    int64_t capacity_ = kDefaultCapacity;
};

}  // namespace quill
