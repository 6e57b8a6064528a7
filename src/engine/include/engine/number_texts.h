#pragma once
// The report's texts of a block of x values, kept from the evaluation until
// the report is written: each x's text goes into both its X line and its F
// line, and making it twice would cost more than keeping it. Kept two
// characters to a byte where every character is one of a decimal text's
// thirteen (the digits, '-', 'E' and the decimal mark), which halves the
// largest part of a big Solve's memory; as they are otherwise (hex).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "common/bytes16.h"
#include "engine/report_format.h"

namespace quill {

// The four-bit codes of the thirteen characters of a decimal text: the
// digits 0 to 9, then '-', the decimal mark and 'E'.
class NibbleCode {
public:
    explicit NibbleCode(char decimalMark);

    // A reader reads this many bytes from a text's start and writes twice
    // as many from where the text goes.
    static constexpr std::size_t kRead = 16;
    static constexpr std::size_t kWritten = 2 * kRead;

    // The codes of 32 characters (the text and then '0's) packed into
    // 16 bytes; false when a character has no code.
    bool encode(const char* text, uint8_t* to) const {
        Bytes16 front, back;  // the codes of characters 0 to 15 and 16 to 31
        std::memcpy(&front, text, 16);
        std::memcpy(&back, text + 16, 16);
        front = codes(front);
        back = codes(back);
        const bool wrong = anySet((front | back) & 0xF0);
        // Two codes to a byte, the first in the low half.
        const Bytes16 even =
            __builtin_shufflevector(front, back, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        const Bytes16 odd =
            __builtin_shufflevector(front, back, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
        const Bytes16 packed = even | odd << 4;
        std::memcpy(to, &packed, 16);
        return !wrong;
    }
    // The 32 characters of 16 packed bytes.
    void decode(const uint8_t* from, char* to) const {
        Bytes16 packed;
        std::memcpy(&packed, from, 16);
        const Bytes16 low = packed & 0x0F, high = packed >> 4;
        const Bytes16 first =
            __builtin_shufflevector(low, high, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
        const Bytes16 second =
            __builtin_shufflevector(low, high, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
        const Bytes16 texts[2] = {characters(first), characters(second)};
        std::memcpy(to, texts, 32);
    }

private:
    // c - '0' for a digit, and code + '0' back; the other three characters
    // are exchanged for their codes and back in a masked step each.
    Bytes16 codes(Bytes16 c) const {
        Bytes16 code = c - '0';
        code ^= reinterpret_cast<Bytes16>(c == others_[0]) & toCode_[0];
        code ^= reinterpret_cast<Bytes16>(c == others_[1]) & toCode_[1];
        code ^= reinterpret_cast<Bytes16>(c == others_[2]) & toCode_[2];
        return code;
    }
    Bytes16 characters(Bytes16 code) const {
        Bytes16 c = code + '0';
        c ^= reinterpret_cast<Bytes16>(code == 10) & toCharacter_[0];
        c ^= reinterpret_cast<Bytes16>(code == 11) & toCharacter_[1];
        c ^= reinterpret_cast<Bytes16>(code == 12) & toCharacter_[2];
        return c;
    }

    // Each in every byte:
    Bytes16 others_[3];       // '-', the mark, 'E'
    Bytes16 toCode_[3];       // each one's code ^ (itself - '0')
    Bytes16 toCharacter_[3];  // itself ^ (its code + '0')
};

class NumberTexts {
public:
    // The room a reader needs where a text goes.
    static constexpr std::size_t kTextRoom = NibbleCode::kWritten > kNumber ? NibbleCode::kWritten : kNumber;

    // The texts of values[0, count) in the style. The code is that of the
    // style's decimal mark and must outlive this.
    void make(const double* values, std::size_t count, const ReportStyle& style, const NibbleCode& code);
    std::size_t count() const { return length_.size(); }

    // Hands out the texts in order.
    class Reader {
    public:
        // Writes the next text from `to` and returns its length; it may write
        // up to kTextRoom bytes, which must be there.
        std::size_t next(char* to) {
            const std::size_t length = *length_++;
            if (code_ != nullptr) {
                code_->decode(from_, to);
                from_ += (length + 1) / 2;
            } else {
                std::memcpy(to, from_, kNumber);
                from_ += length;
            }
            return length;
        }

    private:
        friend class NumberTexts;
        Reader(const uint8_t* from, const uint8_t* length, const NibbleCode* code)
            : from_(from), length_(length), code_(code) {}
        const uint8_t* from_;
        const uint8_t* length_;
        const NibbleCode* code_;  // null: the texts as they are
    };
    Reader reader() const { return {bytes_.get(), length_.data(), code_}; }

private:
    // The bytes of the longest decimal text.
    static constexpr std::size_t kPackedRoom = (kMaxDoubleTextLength + 1) / 2;
    static_assert(2 * NibbleCode::kRead >= kMaxDoubleTextLength);
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> bytes_;
    std::size_t capacity_ = 0;
    std::vector<uint8_t> length_;
    const NibbleCode* code_ = nullptr;
};

// The index of a report line as text (0 and up), counted up line by line:
// a carry or two in place of a conversion per line.
class IndexText {
public:
    explicit IndexText(std::size_t first) : length_(integerToText(static_cast<int32_t>(first), digits_)) {}
    // Always copies kMaxIntegerTextLength bytes, which the line has room for.
    char* put(char* to) const {
        std::memcpy(to, digits_, kMaxIntegerTextLength);
        return to + length_;
    }
    void next() {
        std::size_t at = length_;
        while (at > 0 && digits_[at - 1] == '9') digits_[--at] = '0';
        if (at > 0) {
            ++digits_[at - 1];
        } else {  // 9...9 became 10...0
            digits_[0] = '1';
            digits_[length_++] = '0';
        }
    }

private:
    char digits_[kMaxIntegerTextLength + 1] = {};
    std::size_t length_;
};

}  // namespace quill
