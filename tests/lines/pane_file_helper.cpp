// Loads or saves one pane and prints "ok" or the error message. The file tests
// run it as an unprivileged user, where permission bits take effect.
//   pane_file_helper save <target> <file holding the pane text>
//   pane_file_helper load <path>

#include <cstdio>
#include <string>

#include "common/error.h"
#include "common/safe_file.h"
#include "lines/list_file.h"
#include "pane_save.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        quill::ByteLineList pane;
        if (command == "save" && argc == 4) {
            std::string text;
            if (!quill::readWholeFile(argv[3], text)) throw quill::Error("cannot read the pane text");
            pane.load({std::move(text)});
            quill::saveToFile(pane, argv[2]);
        } else if (command == "load" && argc == 3) {
            quill::loadFromFile(pane, argv[2]);
        } else {
            std::fputs("usage: pane_file_helper save <target> <text file> | load <path>\n", stderr);
            return 2;
        }
    } catch (const quill::Error& e) {
        std::fputs(e.what(), stdout);
        return 1;
    }
    std::fputs("ok", stdout);
    return 0;
}
