#include "common/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/error.h"
#include "common/posix_file.h"
#include "in_place_save.h"
#include "save_steps.h"

namespace quill {

namespace {

using namespace save_steps;

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

// The stem of the temporary file's names beside the target.
std::string siblingStem(const std::string& target) {
    return folderOf(target) + "/." + nameOf(target).substr(0, 180) + ".saving-";
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
    InPlaceSave inPlace;
    bool failed = false;
};

SafeFileWriter::SafeFileWriter() : state_(std::make_unique<State>()) {}

SafeFileWriter::~SafeFileWriter() {
    if (state_->mode == Mode::temporary) {
        state_->file.reset();
        ::unlink(state_->tempPath.c_str());
    }
}

const std::string& SafeFileWriter::keptCopy() const { return state_->inPlace.keptCopy(); }

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

    // A fresh file beside the target, created with 0666 so that the umask
    // (and any default ACL of the folder) decides a new file's permissions.
    FileDescriptor temp = createUnnamed(folderOf(s.target), 0666);
    const bool unnamed = temp.valid();
    if (!unnamed) temp = createNamed(siblingStem(s.target), 0666, s.tempPath);
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
        if (!s.inPlace.prepare(s.target, std::move(existing), old)) return SaveStatus::cannotKeepCopy;
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

SaveStatus SafeFileWriter::commit(CopyWatch* watch) {
    State& s = *state_;
    const Mode mode = s.mode;
    s.mode = Mode::closed;
    switch (mode) {
        case Mode::closed: return SaveStatus::cannotCreate;
        case Mode::special: return s.file.close() && !s.failed ? SaveStatus::ok : SaveStatus::writeFailed;
        case Mode::inPlace: return s.inPlace.rewrite(s.gathered, watch);
        case Mode::temporary:
        case Mode::unnamed: break;
    }
    bool written = !s.failed && syncFile(s.file.get());
    // The name comes just before the rename, so that only a kill in between
    // can leave the temporary file behind.
    if (written && mode == Mode::unnamed) {
        s.tempPath = nameUnnamed(s.file.get(), siblingStem(s.target));
        written = !s.tempPath.empty();
    }
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
        case SaveStatus::busy: throw FileError("Cannot save " + path + " in place: another save of it is under way");
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
