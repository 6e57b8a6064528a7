#include "engine/error_text.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(ErrorBoxTextTest, FullStopAfterLettersDigitsAndWideCharacters) {
    const struct {
        std::string_view message, shown;
    } cases[] = {
        {"", ""},
        {"Floating point overflow", "Floating point overflow."},
        {"'abc' is not a valid floating point value", "'abc' is not a valid floating point value."},
        {"Cannot open file /tmp/An.txt", "Cannot open file /tmp/An.txt."},
        {"ends in 9", "ends in 9."},
        {"path/", "path/."},  // 0x2F, the first byte above '.'
        {"a:", "a:."},
        {"done.", "done."},  // 0x2E itself
        {"a-", "a-"},
        {"a,", "a,"},
        {"a!", "a!"},
        {"(a)", "(a)"},
        {"a ", "a "},
        {"a\n", "a\n"},
        {"中文", "中文."},
        {"结束。", "结束。."},  // the full-width stop is a character like any other
        {"\xC3", "\xC3."},      // a message cut inside a character
    };
    for (const auto& c : cases) EXPECT_EQ(errorBoxText(c.message), c.shown) << c.message;
}

}  // namespace
}  // namespace quill
