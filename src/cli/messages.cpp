#include "messages.h"

#include <charconv>

#include "engine/error_text.h"

namespace quill::cli {

std::string placedMessage(const std::string& file, const SolveFailure& failure) {
    if (failure.line < 0) return failure.message;
    const std::string message = failure.quotedMessage();
    char number[24];
    char* end = std::to_chars(number, number + sizeof number, failure.line + 1).ptr;
    return quoteText(file) + ":" + std::string(number, static_cast<std::size_t>(end - number)) + ": " + message;
}

std::string errorLine(std::string_view message) {
    return quoteText(errorBoxText(message), std::string_view::npos) + "\n";
}

}  // namespace quill::cli
