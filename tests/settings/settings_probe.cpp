// Runs one settings operation for the tests, which start it as an
// unprivileged user: the permission bits bind that user, unlike root.
//   settings_probe write <ini path> <value>   prints "ok" or the error
//   settings_probe read <ini path>            prints the bChinese text, or "<default>"
// Output goes through write(2): no number ever needs formatting here.

#include <unistd.h>

#include <string>
#include <string_view>

#include "common/error.h"
#include "settings/ini_store.h"

namespace {

int Say(const std::string& text, int exitCode) {
    [[maybe_unused]] ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4) {
        try {
            quill::IniStore(argv[2]).WriteText("Setting", "bChinese", argv[3]);
            return Say("ok", 0);
        } catch (const quill::IniFileError& e) {
            return Say(e.message(), 1);
        }
    }
    if (command == "read" && argc == 3)
        return Say(quill::IniStore(argv[2]).ReadText("Setting", "bChinese", "<default>"), 0);
    return Say("usage: settings_probe write <path> <value> | read <path>", 2);
}
