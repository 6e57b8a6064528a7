#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "settings/ini_store.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::RunProbeAsNobody;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kOld = "[Setting]\r\nbChinese=1\r\n; hand-written\r\n";

// The message WriteText must raise for path, checked in full.
void ExpectWriteFails(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value) {
    try {
        IniStore(path).WriteText(section, key, value);
        ADD_FAILURE() << "writing " << path << " succeeded";
    } catch (const IniFileError& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path);
    }
}

// Failures that hold for root as much as for anyone.
TEST(WriteTextFailure, PathThroughARegularFile) {
    ScratchFolder folder;
    WriteBytes(folder / "plain.txt", kOld);
    ExpectWriteFails(folder / "plain.txt/prog.ini", "Setting", "bChinese", "0");
    EXPECT_EQ(ReadBytes(folder / "plain.txt"), kOld);
}

TEST(WriteTextFailure, MissingFolderIsNotCreated) {
    ScratchFolder folder;
    ExpectWriteFails(folder / "nope/prog.ini", "Setting", "bChinese", "0");
    EXPECT_FALSE(Exists(folder / "nope"));
}

TEST(WriteTextFailure, FolderInPlaceOfTheFile) {
    ScratchFolder folder;
    ASSERT_EQ(::mkdir((folder / "prog.ini").c_str(), 0755), 0);
    ExpectWriteFails(folder / "prog.ini", "Setting", "bChinese", "0");
}

TEST(WriteTextFailure, EntriesThatWouldCorruptTheFileAreRefused) {
    ScratchFolder folder;
    const std::string path = folder / "prog.ini";
    WriteBytes(path, kOld);
    ExpectWriteFails(path, "Setting", "bChinese", "0\r\n[Evil]\r\nx=1");
    ExpectWriteFails(path, "Setting", "b=Chinese", "0");
    ExpectWriteFails(path, "", "bChinese", "0");
    EXPECT_EQ(ReadBytes(path), kOld);
}

// The permission bits bind only a user other than root, so these run the
// probe as nobody. Each failure is checked by its exact message, which a
// probe that did not run at all cannot print.
struct UnprivilegedCase {
    const char* name;
    mode_t folderMode;
    int fileMode;  // -1: no file yet
};

class UnprivilegedWriteTest : public ::testing::TestWithParam<UnprivilegedCase> {};

TEST_P(UnprivilegedWriteTest, FailsWithThePathAndKeepsTheOldFile) {
    const UnprivilegedCase& c = GetParam();
    ScratchFolder folder;
    const std::string path = folder / "prog.ini";
    if (c.fileMode >= 0) {
        WriteBytes(path, kOld);
        ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.fileMode)), 0);
    }
    ASSERT_EQ(::chmod(folder.path().c_str(), c.folderMode), 0);

    const testing::ChildResult result = RunProbeAsNobody({"write", path, "0"});
    EXPECT_EQ(result.output, "Unable to write to " + path);
    EXPECT_EQ(result.exitCode, 1);
    if (c.fileMode >= 0)
        EXPECT_EQ(ReadBytes(path), kOld);
    else
        EXPECT_FALSE(Exists(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnprivilegedWriteTest, ::testing::Values(
    UnprivilegedCase{"ReadOnlyFolderNoFile", 0755, -1},
    UnprivilegedCase{"ReadOnlyFileInReadOnlyFolder", 0755, 0444},
    UnprivilegedCase{"ReadOnlyFileInWritableFolder", 0777, 0444},
    // Writable but unreadable: replacing it with a file of one key would lose the rest.
    UnprivilegedCase{"UnreadableFileInWritableFolder", 0777, 0222}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnprivilegedWrite, SucceedsWhereThePermissionsAllow) {
    ScratchFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    const testing::ChildResult result = RunProbeAsNobody({"write", folder / "prog.ini", "0"});
    EXPECT_EQ(result.output, "ok");
    EXPECT_EQ(ReadBytes(folder / "prog.ini"), "[Setting]\r\nbChinese=0\r\n");
}

TEST(UnprivilegedRead, UnreadableFileGivesTheDefaultAndStays) {
    ScratchFolder folder;
    const std::string path = folder / "prog.ini";
    WriteBytes(path, "[Setting]\r\nbChinese=0\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    const testing::ChildResult result = RunProbeAsNobody({"read", path});
    EXPECT_EQ(result.output, "<default>");
    EXPECT_EQ(ReadBytes(path), "[Setting]\r\nbChinese=0\r\n");
}

}  // namespace
}  // namespace quill
