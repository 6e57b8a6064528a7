#include "ui/pane_encoding.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdint>
#include <cstring>

namespace quill {

namespace {

constexpr char kGb18030[] = "GB18030";

bool AllAscii8(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

// Bytes that read as GB18030 and encode back to exactly themselves; other
// bytes would change on the way through, so they are not taken as GB18030.
bool DecodeGb18030(const std::string& bytes, std::string& utf8) {
    QStringDecoder decoder(kGb18030, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) return false;
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return false;
    QStringEncoder encoder(kGb18030, QStringConverter::Flag::Stateless);
    const QByteArray back = encoder.encode(text);
    if (encoder.hasError() || std::string_view(back.constData(), static_cast<std::size_t>(back.size())) != bytes)
        return false;
    const QByteArray asUtf8 = text.toUtf8();
    utf8.assign(asUtf8.constData(), static_cast<std::size_t>(asUtf8.size()));
    return true;
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

bool Utf8ToGb18030(const std::string& utf8, std::string& out) {
    // A byte that is no UTF-8 would turn into U+FFFD here and be lost.
    if (!IsValidUtf8(utf8)) return false;
    QStringEncoder encoder(kGb18030, QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) return false;
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (encoder.hasError()) return false;
    out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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

DecodedText DecodeFileText(std::string bytes) {
    if (IsValidUtf8(bytes)) return {std::move(bytes), FileEncoding::utf8};
    DecodedText decoded;
    if (DecodeGb18030(bytes, decoded.utf8)) {
        decoded.encoding = FileEncoding::gb18030;
        return decoded;
    }
    return {Latin1ToUtf8(bytes), FileEncoding::latin1};
}

std::string EncodeFileText(std::string utf8, FileEncoding encoding) {
    std::string bytes;
    switch (encoding) {
        case FileEncoding::utf8:
            break;
        case FileEncoding::gb18030:
            if (Utf8ToGb18030(utf8, bytes)) return bytes;
            break;
        case FileEncoding::latin1:
            if (Utf8ToLatin1(utf8, bytes)) return bytes;
            break;
    }
    return utf8;
}

std::string RememberingFileCodec::decode(std::string bytes) {
    DecodedText decoded = DecodeFileText(std::move(bytes));
    encoding_ = decoded.encoding;
    return std::move(decoded.utf8);
}

}  // namespace quill
