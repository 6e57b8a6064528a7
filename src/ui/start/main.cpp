// quillometer: the desktop program.

#include "ui/application/application.h"
#include "ui/application/command_line.h"
#include "ui/start/entry.h"
#include "ui/start/signal_close.h"

int main(int argc, char** argv) {
    if (const auto status = quill::answerWithoutWindow(argc, argv)) return *status;
    quill::Application app(argc, argv);
    quill::StartRequest start;
    if (const auto status = quill::readStartRequest(QApplication::arguments(), start)) return *status;
    app.setStartRequest(start);
    quill::closeOnTerminationSignals(app);
    return quill::runEntryRoutine(app);
}
