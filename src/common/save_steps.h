#pragma once
// The steps the two roads of a save share (private to this library): names
// in a folder, names nobody can guess, files that get a name only once they
// are whole, and flushing a folder.

#include <functional>
#include <string>

#include "common/posix_file.h"

namespace quill::save_steps {

// The folder of a path ("." for a bare name) and its last part.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// 16 hex digits from the kernel's random source: a name another user cannot
// plant beforehand.
std::string randomTag();

// A file without a name in the folder, opened to write, so that a save
// killed before naming it leaves nothing behind. Not valid() where the file
// system cannot make one or it could not be named later: a name needs
// AT_EMPTY_PATH (privilege) or /proc/self/fd.
FileDescriptor createUnnamed(const std::string& folder, mode_t mode);

// Called with each name just before a file may take it.
using BeforeNaming = std::function<void(const std::string& path)>;

// Gives such a file the name `stem` followed by a random tag, retrying
// while a name is taken; the name, or empty when it cannot be linked.
std::string nameUnnamed(int fd, const std::string& stem, const BeforeNaming& before = {});

// A new file named `stem` plus a random tag, created exclusively; sets path
// (empty on failure).
FileDescriptor createNamed(const std::string& stem, mode_t mode, std::string& path, const BeforeNaming& before = {});

// fsync of the folder of path, best effort: it makes a rename or a new name
// last.
void syncFolder(const std::string& path);

}  // namespace quill::save_steps
