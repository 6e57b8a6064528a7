#pragma once
// Every command runs inside one guard, so that no error reaches Qt: an error
// ends the command where it arose (nothing is undone) and goes to the route
// the command was given, which shows it (the application's error box).

#include <QObject>
#include <exception>
#include <functional>

namespace quill {

class ErrorRoute {
public:
    virtual ~ErrorRoute() = default;
    virtual void routeError(std::exception_ptr error) noexcept = 0;
};

void runGuarded(ErrorRoute& errors, const std::function<void()>& command) noexcept;

// Connects a signal (a click, a menu entry) to a command run guarded; the
// connection lives as long as context.
template <class Sender, class Signal, class Command>
QMetaObject::Connection connectCommand(Sender* sender, Signal signal, QObject* context, ErrorRoute& errors,
                                       Command command) {
    return QObject::connect(sender, signal, context, [&errors, command] { runGuarded(errors, command); });
}

}  // namespace quill
