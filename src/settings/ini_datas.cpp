#include "settings/ini_datas.h"

#include "common/error.h"
#include "common/exe_path.h"
#include "settings/ini_store.h"
#include "settings/settings_location.h"

namespace quill {
namespace {

constexpr const char* kSection = "Setting";
constexpr const char* kLanguageKey = "bChinese";

}  // namespace

std::string IniFileNameFor(const std::string& executablePath) {
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

TIniDatas::TIniDatas() : TIniDatas(ExecutablePath()) {}

TIniDatas::TIniDatas(const std::string& executablePath)
    : IniFileName(SettingsFileFor(executablePath)),
      besideFile_(IniFileNameFor(executablePath)),
      inUserFolder_(IniFileName != besideFile_) {
    LoadSettings();
}

void TIniDatas::LoadSettings() {
    if (IniFileName.empty()) return;
    bool fallback = bChinese;
    if (inUserFolder_ && !besideFile_.empty())
        fallback = IniStore(besideFile_).ReadFlag(kSection, kLanguageKey, fallback);
    bChinese = IniStore(IniFileName).ReadFlag(kSection, kLanguageKey, fallback);
}

void TIniDatas::SaveSettings() {
    if (IniFileName.empty()) throw IniFileError("Unable to write to the settings file: its place is unknown");
    if (inUserFolder_) CreateFoldersFor(IniFileName);
    IniStore(IniFileName).WriteFlag(kSection, kLanguageKey, bChinese);
}

}  // namespace quill
