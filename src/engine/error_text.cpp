#include "engine/error_text.h"

namespace quill {

std::string quoteText(std::string_view text, std::size_t most) {
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

namespace {

std::string notNumberMessage(std::string_view quoted) {
    return "'" + std::string(quoted) + "' is not a valid floating point value";
}

}  // namespace

ConvertError notANumber(std::string_view text) { return ConvertError(notNumberMessage(text), std::string(text)); }

std::string valueMessage(const ValueError& error) {
    if (const auto* notNumber = dynamic_cast<const ConvertError*>(&error))
        return notNumberMessage(quoteText(notNumber->text()));
    return error.message();
}

std::string errorBoxText(std::string_view message) {
    std::string text(message);
    if (text.empty()) return text;
    // Every byte of a multi-byte UTF-8 character, its first included, is
    // 0x80 or above, so the test on the first byte of the last character
    // gives the same answer as a test on the last byte, even for a message
    // cut inside a character.
    const auto last = static_cast<unsigned char>(text.back());
    if (last > 0x2E) text.push_back('.');
    return text;
}

std::string fxOverflowMessage(std::string_view message) { return "F(x): " + std::string(message); }

}  // namespace quill
