#pragma once
// Scratch folders, file bytes and an unprivileged child for the settings tests.

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "common/safe_file.h"
#include "unprivileged_program.h"

namespace quill::testing {

// A fresh folder under /tmp that everyone may enter, removed with its content.
class ScratchFolder {
public:
    ScratchFolder() {
        char name[] = "/tmp/quill-settings-XXXXXX";
        path_ = ::mkdtemp(name);
        ::chmod(name, 0755);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    if (saveFileSafely(path, bytes) != SaveStatus::ok) throw std::runtime_error("cannot write " + path);
}
// The file's bytes, or "<missing>" when it cannot be read.
inline std::string readBytes(const std::string& path) {
    std::string bytes;
    return readWholeFile(path, bytes) ? bytes : "<missing>";
}
inline bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

struct ChildResult {
    int exitCode = -1;
    std::string output;
};

// Runs the settings probe (settings_probe.cpp) as user and group 65534
// (nobody), whom the permission bits bind, unlike root. Arguments are plain
// scratch paths and words, so the shell line needs no quoting.
inline ChildResult runProbeAsNobody(const std::string& args, const std::string& environment = "") {
    std::string command = "env " + environment;
    for (const std::string& word : testing_unprivileged::unprivilegedCommand(QUILL_SETTINGS_PROBE))
        command += " " + word;
    command += " " + args;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    ChildResult result;
    char buffer[4096];
    for (std::size_t n; (n = ::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace quill::testing
