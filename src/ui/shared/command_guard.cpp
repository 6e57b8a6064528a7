#include "ui/shared/command_guard.h"

namespace quill {

void runGuarded(ErrorRoute& errors, const std::function<void()>& command) noexcept {
    try {
        command();
    } catch (...) {
        errors.routeError(std::current_exception());
    }
}

}  // namespace quill
