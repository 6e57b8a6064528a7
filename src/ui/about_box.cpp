#include "ui/about_box.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/dialog_support.h"
#include "ui/help_commands.h"
#include "ui/language.h"
#include "ui/program_icon.h"

namespace quill {

namespace {

// A panel with a raised outer bevel and a lowered inner one, one pixel each.
class BevelPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& colours = palette();
        const QRect outer = rect().adjusted(0, 0, -1, -1);
        const QRect inner = outer.adjusted(1, 1, -1, -1);
        Bevel(painter, outer, colours.color(QPalette::Light), colours.color(QPalette::Dark));
        Bevel(painter, inner, colours.color(QPalette::Dark), colours.color(QPalette::Light));
    }

private:
    static void Bevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& geometry, bool wrap) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

QString WrappableAddress(const QString& address) {
    QString out;
    out.reserve(address.size() + address.size() / 4);
    for (const QChar c : address) {
        out += c;
        if (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-')) out += QChar(0x200B);
    }
    return out;
}

// OK accepts; the close box and Escape reject.
TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setFont(DialogFont(12));
    setFixedSize(kClientWidth, kClientHeight);

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 217);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(16, 16, 33, 33);
    icon->setScaledContents(true);
    icon->setPixmap(ProgramIcon().pixmap(QSize(33, 33)));

    // Labels run to 8 px inside the panel's right edge.
    constexpr int kRight = 281 - 8;
    productName_ = MakeLabel(panel, "ProductName", QRect(64, 16, kRight - 64, 16), false);
    version_ = MakeLabel(panel, "Version", QRect(64, 40, kRight - 64, 16), false);

    constexpr int kLeft = 16;
    purpose_ = MakeLabel(panel, "NoticePurpose", QRect(kLeft, 72, kRight - kLeft, 16), false);
    build_ = MakeLabel(panel, "NoticeBuild", QRect(kLeft, 96, kRight - kLeft, 16), false);
    licence_ = MakeLabel(panel, "NoticeLicence", QRect(kLeft, 120, kRight - kLeft, 36), true);
    web_ = MakeLabel(panel, "NoticeWeb", QRect(kLeft, 160, kRight - kLeft, 217 - 8 - 160), true);

    okButton_ = new QPushButton(this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(103, 236, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    setLanguage(false);
}

void TAboutBox::setLanguage(bool english) {
    setWindowTitle(captions::kAboutTitle.Text(english));
    productName_->setText(captions::kAboutProduct.Text(english));
    version_->setText(captions::kAboutVersion.Text(english));
    purpose_->setText(captions::kAboutPurpose.Text(english));
    build_->setText(captions::kAboutBuild.Text(english).arg(BuildVersion()));
    licence_->setText(captions::kAboutLicence.Text(english));
    web_->setText(captions::kAboutWeb.Text(english) + WrappableAddress(WebAddress()));
    okButton_->setText(captions::kAboutOk.Text(english));
}

void TAboutBox::showEvent(QShowEvent* event) {
    PlaceAtFirstShow(*this, FirstShowPlacement::screenCentre, placed_);
    QDialog::showEvent(event);
}

}  // namespace quill
