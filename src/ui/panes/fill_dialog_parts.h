#pragma once
// The parts the coefficient fills' dialogs share: the label that explains a
// refused entry, the OK and Cancel buttons, and the pane's new text.

#include <QAccessible>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <string>
#include <vector>

#include "numtext/round_trip.h"
#include "ui/panes/range_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/command_guard.h"
#include "ui/shared/language.h"
#include "ui/shared/modal.h"

namespace quill::fill_parts {

// LblProblem, hidden until an entry is refused.
inline QLabel* problemLabel(QDialog& dialog, const QString& accessibleName) {
    auto* label = new QLabel(&dialog);
    label->setObjectName(QStringLiteral("LblProblem"));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setAccessibleName(accessibleName);
    label->hide();
    return label;
}

// BtnOk (the default) and BtnCancel, wired to the dialog's accept and reject.
inline QDialogButtonBox* okCancel(QDialog& dialog, bool english) {
    using namespace captions::range;
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(kOk.text(english), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtnOk"));
    ok->setAccessibleName(kOk.text(english).remove(QLatin1Char('&')));
    ok->setDefault(true);
    buttons->addButton(kCancel.text(english), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("BtnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

// Shows why an entry is refused, for the eye and for screen readers.
inline void showProblem(QLabel* label, QWidget* entry, const QString& text) {
    label->setText(text);
    label->show();
    entry->setFocus(Qt::OtherFocusReason);
    entry->setAccessibleDescription(text);
    QAccessibleEvent alert(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// The coefficients as the pane holds them: each in the fewest digits that
// read back as that very double, CR LF after each.
inline std::string coefficientText(const std::vector<double>& coefficients, char decimalMark) {
    std::string text;
    for (double c : coefficients) text.append(roundTripText(c, decimalMark)).append("\r\n");
    return text;
}

// The coefficients in place of the pane's text, one step of its Undo, the
// caret at the start; false (the pane untouched) when they do not fit.
inline bool fillPane(TextPane& pane, const std::vector<double>& coefficients, char decimalMark) {
    const std::string text = coefficientText(coefficients, decimalMark);
    PaneText& lines = pane.lines();
    if (static_cast<int64_t>(text.size()) > lines.capacity()) return false;
    lines.edit(TextPos{}, lines.end(), text);
    pane.setCaret(TextPos{});
    return true;
}

// fillPane, or when the coefficients do not fit, the reason shown as
// showProblem shows it, and false.
inline bool fillOrExplain(TextPane& pane, const std::vector<double>& coefficients, RangeFillStyle style, QLabel* label,
                          QWidget* entry) {
    if (fillPane(pane, coefficients, style.decimalMark)) return true;
    showProblem(label, entry, captions::formula::kTooLong.text(style.english));
    return false;
}

// Adds an entry named objectName to the pane's context menu (after a
// separator when separate) that opens a Dialog(pane, style, window) as a
// command of window, prepared by prepare before it shows.
template <class Dialog>
void addMenuEntry(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style,
                  const Caption& caption, const char* objectName, bool separate,
                  std::function<void(Dialog&)> prepare = {}) {
    QObject::connect(&pane, &TextPane::contextMenuBuilt, window,
                     [&pane, window, &errors, style, caption, objectName, separate, prepare](QMenu* menu) {
                         if (separate) menu->addSeparator();
                         QAction* entry = menu->addAction(caption.text(style().english));
                         entry->setObjectName(QLatin1String(objectName));
                         connectCommand(entry, &QAction::triggered, window, errors, [&pane, window, style, prepare] {
                             Dialog dialog(pane, style(), window);
                             if (prepare) prepare(dialog);
                             runModal(dialog);
                         });
                     });
}

}  // namespace quill::fill_parts
