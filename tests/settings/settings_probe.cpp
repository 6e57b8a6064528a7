// One settings operation for the tests, which run it as an unprivileged user.
//   settings_probe write <ini path> <value>    [Setting] bChinese=value; prints "ok"
//   settings_probe save <program path> <0|1>   LanguageSetting for that program saves;
//                                              prints its fileName()
//   settings_probe load <program path>         prints fileName() and the choice (1 Chinese)
// A failure prints the error's message and exits with 1.

#include <unistd.h>

#include <string>
#include <string_view>

#include "common/error.h"
#include "settings/ini_store.h"
#include "settings/language_setting.h"

namespace {

int say(const std::string& text, int exitCode) {
    [[maybe_unused]] ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc >= 3 ? argv[1] : "";
    try {
        if (command == "load" && argc == 3) {
            const quill::LanguageSetting settings(argv[2]);
            return say(settings.fileName() + (settings.chinese() ? " 1" : " 0"), 0);
        }
        if (command == "write" && argc == 4) {
            quill::IniStore(argv[2]).writeText("Setting", "bChinese", argv[3]);
            return say("ok", 0);
        }
        if (command == "save" && argc == 4) {
            quill::LanguageSetting settings(argv[2]);
            settings.setChinese(std::string_view(argv[3]) == "1");
            settings.save();
            return say(settings.fileName(), 0);
        }
    } catch (const quill::IniFileError& e) {
        return say(e.message(), 1);
    }
    return say("usage: see settings_probe.cpp", 2);
}
