#include "engine/solve_run.h"

#include <memory>
#include <utility>

#include "common/error.h"
#include "engine/error_text.h"
#include "engine/list_reader.h"
#include "engine/solve.h"

namespace quill {

std::string SolveFailure::placedMessage() const {
    return fault == SolveFault::fxOverflow ? fxOverflowMessage(message) : message;
}

std::string SolveFailure::quotedMessage() const {
    return fault == SolveFault::notNumber ? notANumber(quoteText(text)).message() : placedMessage();
}

SolveFailure solveFailure(const std::exception_ptr& error, SolveList list) {
    SolveFailure failure;
    failure.list = list;
    failure.error = error;
    try {
        std::rethrow_exception(error);
    } catch (const ConvertError& e) {
        failure = {SolveFault::notNumber, list, e.lineIndex(), e.message(), e.text(), error};
    } catch (const OverflowError& e) {
        // Raised by the evaluation, it names no line but the x whose F overflowed.
        const bool read = e.lineIndex() >= 0;
        failure = {read ? SolveFault::outOfRange : SolveFault::fxOverflow,
                   list,
                   read ? e.lineIndex() : e.valueLine(),
                   e.message(),
                   {},
                   error};
    } catch (const ValueError& e) {
        failure = {SolveFault::other, list, e.lineIndex(), e.message(), {}, error};
    } catch (const AbortError& e) {
        failure.fault = SolveFault::aborted;
        failure.message = e.message();
    } catch (const FileError& e) {
        failure.fault = SolveFault::file;
        failure.message = e.message();
    } catch (const Error& e) {
        failure.fault = SolveFault::other;
        failure.message = e.message();
    } catch (const std::exception& e) {
        failure.fault = SolveFault::other;
        failure.message = e.what();
    } catch (...) {
        failure.fault = SolveFault::other;
    }
    return failure;
}

SolveResult runSolve(SolveJob job, const ReportStyle& style, const SolveControl& control) {
    SolveResult result;
    SolveList at = SolveList::coefficients;
    try {
        std::string coefficientText;
        if (job.coefficientText) job.coefficientText([&](std::string_view piece) { coefficientText.append(piece); });
        at = SolveList::xValues;
        auto solve = std::make_unique<Solve>(style, control);
        if (job.xText) job.xText([&](std::string_view piece) { solve->addXText(piece); });

        at = SolveList::coefficients;
        SolveLists& lists = result.lists;
        if (coefficientText.empty()) {
            lists.coefficients = std::move(job.keptCoefficients);
        } else {
            lists.coefficients = readList(coefficientText, style.decimalMark);
            std::string().swap(coefficientText);
        }
        result.listsMade = 1;

        at = SolveList::xValues;
        solve->finishX();
        if (solve->xTextEmpty()) solve->setX(job.keptX);
        std::vector<double>().swap(job.keptX);
        if (job.takeLists) lists.x = solve->xValues();  // before the Solve may drop them
        result.listsMade = 2;
        solve->compute(lists.coefficients);
        if (job.takeLists) lists.fx = solve->fxValues();
        result.listsMade = 3;

        at = SolveList::none;
        if (job.write) job.write(*solve, lists);
    } catch (...) {
        result.failure = solveFailure(std::current_exception(), at);
    }
    return result;
}

}  // namespace quill
