#include "common/unicode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quill {
namespace {

using namespace std::string_literals;

TEST(Unicode, Utf8SequencesAreTakenOnlyWhenWellFormed) {
    const struct {
        std::string bytes;
        std::optional<char32_t> c;
    } cases[] = {
        {"A", U'A'},
        {"\xC2\x80", U'\u0080'},
        {"\xE5\xB0\xB1", U'\u5C31'},
        {"\xEF\xBF\xBF", U'\uFFFF'},
        {"\xF0\x9F\x98\x80", U'\U0001F600'},
        {"\xF4\x8F\xBF\xBF", U'\U0010FFFF'},
        {"\xC0\xAF", std::nullopt},          // overlong '/'
        {"\xE0\x9F\xBF", std::nullopt},      // overlong U+07FF
        {"\xF0\x8F\xBF\xBF", std::nullopt},  // overlong U+FFFF
        {"\xED\xA0\x80", std::nullopt},      // a surrogate
        {"\xF4\x90\x80\x80", std::nullopt},  // past U+10FFFF
        {"\xE5\xB0", std::nullopt},          // cut short
        {"\xE5\xB0\x41", std::nullopt},      // no continuation byte
        {"\x80", std::nullopt},
        {"\xFF", std::nullopt},
    };
    for (const auto& c : cases) {
        std::size_t at = 0;
        EXPECT_EQ(nextUtf8(c.bytes, at), c.c) << c.bytes;
        EXPECT_EQ(at, c.c ? c.bytes.size() : 0) << c.bytes;
        // Past eight ASCII bytes, which are checked a word at a time.
        EXPECT_EQ(isValidUtf8(c.bytes), c.c.has_value()) << c.bytes;
        EXPECT_EQ(isValidUtf8("12345678" + c.bytes), c.c.has_value()) << c.bytes;
        if (!c.c) continue;
        std::string encoded;
        appendUtf8(encoded, *c.c);
        EXPECT_EQ(encoded, c.bytes);
    }
}

TEST(Unicode, Utf16BothWaysAndMalformedUnits) {
    const auto swapped = [](std::string le) {
        for (std::size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
        return le;
    };
    const struct {
        std::string utf8, le;
    } good[] = {
        {"", ""},
        {"a\xC3\xA9", "a\0\xE9\0"s},
        {"\xE5\xB0\xB1\xEF\xBF\xBF", "\x31\x5C\xFF\xFF"s},
        {"\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", "\x3D\xD8\x00\xDE\xFF\xDB\xFF\xDF"s},
    };
    for (const auto& c : good) {
        for (const bool big : {false, true}) {
            const std::string units = big ? swapped(c.le) : c.le;
            std::string utf8, back;
            EXPECT_TRUE(utf16ToUtf8(units, big, &utf8));
            EXPECT_EQ(utf8, c.utf8);
            EXPECT_TRUE(utf8ToUtf16(c.utf8, big, back));
            EXPECT_EQ(back, units);
        }
    }
    const std::string badUtf16[] = {
        // clang-format off
        "1\0\x00"s,         // odd byte count
        "\x00\xDC"s,        // low surrogate first
        "1\0\x3D\xD8"s,     // high surrogate last
        "\x3D\xD8" "1\0"s,  // high surrogate without its low one
        // clang-format on
    };
    for (const auto& units : badUtf16) EXPECT_FALSE(utf16ToUtf8(units, false, nullptr));
    std::string out;
    EXPECT_FALSE(utf8ToUtf16("1\xED\xA0\x80", false, out));
}

}  // namespace
}  // namespace quill
