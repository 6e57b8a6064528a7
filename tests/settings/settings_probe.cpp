// One settings operation for the tests, which run it as an unprivileged user.
//   settings_probe write <ini path> <value>    [Setting] bChinese=value; prints "ok"
//   settings_probe save <program path> <0|1>   TIniDatas for that program saves;
//                                              prints its IniFileName
//   settings_probe load <program path>         prints IniFileName and bChinese
// A failure prints the error's message and exits with 1.

#include <unistd.h>

#include <string>
#include <string_view>

#include "common/error.h"
#include "settings/ini_datas.h"
#include "settings/ini_store.h"

namespace {

int Say(const std::string& text, int exitCode) {
    [[maybe_unused]] ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc >= 3 ? argv[1] : "";
    try {
        if (command == "load" && argc == 3) {
            const quill::TIniDatas settings(argv[2]);
            return Say(settings.IniFileName + (settings.bChinese ? " 1" : " 0"), 0);
        }
        if (command == "write" && argc == 4) {
            quill::IniStore(argv[2]).WriteText("Setting", "bChinese", argv[3]);
            return Say("ok", 0);
        }
        if (command == "save" && argc == 4) {
            quill::TIniDatas settings(argv[2]);
            settings.bChinese = std::string_view(argv[3]) == "1";
            settings.SaveSettings();
            return Say(settings.IniFileName, 0);
        }
    } catch (const quill::IniFileError& e) {
        return Say(e.message(), 1);
    }
    return Say("usage: see settings_probe.cpp", 2);
}
