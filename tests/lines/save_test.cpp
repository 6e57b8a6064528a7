#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <vector>

#include "common/error.h"
#include "common/safe_file.h"
#include "lines/list_file.h"
#include "pane_save.h"
#include "temp_folder.h"
#include "unprivileged_program.h"

namespace quill {
namespace {

using testing_files::namesIn;
using testing_files::permissionsOf;
using testing_files::readFile;
using testing_files::TempFolder;
using testing_files::writeFile;

constexpr uid_t kNobody = 65534;

// The message saveToFile raises, or "ok".
std::string saveFile(const std::string& text, const std::string& path) {
    try {
        saveToFile(ByteLineList(text), path);
    } catch (const Error& e) {
        return e.message();
    }
    return "ok";
}

TEST(SaveFile, ThroughSymlinksTheRealFileIsReplaced) {
    TempFolder folder;
    ::mkdir((folder / "sub").c_str(), 0755);
    writeFile(folder / "sub/real.txt", "old");
    ::symlink("sub/real.txt", (folder / "link.txt").c_str());
    ::symlink((folder / "link.txt").c_str(), (folder / "chain.txt").c_str());
    ::symlink("sub/new.txt", (folder / "dangling.txt").c_str());

    EXPECT_EQ(saveFile("1\r\n", folder / "chain.txt"), "ok");
    EXPECT_EQ(saveFile("2\r\n", folder / "dangling.txt"), "ok");
    EXPECT_EQ(readFile(folder / "sub/real.txt"), "1\r\n");
    EXPECT_EQ(readFile(folder / "sub/new.txt"), "2\r\n");
    for (const char* link : {"link.txt", "chain.txt", "dangling.txt"}) {
        struct stat info;
        ASSERT_EQ(::lstat((folder / link).c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << link << " is no longer a link";
    }
    EXPECT_EQ(namesIn(folder / "sub"), (std::set<std::string>{"real.txt", "new.txt"}));
}

// Saved in pieces, the target changes at the commit and not before; a save
// given up leaves neither a changed target nor a temporary file.
TEST(SaveFile, InPiecesTheTargetChangesOnlyAtCommit) {
    TempFolder folder;
    writeFile(folder / "old.txt", "old");
    for (const bool commit : {false, true}) {
        {
            SafeFileWriter writer;
            ASSERT_EQ(writer.open(folder / "old.txt"), SaveStatus::ok);
            EXPECT_TRUE(writer.write("1\r\n") && writer.write("2\r\n"));
            EXPECT_EQ(readFile(folder / "old.txt"), "old");
            if (commit) {
                EXPECT_EQ(writer.commit(), SaveStatus::ok);
            }
        }
        EXPECT_EQ(readFile(folder / "old.txt"), commit ? "1\r\n2\r\n" : "old");
        EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"old.txt"});
    }
}

// A signal handler's view of an in-place save: before the rewrite, the copy
// goes and the program may end at once; during it, the program ends only
// after it, the copy going if the target came out whole and staying if not.
TEST(CopyWatch, ASignalRemovesTheCopyOnlyBesideAWholeTarget) {
    TempFolder folder;
    struct Case {
        const char* steps;  // a: arm, s: startRewrite, e: endRewrite, d: disarm, then the save's own discard
        bool endNow, startAllowed, endAsked, copyLeft;
    };
    for (const Case c : {Case{"a", true, false, false, false}, Case{"as", false, true, false, true},
                         Case{"ase", false, true, true, false}, Case{"asd", false, true, true, true}}) {
        const std::string copy = folder / "copy";
        writeFile(copy, "old");
        CopyWatch watch;
        bool allowed = true;
        watch.arm(copy);
        if (std::string(c.steps).find('s') != std::string::npos) allowed = watch.startRewrite();
        EXPECT_EQ(watch.endNow(), c.endNow) << c.steps;
        if (std::string(c.steps).find('s') == std::string::npos) allowed = watch.startRewrite();
        if (std::string(c.steps).find('e') != std::string::npos) watch.endRewrite();
        if (std::string(c.steps).find('d') != std::string::npos) watch.disarm();
        watch.discardCopy();
        EXPECT_EQ(allowed, c.startAllowed) << c.steps;
        EXPECT_EQ(watch.endAsked(), c.endAsked) << c.steps;
        EXPECT_EQ(readFile(copy) == "old", c.copyLeft) << c.steps;
    }
}

// The calls a save makes, in order, as strace saw them: "write" (bytes into
// the new file, one entry for a run of them), "fsync" of the new file,
// "rename" over the target, "fsync folder" of the target's folder.
std::vector<std::string> saveCalls(const std::string& trace) {
    static const std::regex call(R"re(^(?:\d+ +)?(\w+)\((\w*)[^"]*(?:"([^"]*)")?(?:, ([A-Z_|]+))?.*\) += (-?\d+))re");
    std::vector<std::string> calls;
    std::string file, folder;  // the descriptors of the new file and of the folder
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, call)) continue;
        const std::string name = m[1], fd = m[2], path = m[3], flags = m[4], result = m[5];
        std::string event;
        if (name == "openat" &&
            (flags.find("O_TMPFILE") != std::string::npos || path.find(".saving-") != std::string::npos))
            file = result;
        else if (name == "openat" && flags.find("O_DIRECTORY") != std::string::npos)
            folder = result;
        else if ((name == "write" || name == "pwrite64") && fd == file)
            event = "write";
        else if (name == "fsync" && fd == file)
            event = "fsync";
        else if (name == "fsync" && fd == folder)
            event = "fsync folder";
        else if (name.starts_with("rename"))
            event = "rename";
        else if (name == "close" && fd == file)
            file.clear();
        if (!event.empty() && (calls.empty() || calls.back() != event)) calls.push_back(event);
    }
    return calls;
}

// A file is flushed before it replaces the target, and the rename is
// flushed after: a crash leaves the old file or the new one, never a short one.
TEST(SaveFile, WritesFlushesRenamesThenFlushesTheFolder) {
    if (std::string(QUILL_TEST_EMULATOR).size() > 0 || std::system("strace -V > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no strace to watch the save with";
    TempFolder folder;
    writeFile(folder / "text", std::string(100000, '7') + "\r\n");
    writeFile(folder / "list.txt", "old");
    // The leak checker of a sanitized build does not run under ptrace.
    const std::string command =
        "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -f -o " + folder / "trace" +
        " -e trace=openat,write,pwrite64,fsync,close,rename,renameat,renameat2 " + QUILL_PANE_FILE_HELPER + " save " +
        folder / "list.txt" + " " + folder / "text" + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(saveCalls(readFile(folder / "trace")),
              (std::vector<std::string>{"write", "fsync", "rename", "fsync folder"}));
    EXPECT_EQ(readFile(folder / "list.txt"), std::string(100000, '7') + "\r\n");
}

TEST(SaveFile, ReplacedFileKeepsItsPermissionsAndNewFilesFollowTheUmask) {
    TempFolder folder;
    for (mode_t mode : {0600, 0640, 0755, 0604}) {
        writeFile(folder / "kept.txt", "old", mode);
        EXPECT_EQ(saveFile("new", folder / "kept.txt"), "ok");
        EXPECT_EQ(permissionsOf(folder / "kept.txt"), mode);
    }
    if (::geteuid() == 0) {  // only root can give a file away, and take it back
        ASSERT_EQ(::chown((folder / "kept.txt").c_str(), kNobody, kNobody), 0);
        EXPECT_EQ(saveFile("newer", folder / "kept.txt"), "ok");
        struct stat info;
        ASSERT_EQ(::stat((folder / "kept.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, kNobody);
        EXPECT_EQ(info.st_gid, kNobody);
    }
    struct Case {
        mode_t umask, expected;
    };
    for (Case c : {Case{022, 0644}, Case{027, 0640}, Case{0, 0666}}) {
        const mode_t saved = ::umask(c.umask);
        ::unlink((folder / "fresh.txt").c_str());
        EXPECT_EQ(saveFile("new", folder / "fresh.txt"), "ok");
        ::umask(saved);
        EXPECT_EQ(permissionsOf(folder / "fresh.txt"), c.expected) << "umask " << c.umask;
    }
}

// Runs the pane file helper as an unprivileged user (directly when the tests
// do not run as root). Status 127: it could not be started.
struct Outcome {
    int status;
    std::string output;
};
Outcome runHelperUnprivileged(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = testing_unprivileged::unprivilegedCommand(QUILL_PANE_FILE_HELPER);
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {-1, "pipe failed"};
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], 1);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    Outcome outcome{-1, ""};
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        outcome.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

class UnprivilegedSave : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing_unprivileged::canRunUnprivileged())
            GTEST_SKIP() << "setpriv is not available: cannot test as an unprivileged user";
        const Outcome started = runHelperUnprivileged({"load", "/dev/null"});
        ASSERT_EQ(started.status, 0) << "the helper did not run as the unprivileged user: " << started.output;
    }
    // Saves text to path as the unprivileged user; the message or "ok".
    std::string saveAsNobody(const std::string& text, const std::string& path) {
        writeFile(source_ / "text", text, 0644);
        return runHelperUnprivileged({"save", path, source_ / "text"}).output;
    }

    TempFolder source_;
    TempFolder folder_;
};

TEST_F(UnprivilegedSave, TheHelperReallyRunsUnprivileged) {
    EXPECT_EQ(saveAsNobody("1\r\n", folder_ / "mine.txt"), "ok");
    struct stat info;
    ASSERT_EQ(::stat((folder_ / "mine.txt").c_str(), &info), 0);
    if (::geteuid() == 0) {
        EXPECT_EQ(info.st_uid, kNobody);
    }
}

TEST_F(UnprivilegedSave, ReadOnlyFileOrFolderIsNotReplaced) {
    ::mkdir((folder_ / "locked").c_str(), 0755);
    writeFile(folder_ / "locked/old.txt", "old", 0644);  // root's, not writable for nobody
    writeFile(folder_ / "readonly.txt", "old", 0444);
    ::chmod((folder_ / "locked").c_str(), 0555);
    const std::string paths[] = {folder_ / "readonly.txt", folder_ / "locked/old.txt", folder_ / "locked/new.txt"};
    for (const std::string& path : paths) EXPECT_EQ(saveAsNobody("new", path), "Cannot create file " + path);
    EXPECT_EQ(readFile(folder_ / "readonly.txt"), "old");
    EXPECT_EQ(readFile(folder_ / "locked/old.txt"), "old");
    EXPECT_EQ(namesIn(folder_ / "locked"), std::set<std::string>{"old.txt"});
    EXPECT_EQ(namesIn(folder_.path()), (std::set<std::string>{"locked", "readonly.txt"}));
}

TEST_F(UnprivilegedSave, WritableFileInReadOnlyFolderIsRewrittenInPlace) {
    writeFile(folder_ / "list.txt", "a rather long old text\r\n", 0666);
    ::chmod(folder_.path().c_str(), 0555);
    for (const std::string& text : {std::string("short\r\n"), std::string(100000, '7') + "\r\n", std::string()}) {
        EXPECT_EQ(saveAsNobody(text, folder_ / "list.txt"), "ok");
        EXPECT_EQ(readFile(folder_ / "list.txt"), text);
    }
    EXPECT_EQ(permissionsOf(folder_ / "list.txt"), 0666u);
    EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"list.txt"});
}

// Rewritten in place, a file would be lost to a kill part-way, so a copy is
// kept first; a file that cannot be read cannot be copied and is left alone.
TEST_F(UnprivilegedSave, InPlaceRewriteWithoutACopyIsRefused) {
    const std::string path = folder_ / "list.txt";
    writeFile(path, "old\r\n", 0222);
    ::chmod(folder_.path().c_str(), 0555);
    EXPECT_EQ(saveAsNobody("new\r\n", path),
              "Cannot save " + path + " in place: no copy of the old file could be kept");
    EXPECT_EQ(readFile(path), "old\r\n");
}

// Sets an environment variable for the helpers a test starts, until it goes.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* was = std::getenv(name)) was_ = was;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { was_.empty() ? ::unsetenv(name_) : ::setenv(name_, was_.c_str(), 1); }

private:
    const char* name_;
    std::string was_;
};

// The copy of a file rewritten in place goes to the user's cache folder
// where that is a folder the user may write, else to a folder of the user's
// alone (0700) in the temporary folder, which a name another user planted
// there neither blocks nor redirects. A save that succeeds leaves no copy.
TEST_F(UnprivilegedSave, InPlaceCopyGoesWhereOnlyTheUserCanReachIt) {
    const std::string cache = folder_ / "cache", temp = folder_ / "temp", elsewhere = folder_ / "elsewhere";
    const std::string own = temp + "/quillometer-" + std::to_string(::geteuid() == 0 ? kNobody : ::geteuid());
    ScopedVariable cacheHome("XDG_CACHE_HOME", cache), tempFolder("TMPDIR", temp);
    ::mkdir((folder_ / "ro").c_str(), 0755);
    writeFile(folder_ / "ro/list.txt", "old\r\n", 0666);
    ::chmod((folder_ / "ro").c_str(), 0555);
    struct Case {
        const char* planted;  // what stands where the copy would go
        std::set<std::string> cacheAfter, tempAfter;
    };
    const Case cases[] = {
        {"", {"quillometer"}, {}},
        {"cache file", {"quillometer"}, {own.substr(temp.size() + 1)}},
        {"cache file, temp folder of another user", {"quillometer"}, {own.substr(temp.size() + 1)}},
        {"cache file, temp link", {"quillometer"}, {own.substr(temp.size() + 1)}},
    };
    for (const Case& c : cases) {
        const std::string planted = c.planted;
        for (const std::string& path : {cache, temp, elsewhere}) std::filesystem::remove_all(path);
        for (const std::string& path : {cache, temp, elsewhere}) {
            ::mkdir(path.c_str(), 0777);
            ::chmod(path.c_str(), path == temp ? 01777 : 0777);
        }
        if (planted.starts_with("cache file")) writeFile(cache + "/quillometer", "", 0777);
        if (planted.ends_with("of another user")) ::mkdir(own.c_str(), 0777), ::chmod(own.c_str(), 0777);
        if (planted.ends_with("link")) ::symlink(elsewhere.c_str(), own.c_str());
        const std::string text = "new " + planted + "\r\n";
        EXPECT_EQ(saveAsNobody(text, folder_ / "ro/list.txt"), "ok") << planted;
        EXPECT_EQ(readFile(folder_ / "ro/list.txt"), text);
        EXPECT_EQ(namesIn(cache), c.cacheAfter) << planted;
        EXPECT_EQ(namesIn(temp), c.tempAfter) << planted;
        for (const std::string& folder : {cache + "/quillometer", own, elsewhere}) {
            struct stat info;
            if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
                EXPECT_EQ(namesIn(folder), std::set<std::string>{}) << planted << ": " << folder;
            }
        }
    }
}

TEST_F(UnprivilegedSave, UnreadableFileDoesNotLoad) {
    writeFile(folder_ / "secret.txt", "1\r\n", 0600);
    EXPECT_EQ(runHelperUnprivileged({"load", folder_ / "secret.txt"}).output,
              "Cannot open file " + folder_ / "secret.txt");
}

// A small tmpfs that fills up. Mounting needs privileges a test run may lack.
class FullDiskSave : public UnprivilegedSave {
protected:
    void SetUp() override {
        disk_ = folder_ / "disk";
        ::mkdir(disk_.c_str(), 0777);
        if (::mount("tmpfs", disk_.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno) << ")";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount2(disk_.c_str(), MNT_DETACH);
    }
    std::string disk_;
    bool mounted_ = false;
};

TEST_F(FullDiskSave, OldFileSurvivesAndNoTemporaryFileIsLeft) {
    writeFile(disk_ + "/old.txt", "old\r\n");
    const std::string big(1 << 20, '5');
    EXPECT_EQ(saveFile(big, disk_ + "/old.txt"), "Failed to Save Stream");
    EXPECT_EQ(saveFile(big, disk_ + "/new.txt"), "Failed to Save Stream");
    EXPECT_EQ(readFile(disk_ + "/old.txt"), "old\r\n");
    EXPECT_EQ(namesIn(disk_), std::set<std::string>{"old.txt"});
}

TEST_F(FullDiskSave, InPlaceRewriteChecksTheRoomFirst) {
    UnprivilegedSave::SetUp();
    if (IsSkipped()) return;
    writeFile(disk_ + "/old.txt", "old\r\n", 0666);
    ::chmod(disk_.c_str(), 0555);
    EXPECT_EQ(saveAsNobody(std::string(1 << 20, '5'), disk_ + "/old.txt"), "Failed to Save Stream");
    EXPECT_EQ(readFile(disk_ + "/old.txt"), "old\r\n");
}

// A file whose old bytes lie over holes: the new bytes beyond its end fit,
// those over the holes find no room once the file was touched. The failure
// names the copy, which holds the old bytes, in a folder of the user's alone
// although another user took that folder's usual name.
TEST_F(FullDiskSave, InPlaceRewriteFailingPartWayNamesTheCopy) {
    UnprivilegedSave::SetUp();
    if (IsSkipped()) return;
    const std::string path = disk_ + "/old.txt";
    writeFile(path, "", 0666);
    ASSERT_EQ(::truncate(path.c_str(), 1 << 20), 0);
    const std::string old = readFile(path);
    ::chmod(disk_.c_str(), 0555);
    // Another user's folder stands where the user's own would be.
    const std::string planted = folder_ / ("quillometer-" + std::to_string(::geteuid() == 0 ? kNobody : ::geteuid()));
    ::mkdir(planted.c_str(), 0777);
    ::chmod(planted.c_str(), 0777);
    ScopedVariable cacheHome("XDG_CACHE_HOME", path), tempFolder("TMPDIR", folder_.path());
    const std::string message = saveAsNobody(std::string((1 << 20) + 100, '5'), path);
    const std::string kept = "Failed to Save Stream; the old file is kept as ";
    ASSERT_TRUE(message.starts_with(kept)) << message;
    const std::string copy = message.substr(kept.size());
    EXPECT_EQ(readFile(copy), old);
    EXPECT_EQ(permissionsOf(copy.substr(0, copy.rfind('/'))), 0700u);
}

}  // namespace
}  // namespace quill
