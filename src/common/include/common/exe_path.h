#pragma once
// Where the running program file lives. The sample files, the help file and
// the settings file are all found beside it.

#include <string>

namespace quill {

// Full path of the running executable, symlinks resolved; "" when the system
// cannot tell (no /proc, for instance).
std::string executablePath();

// The folder of executablePath() with its trailing '/'; "" when unknown.
std::string executableDirectory();

}  // namespace quill
