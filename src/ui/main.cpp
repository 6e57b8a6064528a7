// quillometer: the desktop program.

#include "ui/application.h"
#include "ui/entry.h"

int main(int argc, char** argv) {
    quill::Application app(argc, argv);
    return quill::RunEntryRoutine(app);
}
