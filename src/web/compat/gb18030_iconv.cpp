// GB18030 output for the WebAssembly build. The C library there (musl, as
// emscripten ships it) decodes GB18030 but cannot encode it, so that no file
// would load as GB18030 (a load keeps that reading only when the text
// encodes back to the same bytes) and none would save back. The link wraps
// iconv_open, iconv and iconv_close (-Wl,--wrap): UTF-8 to GB18030 is done
// here, from the inverse of the library's own decoder; every other pair goes
// on to the library.

#include <errno.h>
#include <iconv.h>
#include <string.h>

#include <cstdint>
#include <vector>

extern "C" {
iconv_t __real_iconv_open(const char* to, const char* from);
size_t __real_iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft);
int __real_iconv_close(iconv_t cd);
}

namespace {

char encoderHandle;  // its address is the handle of the converter below
const iconv_t kEncoder = reinterpret_cast<iconv_t>(&encoderHandle);

bool isGb18030(const char* name) { return strcasecmp(name, "GB18030") == 0; }
bool isUtf8(const char* name) { return strcasecmp(name, "UTF-8") == 0 || strcasecmp(name, "UTF8") == 0; }

// Decodes one GB18030 code with the library; the code point, or -1.
int64_t decodeOne(iconv_t decoder, const unsigned char* code, std::size_t n) {
    char in[4], out[8];
    memcpy(in, code, n);
    char* ip = in;
    char* op = out;
    size_t il = n, ol = sizeof out;
    if (__real_iconv(decoder, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || op - out != 4) return -1;
    uint32_t cp;
    memcpy(&cp, out, 4);
    return cp;
}

// The one- and two-byte codes of the BMP code points that have one (0: none),
// found by decoding each two-byte code once; and for the rest, which GB18030
// numbers in order with four-byte codes, each one's rank among them.
struct Tables {
    iconv_t decoder = __real_iconv_open("UTF-32LE", "GB18030");
    std::vector<uint16_t> twoByte = std::vector<uint16_t>(0x10000, 0);
    std::vector<uint32_t> rank = std::vector<uint32_t>(0x10000, 0);
    std::vector<int8_t> checked = std::vector<int8_t>(0x10000, 0);  // four-byte code: 1 right, -1 wrong

    Tables() {
        for (unsigned a = 0x81; a <= 0xFE; ++a)
            for (unsigned b = 0x40; b <= 0xFE; ++b) {
                if (b == 0x7F) continue;
                const unsigned char code[2] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b)};
                const int64_t cp = decodeOne(decoder, code, 2);
                if (cp >= 0x80 && cp < 0x10000 && twoByte[cp] == 0) twoByte[cp] = static_cast<uint16_t>(a << 8 | b);
            }
        uint32_t next = 0;
        for (uint32_t cp = 0x80; cp < 0x10000; ++cp)
            if (twoByte[cp] == 0 && (cp < 0xD800 || cp > 0xDFFF)) rank[cp] = next++;
    }
};

Tables& tables() {
    static Tables t;
    return t;
}

void fourByteCode(uint32_t index, unsigned char* out) {
    out[3] = static_cast<unsigned char>(0x30 + index % 10);
    index /= 10;
    out[2] = static_cast<unsigned char>(0x81 + index % 126);
    index /= 126;
    out[1] = static_cast<unsigned char>(0x30 + index % 10);
    out[0] = static_cast<unsigned char>(0x81 + index / 10);
}

// The bytes of one code point into out (room for 4); their count, 0 for none.
// A BMP four-byte code comes from the rank, and is checked once against the
// library's decoder, so that no code is ever guessed.
std::size_t encodeOne(uint32_t cp, unsigned char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp >= 0x10000) {
        if (cp > 0x10FFFF) return 0;
        fourByteCode(cp - 0x10000, out);
        out[0] = static_cast<unsigned char>(out[0] - 0x81 + 0x90);
        return 4;
    }
    Tables& t = tables();
    if (t.twoByte[cp] != 0) {
        out[0] = static_cast<unsigned char>(t.twoByte[cp] >> 8);
        out[1] = static_cast<unsigned char>(t.twoByte[cp]);
        return 2;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    fourByteCode(t.rank[cp], out);
    if (t.checked[cp] == 0) t.checked[cp] = decodeOne(t.decoder, out, 4) == cp ? 1 : -1;
    return t.checked[cp] > 0 ? 4 : 0;
}

// One UTF-8 character from in: its length, 0 when cut short, -1 when invalid.
int decodeUtf8(const unsigned char* in, std::size_t left, uint32_t& cp) {
    const unsigned char c = in[0];
    const int n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : -1;
    if (n < 0) return -1;
    if (static_cast<std::size_t>(n) > left) return 0;
    cp = n == 1 ? c : c & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
        if ((in[k] & 0xC0) != 0x80) return -1;
        cp = cp << 6 | (in[k] & 0x3F);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return -1;
    return n;
}

}  // namespace

extern "C" {

iconv_t __wrap_iconv_open(const char* to, const char* from) {
    if (isGb18030(to) && isUtf8(from)) return kEncoder;
    return __real_iconv_open(to, from);
}

size_t __wrap_iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (cd != kEncoder) return __real_iconv(cd, in, inLeft, out, outLeft);
    if (in == nullptr || *in == nullptr) return 0;  // no shift state to flush
    while (*inLeft > 0) {
        uint32_t cp = 0;
        const int n = decodeUtf8(reinterpret_cast<const unsigned char*>(*in), *inLeft, cp);
        unsigned char bytes[4];
        const std::size_t m = n > 0 ? encodeOne(cp, bytes) : 0;
        if (n <= 0 || m == 0) {
            errno = n == 0 ? EINVAL : EILSEQ;
            return static_cast<size_t>(-1);
        }
        if (m > *outLeft) {
            errno = E2BIG;
            return static_cast<size_t>(-1);
        }
        memcpy(*out, bytes, m);
        *out += m;
        *outLeft -= m;
        *in += n;
        *inLeft -= static_cast<std::size_t>(n);
    }
    return 0;
}

int __wrap_iconv_close(iconv_t cd) { return cd == kEncoder ? 0 : __real_iconv_close(cd); }

}  // extern "C"
