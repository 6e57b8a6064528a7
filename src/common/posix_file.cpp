#include "common/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quill {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileDescriptor::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool FileDescriptor::close() {
    const int fd = fd_;
    fd_ = -1;
    // Linux frees the descriptor even when close fails: never retried.
    return fd < 0 || ::close(fd) == 0;
}

FileDescriptor openFile(const std::string& path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    return FileDescriptor(fd);
}

FileDescriptor openForReading(const std::string& path, SpecialFiles special) {
    // Opening without O_NONBLOCK a FIFO that has no writer waits for one;
    // with it the open returns at once and fstat tells what the file is.
    const bool refuse = special == SpecialFiles::refuse;
    FileDescriptor file = openFile(path, O_RDONLY | (refuse ? O_NONBLOCK : 0));
    if (!file.valid()) return file;
    struct stat info;
    if (::fstat(file.get(), &info) != 0) return FileDescriptor();
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return FileDescriptor();
    }
    if (refuse) {
        if (!S_ISREG(info.st_mode)) {
            errno = ENXIO;
            return FileDescriptor();
        }
        const int flags = ::fcntl(file.get(), F_GETFL);
        if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return FileDescriptor();
    }
    return file;
}

ssize_t readFull(int fd, char* buffer, std::size_t want) {
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, buffer + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool readAll(int fd, std::string& out) {
    constexpr std::size_t kChunk = 1 << 16;
    // A regular file says how large it is: one allocation, and the read that
    // finds the end needs no room of its own.
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        out.reserve(out.size() + static_cast<std::size_t>(info.st_size) + 1);
    for (;;) {
        const std::size_t filled = out.size();
        const std::size_t want = out.capacity() > filled ? out.capacity() - filled : kChunk;
        out.resize(filled + want);
        const ssize_t n = ::read(fd, out.data() + filled, want);
        out.resize(filled + (n > 0 ? static_cast<std::size_t>(n) : 0));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool writeAllAt(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

bool syncFile(int fd) {
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

}  // namespace quill
