#include "ui/shared/modal.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include "common/error.h"
#include "ui/shared/dialog_support.h"

namespace quill {

namespace {
constexpr char kShownModally[] = "quillShownModally";
}

bool isShownModally(const QWidget& window) { return window.property(kShownModally).toBool(); }

QDialog::DialogCode runModal(QDialog& dialog) {
    if (dialog.isVisible() || !dialog.isEnabled() || isShownModally(dialog))
        throw Error("Cannot make a visible window modal");

    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    QPointer<QWidget> active = QApplication::activeWindow();
    QPointer<QWidget> focus = QApplication::focusWidget();
    QPointer<QDialog> shown = &dialog;
    dialog.setProperty(kShownModally, true);
    struct Restore {
        QPointer<QDialog>& shown;
        QPointer<QWidget>& active;
        QPointer<QWidget>& focus;
        ~Restore() {
            if (shown) shown->setProperty(kShownModally, false);
            if (active) active->activateWindow();
            if (focus) focus->setFocus();
        }
    } restore{shown, active, focus};

    // exec() blocks input to every other window of the program and ends
    // with the dialog's result; an application that quits meanwhile ends it
    // Rejected.
    return runDialogModal(dialog);
}

}  // namespace quill
