#include "common/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/error.h"
#include "common/posix_file.h"

namespace quill {

namespace {

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a chain of symbolic links that ends in a name not yet taken, so
// that saving through a dangling link creates its target. False on a loop.
bool followLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::string link(PATH_MAX, '\0');
        ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return false;
        link.resize(static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : folderOf(path) + "/" + link;
    }
    return false;
}

// A number for a new file's name, different on every call.
std::string nameTag(int attempt) {
    static std::atomic<unsigned> serial{0};
    const unsigned tag =
        static_cast<unsigned>(::getpid()) * 2654435761u ^ serial.fetch_add(1) * 40503u ^ static_cast<unsigned>(attempt);
    return std::to_string(tag % 1000000u);
}

// A name beside the target for the temporary file.
std::string siblingName(const std::string& target, int attempt) {
    return folderOf(target) + "/." + nameOf(target).substr(0, 180) + ".saving-" + nameTag(attempt);
}

// A fresh file beside the target, created with 0666 so that the umask (and
// any default ACL of the folder) decides a new file's permissions.
FileDescriptor createSibling(const std::string& target, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = siblingName(target, attempt);
        FileDescriptor file = openFile(tempPath, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (file.valid()) return file;
        if (errno != EEXIST) break;
    }
    tempPath.clear();
    return FileDescriptor();
}

// A file without a name in the target's folder: a save killed before its
// commit leaves nothing behind. Only where it can be given a name later:
// through AT_EMPTY_PATH (which needs privilege) or /proc/self/fd.
FileDescriptor createUnnamed(const std::string& target) {
    if (::geteuid() != 0 && ::access("/proc/self/fd", X_OK) != 0) return FileDescriptor();
    return openFile(folderOf(target), O_TMPFILE | O_WRONLY, 0666);
}

// Gives the unnamed file a name beside the target, for the rename.
bool nameUnnamed(int fd, const std::string& target, std::string& tempPath) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = siblingName(target, attempt);
        if (::linkat(fd, "", AT_FDCWD, tempPath.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != EEXIST && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempPath.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) break;
    }
    tempPath.clear();
    return false;
}

void syncFolder(const std::string& path) {
    FileDescriptor folder = openFile(folderOf(path), O_RDONLY | O_DIRECTORY);
    if (folder.valid()) ::fsync(folder.get());  // best effort: the rename already took place
}

// The user's cache folder for the copies of files rewritten in place:
// $XDG_CACHE_HOME/quillometer, ~/.cache/quillometer, else the temporary folder.
std::string copyFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (cache != nullptr && cache[0] == '/') {
        base = cache;
    } else if (home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.cache";
    }
    if (!base.empty()) {
        ::mkdir(base.c_str(), 0700);
        const std::string folder = base + "/quillometer";
        if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
            if (::access(folder.c_str(), W_OK | X_OK) == 0) return folder;
        }
    }
    const char* temp = std::getenv("TMPDIR");
    return temp != nullptr && temp[0] == '/' ? temp : "/tmp";
}

// A copy of the file's bytes in the cache folder, written and flushed before
// the file is touched. False when it cannot be made whole.
bool keepCopy(const std::string& target, const struct stat& old, std::string& copyPath) {
    FileDescriptor source = openFile(target, O_RDONLY | O_NONBLOCK);
    struct stat now;
    if (!source.valid() || ::fstat(source.get(), &now) != 0 || now.st_dev != old.st_dev || now.st_ino != old.st_ino)
        return false;
    const std::string folder = copyFolder();
    FileDescriptor copy;
    for (int attempt = 0; attempt < 100 && !copy.valid(); ++attempt) {
        copyPath = folder + "/" + nameOf(target).substr(0, 180) + ".before-save-" + nameTag(attempt);
        copy = openFile(copyPath, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (!copy.valid() && errno != EEXIST) break;
    }
    if (!copy.valid()) return false;
    bool whole = true;
    std::string buffer(std::size_t{1} << 20, '\0');
    for (ssize_t n; whole && (n = readFull(source.get(), buffer.data(), buffer.size())) != 0;)
        whole = n > 0 && writeAll(copy.get(), std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    whole = whole && syncFile(copy.get()) && copy.close();
    if (!whole) ::unlink(copyPath.c_str());
    if (whole) syncFolder(copyPath);
    return whole;
}

// The folder does not let us add a file, but the file itself is writable.
// The bytes beyond the old length go in first; if they do not fit, the file
// is cut back to its old length and keeps its old content. `touched` tells
// whether the old bytes were reached.
SaveStatus writeInPlace(FileDescriptor& file, const struct stat& old, std::string_view bytes, bool& touched) {
    const off_t oldSize = old.st_size;
    const off_t newSize = static_cast<off_t>(bytes.size());
    touched = false;
    if (newSize > oldSize) {
        std::string_view tail = bytes.substr(static_cast<std::size_t>(oldSize));
        if (!writeAllAt(file.get(), tail, oldSize) || !syncFile(file.get())) {
            if (::ftruncate(file.get(), oldSize) == 0) syncFile(file.get());
            return SaveStatus::writeFailed;
        }
    }
    std::string_view head = bytes.substr(0, static_cast<std::size_t>(newSize < oldSize ? newSize : oldSize));
    touched = true;
    if (!writeAllAt(file.get(), head, 0)) return SaveStatus::writeFailed;
    if (newSize < oldSize && ::ftruncate(file.get(), newSize) != 0) return SaveStatus::writeFailed;
    if (!syncFile(file.get()) || !file.close()) return SaveStatus::writeFailed;
    return SaveStatus::ok;
}

}  // namespace

// Devices, pipes and the like cannot be replaced by a rename (and must not
// be): their bytes go straight to them. Where the folder takes no new file
// but the target is writable, the bytes are gathered and written in place.
enum class SafeFileWriter::Mode { closed, temporary, unnamed, special, inPlace };

struct SafeFileWriter::State {
    Mode mode = Mode::closed;
    FileDescriptor file;
    std::string target, tempPath;
    struct stat old {};
    std::string gathered;  // in place only
    std::string copyPath;  // in place only: the copy of the old file
    std::string keptCopy;  // the copy a failed commit left
    bool failed = false;
};

SafeFileWriter::SafeFileWriter() : state_(std::make_unique<State>()) {}

SafeFileWriter::~SafeFileWriter() {
    if (state_->mode == Mode::temporary) {
        state_->file.reset();
        ::unlink(state_->tempPath.c_str());
    }
    // Given up before the commit: the file was never touched.
    if (state_->mode == Mode::inPlace) ::unlink(state_->copyPath.c_str());
}

const std::string& SafeFileWriter::keptCopy() const { return state_->keptCopy; }

SaveStatus SafeFileWriter::open(const std::string& path, SpecialFiles special) {
    State& s = *state_;
    if (path.empty()) return SaveStatus::cannotCreate;

    struct stat& old = s.old;
    bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) return SaveStatus::cannotCreate;
        if (!S_ISREG(old.st_mode)) {
            // Opening a FIFO to write waits for a reader, as a shell's
            // redirection does; refused, it never waits.
            if (special == SpecialFiles::refuse) return SaveStatus::cannotCreate;
            s.file = openFile(path, O_WRONLY);
            if (!s.file.valid()) return SaveStatus::cannotCreate;
            s.mode = Mode::special;
            return SaveStatus::ok;
        }
        char* real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) return SaveStatus::cannotCreate;
        s.target = real;
        std::free(real);
    } else {
        if (errno != ENOENT) return SaveStatus::cannotCreate;
        s.target = path;
        if (!followLinks(s.target)) return SaveStatus::cannotCreate;
        // The chain may end in a file after all, if it appeared meanwhile.
        exists = ::stat(s.target.c_str(), &old) == 0;
        if (exists && !S_ISREG(old.st_mode)) return SaveStatus::cannotCreate;
    }

    // A file we may not write is not replaced behind its back, even where
    // the folder would allow the rename. O_NONBLOCK: a target that turned
    // into a FIFO meanwhile fails here rather than waiting.
    FileDescriptor existing;
    if (exists) {
        existing = openFile(s.target, O_WRONLY | O_NONBLOCK);
        if (!existing.valid()) return SaveStatus::cannotCreate;
        struct stat now;
        if (::fstat(existing.get(), &now) != 0 || !S_ISREG(now.st_mode)) return SaveStatus::cannotCreate;
    }

    FileDescriptor temp = createUnnamed(s.target);
    const bool unnamed = temp.valid();
    if (!unnamed) temp = createSibling(s.target, s.tempPath);
    if (temp.valid() && exists) {
        // The new file takes the old one's owner and permission bits. Where the
        // owner cannot be kept, the file is rewritten in place instead.
        bool sameOwner = old.st_uid == ::geteuid() && old.st_gid == ::getegid();
        if (!sameOwner && ::fchown(temp.get(), old.st_uid, old.st_gid) != 0) {
            temp.reset();
            if (!unnamed) ::unlink(s.tempPath.c_str());
        } else {
            ::fchmod(temp.get(), old.st_mode & 07777);
        }
    }
    if (!temp.valid()) {
        if (!exists) return SaveStatus::cannotCreate;
        // Rewritten in place, the file would be lost to a kill part-way: a
        // copy of it is kept until the new bytes are all in.
        if (!keepCopy(s.target, old, s.copyPath)) return SaveStatus::cannotKeepCopy;
        s.file = std::move(existing);
        s.mode = Mode::inPlace;
        return SaveStatus::ok;
    }
    s.file = std::move(temp);
    s.mode = unnamed ? Mode::unnamed : Mode::temporary;
    return SaveStatus::ok;
}

bool SafeFileWriter::write(std::string_view bytes) {
    State& s = *state_;
    if (s.failed || s.mode == Mode::closed) return false;
    if (s.mode == Mode::inPlace) {
        s.gathered.append(bytes);
    } else if (!writeAll(s.file.get(), bytes)) {
        s.failed = true;
    }
    return !s.failed;
}

SaveStatus SafeFileWriter::commit() {
    State& s = *state_;
    const Mode mode = s.mode;
    s.mode = Mode::closed;
    switch (mode) {
        case Mode::closed: return SaveStatus::cannotCreate;
        case Mode::special: return s.file.close() && !s.failed ? SaveStatus::ok : SaveStatus::writeFailed;
        case Mode::inPlace: {
            bool touched = false;
            const SaveStatus status = writeInPlace(s.file, s.old, s.gathered, touched);
            if (status == SaveStatus::ok || !touched) {
                ::unlink(s.copyPath.c_str());
            } else {
                s.keptCopy = s.copyPath;
            }
            return status;
        }
        case Mode::temporary:
        case Mode::unnamed: break;
    }
    bool written = !s.failed && syncFile(s.file.get());
    // The name comes just before the rename, so that only a kill in between
    // can leave the temporary file behind.
    if (written && mode == Mode::unnamed) written = nameUnnamed(s.file.get(), s.target, s.tempPath);
    written = s.file.close() && written;
    if (s.tempPath.empty()) return SaveStatus::writeFailed;
    if (!written || ::rename(s.tempPath.c_str(), s.target.c_str()) != 0) {
        ::unlink(s.tempPath.c_str());
        return SaveStatus::writeFailed;
    }
    syncFolder(s.target);
    return SaveStatus::ok;
}

SaveStatus saveFileSafely(const std::string& path, std::string_view bytes, SpecialFiles special,
                          std::string* keptCopy) {
    SafeFileWriter writer;
    const SaveStatus opened = writer.open(path, special);
    if (opened != SaveStatus::ok) return opened;
    writer.write(bytes);
    const SaveStatus status = writer.commit();
    if (keptCopy != nullptr) *keptCopy = writer.keptCopy();
    return status;
}

void checkSaved(SaveStatus status, const std::string& path, const std::string& keptCopy) {
    switch (status) {
        case SaveStatus::ok: return;
        case SaveStatus::cannotCreate: throw FileError("Cannot create file " + path);
        case SaveStatus::cannotKeepCopy:
            throw FileError("Cannot save " + path + " in place: no copy of the old file could be kept");
        case SaveStatus::writeFailed:
            if (keptCopy.empty()) throw FileError("Failed to Save Stream");
            throw FileError("Failed to Save Stream; the old file is kept as " + keptCopy);
    }
}

bool readWholeFile(const std::string& path, std::string& out) {
    FileDescriptor file = openForReading(path, SpecialFiles::accept);
    std::string bytes;
    if (!file.valid() || !readAll(file.get(), bytes)) return false;
    out = std::move(bytes);
    return true;
}

}  // namespace quill
