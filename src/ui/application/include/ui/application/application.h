#pragma once
// The application object: the frame every window of the program lives in.
// It owns the three windows for the whole run, runs the one event loop,
// catches every error that escapes a command and shows it in one kind of
// box, and destroys the windows at the end, the last created first. The
// windows are given the application when they are made; nothing looks it up.

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <exception>
#include <functional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "ui/application/command_line.h"
#include "ui/shared/command_guard.h"
#include "ui/shared/message_presenter.h"

namespace quill {

inline constexpr char kApplicationTitle[] = "Quillometer2023多项式求值器2023";

class Application : public QApplication, public ErrorRoute {
    Q_OBJECT

public:
    Application(int& argc, char** argv);
    ~Application() override;

    void setTitle(const QString& title);

    // Creates a window owned by the application, hidden, handing it the
    // application when it takes one; the first one becomes the main window, whose closing ends
    // the program.
    template <class Window>
    Window* createOwnedWindow() {
        Window* window = nullptr;
        if constexpr (std::is_constructible_v<Window, Application&>)
            window = new Window(*this);
        else
            window = new Window();
        adopt(window);
        return window;
    }
    QWidget* mainWindow() const { return mainWindow_; }
    // The first owned window of that class, or null.
    template <class Window>
    Window* ownedWindow() const {
        for (QWidget* w : owned_)
            if (auto* found = qobject_cast<Window*>(w)) return found;
        return nullptr;
    }

    // Shows the main window (its show event runs first) and runs the loop
    // until requestQuit.
    void runMessageLoop();
    // Ends the loop once the events before it are handled (exit code 0).
    void requestQuit();

    // Destroys the owned windows one at a time, the last created first;
    // each is hidden before it goes.
    void destroyOwnedWindows();

    // Shows an error that escaped a command: AbortError silently ends it,
    // every other error is shown in the error box.
    void routeError(std::exception_ptr error) noexcept override;
    // The message, with a full stop added by the usual rule, under the
    // title, with the error icon and one OK button.
    void showErrorBox(std::string_view message);
    // A box modal to the whole program; the active window and the keyboard
    // focus come back afterwards.
    void messageBox(const QString& text, const QString& caption, QMessageBox::Icon icon);

    // The folder of the program, with its trailing '/'.
    QString executableDirectory() const;
    void setExecutableDirectory(const QString& directory) { executableDirectory_ = directory; }
    // The program file whose settings file the main window uses (".ini" in
    // place of its extension); empty means the running executable.
    const QString& settingsProgramPath() const { return settingsProgramPath_; }
    void setSettingsProgramPath(const QString& path) { settingsProgramPath_ = path; }

    // The files and the Solve asked for on the command line, for the main
    // window's first show.
    const StartRequest& startRequest() const { return startRequest_; }
    void setStartRequest(StartRequest request) { startRequest_ = std::move(request); }

    // Test seams: where boxes go (null: real boxes), and a log of the
    // start-up and shutdown steps.
    void setPresenter(MessagePresenter* presenter) { presenter_ = presenter; }
    void setTrace(std::function<void(const QString&)> trace) { trace_ = std::move(trace); }
    void trace(const QString& step) {
        if (trace_) trace_(step);
    }

    // The last line of defence: nothing thrown in an event handler may reach
    // the event loop.
    bool notify(QObject* receiver, QEvent* event) override;

signals:
    // requestQuit was called: the loop ends once the events before it are done.
    void quitRequested();

private:
    void adopt(QWidget* window);
    void showFallbackBox(std::exception_ptr error);

    QString title_;
    QWidget* mainWindow_ = nullptr;
    std::vector<QWidget*> owned_;
    bool terminated_ = false;  // the quit asked for has come
    QString executableDirectory_;
    QString settingsProgramPath_;
    StartRequest startRequest_;
    BoxPresenter boxes_;
    MessagePresenter* presenter_ = nullptr;
    std::function<void(const QString&)> trace_;
};

}  // namespace quill
