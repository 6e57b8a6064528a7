#pragma once
// The settings record: the interface-language choice, remembered between runs
// in the settings file beside the program (or, for a program installed where
// the user cannot write, in the user's configuration folder:
// settings_location.h).
//
// How the desktop program uses it:
//   - The main window holds a LanguageSetting by value; constructing the window
//     constructs it, which finds the settings file and reads the choice
//     (a missing or unreadable file just leaves the default, Chinese; a
//     per-user file without the key takes the choice still kept beside the
//     program, so moving to the per-user file keeps the language).
//   - The language menu reads and sets the choice.
//   - At shutdown, before the window is destroyed, the window calls
//     save() inside the usual error wrapper. It may throw IniFileError
//     ("Unable to write to <path>"); show that in the error box (or print it)
//     and carry on closing: the choice of this run is then lost, nothing else.
//   - The destructor saves nothing. A failed save must be reported, and an
//     exception cannot leave a destructor; so saving is the owner's explicit
//     step, and forgetting it loses only the language choice.

#include <string>

namespace quill {

// The settings file of the program at executablePath: the extension of the
// file name (from its last ".") replaced by ".ini", or ".ini" appended when
// the name has none. A "." in a folder name is no extension, and neither are
// the leading dots of a hidden file's name (".tool" gives ".tool.ini"). A
// program named "x.ini" gets "x.ini.ini", never itself. "" for an empty path.
std::string iniFileNameFor(const std::string& executablePath);

class LanguageSetting {
public:
    // For the running program: executablePath().
    LanguageSetting();
    // For a program at executablePath (tests, tools): the settings file is
    // settingsFileFor(executablePath).
    explicit LanguageSetting(const std::string& executablePath);
    ~LanguageSetting() = default;  // does not save: see above

    // Reads the choice from the settings file. Never fails: without a file
    // name or a readable value the choice keeps the default.
    void load();
    // Writes the choice ("1" or "0") to the settings file, creating it and,
    // for the per-user file, its folders if needed. Throws IniFileError
    // "Unable to write to <path>" on failure, also when there is no file name
    // (the program's own path and the user's folders are all unknown).
    void save();

    // Full path of the settings file; empty when unknown.
    const std::string& fileName() const { return fileName_; }
    // The language choice: true Chinese (bilingual captions), false English.
    bool chinese() const { return chinese_; }
    void setChinese(bool chinese) { chinese_ = chinese; }

private:
    std::string fileName_;
    bool chinese_ = true;
    std::string besideFile_;     // iniFileNameFor the program, used or not
    bool inUserFolder_ = false;  // the user's configuration folder, made on saving
};

}  // namespace quill
