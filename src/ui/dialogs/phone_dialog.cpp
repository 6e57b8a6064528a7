#include "ui/dialogs/phone_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "ui/dialogs/qr_matrix.h"
#include "ui/shared/dialog_support.h"
#include "ui/shared/help_commands.h"
#include "ui/shared/language.h"

namespace quill {

PhoneDialog::PhoneDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("FrmVisitePhone"));
    setFont(dialogFont(15));
    setFixedSize(kClientWidth, kClientHeight);

    auto* code = new QLabel(this);
    code->setObjectName(QStringLiteral("Img2DimsCode"));
    code->setGeometry(0, 0, kCodeSide, kCodeSide);
    code->setAlignment(Qt::AlignCenter);
    // Made at run time from the configured address, so the code always
    // matches the Web command.
    const QString address = webAddress();
    if (const auto matrix = QrMatrix::encode(address.toUtf8())) {
        code->setPixmap(QPixmap::fromImage(renderQrSymbol(*matrix, kCodeSide)));
    } else {
        code->setWordWrap(true);
        code->setText(address);  // too long for a code: the address itself
    }

    // Every way out rejects: the button, the close box and Escape alike.
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName(QStringLiteral("BtnClose"));
    closeButton_->setGeometry(0, 216, 209, 25);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    setLanguage(false);
}

void PhoneDialog::setLanguage(bool english) {
    setWindowTitle(captions::kPhoneTitle.text(english));
    closeButton_->setText(captions::kPhoneClose.text(english));
}

void PhoneDialog::showEvent(QShowEvent* event) {
    placeAtFirstShow(*this, FirstShowPlacement::pointerScreenCentre, placed_);
    QDialog::showEvent(event);
}

}  // namespace quill
