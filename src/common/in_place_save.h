#pragma once
// The road of a save whose folder takes no new file while the file itself
// may be written (private to this library): the file is rewritten in place,
// with a copy of its old bytes kept until the new ones are all in.

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "common/posix_file.h"
#include "common/safe_file.h"

namespace quill {

class InPlaceSave {
public:
    InPlaceSave() = default;
    // A copy made for a rewrite that never touched the file is removed.
    ~InPlaceSave();
    InPlaceSave(const InPlaceSave&) = delete;
    InPlaceSave& operator=(const InPlaceSave&) = delete;

    // At open, with the target (a regular file, `old` its stat) open to
    // write: finds that it can be read and where its copy can go. False
    // when no copy could be kept. Nothing is written yet, and nothing named:
    // a program ended before rewrite leaves no trace.
    bool prepare(const std::string& target, FileDescriptor writable, const struct stat& old);

    // Waits its turn among the in-place saves of the file, keeps the copy
    // of the file as it is now, then writes bytes in its place: ok,
    // writeFailed (keptCopy() names the copy when the file was touched),
    // cannotKeepCopy or busy. Once only.
    SaveStatus rewrite(std::string_view bytes, CopyWatch* watch);

    const std::string& keptCopy() const { return keptCopy_; }

private:
    bool keepCopy(const struct stat& now, CopyWatch& watch);
    void removeCopy(CopyWatch& watch);

    std::string target_;
    FileDescriptor file_;    // the target, to write
    FileDescriptor source_;  // the target, to read for the copy
    FileDescriptor copy_;    // the copy while it has no name yet
    std::string folder_;     // where the copy goes
    std::string fresh_;      // a folder made for this copy alone, removed with it
    std::string copyPath_;   // the copy, once named
    std::string keptCopy_;
};

}  // namespace quill
