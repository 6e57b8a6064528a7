#pragma once
// Runs one of our test programs as user and group 65534 (nobody), whom the
// permission bits bind, unlike root. Run as root, the program is first copied
// into a scratch folder everyone may enter: the build tree may lie where that
// user cannot go (a checkout under /root). A cross build puts its emulator in
// front (QUILL_TEST_EMULATOR, words split on spaces).

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace quill::testing_unprivileged {

class ProgramCopies {
public:
    ~ProgramCopies() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    // The copy of program the unprivileged user may run; made once per process.
    std::string copyOf(const std::string& program) {
        auto found = copies_.find(program);
        if (found != copies_.end()) return found->second;
        if (folder_.empty()) {
            char name[] = "/tmp/quill-nobody-XXXXXX";
            if (::mkdtemp(name) == nullptr) return program;
            folder_ = name;
            ::chmod(name, 0755);
        }
        const std::string copy =
            folder_ + "/" + std::to_string(copies_.size()) + "-" + std::filesystem::path(program).filename().string();
        std::error_code error;
        std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing, error);
        ::chmod(copy.c_str(), 0755);
        return copies_[program] = error ? program : copy;
    }

private:
    std::string folder_;
    std::map<std::string, std::string> copies_;
};

// False only when the tests run as root and setpriv is not installed.
inline bool canRunUnprivileged() {
    if (::geteuid() != 0) return true;
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((folder + "/setpriv").c_str(), X_OK) == 0) return true;
    return false;
}

// The words that start program as the unprivileged user (directly when the
// tests do not run as root).
inline std::vector<std::string> unprivilegedCommand(const std::string& program) {
    static ProgramCopies copies;
    std::vector<std::string> command;
    const bool root = ::geteuid() == 0;
    if (root) command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    std::istringstream emulator(QUILL_TEST_EMULATOR);
    for (std::string word; emulator >> word;) command.push_back(word);
    command.push_back(root ? copies.copyOf(program) : program);
    return command;
}

}  // namespace quill::testing_unprivileged
