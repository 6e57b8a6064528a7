#pragma once
// The report's texts of a block of x values, kept from the evaluation until
// the report is written: each x's text goes into both its X line and its F
// line, and making it twice would cost more than keeping it. Kept two
// characters to a byte where every character is one of the decimal texts'
// fourteen (the digits, '-', '+', 'E' and the decimal mark), which halves
// the largest part of a big Solve's memory; as they are otherwise (hex).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/report_format.h"

namespace quill {

// The fourteen characters and their four-bit codes, for one decimal mark.
class NibbleCode {
public:
    explicit NibbleCode(char decimalMark);

    static constexpr uint8_t kNone = 0xFF;
    uint8_t code(char c) const { return codes_[static_cast<unsigned char>(c)]; }
    // The two characters of a byte of codes, the low four bits first.
    const char* pair(uint8_t packed) const { return pairs_[packed]; }

private:
    uint8_t codes_[256];
    char pairs_[256][2];
};

class NumberTexts {
public:
    // The texts of values[0, count) in the style. The code is that of the
    // style's decimal mark and must outlive this.
    void make(const double* values, std::size_t count, const ReportStyle& style, const NibbleCode& code);
    std::size_t count() const { return length_.size(); }

    // Hands out the texts in order.
    class Reader {
    public:
        // Writes the next text from `to` and returns its length; it may write
        // up to kNumber bytes, which must be there.
        std::size_t next(char* to) {
            const std::size_t length = *length_++;
            if (code_ != nullptr) {
                for (std::size_t k = 0; k < kPackedRoom; ++k) std::memcpy(to + 2 * k, code_->pair(from_[k]), 2);
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

    // Bytes held.
    std::size_t bytes() const { return capacity_ + length_.capacity(); }

private:
    // The bytes of the longest decimal text.
    static constexpr std::size_t kPackedRoom = (kMaxDoubleTextLength + 1) / 2;
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
