#pragma once
// The errors that end a command. Each carries the one message text that the
// error box (or the command-line solver) shows; the kind decides only whether
// it is shown at all (AbortError is silent).

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace quill {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message), message_(message) {}
    // The whole text; what() stops at a NUL byte that a pane line may hold.
    std::string message() const { return message_; }

private:
    std::string message_;
};

// An error about one value, which may know the pane line that held it: its
// index among the pane's lines, blank ones counted (-1 while unknown). The
// reader of a list fills it in; the message never shows it.
class ValueError : public Error {
public:
    using Error::Error;
    int64_t lineIndex() const { return lineIndex_; }
    void setLineIndex(int64_t index) { lineIndex_ = index; }

private:
    int64_t lineIndex_ = -1;
};

// A text that is not a number: "'<text>' is not a valid floating point value".
class ConvertError : public ValueError {
public:
    using ValueError::ValueError;
    ConvertError(const std::string& message, std::string text) : ValueError(message), text_(std::move(text)) {}
    // The text itself, for a message that quotes it otherwise.
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A result beyond the double range at a store: "Floating point overflow".
// Raised while a value is read, it knows the value's line; raised by the
// evaluation, it names no line but knows the x value whose F overflowed: its
// index in the list and the line that held it (-1 while unknown).
class OverflowError : public ValueError {
public:
    OverflowError() : ValueError("Floating point overflow") {}
    int64_t valueIndex() const { return valueIndex_; }
    int64_t valueLine() const { return valueLine_; }
    void setValueIndex(int64_t index) { valueIndex_ = index; }
    void setValueLine(int64_t line) { valueLine_ = line; }

private:
    int64_t valueIndex_ = -1;
    int64_t valueLine_ = -1;
};

// Load, save and line-insertion failures of a pane.
class FileError : public Error {
public:
    using Error::Error;
};
class LineInsertionError : public Error {
public:
    LineInsertionError() : Error("RichEdit line insertion error") {}
};

// The settings file could not be written: "Unable to write to <path>".
class IniFileError : public Error {
public:
    using Error::Error;
};

// Ends a command silently.
class AbortError : public Error {
public:
    AbortError() : Error("Operation aborted") {}
};

// Whether a caught error is an AbortError: work that was cancelled changes
// nothing and tells nothing.
inline bool isAbort(const std::exception_ptr& error) {
    if (!error) return false;
    try {
        std::rethrow_exception(error);
    } catch (const AbortError&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace quill
