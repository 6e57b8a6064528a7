#include "engine/number_texts.h"

#include <cstdlib>
#include <new>
#include <string_view>

namespace quill {

NibbleCode::NibbleCode(char decimalMark) {
    const char others[3] = {'-', decimalMark, 'E'};
    for (int k = 0; k < 3; ++k) {
        const auto other = static_cast<uint8_t>(others[k]);
        others_[k] = Bytes16{} + other;
        toCode_[k] = Bytes16{} + static_cast<uint8_t>((10 + k) ^ (other - '0'));
        toCharacter_[k] = Bytes16{} + static_cast<uint8_t>(other ^ (10 + k + '0'));
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
        uint8_t* to = room(count * kPackedRoom + NibbleCode::kRead);
        // Each text, then '0's up to the 32 characters coded at once. The
        // next text is made before this one is coded, so that its bytes are
        // stored by the time they are read again sixteen at a time (read
        // at once, they would wait for the stores to finish).
        char texts[2][kNumber + NibbleCode::kWritten];
        auto write = [&](std::size_t j) {
            char* text = texts[j % 2];
            const std::size_t length = numberText(values[j], style, text);
            std::memset(text + length, '0', NibbleCode::kWritten);
            length_[j] = static_cast<uint8_t>(length);
        };
        bool packed = true;
        if (count > 0) write(0);
        for (std::size_t j = 0; j < count && packed; ++j) {
            if (j + 1 < count) write(j + 1);
            packed = code.encode(texts[j % 2], to);
            to += (length_[j] + 1) / 2;
        }
        if (packed) {
            fit(to, NibbleCode::kRead);
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
