#include "lines/file_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace quill {

namespace {

constexpr char kGb18030[] = "GB18030";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool AllAscii8(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

// iconv(3) over the whole input: false on a byte sequence the source
// encoding does not have, one cut short, or a character the target lacks.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
    const iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 2 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t done = 0;
    bool ok = true;
    // Converts the whole input, then flushes any shift state.
    for (bool flushing = false;;) {
        char* outPtr = out.data() + done;
        std::size_t outLeft = out.size() - done;
        const std::size_t rc = flushing ? ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                        : ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        done = static_cast<std::size_t>(outPtr - out.data());
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            ok = false;  // EILSEQ or EINVAL
            break;
        }
        if (flushing) break;
        flushing = true;
    }
    ::iconv_close(cd);
    out.resize(ok ? done : 0);
    return ok;
}

// Bytes that read as GB18030 and encode back to exactly themselves; other
// bytes would change on the way through, so they are not taken as GB18030.
bool DecodeGb18030(const std::string& bytes, std::string& utf8) {
    std::string back;
    if (!Convert("UTF-8", kGb18030, bytes, utf8)) return false;
    return Convert(kGb18030, "UTF-8", utf8, back) && back == bytes;
}

bool Utf8ToGb18030(const std::string& utf8, std::string& out) {
    // A byte that is no UTF-8 would be lost on the way.
    return IsValidUtf8(utf8) && Convert(kGb18030, "UTF-8", utf8, out);
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::size_t high = 0;
    for (unsigned char c : bytes) high += c >> 7;
    std::string utf8;
    utf8.reserve(bytes.size() + high);
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

// False when the text holds a character beyond U+00FF (or bytes that are no
// UTF-8), which Latin-1 cannot write.
bool Utf8ToLatin1(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if ((c != 0xC2 && c != 0xC3) || i + 1 == utf8.size()) return false;
        const auto next = static_cast<unsigned char>(utf8[++i]);
        if ((next & 0xC0) != 0x80) return false;
        out.push_back(static_cast<char>(((c & 0x03) << 6) | (next & 0x3F)));
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
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

// UTF-16 without its mark to UTF-8 (into out when given); false on an odd
// byte count or a surrogate without its partner.
bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string* out) {
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
        if (out) AppendUtf8(*out, c);
    }
    return true;
}

void AppendUtf16(std::string& out, char32_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
}

// Valid UTF-8 to UTF-16 with the mark first.
bool Utf8ToUtf16(std::string_view utf8, bool bigEndian, std::string& out) {
    if (!IsValidUtf8(utf8)) return false;
    out.clear();
    out.reserve(2 * utf8.size() + 2);
    out.append(bigEndian ? kUtf16BeMark : kUtf16LeMark);
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    while (p < end) {
        char32_t c;
        if (*p < 0x80) {
            c = *p++;
        } else if (*p < 0xE0) {
            c = (char32_t{p[0]} & 0x1F) << 6 | (p[1] & 0x3F);
            p += 2;
        } else if (*p < 0xF0) {
            c = (char32_t{p[0]} & 0x0F) << 12 | (char32_t{p[1]} & 0x3F) << 6 | (p[2] & 0x3F);
            p += 3;
        } else {
            c = (char32_t{p[0]} & 0x07) << 18 | (char32_t{p[1]} & 0x3F) << 12 | (char32_t{p[2]} & 0x3F) << 6 |
                (p[3] & 0x3F);
            p += 4;
        }
        if (c >= 0x10000) {
            AppendUtf16(out, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
            AppendUtf16(out, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
        } else {
            AppendUtf16(out, c, bigEndian);
        }
    }
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8 && AllAscii8(p)) {
            p += 8;
            continue;
        }
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        // Continuation bytes after the lead, and the range the first of them
        // must fall in (which rules out overlong forms, surrogates and code
        // points past U+10FFFF).
        int trail;
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
            return false;
        }
        if (end - p <= trail || p[1] < low || p[1] > high) return false;
        for (int i = 2; i <= trail; ++i)
            if ((p[i] & 0xC0) != 0x80) return false;
        p += trail + 1;
    }
    return true;
}

bool IsMarkedUtf16(std::string_view bytes) {
    const bool little = bytes.starts_with(kUtf16LeMark), big = bytes.starts_with(kUtf16BeMark);
    return (little || big) && Utf16ToUtf8(bytes.substr(2), big, nullptr);
}

DecodedText DecodeUnmarkedText(std::string bytes) {
    if (IsValidUtf8(bytes)) return {std::move(bytes), {}};
    DecodedText decoded;
    if (DecodeGb18030(bytes, decoded.utf8)) {
        decoded.encoding.charset = Charset::gb18030;
        return decoded;
    }
    return {Latin1ToUtf8(bytes), {Charset::latin1, false}};
}

DecodedText DecodeFileText(std::string bytes) {
    if (IsMarkedUtf16(bytes)) {
        const bool big = bytes.starts_with(kUtf16BeMark);
        DecodedText decoded;
        Utf16ToUtf8(std::string_view(bytes).substr(2), big, &decoded.utf8);
        decoded.encoding = {big ? Charset::utf16be : Charset::utf16le, true};
        return decoded;
    }
    if (bytes.starts_with(kUtf8Mark)) {
        DecodedText decoded = DecodeUnmarkedText(bytes.substr(kUtf8Mark.size()));
        decoded.encoding.mark = true;
        return decoded;
    }
    return DecodeUnmarkedText(std::move(bytes));
}

std::string EncodeFileText(std::string utf8, FileEncoding encoding) {
    std::string bytes;
    bool encoded = false;
    switch (encoding.charset) {
        case Charset::utf8:
            break;
        case Charset::gb18030:
            encoded = Utf8ToGb18030(utf8, bytes);
            break;
        case Charset::latin1:
            encoded = Utf8ToLatin1(utf8, bytes);
            break;
        case Charset::utf16le:
        case Charset::utf16be:
            // The mark comes with the text; UTF-8 that cannot be written so
            // goes out as it is, without a mark.
            if (Utf8ToUtf16(utf8, encoding.charset == Charset::utf16be, bytes)) return bytes;
            return utf8;
    }
    if (!encoded) bytes = std::move(utf8);
    if (encoding.mark) bytes.insert(0, kUtf8Mark);
    return bytes;
}

std::string RememberingFileCodec::decode(std::string bytes) {
    DecodedText decoded = DecodeFileText(std::move(bytes));
    encoding_ = decoded.encoding;
    return std::move(decoded.utf8);
}

}  // namespace quill
