#pragma once
// What the Qt tests of the desktop program share: a main() that makes the
// program's own application object, and a presenter that records boxes
// instead of showing them.

#include <QString>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/message_presenter.h"
#include "ui/text_pane.h"

namespace quill::test {

struct ShownBox {
    QWidget* owner;
    QString text, caption;
    uint32_t flags;
};

class RecordingPresenter : public MessagePresenter {
public:
    RecordingPresenter() { Application::current()->SetPresenter(this); }
    ~RecordingPresenter() override { Application::current()->SetPresenter(nullptr); }

    int Show(QWidget* owner, const QString& text, const QString& caption, uint32_t flags) override {
        boxes.push_back({owner, text, caption, flags});
        if (whileShown) whileShown();
        return kIdOk;
    }

    std::vector<ShownBox> boxes;
    std::function<void()> whileShown;  // runs as if the box were up
};

inline std::string Text(const TextPane* pane) { return pane->Lines().fileBytes(); }

}  // namespace quill::test

#define QUILL_UI_TEST_MAIN(TestObject)                                 \
    int main(int argc, char** argv) {                                  \
        quill::Application app(argc, argv);                            \
        app.SetTitle(QString::fromUtf8(quill::kApplicationTitle));     \
        /* windows keep their settings here, not beside the test */    \
        QTemporaryDir settingsDir;                                     \
        app.SetSettingsProgramPath(settingsDir.filePath("quillometer")); \
        TestObject test;                                               \
        return QTest::qExec(&test, argc, argv);                        \
    }
