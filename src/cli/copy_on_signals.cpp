#include "copy_on_signals.h"

#include <signal.h>

#include <array>
#include <cstddef>

namespace quill::cli {

namespace {

constexpr std::array<int, 3> kEndingSignals = {SIGTERM, SIGINT, SIGHUP};

CopyWatch watched;
std::array<struct sigaction, kEndingSignals.size()> before;
std::array<bool, kEndingSignals.size()> installed{};
volatile sig_atomic_t pending = 0;  // the signal a rewrite under way put off

extern "C" void removeCopyAndEnd(int signal) {
    pending = signal;
    // SA_RESETHAND gave the signal its default action back: raised again, it
    // ends the program as soon as this handler returns, and a second one
    // during the rewrite ends it at once.
    if (watched.endNow()) ::raise(signal);
}

}  // namespace

CopyOnSignals::CopyOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeCopyAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        if (::sigaction(kEndingSignals[i], nullptr, &before[i]) != 0) continue;
        if ((before[i].sa_flags & SA_SIGINFO) == 0 && before[i].sa_handler == SIG_IGN) continue;
        installed[i] = ::sigaction(kEndingSignals[i], &action, nullptr) == 0;
    }
}

CopyOnSignals::~CopyOnSignals() {
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        if (installed[i]) ::sigaction(kEndingSignals[i], &before[i], nullptr);
        installed[i] = false;
    }
    // The signal that came during the rewrite, now that it is over.
    if (watched.endAsked()) ::raise(pending);
}

CopyWatch* CopyOnSignals::watch() { return &watched; }

}  // namespace quill::cli
