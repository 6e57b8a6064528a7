#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/ini_text.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using namespace std::string_literals;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kLongLine = "; " + std::string(100000, 'x');

// ---- writing: the file before and after setting [Setting] bChinese ----

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nothing: no file yet
    std::string value;
    std::string after;
};

const WriteCase kWriteCases[] = {
    {"NewFile", std::nullopt, "1", "[Setting]\r\nbChinese=1\r\n"},
    {"NewFileEnglish", std::nullopt, "0", "[Setting]\r\nbChinese=0\r\n"},
    {"EmptyFile", "", "1", "[Setting]\r\nbChinese=1\r\n"},
    {"ReplaceValue", "[Setting]\r\nbChinese=0\r\n", "1", "[Setting]\r\nbChinese=1\r\n"},
    {"ReplaceEmptyValue", "[Setting]\r\nbChinese=\r\n", "0", "[Setting]\r\nbChinese=0\r\n"},
    {"ReplaceKeepsSpellingAndSpacing", "  [ setting ]\r\n  BCHINESE = \"0\"  \r\n", "1",
     "  [ setting ]\r\n  BCHINESE = 1\r\n"},
    {"AddKeyBeforeBlankLinesAndNextSection",
     "[Setting]\r\nfoo=bar\r\n\r\n[Other]\r\nbChinese=0\r\n", "1",
     "[Setting]\r\nfoo=bar\r\nbChinese=1\r\n\r\n[Other]\r\nbChinese=0\r\n"},
    {"AddKeyAfterEmptySectionHeader", "[Setting]\r\n[Other]\r\n", "1",
     "[Setting]\r\nbChinese=1\r\n[Other]\r\n"},
    {"AddKeyBesideCommentedOutKey", "[Setting]\r\n;bChinese=0\r\n", "1",
     "[Setting]\r\n;bChinese=0\r\nbChinese=1\r\n"},
    {"KeyBeforeAnySectionIsNotOurs", "bChinese=0\r\n[Setting]\r\n", "1",
     "bChinese=0\r\n[Setting]\r\nbChinese=1\r\n"},
    {"AddKeyToLastLineWithoutBreak", "[Setting]\r\nfoo=1", "1", "[Setting]\r\nfoo=1\r\nbChinese=1\r\n"},
    {"AddSection", "[Other]\r\nx=1\r\n", "1", "[Other]\r\nx=1\r\n[Setting]\r\nbChinese=1\r\n"},
    {"AddSectionAfterLastLineWithoutBreak", "[Other]\r\nx=1", "0",
     "[Other]\r\nx=1\r\n[Setting]\r\nbChinese=0\r\n"},
    {"ReplaceInSecondOfTwoSameSections", "[Setting]\r\na=1\r\n[Setting]\r\nbChinese=0\r\n", "1",
     "[Setting]\r\na=1\r\n[Setting]\r\nbChinese=1\r\n"},
    {"AddToFirstOfTwoSameSections", "[Setting]\r\na=1\r\n[X]\r\n[Setting]\r\nb=2\r\n", "1",
     "[Setting]\r\na=1\r\nbChinese=1\r\n[X]\r\n[Setting]\r\nb=2\r\n"},
    {"ForeignContentAndCommentsStay",
     ";top\r\n\r\n[Tail]\r\n  z = \"q\"  \r\n[Setting]\r\n; the language\r\nbChinese=0 ; all value\r\n"
     "Other=keep  \r\n\r\n\r\n[Last]\r\nnoequals\r\n",
     "1",
     ";top\r\n\r\n[Tail]\r\n  z = \"q\"  \r\n[Setting]\r\n; the language\r\nbChinese=1\r\n"
     "Other=keep  \r\n\r\n\r\n[Last]\r\nnoequals\r\n"},
    {"OddBytesStay", "[\xC6\xE4\xCB\xFC]\r\n\xC3\xFB=\xD6\xB5\xFF\0z\r\n"s, "1",
     "[\xC6\xE4\xCB\xFC]\r\n\xC3\xFB=\xD6\xB5\xFF\0z\r\n[Setting]\r\nbChinese=1\r\n"s},
    {"LongLineStays", "[Setting]\r\n" + kLongLine + "\r\nbChinese=0\r\n", "1",
     "[Setting]\r\n" + kLongLine + "\r\nbChinese=1\r\n"},
    {"LfFileReplace", "; c\n[Setting]\nbChinese=0\n", "1", "; c\n[Setting]\nbChinese=1\n"},
    {"LfFileAddsLfLines", "[Other]\nx=1\n", "1", "[Other]\nx=1\n[Setting]\nbChinese=1\n"},
    {"LfFileAddsKeyWithLf", "[Setting]\nx=1\n\n", "0", "[Setting]\nx=1\nbChinese=0\n\n"},
    {"CrFileAddsCrLines", "[Other]\rx=1\r", "1", "[Other]\rx=1\r[Setting]\rbChinese=1\r"},
    {"FirstBreakDecidesInMixedFile", "[Other]\nx=1\r\n", "1",
     "[Other]\nx=1\r\n[Setting]\nbChinese=1\n"},
    {"ByteOrderMarkStaysOnReplace", kBom + "[Setting]\r\nbChinese=0\r\n", "1",
     kBom + "[Setting]\r\nbChinese=1\r\n"},
    {"ByteOrderMarkOnlyFile", kBom, "1", kBom + "[Setting]\r\nbChinese=1\r\n"},
};

class WriteTextTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTextTest, FileHoldsExactlyTheExpectedBytes) {
    const WriteCase& c = GetParam();
    ScratchFolder folder;
    const std::string path = folder / "prog.ini";
    if (c.before) WriteBytes(path, *c.before);

    IniStore(path).WriteText("Setting", "bChinese", c.value);

    EXPECT_EQ(ReadBytes(path), c.after);
    EXPECT_EQ(IniStore(path).ReadText("Setting", "bChinese", "<none>"), c.value);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteTextTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- reading: what a file gives for [Setting] bChinese ----

struct ReadCase {
    const char* name;
    std::optional<std::string> file;
    std::string expected;  // "<default>" when the default comes back
};

const std::string kValue2047(2047, 'v');

const ReadCase kReadCases[] = {
    {"MissingFile", std::nullopt, "<default>"},
    {"EmptyFile", "", "<default>"},
    {"Plain", "[Setting]\r\nbChinese=0\r\n", "0"},
    {"NamesIgnoreCase", "[SETTING]\r\nBCHINESE=0", "0"},
    {"BlanksAroundEverything", "  [  Setting\t]  \r\n\t bChinese \t=  \t0 \t\r\n", "0"},
    {"DoubleQuotes", "[Setting]\r\nbChinese=\"0\"\r\n", "0"},
    {"SingleQuotesKeepInnerBlanks", "[Setting]\r\nbChinese= ' a b ' \r\n", " a b "},
    {"OnlyOnePairOfQuotes", "[Setting]\r\nbChinese=\"\"x\"\"\r\n", "\"x\""},
    {"MismatchedQuotesStay", "[Setting]\r\nbChinese=\"x'\r\n", "\"x'"},
    {"LoneQuoteStays", "[Setting]\r\nbChinese=\"\r\n", "\""},
    {"EmptyValueIsNotTheDefault", "[Setting]\r\nbChinese=\r\n", ""},
    {"EqualsInValue", "[Setting]\r\nbChinese=a=b\r\n", "a=b"},
    {"MissingSection", "[Other]\r\nbChinese=0\r\n", "<default>"},
    {"MissingKey", "[Setting]\r\nother=0\r\n", "<default>"},
    {"KeyBeforeAnySection", "bChinese=0\r\n[Setting]\r\n", "<default>"},
    {"CommentedOut", "[Setting]\r\n;bChinese=0\r\n", "<default>"},
    {"KeyWithoutEquals", "[Setting]\r\nbChinese\r\n", "<default>"},
    {"FirstOfDuplicateKeys", "[Setting]\r\nbChinese=0\r\nbChinese=1\r\n", "0"},
    {"SecondSameSection", "[Setting]\r\n[X]\r\nbChinese=1\r\n[setting]\r\nbChinese=0\r\n", "0"},
    {"LfBreaks", "[Other]\nbChinese=1\n[Setting]\nbChinese=0\n", "0"},
    {"CrBreaks", "[Other]\rbChinese=1\r[Setting]\rbChinese=0\r", "0"},
    {"ByteOrderMark", kBom + "[Setting]\r\nbChinese=0\r\n", "0"},
    {"OddBytesInValue", "[Setting]\r\nbChinese=\xD6\xD0\xFF\x01\0z\r\n"s, "\xD6\xD0\xFF\x01\0z"s},
    {"AfterVeryLongLine", kLongLine + "\r\n[Setting]\r\n" + kLongLine + "\r\nbChinese=0", "0"},
    {"ValueOf2047BytesWhole", "[Setting]\r\nbChinese=" + kValue2047 + "\r\n", kValue2047},
    {"LongerValueCutTo2047", "[Setting]\r\nbChinese=\"" + kValue2047 + "wxyz\"\r\n", kValue2047},
};

class ReadTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTextTest, GivesTheValueAndLeavesTheFileAlone) {
    const ReadCase& c = GetParam();
    ScratchFolder folder;
    const std::string path = folder / "prog.ini";
    if (c.file) WriteBytes(path, *c.file);

    EXPECT_EQ(IniStore(path).ReadText("Setting", "bChinese", "<default>"), c.expected);
    EXPECT_EQ(ReadBytes(path), c.file.value_or("<missing>"));  // never created nor changed
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadTextTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- integers and flags through the file ----

struct FlagCase {
    std::string value;  // the bytes after "bChinese="
    std::int32_t asInt; // ReadInt32 with the default 7
};

class ReadFlagTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ReadFlagTest, ReadsIntegerAndLanguage) {
    const FlagCase& c = GetParam();
    ScratchFolder folder;
    const std::string path = folder / "prog.ini";
    WriteBytes(path, "[Setting]\r\nbChinese=" + c.value + "\r\n");
    const IniStore store(path);

    EXPECT_EQ(store.ReadInt32("Setting", "bChinese", 7), c.asInt);
    const bool notInteger = c.asInt == 7;
    EXPECT_EQ(store.ReadFlag("Setting", "bChinese", true), c.asInt != 0);
    EXPECT_EQ(store.ReadFlag("Setting", "bChinese", false), notInteger ? false : c.asInt != 0);
}

INSTANTIATE_TEST_SUITE_P(English, ReadFlagTest, ::testing::Values(
    FlagCase{"0", 0}, FlagCase{"00", 0}, FlagCase{"-0", 0}, FlagCase{"+0", 0},
    FlagCase{"0x0", 0}, FlagCase{"$0", 0}, FlagCase{"x0", 0}, FlagCase{"\" 0\"", 0}));
INSTANTIATE_TEST_SUITE_P(Chinese, ReadFlagTest, ::testing::Values(
    FlagCase{"1", 1}, FlagCase{"2", 2}, FlagCase{"-1", -1}, FlagCase{"0x10", 16},
    FlagCase{"0X7fffffff", INT32_MAX}, FlagCase{"$FFFFFFFF", -1}));
INSTANTIATE_TEST_SUITE_P(Default, ReadFlagTest, ::testing::Values(
    FlagCase{"true", 7}, FlagCase{"false", 7}, FlagCase{"no", 7}, FlagCase{"0x", 7},
    FlagCase{"$", 7}, FlagCase{"-", 7}, FlagCase{"1 2", 7}, FlagCase{"2147483648", 7},
    FlagCase{"", 7}, FlagCase{"\"1 \"", 7}));

TEST(ReadFlag, MissingFileGivesTheDefault) {
    ScratchFolder folder;
    const IniStore store(folder / "none.ini");
    EXPECT_TRUE(store.ReadFlag("Setting", "bChinese", true));
    EXPECT_FALSE(store.ReadFlag("Setting", "bChinese", false));
    EXPECT_EQ(store.ReadInt32("Setting", "bChinese", -5), -5);
    EXPECT_FALSE(testing::Exists(folder / "none.ini"));
}

TEST(WriteFlag, WritesOneOrZero) {
    ScratchFolder folder;
    const IniStore store(folder / "prog.ini");
    store.WriteFlag("Setting", "bChinese", false);
    EXPECT_EQ(ReadBytes(store.path()), "[Setting]\r\nbChinese=0\r\n");
    store.WriteFlag("Setting", "bChinese", true);
    EXPECT_EQ(ReadBytes(store.path()), "[Setting]\r\nbChinese=1\r\n");
}

// ---- properties over the files of the tables, with other names and values ----

TEST(IniTextProperties, WriteThenReadGivesTheValueAndWritingAgainChangesNothing) {
    const struct { std::string section, key, value; } entries[] = {
        {"Setting", "bChinese", "0"}, {"setting", "BCHINESE", "1"}, {"Other", "x", "new"},
        {"Tail", "z", "a b"}, {"Fresh", "k", ""}, {"\xC6\xE4\xCB\xFC", "\xC3\xFB", "\xD6\xB5"},
    };
    for (const WriteCase& file : kWriteCases) {
        for (const auto& e : entries) {
            const std::string once = WithIniValue(file.before.value_or(""), e.section, e.key, e.value);
            EXPECT_EQ(FindIniValue(once, e.section, e.key), e.value) << file.name << " " << e.key;
            EXPECT_EQ(WithIniValue(once, e.section, e.key, e.value), once) << file.name << " " << e.key;
        }
    }
}

TEST(IniTextProperties, EntriesThatCouldNotBeFoundAgainAreRefused) {
    const struct { std::string section, key, value; bool writable; } cases[] = {
        {"Setting", "bChinese", "1", true},    {" Setting ", " bChinese ", " 1 ", true},
        {"", "bChinese", "1", false},          {"  ", "bChinese", "1", false},
        {"Setting", "", "1", false},           {"Setting", "bChinese", "1\r\n[X]", false},
        {"Setting", "bChinese", "1\n", false}, {"Set\rting", "bChinese", "1", false},
        {"Set]ting", "bChinese", "1", false},  {"Setting", "b=Chinese", "1", false},
        {"Setting", ";bChinese", "1", false},  {"Setting", "[bChinese", "1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWritableIniEntry(c.section, c.key, c.value), c.writable)
            << "[" << c.section << "] " << c.key << "=" << c.value;
}

}  // namespace
}  // namespace quill
