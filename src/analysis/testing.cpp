#include "analysis/testing.h"

#include "dyadic.h"

namespace quill::testing {

using namespace analysis;

double nearestDoubleOf(std::int64_t mantissa, long exponent) {
    Fmpz m;
    fmpz_set_si(m, mantissa);
    return nearestDouble(m, exponent);
}

BallJudgement judgeBallOf(std::int64_t low, std::int64_t high, long exponent) {
    Arf a, b;
    arf_set_si(a, low);
    arf_set_si(b, high);
    Arb ball;
    arb_set_interval_arf(ball, a, b, ARF_PREC_EXACT);
    arb_mul_2exp_si(ball, ball, exponent);
    Arf candidate;
    const BallVerdict verdict = judgeBall(ball, candidate);
    BallJudgement out{verdict.decided, verdict.value, verdict.hasCandidate, 0, 0};
    if (verdict.hasCandidate && !arf_is_zero(candidate)) {
        Fmpz m, e;
        arf_get_fmpz_2exp(m, e, candidate);
        out.candidateMantissa = fmpz_get_si(m);
        out.candidateExponent = fmpz_get_si(e);
    }
    return out;
}

}  // namespace quill::testing
