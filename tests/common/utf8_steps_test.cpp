// Stepping through UTF-8 characters, and the same characters counted in
// UTF-16 units.

#include "common/utf8_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quill {
namespace {

TEST(Utf8Steps, CharacterBoundariesAndDecoding) {
    const std::string text = "a\xC3\xA9\xE5\xB0\xB1\xF0\x9F\x98\x80z";  // a é 就 😀 z
    std::vector<std::size_t> starts;
    for (std::size_t p = 0; p < text.size(); p = utf8::next(text, p)) starts.push_back(p);
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 1, 3, 6, 10}));
    for (std::size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(utf8::previous(text, starts[i]), starts[i - 1]);
    EXPECT_EQ(utf8::floor(text, 8), 6u);
    EXPECT_EQ(utf8::countCharacters(text), 5);
    EXPECT_EQ(utf8::bytesOfFirst(text, 3), 6u);
    EXPECT_EQ(utf8::bytesOfFirst(text, 99), text.size());

    struct Case {
        std::string bytes;
        char32_t decoded;
    };
    const Case cases[] = {
        {"A", U'A'},
        {"\xC3\xA9", U'\u00E9'},
        {"\xE5\xB0\xB1", U'\u5C31'},
        {"\xF0\x9F\x98\x80", U'\U0001F600'},
        {"\xC0\xAF", utf8::kReplacement},          // overlong '/'
        {"\xED\xA0\x80", utf8::kReplacement},      // a surrogate
        {"\xF4\x90\x80\x80", utf8::kReplacement},  // past U+10FFFF
        {"\xE5\xB0", utf8::kReplacement},          // cut short
        {"\xFF", utf8::kReplacement},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8::decode(c.bytes, 0, c.bytes.size()), c.decoded) << c.bytes;
}

// Counted eight bytes at a time: characters cut at every place of a word.
TEST(Utf8Steps, CountsCharactersAtEveryAlignment) {
    const std::string text =
        "a\xC3\xA9\xE5\xB0\xB1\xF0\x9F\x98\x80z\xFF\x80\xC0\xAF"
        "0123456789\xE5\xB0\xB1\xC3\xA9";
    for (std::size_t from = 0; from < 9; ++from)
        for (std::size_t size = 0; from + size <= text.size(); ++size) {
            const std::string_view piece = std::string_view(text).substr(from, size);
            int64_t starts = 0;
            for (const char byte : piece) starts += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
            EXPECT_EQ(utf8::countCharacters(piece), starts) << from << ' ' << size;
        }
}

// Malformed characters take one unit, as the U+FFFD they are shown as.
TEST(Utf8Steps, Utf16OffsetsCountUnitsPerCharacter) {
    const struct {
        std::string text;
        std::u16string units;
        std::vector<std::size_t> byteOfUnit;  // for units 0, 1, ... and one past the end
    } cases[] = {
        {"", u"", {0}},
        {"ab", u"ab", {0, 1, 2}},
        {"\xC3\xA9\xE5\xB0\xB1", u"\u00E9\u5C31", {0, 2, 5}},
        {"x\xF0\x9F\x98\x80y", u"x\U0001F600y", {0, 1, 1, 5, 6}},  // a unit inside a pair gives its start
        {"\xE5\xB0z\xFF", u"\uFFFDz\uFFFD", {0, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8::toUtf16(c.text), c.units) << c.text;
        EXPECT_EQ(utf8::utf16Units(c.text), static_cast<int64_t>(c.units.size())) << c.text;
        for (std::size_t unit = 0; unit < c.byteOfUnit.size(); ++unit)
            EXPECT_EQ(utf8::byteOfUtf16Unit(c.text, static_cast<int64_t>(unit)), c.byteOfUnit[unit])
                << c.text << ' ' << unit;
    }
}

// The one-pass count gives what counting character by character does,
// wherever the eight-byte words it reads begin and end.
TEST(Utf8Steps, CharactersAndUnitsCountedInOnePass) {
    const std::string pieces[] = {
        "\xF0\x9F\x98\x80",  // a pair
        "\xF4\x8F\xBF\xBF",  // the last code point: a pair
        "\xF0\x9F\x98",      // cut short: one unit
        "\xF0\x80\x80\x80",  // overlong
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xF8\x88\x80\x80\x80", "\xED\xA0\x80\xFF\x80",
    };
    for (const std::string& piece : pieces) {
        for (std::size_t before = 0; before < 8; ++before) {
            const std::string text = std::string(before, 'a') + piece + "\xE5\xB0\xB1" + piece + "bcdefgh" + piece;
            for (std::size_t size = 0; size <= text.size(); ++size) {
                const std::string_view cut(text.data(), size);
                const utf8::Counts counts = utf8::countCharactersAndUnits(cut);
                ASSERT_EQ(counts.characters, utf8::countCharacters(cut)) << before << ' ' << size;
                ASSERT_EQ(counts.utf16Units, static_cast<int64_t>(utf8::toUtf16(cut).size())) << before << ' ' << size;
            }
        }
    }
}

}  // namespace
}  // namespace quill
