#include "settings/language_setting.h"

#include "common/error.h"
#include "common/exe_path.h"
#include "settings/ini_store.h"
#include "settings/settings_location.h"

namespace quill {
namespace {

constexpr const char* kSection = "Setting";
constexpr const char* kLanguageKey = "bChinese";

}  // namespace

std::string iniFileNameFor(const std::string& executablePath) {
    if (executablePath.empty()) return {};
    const std::size_t nameStart = executablePath.rfind('/') + 1;  // npos + 1 == 0
    const std::size_t firstNonDot = executablePath.find_first_not_of('.', nameStart);
    const std::size_t dot = executablePath.rfind('.');
    if (firstNonDot == std::string::npos || dot == std::string::npos || dot < firstNonDot)
        return executablePath + ".ini";
    std::string name = executablePath.substr(0, dot) + ".ini";
    // A program itself named "*.ini" must not take its own file for its settings.
    if (name == executablePath) name += ".ini";
    return name;
}

LanguageSetting::LanguageSetting() : LanguageSetting(executablePath()) {}

LanguageSetting::LanguageSetting(const std::string& executablePath)
    : fileName_(settingsFileFor(executablePath)),
      besideFile_(iniFileNameFor(executablePath)),
      inUserFolder_(fileName_ != besideFile_) {
    load();
}

void LanguageSetting::load() {
    if (fileName_.empty()) return;
    bool fallback = chinese_;
    if (inUserFolder_ && !besideFile_.empty())
        fallback = IniStore(besideFile_).readFlag(kSection, kLanguageKey, fallback);
    chinese_ = IniStore(fileName_).readFlag(kSection, kLanguageKey, fallback);
}

void LanguageSetting::save() {
    if (fileName_.empty()) throw IniFileError("Unable to write to the settings file: its place is unknown");
    if (inUserFolder_) createFoldersFor(fileName_);
    IniStore(fileName_).writeFlag(kSection, kLanguageKey, chinese_);
}

}  // namespace quill
