#include "ui/phone_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "ui/dialog_support.h"
#include "ui/help_commands.h"
#include "ui/qr_matrix.h"

namespace quill {

TFrmVisitePhone::TFrmVisitePhone(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      codeText_(WebAddress()) {
    setObjectName(QStringLiteral("FrmVisitePhone"));
    setWindowTitle(QStringLiteral("手机二维码访问本软件网站Visite with 2-Dims Code"));
    setFont(DialogFont(15));
    setFixedSize(kClientWidth, kClientHeight);

    Img2DimsCode = new QLabel(this);
    Img2DimsCode->setObjectName(QStringLiteral("Img2DimsCode"));
    Img2DimsCode->setGeometry(0, 0, kCodeSide, kCodeSide);
    Img2DimsCode->setAlignment(Qt::AlignCenter);
    // Made at run time from the configured address, so the code always
    // matches the Web command.
    if (const auto matrix = QrMatrix::Encode(codeText_.toUtf8())) {
        Img2DimsCode->setPixmap(QPixmap::fromImage(RenderQrSymbol(*matrix, kCodeSide)));
    } else {
        Img2DimsCode->setWordWrap(true);
        Img2DimsCode->setText(codeText_);  // too long for a code: the address itself
    }

    BtnClose = new QPushButton(QStringLiteral("关闭&Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setGeometry(0, 216, 209, 25);
    connect(BtnClose, &QPushButton::clicked, this, &TFrmVisitePhone::BtnCloseClick);
}

void TFrmVisitePhone::BtnCloseClick() { done(kModalResultCancel); }

void TFrmVisitePhone::reject() { done(kModalResultCancel); }

void TFrmVisitePhone::showEvent(QShowEvent* event) {
    PlaceAtFirstShow(*this, FirstShowPlacement::pointerScreenCentre, placed_);
    QDialog::showEvent(event);
}

}  // namespace quill
