#include "in_place_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "save_steps.h"

namespace quill {

namespace {

using namespace save_steps;

// How long a save waits for another in-place save of the same file to end.
constexpr auto kTurnWait = std::chrono::seconds(10);
constexpr auto kTurnPoll = std::chrono::milliseconds(10);

// $XDG_CACHE_HOME/quillometer (else ~/.cache/quillometer) when it is a folder
// the user may write; empty otherwise.
std::string cacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (cache != nullptr && cache[0] == '/') {
        base = cache;
    } else if (home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.cache";
    }
    if (base.empty()) return {};
    ::mkdir(base.c_str(), 0700);
    const std::string folder = base + "/quillometer";
    ::mkdir(folder.c_str(), 0700);
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? folder : std::string();
}

// A folder of the user's alone in the shared temporary folder:
// quillometer-<uid>, mode 0700. Where another user took that name first, a
// new folder under a name nobody can guess, which `fresh` names so that it
// goes with the copy. Empty when neither can be had.
std::string privateTempFolder(std::string& fresh) {
    const char* temp = std::getenv("TMPDIR");
    const std::string own =
        std::string(temp != nullptr && temp[0] == '/' ? temp : "/tmp") + "/quillometer-" + std::to_string(::geteuid());
    ::mkdir(own.c_str(), 0700);
    struct stat info;
    if (::lstat(own.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 077) == 0)
        return own;
    std::string made = own + "-XXXXXX";
    if (::mkdtemp(made.data()) == nullptr) return {};
    fresh = made;
    return made;
}

// Waits until no other in-place save of the file holds it, then holds it
// until the descriptor closes. False when the wait ran out.
bool takeTurn(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + kTurnWait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return true;  // a file system without locks: no turns to take
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kTurnPoll);
    }
}

// The bytes beyond the old length go in first; if they do not fit, the file
// is cut back to its old length and keeps its old content. `touched` tells
// whether the old bytes were reached.
SaveStatus writeInPlace(FileDescriptor& file, off_t oldSize, std::string_view bytes, bool& touched) {
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

bool InPlaceSave::prepare(const std::string& target, FileDescriptor writable, const struct stat& old) {
    target_ = target;
    file_ = std::move(writable);
    source_ = openFile(target, O_RDONLY | O_NONBLOCK);
    struct stat now;
    if (!source_.valid() || ::fstat(source_.get(), &now) != 0 || now.st_dev != old.st_dev || now.st_ino != old.st_ino)
        return false;
    folder_ = cacheFolder();
    if (folder_.empty()) folder_ = privateTempFolder(fresh_);
    if (folder_.empty()) return false;
    copy_ = createUnnamed(folder_, 0600);
    return copy_.valid() || ::access(folder_.c_str(), W_OK | X_OK) == 0;
}

// The copy of the file's bytes as they are now, written, flushed and named
// before the file is touched. False when it cannot be made whole.
bool InPlaceSave::keepCopy(const struct stat& now, CopyWatch& watch) {
    struct stat read;
    if (::fstat(source_.get(), &read) != 0 || read.st_dev != now.st_dev || read.st_ino != now.st_ino) return false;
    const std::string stem = folder_ + "/" + nameOf(target_).substr(0, 180) + ".before-save-";
    const auto arm = [&](const std::string& path) { watch.arm(path); };
    const bool unnamed = copy_.valid();
    if (!unnamed) copy_ = createNamed(stem, 0600, copyPath_, arm);
    bool whole = copy_.valid();
    std::string buffer(std::size_t{1} << 20, '\0');
    for (ssize_t n; whole && (n = readFull(source_.get(), buffer.data(), buffer.size())) != 0;)
        whole = n > 0 && writeAll(copy_.get(), std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    whole = whole && syncFile(copy_.get());
    // Named only now, the copy of a killed save never lies around half-made.
    if (whole && unnamed) copyPath_ = nameUnnamed(copy_.get(), stem, arm);
    whole = whole && copy_.close() && !copyPath_.empty();
    if (!whole) {
        removeCopy(watch);
        return false;
    }
    syncFolder(copyPath_);
    return true;
}

void InPlaceSave::removeCopy(CopyWatch& watch) {
    if (!copyPath_.empty() && !watch.discardCopy()) ::unlink(copyPath_.c_str());
    watch.disarm();
    copyPath_.clear();
    copy_.reset();
    if (!fresh_.empty()) ::rmdir(fresh_.c_str());
    fresh_.clear();
}

SaveStatus InPlaceSave::rewrite(std::string_view bytes, CopyWatch* watch) {
    CopyWatch own;
    CopyWatch& watching = watch != nullptr ? *watch : own;
    if (!takeTurn(file_.get())) return SaveStatus::busy;
    // Another save may have rewritten the file while this one waited.
    struct stat now;
    if (::fstat(file_.get(), &now) != 0) return SaveStatus::writeFailed;
    if (!keepCopy(now, watching)) return SaveStatus::cannotKeepCopy;
    // A signal that ends the program has removed the copy: the file stays whole.
    if (!watching.startRewrite()) return SaveStatus::writeFailed;
    bool touched = false;
    const SaveStatus status = writeInPlace(file_, now.st_size, bytes, touched);
    file_.reset();  // the turn ends
    if (status == SaveStatus::ok || !touched) {
        watching.endRewrite();
        removeCopy(watching);
    } else {
        watching.disarm();
        keptCopy_ = copyPath_;
        copyPath_.clear();
        fresh_.clear();
    }
    return status;
}

InPlaceSave::~InPlaceSave() {
    CopyWatch none;
    removeCopy(none);
}

void CopyWatch::arm(const std::string& path) noexcept {
    state_.store(idle);
    endAsked_.store(false);
    if (path.size() >= sizeof path_) return;  // not followed: the copy stays, as after a kill
    std::memcpy(path_, path.c_str(), path.size() + 1);
    state_.store(removable);
}

bool CopyWatch::discardCopy() noexcept {
    int expected = removable;
    if (!state_.compare_exchange_strong(expected, discarded)) return false;
    ::unlink(path_);
    return true;
}

bool CopyWatch::endNow() noexcept {
    for (;;) {
        int state = state_.load();
        if (state == removable) {
            if (discardCopy()) return true;
        } else if (state == rewriting) {
            if (state_.compare_exchange_strong(state, ending)) return false;
        } else {
            return true;  // no copy, or a second signal while the target is torn: the copy stays
        }
    }
}

bool CopyWatch::startRewrite() noexcept {
    int expected = removable;
    return state_.compare_exchange_strong(expected, rewriting) || expected != discarded;
}

void CopyWatch::settle(int next) noexcept {
    if (state_.exchange(next) == ending) endAsked_.store(true);
}

void CopyWatch::endRewrite() noexcept { settle(removable); }

void CopyWatch::disarm() noexcept { settle(idle); }

}  // namespace quill
