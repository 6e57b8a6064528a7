#pragma once
// The caller's cancel flag, polled in every long loop of the search: each
// step between two polls stays short (tens of milliseconds at the largest
// degree served), so a set flag ends the search soon with AbortError.

#include <atomic>

#include "common/error.h"

namespace quill::analysis {

class Stop {
public:
    explicit Stop(const std::atomic<bool>* flag = nullptr) : flag_(flag) {}
    void poll() const {
        if (flag_ && flag_->load(std::memory_order_relaxed)) throw AbortError();
    }
    const std::atomic<bool>* flag() const { return flag_; }

private:
    const std::atomic<bool>* flag_;
};

}  // namespace quill::analysis
