#pragma once
// How the program puts a message box on screen. The application shows every
// box through one presenter; tests put their own in its place to see the
// text, caption and flags without a box coming up.

#include <QString>
#include <cstdint>

class QWidget;

namespace quill {

// Windows MessageBox flags, as the callers use them.
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr uint32_t kMbTaskModal = 0x2000;
constexpr int kIdOk = 1;

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows a modal box over owner (none: centred on the screen) and returns
    // the button pressed.
    virtual int Show(QWidget* owner, const QString& text, const QString& caption, uint32_t flags) = 0;
};

// A QMessageBox with the icon the flags ask for and one OK button, modal to
// the whole application.
class BoxPresenter : public MessagePresenter {
public:
    int Show(QWidget* owner, const QString& text, const QString& caption, uint32_t flags) override;
};

// What a box shows of a message: a message too long to lay out (an error
// quoting a huge pane line) keeps its start and end with "…" between, and
// long unbroken stretches get invisible break chances so the box can wrap
// them. The message itself is not changed.
QString DisplayText(const QString& message);

}  // namespace quill
