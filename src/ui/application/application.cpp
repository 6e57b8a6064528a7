#include "ui/application/application.h"

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
#include "ui/shared/language.h"

namespace quill {

namespace {

QString currentExceptionTypeName() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) return QStringLiteral("unknown");
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status),
                                                     &std::free);
    return QString::fromUtf8(status == 0 && name ? name.get() : type->name());
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The program ends when its main window is closed, by requestQuit, and
    // not when the last window happens to be hidden.
    setQuitOnLastWindowClosed(false);
}

Application::~Application() = default;

void Application::setTitle(const QString& title) {
    title_ = title;
    trace(QStringLiteral("title"));
}

void Application::adopt(QWidget* window) {
    owned_.push_back(window);
    if (!mainWindow_) {
        window->winId();  // the native window exists from now on, hidden
        mainWindow_ = window;
    }
    trace(QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1));
}

void Application::runMessageLoop() {
    terminated_ = false;  // this run's quit, not one of an earlier run
    // Its show event (the main window's prepareShow) runs before it appears and
    // before the loop takes its first event.
    if (mainWindow_) mainWindow_->show();
    trace(QStringLiteral("loop"));
    // A quit asked for while a box of the show event was up (a signal) was
    // taken by the box's own loop; the main loop would never hear of it.
    if (!terminated_) exec();
    trace(QStringLiteral("loop ended"));
}

void Application::requestQuit() {
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

void Application::destroyOwnedWindows() {
    while (!owned_.empty()) {
        QWidget* window = owned_.back();
        owned_.pop_back();
        if (window == mainWindow_) mainWindow_ = nullptr;
        const QString name = QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
        trace(QStringLiteral("destroy ") + name);
        window->hide();
        delete window;
        trace(QStringLiteral("destroyed ") + name);
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
            showErrorBox(e.message());  // all of it: what() stops at a NUL
        } catch (const std::bad_alloc&) {
            showErrorBox("Out of memory");
        } catch (const std::exception& e) {
            showErrorBox(e.what());
        } catch (...) {
            showFallbackBox(error);
        }
    } catch (...) {
        // Showing the error failed as well (memory): nothing more can be done
        // for it, and the loop must go on.
    }
}

void Application::showErrorBox(std::string_view message) {
    const std::string text = errorBoxText(message);
    messageBox(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), title_, QMessageBox::Critical);
}

void Application::showFallbackBox(std::exception_ptr error) {
    QString typeName;
    try {
        std::rethrow_exception(error);
    } catch (...) {
        typeName = currentExceptionTypeName();
    }
    const QString module = QFileInfo(applicationFilePath()).fileName();
    const QString text = captions::kUnknownException.text(false).arg(typeName, module, QStringLiteral("00000000"));
    MessagePresenter& presenter = presenter_ ? *presenter_ : boxes_;
    presenter.show(nullptr, text, captions::kApplicationError.text(false), QMessageBox::Critical);
}

void Application::messageBox(const QString& text, const QString& caption, QMessageBox::Icon icon) {
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
    presenter.show(active, displayText(text), caption, icon);
}

QString Application::executableDirectory() const {
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
