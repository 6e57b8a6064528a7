#pragma once
// A pane's text seen as a list of lines. The text is divided at every CR LF;
// a trailing empty last line is not counted, so "7\r\n" and "7" both hold one
// line and the empty text holds none.
//
// The interface comes in three parts, by who uses it: the evaluation reads
// (LineReader), the report and the Clear commands write (LineWriter), loading
// and saving move the text to and from files (LineFile). ByteLineList holds
// the lines in one byte string (engine, tests, command line); PaneText holds
// them row by row for the desktop panes.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// The text as it goes to and comes from a file: CR LF breaks, in the pane's
// file encoding. Not bound by the capacity.
class LineFile {
public:
    virtual ~LineFile() = default;

    virtual std::string fileBytes() const = 0;
    // Replaces the whole text with bytes read from a file (already CR LF).
    virtual void setFileBytes(std::string bytes) = 0;
};

// A pane's whole line list: what a pane holds and what a load fills.
class LineList : public LineReader, public LineWriter, public LineFile {};

// The line model on one byte string, its file bytes taken as they are.
class ByteLineList : public LineList {
public:
    ByteLineList() = default;
    explicit ByteLineList(std::string text);

    int32_t count() const override;
    std::string line(int32_t i) const override;
    int32_t add(std::string_view s) override;
    void addLines(const LineBatch& batch) override;
    void clear() override;
    void forEachLine(const std::function<void(std::string_view)>& visit) const override;
    int64_t capacity() const override { return capacity_; }
    void setCapacity(int64_t characters) override { capacity_ = characters; }
    std::string fileBytes() const override { return text_; }
    void setFileBytes(std::string bytes) override;

    const std::string& text() const { return text_; }

private:
    bool endsAtLineStart() const;
    // The characters of text_, counted only when the bytes alone do not show
    // that a new line fits (a character takes at least one byte).
    int64_t characters() const;
    std::string_view lineView(std::size_t index) const;
    void indexFrom(std::size_t offset);

    std::string text_;
    // Offset just past each CR LF of text_, kept up to date by every change so
    // that count() and line(i) never rescan the text.
    std::vector<std::size_t> breakEnds_;
    int64_t capacity_ = kDefaultCapacity;
    mutable int64_t characters_ = 0;  // -1 while unknown
};

}  // namespace quill
