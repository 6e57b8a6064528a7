#include "dialog_work.h"

#include <QDialog>
#include <QProgressBar>

namespace quill {

DialogWork::DialogWork(QDialog& dialog, std::initializer_list<QWidget*> controls)
    : QObject(&dialog), bar_(new QProgressBar(&dialog)), controls_(controls), task_(new WindowTask(this)) {
    bar_->setObjectName(QStringLiteral("PrbWorking"));
    bar_->setRange(0, 0);  // busy: the work does not know how far it is
    bar_->setTextVisible(false);
    bar_->hide();
    connect(task_, &WindowTask::busyChanged, this, [this](bool busy) { setBusy(busy); });
    connect(&dialog, &QDialog::rejected, task_, &WindowTask::cancel);
}

DialogWork::~DialogWork() {
    task_->disconnect(this);  // the controls may be gone already
    task_->release();
}

void DialogWork::start(const Caption& caption, bool english, WindowTask::Job job,
                       std::function<void(std::exception_ptr)> done) {
    bar_->setAccessibleName(caption.text(english));
    task_->start(std::move(job), std::move(done));
}

void DialogWork::setBusy(bool busy) {
    bar_->setVisible(busy);
    for (QWidget* control : controls_) control->setEnabled(!busy);
}

}  // namespace quill
