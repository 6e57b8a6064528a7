#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "settings/ini_store.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using testing::exists;
using testing::readBytes;
using testing::runProbeAsNobody;
using testing::ScratchFolder;
using testing::writeBytes;

const std::string kOld = "[Setting]\r\nbChinese=1\r\n; hand-written\r\n";

// Failures root gets as much as anyone. The old file stays, no folder appears.
TEST(WriteTextFailure, RaisesWithThePathAndKeepsTheOldFile) {
    const struct {
        const char* ini;
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"plain.txt/prog.ini", "Setting", "bChinese", "0"},   // path through a regular file
        {"nope/prog.ini", "Setting", "bChinese", "0"},        // missing folder
        {"folder.ini", "Setting", "bChinese", "0"},           // a folder in place of the file
        {"plain.txt", "Setting", "bChinese", "0\r\n[Evil]"},  // would add lines
        {"plain.txt", "Setting", "b=Chinese", "0"},           // would not read back
        {"plain.txt", "Setting", ";bChinese", "0"},           // nor would a comment
        {"plain.txt", " ", "bChinese", "0"},
    };
    for (const auto& c : cases) {
        ScratchFolder folder;
        writeBytes(folder / "plain.txt", kOld);
        ASSERT_TRUE(std::filesystem::create_directory(folder / "folder.ini"));
        const std::string path = folder / c.ini;
        try {
            IniStore(path).writeText(c.section, c.key, c.value);
            ADD_FAILURE() << "writing succeeded: " << c.ini;
        } catch (const IniFileError& e) {
            EXPECT_EQ(e.message(), "Unable to write to " + path);
        }
        EXPECT_EQ(readBytes(folder / "plain.txt"), kOld) << c.ini;
        EXPECT_FALSE(exists(folder / "nope"));
    }

    // UTF-16 that would not come back byte for byte is not edited at all.
    using namespace std::string_literals;
    const struct {
        std::string file, value;
    } utf16[] = {
        {"\xFF\xFE[\0\x3D\xD8]\0"s, "0"},  // lone surrogate
        {"\xFE\xFF\0;\0"s, "0"},           // odd length
        {"\xFF\xFE;\0"s, "\xFF"},          // a value that is not UTF-8
    };
    for (const auto& c : utf16) {
        ScratchFolder folder;
        writeBytes(folder / "prog.ini", c.file);
        EXPECT_THROW(IniStore(folder / "prog.ini").writeText("Setting", "bChinese", c.value), IniFileError);
        EXPECT_EQ(readBytes(folder / "prog.ini"), c.file);
    }
}

// The permission bits bind only a user other than root, so the probe writes as
// nobody. A probe that did not run cannot print the exact message.
TEST(WriteTextFailure, AsAnUnprivilegedUser) {
    const struct {
        const char* name;
        mode_t folderMode;
        int fileMode;
    } cases[] = {
        // -1: no file
        {"read-only folder, no file", 0755, -1},
        {"read-only file and folder", 0755, 0444},
        {"read-only file, writable folder", 0777, 0444},
        // Replacing an unreadable file with a file of one key would lose the rest.
        {"unreadable file, writable folder", 0777, 0222},
    };
    for (const auto& c : cases) {
        ScratchFolder folder;
        const std::string path = folder / "prog.ini";
        if (c.fileMode >= 0) {
            writeBytes(path, kOld);
            ::chmod(path.c_str(), static_cast<mode_t>(c.fileMode));
        }
        ::chmod(folder.path().c_str(), c.folderMode);
        const testing::ChildResult result = runProbeAsNobody("write " + path + " 0");
        EXPECT_EQ(result.output, "Unable to write to " + path) << c.name;
        EXPECT_EQ(result.exitCode, 1) << c.name;
        EXPECT_EQ(readBytes(path), c.fileMode >= 0 ? kOld : "<missing>") << c.name;
    }
    ScratchFolder open;  // the same user succeeds where the bits allow
    ::chmod(open.path().c_str(), 0777);
    EXPECT_EQ(runProbeAsNobody("write " + (open / "prog.ini") + " 0").output, "ok");
    EXPECT_EQ(readBytes(open / "prog.ini"), "[Setting]\r\nbChinese=0\r\n");
}

}  // namespace
}  // namespace quill
