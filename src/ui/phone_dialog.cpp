#include "ui/phone_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "ui/dialog_support.h"
#include "ui/help_commands.h"
#include "ui/language.h"
#include "ui/qr_matrix.h"

namespace quill {

TFrmVisitePhone::TFrmVisitePhone(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      codeText_(WebAddress()) {
    setObjectName(QStringLiteral("FrmVisitePhone"));
    setFont(DialogFont(15));
    setFixedSize(kClientWidth, kClientHeight);

    auto* code = new QLabel(this);
    code->setObjectName(QStringLiteral("Img2DimsCode"));
    code->setGeometry(0, 0, kCodeSide, kCodeSide);
    code->setAlignment(Qt::AlignCenter);
    // Made at run time from the configured address, so the code always
    // matches the Web command.
    if (const auto matrix = QrMatrix::Encode(codeText_.toUtf8())) {
        code->setPixmap(QPixmap::fromImage(RenderQrSymbol(*matrix, kCodeSide)));
    } else {
        code->setWordWrap(true);
        code->setText(codeText_);  // too long for a code: the address itself
    }

    // Every way out rejects: the button, the close box and Escape alike.
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName(QStringLiteral("BtnClose"));
    closeButton_->setGeometry(0, 216, 209, 25);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    setLanguage(false);
}

void TFrmVisitePhone::setLanguage(bool english) {
    setWindowTitle(captions::kPhoneTitle.Text(english));
    closeButton_->setText(captions::kPhoneClose.Text(english));
}

void TFrmVisitePhone::showEvent(QShowEvent* event) {
    PlaceAtFirstShow(*this, FirstShowPlacement::pointerScreenCentre, placed_);
    QDialog::showEvent(event);
}

}  // namespace quill
