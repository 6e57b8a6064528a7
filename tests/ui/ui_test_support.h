#pragma once
// What the Qt tests of the desktop program share: a main() that makes the
// program's own application object, a presenter that records boxes instead
// of showing them, and finding a control by its object name.

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

#include "ui/application/application.h"
#include "ui/shared/message_presenter.h"

namespace quill {
class TextPane;
}  // namespace quill

namespace quill::test {

// The application object the test's main() made.
inline Application*& registeredApp() {
    static Application* app = nullptr;
    return app;
}
inline Application& testApp() { return *registeredApp(); }

// The control of that object name under parent; the test stops when there is none.
template <class Widget = QWidget>
Widget* childNamed(const QObject& parent, const char* name) {
    auto* found = parent.findChild<Widget*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
}

// The pane helpers are templates, so that a test of a room without panes
// needs no pane header.
template <class Pane = TextPane>
Pane* paneNamed(const QObject& window, const char* name) {
    return childNamed<Pane>(window, name);
}
inline QAbstractButton* buttonNamed(const QObject& window, const char* name) {
    return childNamed<QAbstractButton>(window, name);
}
inline QAction* entryNamed(const QObject& window, const char* name) { return childNamed<QAction>(window, name); }
inline QMenu* menuNamed(const QObject& window, const char* name) { return childNamed<QMenu>(window, name); }
inline QLabel* labelNamed(const QObject& window, const char* name) { return childNamed<QLabel>(window, name); }

// A test's files, byte for byte; a file that cannot be read reads "<missing>".
inline void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}
inline std::string readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

struct ShownBox {
    QWidget* owner;
    QString text, caption;
    QMessageBox::Icon icon;
};

class RecordingPresenter : public MessagePresenter {
public:
    RecordingPresenter() { testApp().setPresenter(this); }
    ~RecordingPresenter() override { testApp().setPresenter(nullptr); }

    void show(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) override {
        boxes.push_back({owner, text, caption, icon});
        if (whileShown) whileShown();
    }

    std::vector<ShownBox> boxes;
    std::function<void()> whileShown;  // runs as if the box were up
};

template <class Pane>
std::string paneText(const Pane* pane) {
    return pane->lines().fileBytes();
}

}  // namespace quill::test

#define QUILL_UI_TEST_MAIN(TestObject)                                   \
    int main(int argc, char** argv) {                                    \
        quill::Application app(argc, argv);                              \
        quill::test::registeredApp() = &app;                             \
        app.setTitle(QString::fromUtf8(quill::kApplicationTitle));       \
        /* windows keep their settings here, not beside the test */      \
        QTemporaryDir settingsDir;                                       \
        app.setSettingsProgramPath(settingsDir.filePath("quillometer")); \
        TestObject test;                                                 \
        return QTest::qExec(&test, argc, argv);                          \
    }
