#include "ui/about_box.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "ui/dialog_support.h"
#include "ui/help_commands.h"
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

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry, bool wrap) {
    auto* label = new QLabel(text, parent);
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

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于本软件About"));
    setFont(DialogFont(12));
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 217);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(16, 16, 33, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(quill::ProgramIcon().pixmap(QSize(33, 33)));

    // Labels run to 8 px inside the panel's right edge.
    constexpr int kRight = 281 - 8;
    ProductName = MakeLabel(Panel1, "ProductName", QStringLiteral("Quillometer多项式求值器2023"),
                            QRect(64, 16, kRight - 64, 16), false);
    Version = MakeLabel(Panel1, "Version", QStringLiteral("版本号Version：2023"), QRect(64, 40, kRight - 64, 16),
                        false);

    constexpr int kLeft = 16;
    NoticePurpose = MakeLabel(Panel1, "NoticePurpose", QStringLiteral("多项式批量求值 Polynomial evaluator"),
                              QRect(kLeft, 72, kRight - kLeft, 16), false);
    NoticeBuild = MakeLabel(Panel1, "NoticeBuild", QStringLiteral("构建版本 Build %1").arg(BuildVersion()),
                            QRect(kLeft, 96, kRight - kLeft, 16), false);
    NoticeLicence = MakeLabel(Panel1, "NoticeLicence",
                              QStringLiteral("以 MIT 许可证发布，不提供任何担保。"
                                             "Released under the MIT License, without warranty."),
                              QRect(kLeft, 120, kRight - kLeft, 36), true);
    NoticeWeb = MakeLabel(Panel1, "NoticeWeb", QStringLiteral("网站 Web: ") + WrappableAddress(WebAddress()),
                          QRect(kLeft, 160, kRight - kLeft, 217 - 8 - 160), true);

    OKButton = new QPushButton(QStringLiteral("关闭&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(103, 236, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(kModalResultOk); });
}

void TAboutBox::reject() { done(kModalResultCancel); }

void TAboutBox::showEvent(QShowEvent* event) {
    PlaceAtFirstShow(*this, FirstShowPlacement::screenCentre, placed_);
    QDialog::showEvent(event);
}

}  // namespace quill
