#include "numtext/decimal_mark.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quill {
namespace {

// Builds tiny locales that define only LC_NUMERIC, so the test needs none
// installed on the machine, and reads each one the way start-up does.
class DecimalMarkTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("quill-locales-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        unsetenv("LOCPATH");
        unsetenv("LC_ALL");
        std::setlocale(LC_NUMERIC, "C");
        std::filesystem::remove_all(dir_);
    }

    // A locale whose separator is the given character (a <Uxxxx> name) in charset.
    bool makeLocale(const std::string& name, const std::string& separator, const std::string& charset) {
        const auto source = dir_ / (name + ".src");
        std::ofstream(source) << "LC_NUMERIC\ndecimal_point \"" << separator
                              << "\"\nthousands_sep \"\"\ngrouping -1\nEND LC_NUMERIC\n";
        const std::string command = "localedef -c -i '" + source.string() + "' -f " + charset + " '" +
                                    (dir_ / name).string() + "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        // localedef reports the missing categories with exit status 1 but writes the locale.
        return WIFEXITED(status) && WEXITSTATUS(status) <= 1 && std::filesystem::exists(dir_ / name / "LC_NUMERIC");
    }

    char readWith(const std::string& name) {
        setenv("LOCPATH", dir_.c_str(), 1);
        setenv("LC_ALL", name.c_str(), 1);
        return readLocaleDecimalMark();
    }

    std::filesystem::path dir_;
};

TEST_F(DecimalMarkTest, OneByteSeparatorsAreTakenAndLongerOnesFallBackToPoint) {
    const struct {
        const char* name;
        const char* separator;
        const char* charset;
        char expected;
    } rows[] = {
        {"qa_COMMA.UTF-8", "<U002C>", "UTF-8", ','},
        {"qa_SEMI.UTF-8", "<U003B>", "UTF-8", ';'},
        {"qa_DOT.ISO-8859-1", "<U00B7>", "ISO-8859-1", '.'},  // one byte above 0x7F: no usable mark
        {"qa_DIGIT.UTF-8", "<U0035>", "UTF-8", '.'},          // a digit, a letter e, a blank: no usable mark
        {"qa_LETTER.UTF-8", "<U0065>", "UTF-8", '.'},
        {"qa_BLANK.UTF-8", "<U0020>", "UTF-8", '.'},
        {"qa_ARABIC.UTF-8", "<U066B>", "UTF-8", '.'},         // two bytes in UTF-8
        {"qa_DOUBLE.UTF-8", "<U002C><U002C>", "UTF-8", '.'},  // two characters
        {"qa_EMPTY.UTF-8", "", "UTF-8", '.'},
    };
    for (const auto& row : rows) {
        if (!makeLocale(row.name, row.separator, row.charset)) GTEST_SKIP() << "localedef cannot build " << row.name;
        EXPECT_EQ(readWith(row.name), row.expected) << row.name;
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C") << "the process's locale changed";
    }
}

TEST(UsableDecimalMark, OnlyPunctuationThatNoNumberUses) {
    for (int c = 0; c < 256; ++c) {
        const std::string_view kept = ".,;:'/_!#$%&*<=>?@[\\]^`{|}~\"";
        const bool usable = kept.find(static_cast<char>(c)) != std::string_view::npos;
        EXPECT_EQ(isUsableDecimalMark(static_cast<char>(c)), usable) << c;
    }
}

TEST_F(DecimalMarkTest, UnknownOrPlainLocaleGivesPoint) {
    EXPECT_EQ(readWith("C"), '.');
    EXPECT_EQ(readWith("qa_MISSING.UTF-8"), '.');
}

}  // namespace
}  // namespace quill
