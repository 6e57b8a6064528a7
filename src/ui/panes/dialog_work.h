#pragma once
// The work behind a fill dialog's OK or Load (a fit, an expansion, reading a
// points file) off the window's thread: work that ends within a moment is
// done before the click returns; longer work shows a busy bar in the dialog
// with its entries and OK off, and the dialog's Cancel (or Esc) gives it up.

#include <QObject>
#include <functional>
#include <initializer_list>
#include <vector>

#include "ui/shared/language.h"
#include "ui/shared/window_task.h"

class QDialog;
class QProgressBar;

namespace quill {

class DialogWork : public QObject {
    Q_OBJECT

public:
    // controls: what is off while work runs. The bar (PrbWorking) is for
    // the dialog's layout.
    DialogWork(QDialog& dialog, std::initializer_list<QWidget*> controls);
    // Lets go of work still running without waiting for it.
    ~DialogWork() override;

    QProgressBar* bar() const { return bar_; }
    // Runs job aside; then done on the window's thread with its error (none:
    // it succeeded), unless the dialog was cancelled first.
    void start(const Caption& caption, bool english, WindowTask::Job job,
               std::function<void(std::exception_ptr error)> done);
    bool running() const { return task_->running(); }

private:
    void setBusy(bool busy);

    QProgressBar* bar_;
    std::vector<QWidget*> controls_;
    WindowTask* task_;
};

}  // namespace quill
