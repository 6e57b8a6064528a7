#include "settings/ini_datas.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "common/exe_path.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(IniFileNameFor, ReplacesOrAppendsTheExtension) {
    const struct { std::string exe, ini; } cases[] = {
        {"/opt/quill/quillometer", "/opt/quill/quillometer.ini"},
        {"/opt/quill/quillometer.bin", "/opt/quill/quillometer.ini"},
        {"/opt/quill.d/quillometer", "/opt/quill.d/quillometer.ini"},  // folder dot
        {"/a.b/c.d.e", "/a.b/c.d.ini"},                                  // last dot only
        {"/x/prog.", "/x/prog.ini"},
        {"/x/.hidden", "/x/.hidden.ini"},          // a leading dot hides, it is no extension
        {"/x/.hidden.bin", "/x/.hidden.ini"},
        {"/x/..two", "/x/..two.ini"},
        {"/x/prog.ini", "/x/prog.ini.ini"},        // never the program file itself
        {"prog", "prog.ini"},
        {"prog.bin", "prog.ini"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(IniFileNameFor(c.exe), c.ini) << c.exe;
}

TEST(TIniDatas, NoFileMeansChineseAndNothingIsCreated) {
    ScratchFolder folder;
    {
        TIniDatas settings(folder / "quillometer");
        EXPECT_EQ(settings.IniFileName, folder / "quillometer.ini");
        EXPECT_TRUE(settings.bChinese);
        settings.bChinese = false;
    }  // destruction does not save: the owner calls SaveSettings
    EXPECT_FALSE(Exists(folder / "quillometer.ini"));
}

TEST(TIniDatas, SaveCreatesTheFileAndTheNextStartReadsIt) {
    ScratchFolder folder;
    TIniDatas first(folder / "quillometer");
    first.bChinese = false;
    EXPECT_EQ(first.SaveSettings(), 0);
    EXPECT_EQ(ReadBytes(folder / "quillometer.ini"), "[Setting]\r\nbChinese=0\r\n");

    TIniDatas second(folder / "quillometer");
    EXPECT_FALSE(second.bChinese);
    second.bChinese = true;
    EXPECT_EQ(second.SaveSettings(), 0);
    EXPECT_EQ(ReadBytes(folder / "quillometer.ini"), "[Setting]\r\nbChinese=1\r\n");
}

TEST(TIniDatas, HandEditedFileKeepsItsOtherContent) {
    ScratchFolder folder;
    WriteBytes(folder / "q.ini", "; mine\n[Window]\nleft=10\n[setting]\nBCHINESE = false\n");
    TIniDatas settings(folder / "q.bin");
    EXPECT_TRUE(settings.bChinese);  // "false" is no integer: the default
    settings.bChinese = false;
    settings.SaveSettings();
    EXPECT_EQ(ReadBytes(folder / "q.ini"), "; mine\n[Window]\nleft=10\n[setting]\nBCHINESE = 0\n");
}

TEST(TIniDatas, UnknownProgramPathGivesMinusOne) {
    TIniDatas settings("");
    EXPECT_EQ(settings.IniFileName, "");
    EXPECT_TRUE(settings.bChinese);
    EXPECT_EQ(settings.LoadSettings(), -1);
    EXPECT_EQ(settings.SaveSettings(), -1);
}

TEST(TIniDatas, SaveFailureNamesTheFile) {
    ScratchFolder folder;
    TIniDatas settings(folder / "missing/quillometer");
    try {
        settings.SaveSettings();
        ADD_FAILURE() << "saving into a missing folder succeeded";
    } catch (const IniFileError& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + folder.path() + "/missing/quillometer.ini");
    }
}

TEST(ExecutablePath, IsThisTestProgram) {
    const std::string path = ExecutablePath();
    EXPECT_TRUE(path.starts_with("/")) << path;
    EXPECT_TRUE(path.ends_with("/settings_tests")) << path;
    EXPECT_EQ(ExecutableDirectory(), path.substr(0, path.rfind('/') + 1));
    EXPECT_EQ(TIniDatas().IniFileName, path + ".ini");
}

}  // namespace
}  // namespace quill
