#include "ui/dialogs/about_box.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/shared/dialog_support.h"
#include "ui/shared/help_commands.h"
#include "ui/shared/language.h"
#include "ui/shared/program_icon.h"

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
        drawBevel(painter, outer, colours.color(QPalette::Light), colours.color(QPalette::Dark));
        drawBevel(painter, inner, colours.color(QPalette::Dark), colours.color(QPalette::Light));
    }

private:
    static void drawBevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
};

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, bool wrap) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

QString wrappableAddress(const QString& address) {
    QString out;
    out.reserve(address.size() + address.size() / 4);
    for (const QChar c : address) {
        out += c;
        if (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-')) out += QChar(0x200B);
    }
    return out;
}

// OK accepts; the close box and Escape reject.
AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setFont(dialogFont(12));
    setFixedSize(kClientWidth, kClientHeight);

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 217);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(16, 16, 33, 33);
    icon->setScaledContents(true);
    icon->setPixmap(programIcon().pixmap(QSize(33, 33)));

    // Labels run to 8 px inside the panel's right edge.
    constexpr int kRight = 281 - 8;
    productName_ = makeLabel(panel, "ProductName", QRect(64, 16, kRight - 64, 16), false);
    version_ = makeLabel(panel, "Version", QRect(64, 40, kRight - 64, 16), false);

    constexpr int kLeft = 16;
    purpose_ = makeLabel(panel, "NoticePurpose", QRect(kLeft, 72, kRight - kLeft, 16), false);
    build_ = makeLabel(panel, "NoticeBuild", QRect(kLeft, 96, kRight - kLeft, 16), false);
    licence_ = makeLabel(panel, "NoticeLicence", QRect(kLeft, 120, kRight - kLeft, 36), true);
    web_ = makeLabel(panel, "NoticeWeb", QRect(kLeft, 160, kRight - kLeft, 217 - 8 - 160), true);

    okButton_ = new QPushButton(this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(103, 236, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    setLanguage(false);
}

void AboutBox::setLanguage(bool english) {
    setWindowTitle(captions::kAboutTitle.text(english));
    productName_->setText(captions::kAboutProduct.text(english));
    version_->setText(captions::kAboutVersion.text(english));
    purpose_->setText(captions::kAboutPurpose.text(english));
    build_->setText(captions::kAboutBuild.text(english).arg(buildVersion()));
    licence_->setText(captions::kAboutLicence.text(english));
    web_->setText(captions::kAboutWeb.text(english) + wrappableAddress(webAddress()));
    okButton_->setText(captions::kAboutOk.text(english));
}

void AboutBox::showEvent(QShowEvent* event) {
    placeAtFirstShow(*this, FirstShowPlacement::screenCentre, placed_);
    QDialog::showEvent(event);
}

}  // namespace quill
