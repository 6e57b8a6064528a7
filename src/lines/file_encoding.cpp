#include "lines/file_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <optional>

#include "common/unicode.h"

namespace quill {

namespace {

constexpr char kGb18030[] = "GB18030";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// iconv(3) over the whole input: false on a byte sequence the source
// encoding does not have, one cut short, or a character the target lacks.
bool convert(const char* to, const char* from, std::string_view in, std::string& out) {
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
bool decodeGb18030(const std::string& bytes, std::string& utf8) {
    std::string back;
    if (!convert("UTF-8", kGb18030, bytes, utf8)) return false;
    return convert(kGb18030, "UTF-8", utf8, back) && back == bytes;
}

bool utf8ToGb18030(const std::string& utf8, std::string& out) {
    // A byte that is no UTF-8 would be lost on the way.
    return isValidUtf8(utf8) && convert(kGb18030, "UTF-8", utf8, out);
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::size_t high = 0;
    for (unsigned char c : bytes) high += c >> 7;
    std::string utf8;
    utf8.reserve(bytes.size() + high);
    for (unsigned char c : bytes) appendUtf8(utf8, c);
    return utf8;
}

// False when the text holds a character beyond U+00FF (or bytes that are no
// UTF-8), which Latin-1 cannot write.
bool utf8ToLatin1(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> c = nextUtf8(utf8, at);
        if (!c || *c > 0xFF) return false;
        out.push_back(static_cast<char>(*c));
    }
    return true;
}

}  // namespace

DecodedText decodeUnmarkedText(std::string bytes) {
    if (isValidUtf8(bytes)) return {std::move(bytes), {}};
    DecodedText decoded;
    if (decodeGb18030(bytes, decoded.utf8)) {
        decoded.encoding.charset = Charset::gb18030;
        return decoded;
    }
    return {latin1ToUtf8(bytes), {Charset::latin1, false}};
}

bool decodeMarkedUtf16(std::string_view bytes, DecodedText& out) {
    const bool little = bytes.starts_with(kUtf16LeMark), big = bytes.starts_with(kUtf16BeMark);
    if (!(little || big) || !utf16ToUtf8(bytes.substr(2), big, &out.utf8)) return false;
    out.encoding = {big ? Charset::utf16be : Charset::utf16le, true};
    return true;
}

DecodedText decodeFileText(std::string bytes) {
    if (DecodedText utf16; decodeMarkedUtf16(bytes, utf16)) return utf16;
    if (bytes.starts_with(kUtf8Mark)) {
        bytes.erase(0, kUtf8Mark.size());
        DecodedText decoded = decodeUnmarkedText(std::move(bytes));
        decoded.encoding.mark = true;
        return decoded;
    }
    return decodeUnmarkedText(std::move(bytes));
}

std::string encodeFileText(std::string utf8, FileEncoding encoding) {
    std::string bytes;
    bool encoded = false;
    switch (encoding.charset) {
        case Charset::utf8: break;
        case Charset::gb18030: encoded = utf8ToGb18030(utf8, bytes); break;
        case Charset::latin1: encoded = utf8ToLatin1(utf8, bytes); break;
        case Charset::utf16le:
        case Charset::utf16be: {
            // The mark comes with the text; UTF-8 that cannot be written so
            // goes out as it is, without a mark.
            const bool bigEndian = encoding.charset == Charset::utf16be;
            appendUtf16(bytes, 0xFEFF, bigEndian);
            if (utf8ToUtf16(utf8, bigEndian, bytes)) return bytes;
            return utf8;
        }
    }
    if (!encoded) bytes = std::move(utf8);
    if (encoding.mark) bytes.insert(0, kUtf8Mark);
    return bytes;
}

}  // namespace quill
