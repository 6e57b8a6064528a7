#include "solve/background_analysis.h"

#include <algorithm>
#include <utility>

#include "analysis/tables.h"
#include "analysis/trusted_digits.h"
#include "common/error.h"

namespace quill {

BackgroundAnalysis::BackgroundAnalysis(AnalysisInput input, std::function<void()> finished)
    : input_(std::move(input)), run_([this] { run(); }, std::move(finished)) {}

void BackgroundAnalysis::run() noexcept {
    AnalysisOutcome& out = outcome_;
    auto stopIfCancelled = [this] {
        if (run_.cancelled()) throw AbortError();
    };
    try {
        // The digits first: the status bar waits for them. Every part stops
        // within moments of a cancel.
        const std::size_t n = std::min(input_.x.size(), input_.fx.size());
        {
            std::vector<double> exact(n);
            std::vector<std::uint8_t> digits(n);
            DigitsControl control;
            control.cancel = run_.cancelFlag();
            checkDigits(input_.coefficients, {input_.x.data(), n}, {input_.fx.data(), n}, exact, digits, control);
            for (std::size_t j = 0; j < n; ++j) {
                out.fewestDigits = std::min(out.fewestDigits, digits[j]);
                if (digits[j] < kTrustedDigits)
                    out.fewDigits.push_back({input_.x[j], input_.fx[j], exact[j], digits[j]});
            }
            out.checked = n;
        }
        std::vector<double>().swap(input_.x);
        std::vector<double>().swap(input_.fx);
        stopIfCancelled();
        out.roots = findRoots(input_.coefficients, run_.cancelFlag());
        stopIfCancelled();
        out.turningPoints = findTurningPoints(input_.coefficients, run_.cancelFlag());
        stopIfCancelled();
    } catch (...) {
        out.error = std::current_exception();
    }
}

}  // namespace quill
