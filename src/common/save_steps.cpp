#include "save_steps.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace quill::save_steps {

namespace {

constexpr int kNameAttempts = 16;  // a random name taken twice is already a planted one

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomTag() {
    uint64_t bits = 0;
    if (::getentropy(&bits, sizeof bits) != 0) {
        // No random source yet (early boot): the clock, the process and a
        // counter still give a fresh name, and O_EXCL refuses a planted one.
        static std::atomic<uint64_t> serial{0};
        const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        bits ^= now * 0x9E3779B97F4A7C15u ^ static_cast<uint64_t>(::getpid()) << 32 ^ serial.fetch_add(1);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string tag(16, '0');
    for (char& digit : tag) {
        digit = kHex[bits & 15];
        bits >>= 4;
    }
    return tag;
}

FileDescriptor createUnnamed(const std::string& folder, mode_t mode) {
    if (::geteuid() != 0 && ::access("/proc/self/fd", X_OK) != 0) return FileDescriptor();
    return openFile(folder, O_TMPFILE | O_WRONLY, mode);
}

std::string nameUnnamed(int fd, const std::string& stem, const BeforeNaming& before) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = stem + randomTag();
        if (before) before(path);
        if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return path;
        if (errno != EEXIST && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return path;
        if (errno != EEXIST) break;
    }
    return {};
}

FileDescriptor createNamed(const std::string& stem, mode_t mode, std::string& path, const BeforeNaming& before) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = stem + randomTag();
        if (before) before(path);
        FileDescriptor file = openFile(path, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (file.valid() || errno != EEXIST) {
            if (!file.valid()) path.clear();
            return file;
        }
    }
    path.clear();
    return FileDescriptor();
}

void syncFolder(const std::string& path) {
    FileDescriptor folder = openFile(folderOf(path), O_RDONLY | O_DIRECTORY);
    if (folder.valid()) ::fsync(folder.get());
}

}  // namespace quill::save_steps
