#pragma once
// The parts the coefficient fills' dialogs share: the label that explains a
// refused entry, the OK and Cancel buttons, and the pane's new text.

#include <QAccessible>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "numtext/round_trip.h"
#include "ui/shared/language.h"

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

}  // namespace quill::fill_parts
