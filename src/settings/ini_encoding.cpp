#include "settings/ini_encoding.h"

#include <cstdint>

namespace quill {
namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
    auto byte = [&out](unsigned value) { out += static_cast<char>(value); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6)), byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12)), byte(0x80 | ((c >> 6) & 0x3F)), byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18)), byte(0x80 | ((c >> 12) & 0x3F)), byte(0x80 | ((c >> 6) & 0x3F)),
            byte(0x80 | (c & 0x3F));
    }
}

// The next code point of well-formed UTF-8 at text[at], advancing at; nullopt
// for anything else (overlong forms and surrogates included).
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || IsSurrogate(c)) return std::nullopt;
    at += length;
    return c;
}

}  // namespace

std::optional<IniFileText> DecodeIniFile(std::string_view bytes) {
    IniFileText file;
    if (bytes.starts_with("\xFF\xFE"))
        file.encoding = IniEncoding::utf16le;
    else if (bytes.starts_with("\xFE\xFF"))
        file.encoding = IniEncoding::utf16be;
    else
        return IniFileText{IniEncoding::bytes, std::string(bytes)};

    if (bytes.size() % 2 != 0) return std::nullopt;
    const bool little = file.encoding == IniEncoding::utf16le;
    auto unit = [&](std::size_t at) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return little ? first | second << 8 : first << 8 | second;
    };
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF && at + 2 < bytes.size()) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        if (IsSurrogate(c)) return std::nullopt;
        AppendUtf8(file.text, c);
    }
    return file;
}

std::optional<std::string> EncodeIniFile(const IniFileText& file) {
    if (file.encoding == IniEncoding::bytes) return file.text;
    const bool little = file.encoding == IniEncoding::utf16le;
    std::string out;
    out.reserve(2 + file.text.size() * 2);
    auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out += little ? low : high;
        out += little ? high : low;
    };
    unit(0xFEFF);
    for (std::size_t at = 0; at < file.text.size();) {
        const std::optional<char32_t> c = NextUtf8(file.text, at);
        if (!c) return std::nullopt;
        if (*c < 0x10000) {
            unit(*c);
        } else {
            unit(0xD800 + ((*c - 0x10000) >> 10));
            unit(0xDC00 + ((*c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

}  // namespace quill
