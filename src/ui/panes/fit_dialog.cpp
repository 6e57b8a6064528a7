#include "ui/panes/fit_dialog.h"

#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

#include "analysis/fit.h"
#include "common/error.h"
#include "dialog_work.h"
#include "engine/point_list.h"
#include "fill_dialog_parts.h"
#include "lines/list_file.h"
#include "ui/panes/file_dialogs.h"
#include "ui/panes/text_pane.h"

namespace quill {

namespace {

// The most text the entry shows; a longer file stays aside (typing into
// the entry, or showing it, would keep the window waiting).
constexpr std::size_t kShownPointsBytes = 1 << 18;

struct FitOutcome {
    std::vector<double> coefficients;
    plot::PlotModel plot;
};

}  // namespace

FitDialog::FitDialog(TextPane& pane, RangeFillStyle style, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), pane_(pane), style_(style) {
    using namespace captions;
    const bool english = style.english;
    setObjectName(QStringLiteral("FitDialog"));
    setWindowTitle(fit::kTitle.text(english));

    pointsEdit_ = new QPlainTextEdit(this);
    pointsEdit_->setObjectName(QStringLiteral("EdtPoints"));
    pointsEdit_->setAccessibleName(fit::kPoints.text(english).remove(QLatin1Char('&')));
    pointsEdit_->setTabChangesFocus(true);
    pointsEdit_->setMinimumSize(360, 200);
    loadButton_ = new QPushButton(fit::kLoad.text(english), this);
    loadButton_->setObjectName(QStringLiteral("BtnLoadPoints"));
    loadButton_->setAccessibleName(fit::kLoad.text(english).remove(QLatin1Char('&')));
    degreeBox_ = new QSpinBox(this);
    degreeBox_->setObjectName(QStringLiteral("SpnDegree"));
    degreeBox_->setRange(0, kMaxFitDegree);
    degreeBox_->setValue(1);
    degreeBox_->setAccessibleName(fit::kDegree.text(english).remove(QLatin1Char('&')));

    auto* pointsLabel = new QLabel(fit::kPoints.text(english), this);
    pointsLabel->setBuddy(pointsEdit_);
    auto* pointsRow = new QHBoxLayout;
    pointsRow->addWidget(pointsLabel, 1);
    pointsRow->addWidget(loadButton_);
    auto* degreeLabel = new QLabel(fit::kDegree.text(english), this);
    degreeLabel->setBuddy(degreeBox_);
    auto* form = new QFormLayout;
    form->addRow(degreeLabel, degreeBox_);

    problemLabel_ = fill_parts::problemLabel(*this, fit::kTitle.text(english));
    QDialogButtonBox* buttons = fill_parts::okCancel(*this, english);
    work_ = new DialogWork(*this, {pointsEdit_, loadButton_, degreeBox_, buttons->findChild<QWidget*>("BtnOk")});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pointsRow);
    layout->addWidget(pointsEdit_);
    layout->addLayout(form);
    layout->addWidget(problemLabel_);
    layout->addWidget(work_->bar());
    layout->addWidget(buttons);

    // Typed or pasted points take the place of a file kept aside.
    connect(pointsEdit_, &QPlainTextEdit::textChanged, this, [this] {
        if (!loaded_ || pointsEdit_->document()->isEmpty()) return;
        loaded_.reset();
        pointsEdit_->setPlaceholderText(QString());
        pointsEdit_->setAccessibleDescription(QString());
    });
    connect(loadButton_, &QPushButton::clicked, this, [this] {
        FileDialog own(FileDialog::Kind::open);
        own.nameFilters = {captions::kTextFiles.text(style_.english), captions::kAllFiles.text(style_.english)};
        FileDialog& chooser = openDialog_ ? *openDialog_ : own;
        if (chooser.execute(this)) loadPoints(chooser.fileName);
    });
}

bool FitDialog::working() const { return work_->running(); }

void FitDialog::loadPoints(const QString& path) {
    auto read = std::make_shared<ListText>();
    auto job = [read, file = QFile::encodeName(path).toStdString()](const std::atomic<bool>& cancel) {
        *read = readListFile(file, SpecialFiles::refuse, [&cancel](uint64_t, uint64_t) {
            if (cancel.load()) throw AbortError();
        });
    };
    work_->start(captions::kLoading, style_.english, std::move(job), [this, read, path](std::exception_ptr error) {
        if (error) return showOutcome(error);
        problemLabel_->hide();
        std::string& text = read->text;
        if (text.size() <= kShownPointsBytes) {
            std::erase(text, '\r');  // the pane's CR LF; the entry breaks lines at LF
            pointsEdit_->setPlainText(QString::fromStdString(text));
            return;
        }
        pointsEdit_->clear();
        const QString source =
            captions::fit::kFromFile.text(style_.english).arg(QFileInfo(path).fileName()).arg(text.size());
        pointsEdit_->setPlaceholderText(source);
        pointsEdit_->setAccessibleDescription(source);
        loaded_ = std::make_shared<const std::string>(std::move(text));
    });
}

void FitDialog::accept() {
    auto text = pointsEdit_->document()->isEmpty() && loaded_
                    ? loaded_
                    : std::make_shared<const std::string>(pointsEdit_->toPlainText().toStdString());
    auto out = std::make_shared<FitOutcome>();
    auto job = [out, text, degree = degreeBox_->value(), mark = style_.decimalMark,
                withPlot = static_cast<bool>(shown_)](const std::atomic<bool>& cancel) {
        PointColumns points = readPoints(*text, mark);
        FitResult fit = fitPolynomial(points.x, points.y, points.w, degree, 0, &cancel);
        if (withPlot) out->plot.setData(fit.coefficients, std::move(points.x), std::move(points.y));
        out->coefficients = std::move(fit.coefficients);
    };
    work_->start(captions::fit::kFitting, style_.english, std::move(job), [this, out](std::exception_ptr error) {
        if (error) return showOutcome(error);
        if (!fill_parts::fillOrExplain(pane_, out->coefficients, style_, problemLabel_, pointsEdit_)) return;
        if (shown_) shown_(std::move(out->plot));
        QDialog::accept();
    });
}

void FitDialog::showOutcome(std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const AbortError&) {
        return;
    } catch (const ValueError& e) {
        text = QString::fromStdString(e.message());
        if (e.lineIndex() >= 0) text = QStringLiteral("%1: %2").arg(e.lineIndex() + 1).arg(text);
    } catch (const std::exception& e) {
        text = QString::fromStdString(e.what());
    }
    fill_parts::showProblem(problemLabel_, pointsEdit_, text);
}

void acceptPointFit(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style,
                    FileDialog* openDialog, FitShown shown) {
    fill_parts::addMenuEntry<FitDialog>(pane, window, errors, std::move(style), captions::fit::kMenuEntry,
                                        "MnuFitPoints", false, [openDialog, shown](FitDialog& dialog) {
                                            dialog.setOpenDialog(openDialog);
                                            dialog.setFitShown(shown);
                                        });
}

}  // namespace quill
