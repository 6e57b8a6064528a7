#pragma once
// Reading whole files and saving them so that a failure never leaves a
// truncated file behind.

#include <string>
#include <string_view>

namespace quill {

enum class SaveStatus {
    ok,
    cannotCreate,  // the file (or its temporary sibling) could not be created
    writeFailed,   // writing, flushing or renaming failed; the old file is untouched
};

// Writes bytes to path: resolves symlinks, writes a temporary file beside the
// real target with the old file's permissions, flushes it and renames it over
// the target. Where the folder is read-only but the file is writable, writes in
// place instead (after checking that the bytes fit).
SaveStatus SaveFileSafely(const std::string& path, std::string_view bytes);

// Reads the whole file. Returns false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace quill
