// The status bar's notice: the decimal mark in use, what the last Solve
// took, and the word of its analysis.

#include <QLabel>

#include "ui/main_window/main_window.h"
#include "ui/plot_page/plot_page.h"
#include "ui/shared/language.h"

namespace quill {

namespace {

// Milliseconds with two decimals below one, one above; the separator is the
// decimal mark the panes use.
QString milliseconds(qint64 nanoseconds, char decimalMark) {
    const double ms = static_cast<double>(nanoseconds) / 1e6;
    QString text = QString::number(ms, 'f', ms < 1.0 ? 2 : 1);
    text.replace(QLatin1Char('.'), QChar::fromLatin1(decimalMark));
    return text + QStringLiteral(" ms");
}

}  // namespace

void MainWindow::setDecimalMark(char mark) {
    decimalMark_ = mark;
    plotPage_->setDecimalMark(mark);
    updateNotice();
}

void MainWindow::updateNotice() {
    // The figures of the last Solve stay while the mark it read is in use.
    if (solveMark_ != decimalMark_) solveNotice_.clear();
    QString notice = captions::kDecimalMark.text(english_) + QChar::fromLatin1(decimalMark_);
    // The analysis' word belongs to the Solve's figures.
    if (!solveNotice_.isEmpty()) notice += QStringLiteral("    ") + solveNotice_;
    if (!solveNotice_.isEmpty() && analysisWord_) {
        QString word = analysisWord_->text(english_);
        if (word.contains(QStringLiteral("%1"))) word = word.arg(static_cast<qulonglong>(analysisCount_));
        notice += QStringLiteral("    ") + word;
    }
    noticePanel_->setText(notice);
}

void MainWindow::showSolveFigures(qint64 nanoseconds) {
    solveNotice_ = captions::kSolveFigures.text(english_)
                       .arg(lists_.coefficientCount())
                       .arg(lists_.xCount())
                       .arg(milliseconds(nanoseconds, decimalMark_));
    solveMark_ = decimalMark_;
    updateNotice();
}

}  // namespace quill
