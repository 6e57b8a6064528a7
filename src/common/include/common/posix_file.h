#pragma once
// The one place that talks to POSIX file descriptors: an owner that closes
// its descriptor once, open, read and write loops that retry on EINTR, and
// the rules for files that are not regular files. Saving, loading and the
// command line all go through here.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace quill {

// Owns one open descriptor and closes it when it goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes without asking how it went.
    void reset();
    // Closes and reports whether the last buffered writes made it.
    bool close();

private:
    int fd_ = -1;
};

// open(2) with O_CLOEXEC and O_NOCTTY, retried when a signal interrupts it.
// Not valid() on failure, with errno set.
FileDescriptor openFile(const std::string& path, int flags, mode_t mode = 0);

// What a load or a save does with a file that is not a regular file.
enum class SpecialFiles {
    // Pipes, FIFOs and devices are read to their end or written into, as the
    // command line uses them; a FIFO without a writer (or reader) waits for one.
    accept,
    // Only regular files open. Anything else fails at once, never waiting
    // on a FIFO or a device: the desktop program.
    refuse,
};

// Opens path to read. A folder never opens (errno EISDIR); other special
// files as `special` says (errno ENXIO when refused).
FileDescriptor openForReading(const std::string& path, SpecialFiles special);

// Reads until `want` bytes are in or the file ends, so that a caller sees
// the same pieces whatever sizes read(2) returns. The bytes read; -1 on error.
ssize_t readFull(int fd, char* buffer, std::size_t want);

// Appends everything up to the end of the file to out; false on a read error.
bool readAll(int fd, std::string& out);

// Writes every byte, at the file position or from offset. False on an error,
// and also when a write takes no byte at all, so the loop never spins.
bool writeAll(int fd, std::string_view bytes);
bool writeAllAt(int fd, std::string_view bytes, off_t offset);

// fsync(2), retried when a signal interrupts it.
bool syncFile(int fd);

}  // namespace quill
