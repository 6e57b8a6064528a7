#include "settings_test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "common/safe_file.h"

namespace quill::testing {

ScratchFolder::ScratchFolder() {
    char name[] = "/tmp/quill-settings-XXXXXX";
    if (::mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name;
    ::chmod(path_.c_str(), 0755);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) ? bytes : "<missing>";
}

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

ChildResult RunProbeAsNobody(const std::vector<std::string>& args,
                             const std::vector<std::string>& environment) {
    std::vector<std::string> argv = {"setpriv", "--reuid=65534", "--regid=65534",
                                     "--clear-groups", QUILL_SETTINGS_PROBE};
    argv.insert(argv.end(), args.begin(), args.end());

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        for (const std::string& setting : environment) ::putenv(const_cast<char*>(setting.c_str()));
        std::vector<char*> cargv;
        for (std::string& arg : argv) cargv.push_back(arg.data());
        cargv.push_back(nullptr);
        ::execvp(cargv[0], cargv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ChildResult result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace quill::testing
