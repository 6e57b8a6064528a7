#include "analysis/trusted_digits.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

#include "dyadic.h"
#include "engine/poly_kernel.h"
#include "engine/worker_pool.h"
#include "fast_value.h"
#include "stop.h"

namespace quill {

using namespace analysis;

namespace {

// x values per chunk: large enough to pay for a hand-over, small enough
// for prompt progress. A cancel is seen at every x and at every step of an
// exact evaluation, so it stops the work within one step.
constexpr std::size_t kChunk = 1 << 14;
// The engine's rule costs about n²/2 operations an x for n coefficients:
// it evaluates a chunk's x values in pieces of about this many operations
// (in whole blocks of four x values, at most 256), with a look at the
// cancel between them.
constexpr double kEvaluatedOperations = 0x1p22;

std::size_t evaluatedPiece(std::size_t n) {
    const double perX = 0.5 * double(n) * double(n) + 1.0;
    const double piece = std::clamp(kEvaluatedOperations / perX, 4.0, 256.0);
    return std::size_t(piece) & ~std::size_t(3);
}

// GMP and FLINT end the process when an allocation fails, and their
// allocation functions have no way back (an exception would cross C frames
// that do not expect one). So the exact road asks for the memory it will
// need before it starts, as one block that it gives back at once, and
// refuses with std::bad_alloc where that block cannot be had: under a limit
// on the address space or a strict commit policy the answer is truthful.
// Every thread that may be on the exact road at once is counted, so that
// they cannot each pass the test and then together run out.
void requireMemory(double bytes, unsigned threads) {
    const double total = bytes * threads;
    if (!(total < double(std::numeric_limits<std::ptrdiff_t>::max()))) throw std::bad_alloc();
    void* (*volatile allocate)(std::size_t) = std::malloc;  // not to be elided with the free below
    void* block = allocate(std::size_t(total));
    if (!block) throw std::bad_alloc();
    std::free(block);
}

// Each integer of the exact road holds at most about this many bits, for
// a polynomial of the given degree whose integer coefficients have at most
// coefficientBits bits. With x = m · 2^−k (k ≥ 0 the bits below x's binary
// point) the value is the sum of c(i) · m^i · 2^(k·(d−i)): every degree
// adds at most the larger of k and the bits of m.
double exactRoadBits(double coefficientBits, slong degree, double x) {
    const int top = x == 0.0 ? -1 : std::ilogb(x);
    const int k = std::clamp(52 - top, 0, 1074);
    const double step = double(k + std::max(top + 1, 0));
    return coefficientBits + double(degree) * step + 4096.0;  // and room for the digit count's shifts
}

// The integer polynomial of the coefficients, made once by the first
// thread that needs it: most lists never go down the exact road.
class IntegerCoefficients {
public:
    explicit IntegerCoefficients(std::span<const double> a) : a_(a) {}

    // Bits of the widest integer coefficient.
    double bits() const { return bits_; }
    slong scale() const { return scale_; }
    const fmpz_poly_struct* polynomial() {
        std::call_once(made_, [this] { make(); });
        return p_;
    }

private:
    void make() {
        int top = INT_MIN, bottom = INT_MAX;
        for (const double c : a_) {
            if (c == 0.0) continue;
            top = std::max(top, std::ilogb(c));
            bottom = std::min(bottom, std::ilogb(c) - 52);
        }
        bits_ = top == INT_MIN ? 0.0 : double(top - bottom) + 64.0;
        requireMemory(double(a_.size()) * (bits_ + 128.0) / 8.0, 1);
        scale_ = integerPolynomial(p_, a_);
    }

    std::span<const double> a_;
    std::once_flag made_;
    double bits_ = 0.0;
    slong scale_ = 0;
    FmpzPoly p_;
};

// The numbers held at once while one x is on the exact road: the value, a
// shifted coefficient, and three of the digit count, each with room for a
// reallocation beside it.
constexpr double kExactRoadNumbers = 10.0;

// The exact road: F(x) = P(x) · 2^scale as an integer times a power of two.
// Memory stays linear in the degree: a coefficient is brought to the scale
// of x only for its own Horner step.
class ExactValues {
public:
    ExactValues(IntegerCoefficients& coefficients, const Stop& cancel, unsigned threads)
        : p_(coefficients.polynomial()),
          bits_(coefficients.bits()),
          scale_(coefficients.scale()),
          degree_(fmpz_poly_degree(p_)),
          cancel_(cancel),
          threads_(threads) {}

    void evaluate(double x, double y, double& nearest, std::uint8_t& digits) {
        slong exponent = scale_;
        fmpz_zero(value_);
        if (degree_ >= 0) {
            requireMemory(kExactRoadNumbers * exactRoadBits(bits_, degree_, x) / 8.0, threads_);
            // x = m · 2^e. For e < 0 the Horner steps carry 2^(−e·(d−i))
            // on the coefficients instead of dividing: all stays integer.
            slong e;
            splitDouble(x, xMantissa_, e);
            const ulong k = e < 0 ? ulong(-e) : 0;
            if (e > 0) fmpz_mul_2exp(xMantissa_, xMantissa_, ulong(e));
            const fmpz* c = p_->coeffs;
            fmpz_set(value_, c + degree_);
            for (slong i = degree_ - 1; i >= 0; --i) {
                cancel_.poll();
                fmpz_mul(value_, value_, xMantissa_);
                if (k == 0) {
                    fmpz_add(value_, value_, c + i);
                } else {
                    fmpz_mul_2exp(term_, c + i, k * ulong(degree_ - i));
                    fmpz_add(value_, value_, term_);
                }
            }
            fmpz_zero(term_);
            exponent -= slong(k) * degree_;
        }
        nearest = nearestDouble(value_, exponent);
        digits = std::isfinite(y) ? countDigits(y, exponent) : 0;
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
    double bits_;
    slong scale_, degree_;
    Stop cancel_;
    unsigned threads_;
    Fmpz xMantissa_, value_, term_, reported_, exact_, difference_;
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
    IntegerCoefficients integers(a);
    const FastRoad fastRoad(a);
    const Stop cancel(control.cancel);
    const std::size_t count = x.size();
    const std::size_t chunks = (count + kChunk - 1) / kChunk;

    WorkerPool pool(control.threads);
    ChunkControl chunkControl = control;
    if (control.progress) {
        chunkControl.progress = [&](std::size_t done, std::size_t) {
            control.progress(std::min(done * kChunk, count), count);
        };
    }
    const unsigned threads = std::max<unsigned>(1, std::min<std::size_t>(pool.threads(), chunks));
    pool.run(
        chunks,
        [&](std::size_t chunk) {
            const std::size_t begin = chunk * kChunk, end = std::min(count, begin + kChunk);
            const std::size_t step = evaluatedPiece(a.size());
            for (std::size_t j = begin; evaluated && j < end;) {
                cancel.poll();
                const std::size_t piece = std::min(end, j + step);
                const std::size_t stop =
                    j + evaluatePolynomialRange(a.data(), a.size(), &x[j], &evaluated[j], piece - j);
                if (stop < piece) evaluated[stop] = std::numeric_limits<double>::quiet_NaN();  // overflowed
                j = std::min(piece, stop + 1);
            }
            std::optional<ThreadCacheRelease> exactUsed;  // declared before exactRoad: released after it
            std::optional<ExactValues> exactRoad;
            for (std::size_t j = begin; j < end; ++j) {
                cancel.poll();
                const FastVerdict v = fastRoad.verdict(x[j], reported[j]);
                if (v.decided) {
                    exact[j] = v.exact;
                    digits[j] = v.digits;
                    continue;
                }
                if (!exactRoad) {
                    exactUsed.emplace();
                    exactRoad.emplace(integers, cancel, threads);
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
