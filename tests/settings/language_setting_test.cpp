#include "settings/language_setting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/error.h"
#include "common/exe_path.h"
#include "settings/settings_location.h"
#include "settings_test_support.h"

namespace quill {
namespace {

using testing::exists;
using testing::readBytes;
using testing::runProbeAsNobody;
using testing::ScratchFolder;
using testing::writeBytes;

TEST(IniFileNameFor, ReplacesOrAppendsTheExtension) {
    const struct {
        std::string exe, ini;
    } cases[] = {
        {"/opt/q/quillometer", "/opt/q/quillometer.ini"},
        {"/opt/q/quillometer.bin", "/opt/q/quillometer.ini"},
        {"/opt/q.d/quillometer", "/opt/q.d/quillometer.ini"},
        {"/a.b/c.d.e", "/a.b/c.d.ini"},
        {"/x/prog.", "/x/prog.ini"},
        {"/x/.hidden", "/x/.hidden.ini"},
        {"/x/.hidden.bin", "/x/.hidden.ini"},
        {"/x/..two", "/x/..two.ini"},
        {"/x/prog.ini", "/x/prog.ini.ini"},
        {"prog", "prog.ini"},
        {"prog.bin", "prog.ini"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(iniFileNameFor(c.exe), c.ini) << c.exe;
}

TEST(LanguageSetting, ReadsAtConstructionWritesOnlyOnSave) {
    ScratchFolder folder;
    {
        LanguageSetting settings(folder / "quillometer");
        EXPECT_EQ(settings.fileName(), folder / "quillometer.ini");
        EXPECT_TRUE(settings.chinese());
        settings.setChinese(false);
    }  // destruction saves nothing
    EXPECT_FALSE(exists(folder / "quillometer.ini"));

    LanguageSetting first(folder / "quillometer");
    first.setChinese(false);
    first.save();
    EXPECT_EQ(readBytes(folder / "quillometer.ini"), "[Setting]\r\nbChinese=0\r\n");
    EXPECT_FALSE(LanguageSetting(folder / "quillometer").chinese());

    writeBytes(folder / "q.ini", "; mine\n[Window]\nleft=10\n[setting]\nBCHINESE = false\n");
    LanguageSetting edited(folder / "q.bin");
    EXPECT_TRUE(edited.chinese());  // "false" is no integer: the default
    edited.setChinese(false);
    edited.save();
    EXPECT_EQ(readBytes(folder / "q.ini"), "; mine\n[Window]\nleft=10\n[setting]\nBCHINESE = 0\n");
}

// Sets (or, for null, removes) an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(LanguageSetting, FailedSaveNamesTheFile) {
    ScratchFolder folder;
    LanguageSetting settings(folder / "missing/quillometer");  // a missing folder is not the user's
    EXPECT_THROW(
        try { settings.save(); } catch (const IniFileError& e) {
            EXPECT_EQ(e.message(), "Unable to write to " + folder.path() + "/missing/quillometer.ini");
            throw;
        },
        IniFileError);

    // Neither the program's path nor a user folder known: nowhere to save.
    const ScopedVariable home("HOME", nullptr), xdg("XDG_CONFIG_HOME", nullptr);
    LanguageSetting unknown("");
    EXPECT_EQ(unknown.fileName(), "");
    EXPECT_TRUE(unknown.chinese());
    EXPECT_THROW(unknown.save(), IniFileError);
}

TEST(ExecutablePath, IsThisTestProgram) {
    const std::string path = executablePath();
    EXPECT_TRUE(path.starts_with("/") && path.ends_with("/settings_tests")) << path;
    EXPECT_EQ(executableDirectory(), path.substr(0, path.rfind('/') + 1));
    EXPECT_EQ(LanguageSetting().fileName(), path + ".ini");
}

TEST(UserSettingsFile, FollowsXdgConfigHomeThenHome) {
    const struct {
        const char *xdg, *home;
        std::string file;
    } cases[] = {
        {"/cfg/", "/home/u", "/cfg/quillometer/quillometer.ini"},
        {"relative", "/home/u/", "/home/u/.config/quillometer/quillometer.ini"},
        {"", nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(userSettingsFileFrom(c.xdg, c.home), c.file) << c.file;
}

// Where the settings go for a user other than root, and what the first run
// there reads: the file beside the program only when that user may write it
// (or create it); otherwise the per-user file, which starts from the choice
// still kept beside the program.
TEST(SettingsFileFor, UnwritableFileBesideTheProgramGivesWayToTheUserFile) {
    const struct {
        const char* name;
        mode_t folderMode;
        int fileMode;
        bool beside;
    } cases[] = {
        // -1: no file
        {"own folder", 0777, -1, true},
        {"installed", 0755, -1, false},
        {"root's file, open folder", 0777, 0644, false},
        {"root's file, closed folder", 0755, 0644, false},
        {"writable file, closed folder", 0755, 0666, true},
    };
    for (const auto& c : cases) {
        ScratchFolder program, home;
        ::chmod(home.path().c_str(), 0777);
        const std::string exe = program / "quillometer", environment = "XDG_CONFIG_HOME=" + (home / "cfg");
        const std::string file = c.beside ? program / "quillometer.ini" : home / "cfg/quillometer/quillometer.ini";
        if (c.fileMode >= 0) {
            writeBytes(program / "quillometer.ini", "[Setting]\r\nbChinese=0\r\n");
            ::chmod((program / "quillometer.ini").c_str(), static_cast<mode_t>(c.fileMode));
        }
        ::chmod(program.path().c_str(), c.folderMode);

        EXPECT_EQ(runProbeAsNobody("load " + exe, environment).output, file + (c.fileMode >= 0 ? " 0" : " 1"))
            << c.name;
        EXPECT_EQ(runProbeAsNobody("save " + exe + " 1", environment).output, file) << c.name;
        EXPECT_EQ(runProbeAsNobody("load " + exe, environment).output, file + " 1") << c.name;
        if (!c.beside) {
            struct stat info;
            EXPECT_TRUE(::stat((home / "cfg/quillometer").c_str(), &info) == 0 && (info.st_mode & 0777) == 0700)
                << c.name;
            EXPECT_EQ(readBytes(program / "quillometer.ini"),
                      c.fileMode >= 0 ? "[Setting]\r\nbChinese=0\r\n" : "<missing>")
                << c.name;
        }
    }
}

}  // namespace
}  // namespace quill
