#include "ui/application.h"

#include <cxxabi.h>

#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <new>

#include "common/error.h"
#include "engine/error_text.h"
#include "ui/language.h"

namespace quill {

namespace {

QString CurrentExceptionTypeName() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) return QStringLiteral("unknown");
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status),
                                                     &std::free);
    return QString::fromUtf8(status == 0 && name ? name.get() : type->name());
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The program ends when its main window is closed, by RequestQuit, and
    // not when the last window happens to be hidden.
    setQuitOnLastWindowClosed(false);
}

Application::~Application() = default;

void Application::SetTitle(const QString& title) {
    title_ = title;
    Trace(QStringLiteral("title"));
}

void Application::adopt(QWidget* window) {
    owned_.push_back(window);
    if (!mainWindow_) {
        window->winId();  // the native window exists from now on, hidden
        mainWindow_ = window;
    }
    Trace(QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1));
}

void Application::RunMessageLoop() {
    running_ = true;
    terminated_ = false;  // this run's quit, not one of an earlier run
    struct Stopped {
        bool& running;
        ~Stopped() { running = false; }
    } stopped{running_};
    // Its show event (the main window's FormShow) runs before it appears and
    // before the loop takes its first event.
    if (mainWindow_) mainWindow_->show();
    Trace(QStringLiteral("loop"));
    // A quit asked for while a box of the show event was up (a signal) was
    // taken by the box's own loop; the main loop would never hear of it.
    if (!terminated_) exec();
    Trace(QStringLiteral("loop ended"));
}

void Application::RequestQuit() {
    emit quitRequested();
    // Posted, so the command that asked finishes first and a request made
    // before the loop runs still ends it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            terminated_ = true;
            exit(0);
        },
        Qt::QueuedConnection);
}

void Application::DestroyOwnedWindows() {
    while (!owned_.empty()) {
        QWidget* window = owned_.back();
        owned_.pop_back();
        if (window == mainWindow_) mainWindow_ = nullptr;
        const QString name = QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
        Trace(QStringLiteral("destroy ") + name);
        window->hide();
        delete window;
        Trace(QStringLiteral("destroyed ") + name);
    }
}

void Application::routeError(std::exception_ptr error) noexcept {
    if (!error) return;
    try {
        // A command that fails half-way may leave a mouse grab or a menu open.
        if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
        for (int i = 0; i < 8 && activePopupWidget(); ++i) activePopupWidget()->close();

        try {
            std::rethrow_exception(error);
        } catch (const AbortError&) {
            // silent by design
        } catch (const Error& e) {
            ShowErrorBox(e.message());  // all of it: what() stops at a NUL
        } catch (const std::bad_alloc&) {
            ShowErrorBox("Out of memory");
        } catch (const std::exception& e) {
            ShowErrorBox(e.what());
        } catch (...) {
            showFallbackBox(error);
        }
    } catch (...) {
        // Showing the error failed as well (memory): nothing more can be done
        // for it, and the loop must go on.
    }
}

void Application::ShowErrorBox(std::string_view message) {
    const std::string text = ErrorBoxText(message);
    AppMessageBox(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), title_, QMessageBox::Critical);
}

void Application::showFallbackBox(std::exception_ptr error) {
    QString typeName;
    try {
        std::rethrow_exception(error);
    } catch (...) {
        typeName = CurrentExceptionTypeName();
    }
    const QString module = QFileInfo(applicationFilePath()).fileName();
    const QString text =
        captions::kUnknownException.Text(false).arg(typeName, module, QStringLiteral("00000000"));
    MessagePresenter& presenter = presenter_ ? *presenter_ : boxes_;
    presenter.Show(nullptr, text, captions::kApplicationError.Text(false), QMessageBox::Critical);
}

void Application::AppMessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon) {
    QPointer<QWidget> active = activeWindow();
    QPointer<QWidget> focus = focusWidget();
    struct Restore {
        QPointer<QWidget>& active;
        QPointer<QWidget>& focus;
        ~Restore() {
            if (active) active->activateWindow();
            if (focus) focus->setFocus();
        }
    } restore{active, focus};
    MessagePresenter& presenter = presenter_ ? *presenter_ : boxes_;
    presenter.Show(active, DisplayText(text), caption, icon);
}

QString Application::ExecutableDirectory() const {
    if (!executableDirectory_.isEmpty()) return executableDirectory_;
    return applicationDirPath() + QLatin1Char('/');
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        routeError(std::current_exception());
        return false;
    }
}

}  // namespace quill
