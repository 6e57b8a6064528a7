#include "engine/error_text.h"

namespace quill {

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
