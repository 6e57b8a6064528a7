#include "messages.h"

#include <charconv>

#include "engine/error_text.h"

namespace quill::cli {

namespace {

// Control bytes as \xHH; at most `most` characters, then "…".
std::string escaped(std::string_view text, std::size_t most) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string quoted;
    std::size_t characters = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool starts = (byte & 0xC0) != 0x80;  // the first byte of a UTF-8 character
        if (starts && ++characters > most) return quoted + "…";
        if (byte < 0x20 || byte == 0x7F) {
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 15];
        } else {
            quoted += c;
        }
    }
    return quoted;
}

}  // namespace

std::string quoteText(std::string_view text) { return escaped(text, kMostQuotedCharacters); }

std::string placedMessage(const std::string& file, const SolveFailure& failure) {
    if (failure.line < 0) return failure.message;
    std::string message = failure.placedMessage();
    if (failure.fault == SolveFault::notNumber)
        message = "'" + quoteText(failure.text) + "' is not a valid floating point value";
    char number[24];
    char* end = std::to_chars(number, number + sizeof number, failure.line + 1).ptr;
    return quoteText(file) + ":" + std::string(number, static_cast<std::size_t>(end - number)) + ": " + message;
}

std::string errorLine(std::string_view message) {
    return escaped(errorBoxText(message), std::string_view::npos) + "\n";
}

}  // namespace quill::cli
