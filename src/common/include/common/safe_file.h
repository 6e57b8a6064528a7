#pragma once
// Reading whole files and saving them so that a failure never leaves a
// truncated file behind.

#include <memory>
#include <string>
#include <string_view>

#include "common/posix_file.h"

namespace quill {

enum class SaveStatus {
    ok,
    cannotCreate,  // the file (or its temporary sibling) could not be created
    // Writing, flushing or renaming failed. A file replaced by a rename is
    // untouched; one rewritten in place (a folder that takes no new file)
    // keeps its old bytes only when the new ones found no room, and a FIFO
    // or a terminal may have taken part of them.
    writeFailed,
};

// Writes bytes to path: resolves symlinks, writes a temporary file beside the
// real target with the old file's permissions, flushes it and renames it over
// the target. The temporary file has no name until just before the rename
// where the file system allows (O_TMPFILE), so that a save killed part-way
// leaves nothing behind. Where the folder is read-only but the file is
// writable, writes in place instead (after checking that the bytes fit). A
// target that is no regular file (a FIFO, a terminal) is written into as it
// is, or with SpecialFiles::refuse is cannotCreate at once.
SaveStatus saveFileSafely(const std::string& path, std::string_view bytes, SpecialFiles special = SpecialFiles::accept);

// The same save with the bytes given in pieces: open, write each piece,
// commit. The target changes only at a successful commit; a writer destroyed
// before it leaves the target untouched and no temporary file behind. Where
// the file can only be rewritten in place, the pieces are gathered and
// written at commit.
class SafeFileWriter {
public:
    SafeFileWriter();
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    SaveStatus open(const std::string& path, SpecialFiles special = SpecialFiles::accept);  // ok or cannotCreate
    bool write(std::string_view bytes);                                                     // false once a write failed
    SaveStatus commit();                                                                    // ok or writeFailed

private:
    enum class Mode;
    struct State;
    std::unique_ptr<State> state_;
};

// Reads the whole file. Returns false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& out);

}  // namespace quill
