#include "common/exe_path.h"

#include <unistd.h>

#include <sys/stat.h>
#include <string_view>

namespace quill {

std::string executablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            break;
        }
        path.resize(path.size() * 2);  // the link may have been cut: try again
    }
    // A program file replaced while it runs (an upgrade) reads back with this
    // suffix; the files beside it belong to the name without it.
    constexpr std::string_view deleted = " (deleted)";
    struct stat info;
    if (path.ends_with(deleted) && ::stat(path.c_str(), &info) != 0) path.resize(path.size() - deleted.size());
    return path;
}

std::string executableDirectory() {
    std::string path = executablePath();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    path.resize(slash + 1);
    return path;
}

}  // namespace quill
