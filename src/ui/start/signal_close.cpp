#include "ui/start/signal_close.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

#include "ui/application/application.h"

namespace quill {

namespace {

volatile int signalPipe = -1;  // the write end, for the handler

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe, &number, 1);
    errno = savedErrno;
}

}  // namespace

void closeOnTerminationSignals(Application& app) {
    int ends[2];
    // Without the pipe the signals keep their default: the program ends
    // without saving, as it would have anyway.
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signalPipe = ends[1];
    auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app, readEnd = ends[0]] {
        unsigned char numbers[64];
        while (::read(readEnd, numbers, sizeof numbers) > 0) {
        }
        runGuarded(app, [&app] {
            if (QWidget* window = app.mainWindow())
                window->close();
            else
                app.requestQuit();
        });
    });

    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        struct sigaction action = {};
        action.sa_handler = &onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace quill
