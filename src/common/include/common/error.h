#pragma once
// The errors that end a command. Each carries the one message text that the
// error box (or the command-line solver) shows; the kind decides only whether
// it is shown at all (AbortError is silent).

#include <stdexcept>
#include <string>

namespace quill {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message), message_(message) {}
    // The whole text; what() stops at a NUL byte that a pane line may hold.
    std::string message() const { return message_; }

private:
    std::string message_;
};

// A text that is not a number: "'<text>' is not a valid floating point value".
class ConvertError : public Error {
public:
    using Error::Error;
};

// A result beyond the double range at a store: "Floating point overflow".
class OverflowError : public Error {
public:
    OverflowError() : Error("Floating point overflow") {}
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

}  // namespace quill
