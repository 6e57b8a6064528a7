#include "settings/ini_datas.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "common/exe_path.h"
#include "settings/settings_location.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::RunProbeAsNobody;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(IniFileNameFor, ReplacesOrAppendsTheExtension) {
    const struct { std::string exe, ini; } cases[] = {
        {"/opt/q/quillometer", "/opt/q/quillometer.ini"}, {"/opt/q/quillometer.bin", "/opt/q/quillometer.ini"},
        {"/opt/q.d/quillometer", "/opt/q.d/quillometer.ini"}, {"/a.b/c.d.e", "/a.b/c.d.ini"},
        {"/x/prog.", "/x/prog.ini"}, {"/x/.hidden", "/x/.hidden.ini"}, {"/x/.hidden.bin", "/x/.hidden.ini"},
        {"/x/..two", "/x/..two.ini"}, {"/x/prog.ini", "/x/prog.ini.ini"}, {"prog", "prog.ini"},
        {"prog.bin", "prog.ini"}, {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(IniFileNameFor(c.exe), c.ini) << c.exe;
}

TEST(TIniDatas, ReadsAtConstructionWritesOnlyOnSave) {
    ScratchFolder folder;
    {
        TIniDatas settings(folder / "quillometer");
        EXPECT_EQ(settings.IniFileName, folder / "quillometer.ini");
        EXPECT_TRUE(settings.bChinese);
        settings.bChinese = false;
    }  // destruction saves nothing
    EXPECT_FALSE(Exists(folder / "quillometer.ini"));

    TIniDatas first(folder / "quillometer");
    first.bChinese = false;
    EXPECT_EQ(first.SaveSettings(), 0);
    EXPECT_EQ(ReadBytes(folder / "quillometer.ini"), "[Setting]\r\nbChinese=0\r\n");
    EXPECT_FALSE(TIniDatas(folder / "quillometer").bChinese);

    WriteBytes(folder / "q.ini", "; mine\n[Window]\nleft=10\n[setting]\nBCHINESE = false\n");
    TIniDatas edited(folder / "q.bin");
    EXPECT_TRUE(edited.bChinese);  // "false" is no integer: the default
    edited.bChinese = false;
    edited.SaveSettings();
    EXPECT_EQ(ReadBytes(folder / "q.ini"), "; mine\n[Window]\nleft=10\n[setting]\nBCHINESE = 0\n");
}

TEST(TIniDatas, UnknownPathGivesMinusOneAndFailureNamesTheFile) {
    TIniDatas unknown("");
    EXPECT_EQ(unknown.LoadSettings(), -1);
    EXPECT_EQ(unknown.SaveSettings(), -1);

    ScratchFolder folder;
    TIniDatas settings(folder / "missing/quillometer");  // a missing folder is not the user's
    EXPECT_THROW(
        try { settings.SaveSettings(); } catch (const IniFileError& e) {
            EXPECT_EQ(e.message(), "Unable to write to " + folder.path() + "/missing/quillometer.ini");
            throw;
        },
        IniFileError);
}

TEST(ExecutablePath, IsThisTestProgram) {
    const std::string path = ExecutablePath();
    EXPECT_TRUE(path.starts_with("/") && path.ends_with("/settings_tests")) << path;
    EXPECT_EQ(ExecutableDirectory(), path.substr(0, path.rfind('/') + 1));
    EXPECT_EQ(TIniDatas().IniFileName, path + ".ini");
}

TEST(UserSettingsFile, FollowsXdgConfigHomeThenHome) {
    const struct { const char *xdg, *home; std::string file; } cases[] = {
        {"/cfg/", "/home/u", "/cfg/quillometer/quillometer.ini"},
        {"relative", "/home/u/", "/home/u/.config/quillometer/quillometer.ini"},
        {"", nullptr, ""}, {nullptr, "relative", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(UserSettingsFileFrom(c.xdg, c.home), c.file) << c.file;
}

// An installed program, in a folder nobody may write: the settings go to the
// user's folder, made on saving, unless a settings file is there already.
TEST(SettingsFileFor, InstalledProgramUsesTheUserFolder) {
    ScratchFolder program, home;
    ::chmod(home.path().c_str(), 0777);
    const std::string environment = "XDG_CONFIG_HOME=" + (home / "cfg");
    const std::string userFile = home / "cfg/quillometer/quillometer.ini";

    const testing::ChildResult saved = RunProbeAsNobody("save " + (program / "quillometer") + " 0", environment);
    EXPECT_EQ(saved.output, userFile);
    EXPECT_EQ(ReadBytes(userFile), "[Setting]\r\nbChinese=0\r\n");
    struct stat info;
    EXPECT_TRUE(::stat((home / "cfg/quillometer").c_str(), &info) == 0 && (info.st_mode & 0777) == 0700);
    EXPECT_FALSE(Exists(program / "quillometer.ini"));

    WriteBytes(program / "quillometer.ini", "[Setting]\r\nbChinese=1\r\n");  // read-only for nobody
    EXPECT_EQ(RunProbeAsNobody("save " + (program / "quillometer") + " 0", environment).output,
              "Unable to write to " + (program / "quillometer.ini"));
    EXPECT_EQ(SettingsFileFor(program / "other"), program / "other.ini");  // root may write here
}

}  // namespace
}  // namespace quill
