#include "messages.h"

#include <charconv>

#include "engine/error_text.h"

namespace quill::cli {

std::string placedMessage(const std::string& file, const ValueError& error) {
    int64_t line = error.lineIndex();
    std::string message = valueMessage(error);
    if (const auto* overflow = dynamic_cast<const OverflowError*>(&error); overflow && line < 0) {
        line = overflow->valueLine();
        if (line >= 0) message = "F(x): " + message;
    }
    if (line < 0) return message;
    char number[24];
    char* end = std::to_chars(number, number + sizeof number, line + 1).ptr;
    return quoteText(file) + ":" + std::string(number, static_cast<std::size_t>(end - number)) + ": " + message;
}

std::string errorLine(std::string_view message) {
    return quoteText(errorBoxText(message), std::string_view::npos) + "\n";
}

}  // namespace quill::cli
