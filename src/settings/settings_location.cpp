#include "settings/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "settings/language_setting.h"

namespace quill {

std::string userSettingsFileFrom(const char* xdgConfigHome, const char* home) {
    const bool useXdg = xdgConfigHome != nullptr && xdgConfigHome[0] == '/';
    if (!useXdg && (home == nullptr || home[0] != '/')) return {};
    std::string folder = useXdg ? xdgConfigHome : home;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder + (useXdg ? "" : "/.config") + "/quillometer/quillometer.ini";
}

std::string settingsFileFor(const std::string& executablePath) {
    const std::string beside = iniFileNameFor(executablePath);
    const std::size_t slash = beside.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : beside.substr(0, slash + 1);
    struct stat info;
    if (!beside.empty()) {
        if (::stat(beside.c_str(), &info) == 0) {
            if (::access(beside.c_str(), W_OK) == 0) return beside;
        } else if (::access(folder.c_str(), W_OK | X_OK) == 0 || errno == ENOENT) {
            return beside;
        }
    }
    const std::string user = userSettingsFileFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    return user.empty() ? beside : user;
}

void createFoldersFor(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);  // existing ones just fail
}

}  // namespace quill
