#include "ui/panes/range_dialog.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "numtext/format.h"
#include "ui/panes/pane_work.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/command_guard.h"
#include "ui/shared/language.h"
#include "ui/shared/modal.h"

namespace quill {

namespace {

// A caption without its mnemonic marker, as screen readers name the control.
QString plain(const Caption& caption, bool english) { return caption.text(english).remove(QLatin1Char('&')); }

// Makes the values' rows, part by part, and hands back their filling the
// pane, in place of its text, as one step of its undo history.
WorkFinish fillWith(const RangeRequest& range, char decimalMark, WorkControl& control) {
    constexpr int32_t kPart = 1 << 16;
    std::string text;
    text.reserve(static_cast<std::size_t>(range.count) * (kMaxDoubleTextLength + 2));
    for (int32_t first = 0; first < range.count; first += kPart) {
        const int32_t end = std::min(range.count, first + kPart);
        text.append(rangeText(range, decimalMark, first, end));
        control.progress(static_cast<uint64_t>(end), static_cast<uint64_t>(range.count));
    }
    auto rows = std::make_shared<RowText>(std::move(text));
    control.check();
    return [rows](TextPane& pane) {
        pane.lines().edit(TextPos{}, pane.lines().end(), std::move(*rows));
        pane.setCaret(TextPos{});
    };
}

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
        {fromEdit_, "EdtFrom", kFrom, "0"},
        {toEdit_, "EdtTo", kTo, "1"},
        {countEdit_, "EdtCount", kCount, "11"},
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

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(QStringLiteral("LblProblem"));
    problemLabel_->setWordWrap(true);
    problemLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    problemLabel_->setAccessibleName(kTitle.text(english));
    problemLabel_->hide();  // the dialog grows to show a problem

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(kOk.text(english), QDialogButtonBox::AcceptRole);
    okButton_->setObjectName(QStringLiteral("BtnOk"));
    okButton_->setAccessibleName(plain(kOk, english));
    okButton_->setDefault(true);
    cancelButton_ = buttons->addButton(kCancel.text(english), QDialogButtonBox::RejectRole);
    cancelButton_->setObjectName(QStringLiteral("BtnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RangeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RangeDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(problemLabel_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (QLineEdit* edit : {fromEdit_, toEdit_, countEdit_}) edit->setMinimumWidth(220);
    fromEdit_->selectAll();
}

QString RangeDialog::menuCaption(bool english) { return captions::range::kMenuEntry.text(english); }

bool RangeDialog::fill() {
    using namespace captions::range;
    RangeRequest range;
    const RangeFault fault = readRange(fromEdit_->text().toStdString(), toEdit_->text().toStdString(),
                                       countEdit_->text().toStdString(), style_.decimalMark, range);
    const struct {
        RangeFault fault;
        Caption message;
        QLineEdit* entry;
    } problems[] = {
        {RangeFault::fromNotNumber, kFromNotNumber, fromEdit_},
        {RangeFault::fromTooLarge, kFromTooLarge, fromEdit_},
        {RangeFault::toNotNumber, kToNotNumber, toEdit_},
        {RangeFault::toTooLarge, kToTooLarge, toEdit_},
        {RangeFault::countNotAllowed, kCountNotAllowed, countEdit_},
        {RangeFault::singleValueNeedsEqualEnds, kSingleValue, toEdit_},
        {RangeFault::tooWide, kTooWide, toEdit_},
    };
    for (const auto& p : problems) {
        if (p.fault == fault) {
            const QString message = p.message.text(style_.english);
            showProblem(message.contains(QLatin1String("%1")) ? message.arg(kMostRangeValues) : message, p.entry);
            return false;
        }
    }

    // The values are ASCII: bytes are characters. A cut value would pass
    // for a complete one, so all of them fit or none goes in. When even the
    // longest values would fit, they are made on the pane's work.
    PaneText& lines = pane_.lines();
    const auto most = static_cast<int64_t>(range.count) * static_cast<int64_t>(kMaxDoubleTextLength + 2);
    if (most <= lines.capacity()) {
        runPaneWork(pane_, {captions::kFilling, true}, [range, mark = style_.decimalMark](WorkControl& control) {
            return fillWith(range, mark, control);
        });
        return true;
    }
    const std::string text = rangeText(range, style_.decimalMark);
    if (static_cast<int64_t>(text.size()) > lines.capacity()) {
        showProblem(kTooLong.text(style_.english), countEdit_);
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
    problemLabel_->setText(text);
    problemLabel_->show();
    entry->setFocus(Qt::OtherFocusReason);
    entry->selectAll();
    // Screen readers hear the reason without leaving the entry; an entry
    // refused before and accepted now no longer carries its old reason.
    for (QLineEdit* e : {fromEdit_, toEdit_, countEdit_}) e->setAccessibleDescription(e == entry ? text : QString());
    QAccessibleEvent alert(problemLabel_, QAccessible::Alert);
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
