#include "analysis/trusted_digits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "dyadic.h"
#include "engine/poly_kernel.h"
#include "engine/worker_pool.h"
#include "fast_value.h"

namespace quill {

using namespace analysis;

namespace {

// x values per chunk: large enough to pay for a hand-over, small enough
// for prompt progress and cancelling.
constexpr std::size_t kChunk = 1 << 14;

// The exact road: F(x) = P(x) · 2^scale as an integer times a power of two.
class ExactValues {
public:
    ExactValues(const fmpz_poly_struct* p, slong scale) : p_(p), scale_(scale), degree_(fmpz_poly_degree(p)) {}

    void evaluate(double x, double y, double& nearest, std::uint8_t& digits) {
        slong exponent = scale_;
        fmpz_zero(value_);
        if (degree_ >= 0) {
            // x = m · 2^e. For e < 0 the Horner steps carry 2^(−e·(d−i))
            // on the coefficients instead of dividing: all stays integer.
            slong e;
            splitDouble(x, xMantissa_, e);
            const ulong k = e < 0 ? ulong(-e) : 0;
            if (e > 0) fmpz_mul_2exp(xMantissa_, xMantissa_, ulong(e));
            const fmpz* c = coefficientsFor(k);
            fmpz_set(value_, c + degree_);
            for (slong i = degree_ - 1; i >= 0; --i) {
                fmpz_mul(value_, value_, xMantissa_);
                fmpz_add(value_, value_, c + i);
            }
            exponent -= slong(k) * degree_;
        }
        nearest = nearestDouble(value_, exponent);
        digits = std::isfinite(y) ? countDigits(y, exponent) : 0;
    }

private:
    // c_i · 2^(k·(d−i)), kept while x values of one exponent follow each
    // other, as neighbouring x values do.
    const fmpz* coefficientsFor(ulong k) {
        if (k == 0) return p_->coeffs;
        if (k != shift_) {
            fmpz_poly_fit_length(shifted_, degree_ + 1);
            for (slong i = 0; i <= degree_; ++i)
                fmpz_mul_2exp(shifted_->coeffs + i, p_->coeffs + i, k * ulong(degree_ - i));
            shift_ = k;
        }
        return shifted_->coeffs;
    }

private:
    // The correct digits of y against value_ · 2^exponent, both brought to
    // integers of one scale: the largest k ≤ 17 with 10^k·|y − E| ≤ |E|.
    std::uint8_t countDigits(double y, slong exponent) {
        slong ye;
        splitDouble(y, reported_, ye);
        const slong common = std::min(ye, exponent);
        fmpz_mul_2exp(exact_, value_, ulong(exponent - common));
        fmpz_mul_2exp(reported_, reported_, ulong(ye - common));
        fmpz_sub(difference_, reported_, exact_);
        if (fmpz_is_zero(difference_)) return kMostDigits;
        if (fmpz_is_zero(exact_)) return 0;
        fmpz_abs(difference_, difference_);
        fmpz_abs(exact_, exact_);
        std::uint8_t k = 0;
        while (k < kMostDigits) {
            fmpz_mul_ui(difference_, difference_, 10);
            if (fmpz_cmp(difference_, exact_) > 0) break;
            ++k;
        }
        return k;
    }

    const fmpz_poly_struct* p_;
    slong scale_, degree_;
    FmpzPoly shifted_;
    ulong shift_ = 0;
    Fmpz xMantissa_, value_, reported_, exact_, difference_;
};

void requireLengths(std::size_t count, std::size_t a, std::size_t b, std::size_t c) {
    if (a != count || b != count || c != count) throw std::invalid_argument("lengths differ");
}

// Both entry points: reported[j] is read; with evaluated, the engine's
// evaluation first writes it there (then reported is evaluated).
void run(std::span<const double> a, std::span<const double> x, const double* reported, double* evaluated, double* exact,
         std::uint8_t* digits, const DigitsControl& control) {
    requireFinite(a, "coefficient");
    requireFinite(x, "x value");
    const ThreadCacheRelease release;  // last out, after every FLINT object below
    FmpzPoly p;
    const slong scale = integerPolynomial(p, a);
    const bool fastRoad = std::all_of(a.begin(), a.end(), [](double c) { return std::fabs(c) <= 0x1p995; });
    const std::size_t count = x.size();
    const std::size_t chunks = (count + kChunk - 1) / kChunk;

    WorkerPool pool(control.threads);
    ChunkControl chunkControl = control;
    if (control.progress) {
        chunkControl.progress = [&](std::size_t done, std::size_t) {
            control.progress(std::min(done * kChunk, count), count);
        };
    }
    pool.run(
        chunks,
        [&](std::size_t chunk) {
            const std::size_t begin = chunk * kChunk, end = std::min(count, begin + kChunk);
            for (std::size_t j = begin; evaluated && j < end;) {
                const std::size_t stop = j + evaluatePolynomialRange(a.data(), a.size(), &x[j], &evaluated[j], end - j);
                if (stop == end) break;
                evaluated[stop] = std::numeric_limits<double>::quiet_NaN();  // overflowed
                j = stop + 1;
            }
            std::optional<ThreadCacheRelease> exactUsed;  // declared before exactRoad: released after it
            std::optional<ExactValues> exactRoad;
            for (std::size_t j = begin; j < end; ++j) {
                const FastVerdict v = fastRoad ? fastVerdict(a.data(), a.size(), x[j], reported[j]) : FastVerdict{};
                if (v.decided) {
                    exact[j] = v.exact;
                    digits[j] = v.digits;
                    continue;
                }
                if (!exactRoad) {
                    exactUsed.emplace();
                    exactRoad.emplace(p, scale);
                }
                exactRoad->evaluate(x[j], reported[j], exact[j], digits[j]);
            }
        },
        chunkControl);
}

}  // namespace

void checkDigits(std::span<const double> coefficients, std::span<const double> x, std::span<const double> reported,
                 std::span<double> exact, std::span<std::uint8_t> digits, const DigitsControl& control) {
    requireLengths(x.size(), reported.size(), exact.size(), digits.size());
    run(coefficients, x, reported.data(), nullptr, exact.data(), digits.data(), control);
}

void checkSolveDigits(std::span<const double> coefficients, std::span<const double> x, std::span<double> reported,
                      std::span<double> exact, std::span<std::uint8_t> digits, const DigitsControl& control) {
    requireLengths(x.size(), reported.size(), exact.size(), digits.size());
    run(coefficients, x, reported.data(), reported.data(), exact.data(), digits.data(), control);
}

}  // namespace quill
