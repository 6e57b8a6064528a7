#pragma once
// How the program puts a message box on screen. The application shows every
// box through one presenter; tests put their own in its place to see the
// text, caption and icon without a box coming up. Every box has one OK
// button and is modal to the whole program.

#include <QMessageBox>
#include <QString>

class QWidget;

namespace quill {

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows a modal box over owner (none: centred on the screen) until its
    // OK button or close box ends it.
    virtual void show(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) = 0;
};

// A QMessageBox.
class BoxPresenter : public MessagePresenter {
public:
    void show(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) override;
};

// What a box shows of a message: a message too long to lay out (an error
// quoting a huge pane line) keeps its start and end with "…" between, and
// long unbroken stretches get invisible break chances so the box can wrap
// them. The message itself is not changed.
QString displayText(const QString& message);

}  // namespace quill
