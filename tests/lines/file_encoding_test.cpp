// List files in every encoding a pane reads: loaded once into UTF-8, and
// saved back to exactly the bytes they came with.

#include "lines/file_encoding.h"

#include <gtest/gtest.h>

#include <random>

#include "lines/list_file.h"
#include "lines/pane_text.h"
#include "pane_save.h"
#include "temp_folder.h"

namespace quill {
namespace {

using namespace std::string_literals;
using testing_files::readFile;
using testing_files::TempFolder;
using testing_files::writeFile;

TEST(FileEncoding, ListsComeBackByteForByte) {
    TempFolder folder;
    const struct {
        std::string file, firstLine, saved;  // saved: "" for the file itself
    } cases[] = {
        {"就绪\r\n1.5\r\n", "就绪", ""},                 // UTF-8
        {"\xBE\xCD\xD0\xF7\r\n1.5\r\n", "就绪", ""},     // GBK, code page 936
        {"\x94\x39\xFC\x36 \xA2\xE3\r\n", "😀 €", ""},    // four-byte GB18030
        {"\xBE\xCD\n2\r\n", "就", "\xBE\xCD\r\n2\r\n"},  // LF comes back as CR LF
        {"\xEF\xBB\xBF就绪\r\n", "就绪", ""},            // UTF-8 with its mark
        {"\xFF\xFE\x31\x5C\xEA\x7E\n\0"
         "1\0.\0"
         "5\0\r\0\n\0"s,  // UTF-16 LE
         "就绪",
         "\xFF\xFE\x31\x5C\xEA\x7E\r\0\n\0"
         "1\0.\0"
         "5\0\r\0\n\0"s},
        {"\xFE\xFF\xD8\x3D\xDE\0\0\r\0\n"s, "😀", ""},  // UTF-16 BE
        {"caf\xE9\r\n\xFF\x80\r\n", "café", ""},       // neither: Latin-1
    };
    PaneText pane;
    for (const auto& c : cases) {
        writeFile(folder / "in.txt", c.file);
        loadFromFile(pane, folder / "in.txt");
        EXPECT_EQ(pane.line(0), c.firstLine) << testing::PrintToString(c.file);
        EXPECT_EQ(pane.capacity(), kLoadedCapacity);
        saveToFile(pane, folder / "out.txt");
        EXPECT_EQ(readFile(folder / "out.txt"), c.saved.empty() ? c.file : c.saved) << testing::PrintToString(c.file);
    }
    // Text Latin-1 cannot hold is saved as UTF-8 rather than lost.
    pane.add("就绪");
    saveToFile(pane, folder / "out.txt");
    EXPECT_EQ(readFile(folder / "out.txt"), "café\r\nÿ\u0080\r\n就绪\r\n");
}

TEST(FileEncoding, AnyBytesDecodeAndEncodeBackUnchanged) {
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 24, '\0');
        // Mostly high bytes and digits, so that GB18030 pairs and four-byte
        // forms turn up as well as broken UTF-8 and UTF-16; some after a mark.
        for (char& b : bytes) b = static_cast<char>(random() % 3 ? 0x80 + random() % 128 : '0' + random() % 10);
        const char* const marks[] = {"", "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
        bytes.insert(0, marks[round % 5]);
        const DecodedText decoded = decodeFileText(bytes);
        ASSERT_TRUE(isValidUtf8(decoded.utf8)) << testing::PrintToString(bytes);
        ASSERT_EQ(encodeFileText(decoded.utf8, decoded.encoding), bytes);
    }
}

}  // namespace
}  // namespace quill
