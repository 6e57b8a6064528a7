#pragma once
// Where the settings file lives. A program unpacked into a folder of its own
// keeps it beside the program file, so the folder can be carried around; an
// installed program (in a folder the user may not write, such as /usr/bin)
// keeps it in the user's configuration folder instead.

#include <string>

namespace quill {

// The per-user settings file: $XDG_CONFIG_HOME/quillometer/quillometer.ini,
// or $HOME/.config/... when XDG_CONFIG_HOME is unset, empty or relative;
// "" when neither gives an absolute folder. Arguments may be null.
std::string userSettingsFileFrom(const char* xdgConfigHome, const char* home);

// The settings file of the program at executablePath: iniFileNameFor(path)
// when this user may write it, or when it does not exist and its folder is
// writable (or missing, so that saving reports it); otherwise the per-user
// file from the environment, if any. A file left read-only beside the program
// (by another user, or root) thus never strands the settings.
std::string settingsFileFor(const std::string& executablePath);

// Creates the folders above path that are missing, as 0700 (private
// configuration). Failures are left for the save to report.
void createFoldersFor(const std::string& path);

}  // namespace quill
