#include "common/unicode.h"

#include <cstdint>
#include <cstring>

namespace quill {

namespace {

bool allAscii8(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

void appendUnit(std::string& out, char32_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<char32_t> nextUtf8(std::string_view text, std::size_t& at) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + at;
    const unsigned lead = *p;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    // Continuation bytes after the lead, and the range the first of them must
    // fall in (which rules out overlong forms, surrogates and code points past
    // U+10FFFF).
    std::size_t trail;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
    } else if (lead == 0xE0) {
        trail = 2;
        low = 0xA0;
    } else if (lead == 0xED) {
        trail = 2;
        high = 0x9F;
    } else if (lead >= 0xE1 && lead <= 0xEF) {
        trail = 2;
    } else if (lead == 0xF0) {
        trail = 3;
        low = 0x90;
    } else if (lead == 0xF4) {
        trail = 3;
        high = 0x8F;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
        trail = 3;
    } else {
        return std::nullopt;
    }
    if (text.size() - at <= trail || p[1] < low || p[1] > high) return std::nullopt;
    char32_t c = lead & (0x3F >> trail);
    for (std::size_t i = 1; i <= trail; ++i) {
        if ((p[i] & 0xC0) != 0x80) return std::nullopt;
        c = c << 6 | (p[i] & 0x3F);
    }
    at += trail + 1;
    return c;
}

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        if (bytes.size() - at >= 8 && allAscii8(bytes.data() + at)) {
            at += 8;
        } else if (!nextUtf8(bytes, at)) {
            return false;
        }
    }
    return true;
}

bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string* out) {
    if (bytes.size() % 2 != 0) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? char32_t{p[2 * i]} << 8 | p[2 * i + 1] : char32_t{p[2 * i + 1]} << 8 | p[2 * i];
    };
    if (out) out->reserve(out->size() + bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < units; ++i) {
        char32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == units) return false;
            const char32_t low = unit(++i);
            if (low < 0xDC00 || low > 0xDFFF) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
        if (out) appendUtf8(*out, c);
    }
    return true;
}

void appendUtf16(std::string& out, char32_t c, bool bigEndian) {
    if (c >= 0x10000) {
        appendUnit(out, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
        appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
    } else {
        appendUnit(out, c, bigEndian);
    }
}

bool utf8ToUtf16(std::string_view utf8, bool bigEndian, std::string& out) {
    out.reserve(out.size() + 2 * utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> c = nextUtf8(utf8, at);
        if (!c) return false;
        appendUtf16(out, *c, bigEndian);
    }
    return true;
}

}  // namespace quill
