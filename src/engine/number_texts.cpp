#include "engine/number_texts.h"

#include <cstdlib>
#include <new>
#include <string_view>

namespace quill {

namespace {

// The characters of the codes 0 to 13; the mark comes last.
constexpr std::string_view kCharacters = "0123456789-+E";

}  // namespace

NibbleCode::NibbleCode(char decimalMark) {
    std::memset(codes_, kNone, sizeof codes_);
    char characters[16] = {};
    for (std::size_t c = 0; c < kCharacters.size(); ++c) characters[c] = kCharacters[c];
    characters[kCharacters.size()] = decimalMark;
    for (std::size_t c = 0; c <= kCharacters.size(); ++c)
        codes_[static_cast<unsigned char>(characters[c])] = static_cast<uint8_t>(c);
    for (std::size_t b = 0; b < 256; ++b) {
        pairs_[b][0] = characters[b & 15];
        pairs_[b][1] = characters[b >> 4];
    }
}

void NumberTexts::Free::operator()(uint8_t* p) const { std::free(p); }

void NumberTexts::make(const double* values, std::size_t count, const ReportStyle& style, const NibbleCode& code) {
    length_.resize(count);
    // Room for the longest texts, given back once they are made (in place:
    // nothing is copied) but for what a reader reads past the last start.
    auto room = [&](std::size_t bytes) {
        bytes_.reset(static_cast<uint8_t*>(std::malloc(bytes)));
        if (!bytes_) throw std::bad_alloc();
        capacity_ = bytes;
        return bytes_.get();
    };
    auto fit = [&](const uint8_t* end, std::size_t spare) {
        const std::size_t size = static_cast<std::size_t>(end - bytes_.get()) + spare;
        if (size >= capacity_) return;
        if (auto* p = static_cast<uint8_t*>(std::realloc(bytes_.get(), size))) {
            (void)bytes_.release();
            bytes_.reset(p);
            capacity_ = size;
        }
    };

    if (!style.hexNumbers) {
        uint8_t* to = room(count * kPackedRoom + kPackedRoom);
        bool packed = true;
        for (std::size_t j = 0; j < count && packed; ++j) {
            char text[kNumber + 1];
            const std::size_t length = numberText(values[j], style, text);
            text[length] = '0';  // the high half of an odd text's last byte
            uint8_t all = 0;
            for (std::size_t k = 0; k < length; k += 2) {
                const uint8_t low = code.code(text[k]), high = code.code(text[k + 1]);
                all |= low | high;
                *to++ = static_cast<uint8_t>(low | high << 4);
            }
            length_[j] = static_cast<uint8_t>(length);
            packed = all < 16;  // no character without a code
        }
        if (packed) {
            fit(to, kPackedRoom);
            code_ = &code;
            return;
        }
    }
    // Every start leaves kNumber bytes.
    char* to = reinterpret_cast<char*>(room(count * kNumber + kNumber));
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t length = numberText(values[j], style, to);
        length_[j] = static_cast<uint8_t>(length);
        to += length;
    }
    fit(reinterpret_cast<uint8_t*>(to), kNumber);
    code_ = nullptr;
}

}  // namespace quill
