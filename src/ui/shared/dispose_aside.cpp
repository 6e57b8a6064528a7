#include "ui/shared/dispose_aside.h"

#include <QRunnable>
#include <QThreadPool>

namespace quill::aside {

namespace {

class Disposal final : public QRunnable {
public:
    explicit Disposal(std::unique_ptr<Held> held) : held_(std::move(held)) {}
    void run() override { held_.reset(); }

private:
    std::unique_ptr<Held> held_;
};

}  // namespace

void destroy(std::unique_ptr<Held> held) { QThreadPool::globalInstance()->start(new Disposal(std::move(held))); }

}  // namespace quill::aside
