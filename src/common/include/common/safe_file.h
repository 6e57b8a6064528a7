#pragma once
// Reading whole files and saving them so that a failure never leaves a
// truncated file behind.

#include <limits.h>

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "common/posix_file.h"

namespace quill {

enum class SaveStatus {
    ok,
    cannotCreate,  // the file (or its temporary sibling) could not be created
    // The file can only be rewritten in place, and no copy of it could be
    // kept first: it is left alone.
    cannotKeepCopy,
    // Another save was rewriting the file in place, and did not finish
    // within a few seconds: the file is left to it.
    busy,
    // Writing, flushing or renaming failed. A file replaced by a rename is
    // untouched; one rewritten in place (a folder that takes no new file)
    // keeps its old bytes when the new ones found no room, and otherwise
    // the copy of them is kept (keptCopy). A FIFO or a terminal may have
    // taken part of them.
    writeFailed,
};

// Writes bytes to path: resolves symlinks, writes a temporary file beside the
// real target with the old file's permissions, flushes it and renames it over
// the target. The temporary file has no name until just before the rename
// where the file system allows (O_TMPFILE), so that a save killed part-way
// leaves nothing behind. Where the folder is read-only but the file is
// writable, or the file's owner cannot be kept, writes in place instead
// (after checking that the bytes fit), once a copy of the old file is kept
// in the user's cache folder ($XDG_CACHE_HOME or ~/.cache, quillometer/,
// where that is a folder the user may write; else a folder of the user's
// alone, mode 0700, in the temporary folder), under a name nobody can
// guess: a save that fails or is killed while the file is rewritten leaves
// that copy, which a failed one names in keptCopy; one that succeeds, or
// ends while the file is still whole, removes it. In-place saves of one
// file take turns (an advisory lock on it, from the copy to the end of the
// write), so that two at once never mix their bytes; one that finds the
// other still at work after a few seconds is busy. A target that is no
// regular file (a FIFO, a terminal) is written into as it is, or with
// SpecialFiles::refuse is cannotCreate at once.
SaveStatus saveFileSafely(const std::string& path, std::string_view bytes, SpecialFiles special = SpecialFiles::accept,
                          std::string* keptCopy = nullptr);

// What a program's handler of SIGTERM, SIGINT or SIGHUP needs so that a
// signal never leaves the copy of an in-place save beside a whole target.
// The program owns one, which outlives the save, and hands it to
// SafeFileWriter::commit.
class CopyWatch {
public:
    // For the handler, async-signal-safe. True when the program may end now:
    // the copy of a target still whole is removed first (and the save then
    // leaves the target alone). False while the target is being rewritten:
    // the save finishes, removes the copy if the target came out whole, and
    // endAsked() turns true, for the program to end then.
    bool endNow() noexcept;
    bool endAsked() const noexcept { return endAsked_.load(); }

    // For the save: path will name a copy the whole target does not need;
    // the target is about to be touched (false: the program is ending and
    // the copy is gone); the target is whole again; the copy is needed
    // (kept) or was removed; removing it where no handler did (true).
    void arm(const std::string& path) noexcept;
    bool startRewrite() noexcept;
    void endRewrite() noexcept;
    void disarm() noexcept;
    bool discardCopy() noexcept;

private:
    enum State : int { idle, removable, rewriting, ending, discarded };
    void settle(int next) noexcept;
    std::atomic<int> state_{idle};
    std::atomic<bool> endAsked_{false};
    char path_[PATH_MAX] = {};
};

// The same save with the bytes given in pieces: open, write each piece,
// commit. The target changes only at a successful commit; a writer destroyed
// before it leaves the target untouched and no temporary file behind. Where
// the file can only be rewritten in place, the pieces are gathered and
// written at commit, and the copy of the old file is made there.
class SafeFileWriter {
public:
    SafeFileWriter();
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    SaveStatus open(const std::string& path, SpecialFiles special = SpecialFiles::accept);  // ok, cannotCreate
                                                                                            // or cannotKeepCopy
    bool write(std::string_view bytes);                                                     // false once a write failed
    // ok or writeFailed; in place also cannotKeepCopy or busy. The watch, if
    // given, follows the copy an in-place commit keeps.
    SaveStatus commit(CopyWatch* watch = nullptr);
    // The copy of the old file that a failed in-place commit left, else empty.
    const std::string& keptCopy() const;

private:
    enum class Mode;
    struct State;
    std::unique_ptr<State> state_;
};

// Raises the FileError for a save that did not succeed (nothing for ok):
// "Cannot create file <path>" (also for a target that is no regular file,
// with SpecialFiles::refuse), "Cannot save <path> in place: no copy of the
// old file could be kept", "Cannot save <path> in place: another save of it
// is under way", or "Failed to Save Stream", followed by "; the old file is
// kept as <copy>" where a copy was left.
void checkSaved(SaveStatus status, const std::string& path, const std::string& keptCopy = {});

// Reads the whole file. Returns false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& out);

}  // namespace quill
