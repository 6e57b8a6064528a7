#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/ini_text.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using namespace std::string_literals;
using testing::readBytes;
using testing::ScratchFolder;
using testing::writeBytes;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kLongLine = "; " + std::string(100000, 'x');
const std::string kValue2047(2047, 'v');

// UTF-16 files: ASCII text widened, the mark in front; 中 and an emoji (a
// surrogate pair) as raw units.
std::string utf16(bool little, std::string_view ascii) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : ascii) out += little ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
}
const std::string kZhongLe = "\x2D\x4E", kEmojiLe = "\x3D\xD8\x00\xDE"s, kEmojiBe = "\xD8\x3D\xDE\x00"s;

// Files before and after writing [Setting] bChinese; nothing: no file yet.
const struct WriteCase {
    const char* name;
    std::optional<std::string> before;
    std::string value, after;
} kWriteCases[] = {
    {"new file", std::nullopt, "1", "[Setting]\r\nbChinese=1\r\n"},
    {"empty file", "", "1", "[Setting]\r\nbChinese=1\r\n"},
    {"replace", "[Setting]\r\nbChinese=0\r\n", "1", "[Setting]\r\nbChinese=1\r\n"},
    {"blanks not doubled", "[Setting]\r\nbChinese= 0\r\n", " 1", "[Setting]\r\nbChinese= 1\r\n"},
    {"keep spelling", "  [ setting ]\r\n  BCHINESE = \"0\"  \r\n", "1", "  [ setting ]\r\n  BCHINESE = 1\r\n"},
    {"add before blanks", "[Setting]\r\nfoo=bar\r\n\r\n[Other]\r\nbChinese=0\r\n", "1",
     "[Setting]\r\nfoo=bar\r\nbChinese=1\r\n\r\n[Other]\r\nbChinese=0\r\n"},
    {"header only", "[Setting]\r\n[Other]\r\n", "1", "[Setting]\r\nbChinese=1\r\n[Other]\r\n"},
    {"commented out", "[Setting]\r\n;bChinese=0\r\n", "1", "[Setting]\r\n;bChinese=0\r\nbChinese=1\r\n"},
    {"no section", "bChinese=0\r\n[Setting]\r\n", "1", "bChinese=0\r\n[Setting]\r\nbChinese=1\r\n"},
    {"no last break", "[Setting]\r\nfoo=1", "0", "[Setting]\r\nfoo=1\r\nbChinese=0\r\n"},
    {"add section", "[Other]\r\nx=1\r\n", "1", "[Other]\r\nx=1\r\n[Setting]\r\nbChinese=1\r\n"},
    {"second same section", "[Setting]\r\na=1\r\n[Setting]\r\nbChinese=0\r\n", "1",
     "[Setting]\r\na=1\r\n[Setting]\r\nbChinese=1\r\n"},
    {"first same section", "[Setting]\r\na=1\r\n[X]\r\n[Setting]\r\nb=2\r\n", "1",
     "[Setting]\r\na=1\r\nbChinese=1\r\n[X]\r\n[Setting]\r\nb=2\r\n"},
    {"foreign content",
     ";top\r\n\r\n[Tail]\r\n  z = \"q\"  \r\n[Setting]\r\n; lang\r\nbChinese=0 ; all value\r\n"
     "Other=keep  \r\n\r\n[Last]\r\nnoequals\r\n",
     "1",
     ";top\r\n\r\n[Tail]\r\n  z = \"q\"  \r\n[Setting]\r\n; lang\r\nbChinese=1\r\n"
     "Other=keep  \r\n\r\n[Last]\r\nnoequals\r\n"},
    {"odd bytes", "[\xC6\xE4]\r\n\xC3\xFB=\xD6\xB5\xFF\0z\r\n"s, "1",
     "[\xC6\xE4]\r\n\xC3\xFB=\xD6\xB5\xFF\0z\r\n[Setting]\r\nbChinese=1\r\n"s},
    {"long line", "[Setting]\r\n" + kLongLine + "\r\nbChinese=0\r\n", "1",
     "[Setting]\r\n" + kLongLine + "\r\nbChinese=1\r\n"},
    {"LF file", "[Setting]\nx=1\n\n[B]\n", "0", "[Setting]\nx=1\nbChinese=0\n\n[B]\n"},
    {"CR file", "[Other]\rx=1\r", "1", "[Other]\rx=1\r[Setting]\rbChinese=1\r"},
    {"first break decides", "[Other]\nx=1\r\n", "1", "[Other]\nx=1\r\n[Setting]\nbChinese=1\n"},
    {"BOM", kBom + "[Setting]\r\nbChinese=0\r\n", "1", kBom + "[Setting]\r\nbChinese=1\r\n"},
    {"BOM only", kBom, "1", kBom + "[Setting]\r\nbChinese=1\r\n"},
    {"UTF-16 LE", utf16(true, "[Setting]\r\nbChinese=0\r\n;") + kZhongLe + kEmojiLe, "1",
     utf16(true, "[Setting]\r\nbChinese=1\r\n;") + kZhongLe + kEmojiLe},
    {"UTF-16 BE", utf16(false, ";x") + kEmojiBe, "0",
     utf16(false, ";x") + kEmojiBe + utf16(false, "\r\n[Setting]\r\nbChinese=0\r\n").substr(2)},
    {"UTF-16 mark only", utf16(true, ""), "1", utf16(true, "[Setting]\r\nbChinese=1\r\n")},
};

TEST(WriteText, FileHoldsExactlyTheExpectedBytes) {
    for (const WriteCase& c : kWriteCases) {
        ScratchFolder folder;
        const IniStore store(folder / "prog.ini");
        if (c.before) writeBytes(store.path(), *c.before);
        store.writeText("Setting", "bChinese", c.value);
        EXPECT_EQ(readBytes(store.path()), c.after) << c.name;
    }
}

TEST(ReadText, GivesTheValueAndLeavesTheFileAlone) {
    const struct {
        const char* name;
        std::optional<std::string> file;
        std::string expected;
    } cases[] = {
        {"missing file", std::nullopt, "<default>"},
        {"empty file", "", "<default>"},
        {"case", "[SETTING]\r\nBCHINESE=0", "0"},
        {"blanks", "  [  Setting\t]  \r\n\t bChinese \t=  \t0 \t\r\n", "0"},
        {"double quotes", "[Setting]\r\nbChinese=\"0\"\r\n", "0"},
        {"single quotes", "[Setting]\r\nbChinese= ' a b ' \r\n", " a b "},
        {"one pair", "[Setting]\r\nbChinese=\"\"x\"\"\r\n", "\"x\""},
        {"mismatched", "[Setting]\r\nbChinese=\"x'\r\n", "\"x'"},
        {"lone quote", "[Setting]\r\nbChinese=\"\r\n", "\""},
        {"empty value", "[Setting]\r\nbChinese=\r\n", ""},
        {"equals in value", "[Setting]\r\nbChinese=a=b\r\n", "a=b"},
        {"other section", "[Other]\r\nbChinese=0\r\n", "<default>"},
        {"missing key", "[Setting]\r\nother=0\r\n", "<default>"},
        {"no section", "bChinese=0\r\n[Setting]\r\n", "<default>"},
        {"commented out", "[Setting]\r\n;bChinese=0\r\n", "<default>"},
        {"no equals", "[Setting]\r\nbChinese\r\n", "<default>"},
        {"first key", "[Setting]\r\nbChinese=0\r\nbChinese=1\r\n", "0"},
        {"second same section", "[Setting]\r\n[X]\r\nbChinese=1\r\n[setting]\r\nbChinese=0\r\n", "0"},
        {"LF", "[Other]\nbChinese=1\n[Setting]\nbChinese=0\n", "0"},
        {"CR", "[Other]\rbChinese=1\r[Setting]\rbChinese=0\r", "0"},
        {"BOM", kBom + "[Setting]\r\nbChinese=0\r\n", "0"},
        {"odd bytes", "[Setting]\r\nbChinese=\xD6\xD0\xFF\x01\0z\r\n"s, "\xD6\xD0\xFF\x01\0z"s},
        {"long lines", kLongLine + "\r\n[Setting]\r\n" + kLongLine + "\r\nbChinese=0", "0"},
        {"2047 bytes", "[Setting]\r\nbChinese=" + kValue2047 + "\r\n", kValue2047},
        {"longer", "[Setting]\r\nbChinese=\"" + kValue2047 + "wxyz\"\r\n", kValue2047},
        {"UTF-16 LE", utf16(true, "[Setting]\r\nbChinese=") + kZhongLe + kEmojiLe, "\xE4\xB8\xAD\xF0\x9F\x98\x80"},
        {"UTF-16 BE", utf16(false, "[Other]\r\nbChinese=1\r\n[Setting]\r\nbChinese=0"), "0"},
        {"UTF-16 lone surrogate", utf16(true, "[Setting]\r\nbChinese=0\r\n") + "\x3D\xD8", "<default>"},
        {"UTF-16 odd length", utf16(true, "[Setting]\r\nbChinese=0") + "\n", "<default>"},
    };
    for (const auto& c : cases) {
        ScratchFolder folder;
        const IniStore store(folder / "prog.ini");
        if (c.file) writeBytes(store.path(), *c.file);
        EXPECT_EQ(store.readText("Setting", "bChinese", "<default>"), c.expected) << c.name;
        EXPECT_EQ(readBytes(store.path()), c.file.value_or("<missing>")) << c.name;  // untouched
    }
}

// The conversion itself is tested in int_text_test.cpp; here, its wiring.
TEST(ReadFlag, EnglishChineseOrTheDefault) {
    const struct {
        std::string value;
        std::int32_t asInt;
    } cases[] = {
        // 7: the default
        {"0", 0},          {"\" 0\"", 0}, {"0x0", 0}, {"0x10", 16}, {"0X7fffffff", INT32_MAX},
        {"$FFFFFFFF", -1}, {"false", 7},  {"1 2", 7}, {"", 7},      {"\"1 \"", 7},
    };
    ScratchFolder folder;
    const IniStore store(folder / "prog.ini");
    for (const auto& c : cases) {
        writeBytes(store.path(), "[Setting]\r\nbChinese=" + c.value + "\r\n");
        EXPECT_EQ(store.readInt32("Setting", "bChinese", 7), c.asInt) << c.value;
        EXPECT_EQ(store.readFlag("Setting", "bChinese", true), c.asInt != 0) << c.value;
        EXPECT_EQ(store.readFlag("Setting", "bChinese", false), c.asInt != 0 && c.asInt != 7) << c.value;
    }
    EXPECT_FALSE(IniStore(folder / "none.ini").readFlag("Setting", "bChinese", false));
    EXPECT_FALSE(testing::exists(folder / "none.ini"));
}

// Over every file above and other names: a written value reads back, and
// writing it again changes nothing.
TEST(IniText, WriteReadsBackAndRepeatsAsTheSameFile) {
    const struct {
        std::string section, key, value;
    } entries[] = {
        {"setting", "BCHINESE", "1"},         {"Other", "x", "new"}, {" Tail ", "z", "a b"}, {"Fresh", "k", ""},
        {"\xC6\xE4", "\xC3\xFB", "\xD6\xB5"},
    };
    for (const WriteCase& file : kWriteCases) {
        for (const auto& e : entries) {
            const std::string once = withIniValue(file.before.value_or(""), e.section, e.key, e.value);
            EXPECT_EQ(findIniValue(once, e.section, e.key), e.value) << file.name << " / " << e.key;
            EXPECT_EQ(withIniValue(once, e.section, e.key, e.value), once) << file.name << " / " << e.key;
        }
    }
}

}  // namespace
}  // namespace quill
