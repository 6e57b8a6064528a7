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

// Every caption and message of the dialog and its menu entry.
namespace range_captions {
constexpr Caption kMenuEntry{"等差数列填充&Fill with a range…", "&Fill with a range…"};
constexpr Caption kTitle{"等差数列填充Fill with a range", "Fill with a range"};
constexpr Caption kFrom{"从&From", "&From"};
constexpr Caption kTo{"到&To", "&To"};
constexpr Caption kCount{"个数&Count", "&Count"};
constexpr Caption kOk{"确定&OK", "&OK"};
constexpr Caption kCancel{"取消Cancel", "Cancel"};
constexpr Caption kFromNotNumber{"“从”不是有效的数值。From is not a valid number.", "From is not a valid number."};
constexpr Caption kFromTooLarge{"“从”超出双精度数的范围。From is beyond the range of a double.",
                                "From is beyond the range of a double."};
constexpr Caption kToNotNumber{"“到”不是有效的数值。To is not a valid number.", "To is not a valid number."};
constexpr Caption kToTooLarge{"“到”超出双精度数的范围。To is beyond the range of a double.",
                              "To is beyond the range of a double."};
// %1: kMostRangeValues.
constexpr Caption kCountNotAllowed{"个数必须是1到%1之间的整数。Count must be a whole number from 1 to %1.",
                                   "Count must be a whole number from 1 to %1."};
constexpr Caption kSingleValue{"个数为1时，“从”和“到”必须相同。With a Count of 1, From and To must be equal.",
                               "With a Count of 1, From and To must be equal."};
constexpr Caption kTooWide{"从“从”到“到”的跨度超出双精度数的范围。The span from From to To is too wide for a double.",
                           "The span from From to To is too wide for a double."};
constexpr Caption kTooLong{"这些数值超出窗格的容量。The values do not fit into the pane.",
                           "The values do not fit into the pane."};
}  // namespace range_captions

// A caption without its mnemonic marker, as screen readers name the control.
QString Plain(const Caption& caption, bool english) { return caption.Text(english).remove(QLatin1Char('&')); }

}  // namespace

RangeDialog::RangeDialog(TextPane& pane, RangeFillStyle style, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), pane_(pane), style_(style) {
    using namespace range_captions;
    const bool english = style.english;
    setObjectName(QStringLiteral("RangeDialog"));
    setWindowTitle(kTitle.Text(english));

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
        e.edit->setAccessibleName(Plain(e.caption, english));
        auto* label = new QLabel(e.caption.Text(english), this);
        label->setBuddy(e.edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(e.edit, row, 1);
        ++row;
    }

    LblProblem = new QLabel(this);
    LblProblem->setObjectName(QStringLiteral("LblProblem"));
    LblProblem->setWordWrap(true);
    LblProblem->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    LblProblem->setAccessibleName(kTitle.Text(english));
    LblProblem->hide();  // the dialog grows to show a problem

    auto* buttons = new QDialogButtonBox(this);
    BtnOk = buttons->addButton(kOk.Text(english), QDialogButtonBox::AcceptRole);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setAccessibleName(Plain(kOk, english));
    BtnOk->setDefault(true);
    BtnCancel = buttons->addButton(kCancel.Text(english), QDialogButtonBox::RejectRole);
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

QString RangeDialog::MenuCaption(bool english) { return range_captions::kMenuEntry.Text(english); }

bool RangeDialog::Fill() {
    using namespace range_captions;
    RangeRequest range;
    const RangeFault fault = ReadRange(EdtFrom->text().toStdString(), EdtTo->text().toStdString(),
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
            const QString message = p.message.Text(style_.english);
            ShowProblem(message.contains(QLatin1String("%1")) ? message.arg(kMostRangeValues) : message, p.entry);
            return false;
        }
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    const std::string text = RangeText(range, style_.decimalMark);
    PaneText& lines = pane_.Lines();
    // The values are ASCII: bytes are characters. A cut value would pass
    // for a complete one, so all of them fit or none goes in.
    if (static_cast<int64_t>(text.size()) > lines.capacity()) {
        ShowProblem(kTooLong.Text(style_.english), EdtCount);
        return false;
    }
    lines.edit(TextPos{}, lines.end(), text);
    pane_.setCaret(TextPos{});
    return true;
}

void RangeDialog::accept() {
    if (Fill()) QDialog::accept();
}

void RangeDialog::ShowProblem(const QString& text, QLineEdit* entry) {
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

void AcceptRangeFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style) {
    QObject::connect(&pane, &TextPane::contextMenuBuilt, window, [&pane, window, &errors, style](QMenu* menu) {
        menu->addSeparator();
        QAction* entry = menu->addAction(RangeDialog::MenuCaption(style().english));
        entry->setObjectName(QStringLiteral("MnuFillRange"));
        ConnectCommand(entry, &QAction::triggered, window, errors, [&pane, window, style] {
            RangeDialog dialog(pane, style(), window);
            RunModal(dialog);
        });
    });
}

}  // namespace quill
