#include "ui/range_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/command_guard.h"
#include "ui/language.h"
#include "ui/modal.h"
#include "ui/text_pane.h"

namespace quill {

namespace {

// A caption without its mnemonic marker, as screen readers name the control.
QString plain(const Caption& caption, bool english) { return caption.text(english).remove(QLatin1Char('&')); }

}  // namespace

RangeDialog::RangeDialog(TextPane& pane, RangeFillStyle style, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), pane_(pane), style_(style) {
    using namespace captions::range;
    const bool english = style.english;
    setObjectName(QStringLiteral("RangeDialog"));
    setWindowTitle(kTitle.text(english));

    auto* grid = new QGridLayout;
    const struct {
        QLineEdit*& edit;
        const char* name;
        Caption caption;
        const char* initial;
    } entries[] = {
        {EdtFrom, "EdtFrom", kFrom, "0"},
        {EdtTo, "EdtTo", kTo, "1"},
        {EdtCount, "EdtCount", kCount, "11"},
    };
    int row = 0;
    for (const auto& e : entries) {
        e.edit = new QLineEdit(QString::fromLatin1(e.initial), this);
        e.edit->setObjectName(QLatin1String(e.name));
        e.edit->setAccessibleName(plain(e.caption, english));
        auto* label = new QLabel(e.caption.text(english), this);
        label->setBuddy(e.edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(e.edit, row, 1);
        ++row;
    }

    LblProblem = new QLabel(this);
    LblProblem->setObjectName(QStringLiteral("LblProblem"));
    LblProblem->setWordWrap(true);
    LblProblem->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    LblProblem->setAccessibleName(kTitle.text(english));
    LblProblem->hide();  // the dialog grows to show a problem

    auto* buttons = new QDialogButtonBox(this);
    BtnOk = buttons->addButton(kOk.text(english), QDialogButtonBox::AcceptRole);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setAccessibleName(plain(kOk, english));
    BtnOk->setDefault(true);
    BtnCancel = buttons->addButton(kCancel.text(english), QDialogButtonBox::RejectRole);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RangeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RangeDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(LblProblem);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (QLineEdit* edit : {EdtFrom, EdtTo, EdtCount}) edit->setMinimumWidth(220);
    EdtFrom->selectAll();
}

QString RangeDialog::menuCaption(bool english) { return captions::range::kMenuEntry.text(english); }

bool RangeDialog::fill() {
    using namespace captions::range;
    RangeRequest range;
    const RangeFault fault = readRange(EdtFrom->text().toStdString(), EdtTo->text().toStdString(),
                                       EdtCount->text().toStdString(), style_.decimalMark, range);
    const struct {
        RangeFault fault;
        Caption message;
        QLineEdit* entry;
    } problems[] = {
        {RangeFault::fromNotNumber, kFromNotNumber, EdtFrom},
        {RangeFault::fromTooLarge, kFromTooLarge, EdtFrom},
        {RangeFault::toNotNumber, kToNotNumber, EdtTo},
        {RangeFault::toTooLarge, kToTooLarge, EdtTo},
        {RangeFault::countNotAllowed, kCountNotAllowed, EdtCount},
        {RangeFault::singleValueNeedsEqualEnds, kSingleValue, EdtTo},
        {RangeFault::tooWide, kTooWide, EdtTo},
    };
    for (const auto& p : problems) {
        if (p.fault == fault) {
            const QString message = p.message.text(style_.english);
            showProblem(message.contains(QLatin1String("%1")) ? message.arg(kMostRangeValues) : message, p.entry);
            return false;
        }
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    const std::string text = rangeText(range, style_.decimalMark);
    PaneText& lines = pane_.lines();
    // The values are ASCII: bytes are characters. A cut value would pass
    // for a complete one, so all of them fit or none goes in.
    if (static_cast<int64_t>(text.size()) > lines.capacity()) {
        showProblem(kTooLong.text(style_.english), EdtCount);
        return false;
    }
    lines.edit(TextPos{}, lines.end(), text);
    pane_.setCaret(TextPos{});
    return true;
}

void RangeDialog::accept() {
    if (fill()) QDialog::accept();
}

void RangeDialog::showProblem(const QString& text, QLineEdit* entry) {
    LblProblem->setText(text);
    LblProblem->show();
    entry->setFocus(Qt::OtherFocusReason);
    entry->selectAll();
    // Screen readers hear the reason without leaving the entry; an entry
    // refused before and accepted now no longer carries its old reason.
    for (QLineEdit* e : {EdtFrom, EdtTo, EdtCount}) e->setAccessibleDescription(e == entry ? text : QString());
    QAccessibleEvent alert(LblProblem, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void acceptRangeFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style) {
    QObject::connect(&pane, &TextPane::contextMenuBuilt, window, [&pane, window, &errors, style](QMenu* menu) {
        menu->addSeparator();
        QAction* entry = menu->addAction(RangeDialog::menuCaption(style().english));
        entry->setObjectName(QStringLiteral("MnuFillRange"));
        connectCommand(entry, &QAction::triggered, window, errors, [&pane, window, style] {
            RangeDialog dialog(pane, style(), window);
            runModal(dialog);
        });
    });
}

}  // namespace quill
