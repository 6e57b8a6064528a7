#include "approximate_roots.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/worker_pool.h"

namespace quill::analysis {

namespace {

// Sweeps of Aberth's iteration before the guesses are left to the isolation
// as they are: from the Newton polygon's circles they settle in a few dozen.
constexpr int kMostSweeps = 120;
// Guesses moved by one thread between looks at the cancel flag, and the
// degree from which the threads share the sweeps.
constexpr std::size_t kGuessesPerChunk = 64;
constexpr std::size_t kSmallestShared = 256;

template <class T>
struct Complex {
    T re = 0, im = 0;
};

template <class T>
Complex<T> operator+(Complex<T> a, Complex<T> b) {
    return {a.re + b.re, a.im + b.im};
}
template <class T>
Complex<T> operator-(Complex<T> a, Complex<T> b) {
    return {a.re - b.re, a.im - b.im};
}
template <class T>
Complex<T> operator*(Complex<T> a, Complex<T> b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
template <class T>
Complex<T> operator*(T s, Complex<T> a) {
    return {s * a.re, s * a.im};
}

// Smith's division: no overflow from squaring the divisor.
template <class T>
Complex<T> operator/(Complex<T> a, Complex<T> b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        const T r = b.im / b.re, t = b.re + b.im * r;
        return {(a.re + a.im * r) / t, (a.im - a.re * r) / t};
    }
    const T r = b.re / b.im, t = b.re * r + b.im;
    return {(a.re * r + a.im) / t, (a.im * r - a.re) / t};
}

template <class T>
T magnitude(Complex<T> a) {
    return std::hypot(a.re, a.im);
}

template <class T>
bool isFinite(Complex<T> a) {
    return std::isfinite(a.re) && std::isfinite(a.im);
}

// 1/d: by the conjugate over |d|² where that cannot overflow or underflow.
template <class T>
inline Complex<T> inverse(Complex<T> d) {
    const T norm = d.re * d.re + d.im * d.im;
    if (norm > T(0x1p-1000) && norm < T(0x1p1000)) {
        const T s = T(1) / norm;
        return {d.re * s, -d.im * s};
    }
    return Complex<T>{1, 0} / d;
}

// p(z)/p'(z) for coefficients c[0..d]: by Horner inside the unit circle and
// through the reversed polynomial in 1/z outside it, so that no power of z
// can overflow.
template <class T>
Complex<T> newtonRatio(const std::vector<T>& c, Complex<T> z) {
    const std::size_t d = c.size() - 1;
    if (z.re * z.re + z.im * z.im <= 1) {
        Complex<T> p{c[d], 0}, dp;
        for (std::size_t i = d; i-- > 0;) {
            dp = dp * z + p;
            p = p * z + Complex<T>{c[i], 0};
        }
        return p / dp;
    }
    const Complex<T> w = Complex<T>{1, 0} / z;
    Complex<T> q{c[0], 0}, dq;
    for (std::size_t i = 1; i <= d; ++i) {
        dq = dq * w + q;
        q = q * w + Complex<T>{c[i], 0};
    }
    return z * q / (T(d) * q - w * dq);
}

// Aberth–Ehrlich iterations, all guesses moved at once from the last
// sweep's (so the threads share the work, and the result does not depend
// on how); done[k] tells whether guess k settled (or can go no further).
template <class T>
void aberth(const std::vector<T>& c, std::vector<Complex<T>>& z, std::vector<char>& done, const Stop& stop) {
    const std::size_t d = z.size();
    std::vector<Complex<T>> next(z);
    const std::size_t chunks = (d + kGuessesPerChunk - 1) / kGuessesPerChunk;
    WorkerPool pool;
    ChunkControl control;
    control.cancel = stop.flag();
    control.threads = d < kSmallestShared ? 1 : 0;
    // Guess k's correction from the present guesses, into target.
    auto correct = [&](std::size_t k, Complex<T>& target) {
        const Complex<T> ratio = newtonRatio(c, z[k]);
        if (!isFinite(ratio)) {
            done[k] = 1;  // on a root, or past help: the isolation decides
            return;
        }
        Complex<T> sum;
        for (std::size_t j = 0; j < d; ++j) {
            if (j != k) sum = sum + inverse(z[k] - z[j]);
        }
        const Complex<T> step = ratio / (Complex<T>{1, 0} - ratio * sum);
        if (!isFinite(step)) return;
        target = z[k] - step;
        if (magnitude(step) <= T(0x1p-50) * magnitude(target)) done[k] = 1;
    };
    auto allDone = [&] { return std::all_of(done.begin(), done.end(), [](char x) { return x != 0; }); };
    for (int sweep = 0; sweep < kMostSweeps; ++sweep) {
        pool.run(
            chunks,
            [&](std::size_t chunk) {
                const std::size_t end = std::min(d, (chunk + 1) * kGuessesPerChunk);
                for (std::size_t k = chunk * kGuessesPerChunk; k < end; ++k) {
                    if (!done[k]) correct(k, next[k]);
                }
            },
            control);
        z = next;
        if (allDone()) return;
    }
    // The few left, one after the other, each from the others' newest
    // guesses: where moving all at once keeps some guesses circling.
    for (int sweep = 0; sweep < kMostSweeps && !allDone(); ++sweep) {
        for (std::size_t k = 0; k < d; ++k) {
            if (done[k]) continue;
            stop.poll();
            correct(k, z[k]);
        }
    }
}

// The upper convex hull of the points (i, log2 |c_i|): its edges tell how
// many roots lie near which circle (the Newton polygon).
std::vector<std::size_t> upperHull(const std::vector<double>& logs) {
    std::vector<std::size_t> hull;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        if (std::isinf(logs[i])) continue;
        while (hull.size() >= 2) {
            const std::size_t a = hull[hull.size() - 2], b = hull.back();
            // b lies on or below the line from a to i: drop it.
            if ((logs[b] - logs[a]) * double(i - a) <= (logs[i] - logs[a]) * double(b - a)) {
                hull.pop_back();
            } else {
                break;
            }
        }
        hull.push_back(i);
    }
    return hull;
}

// The coefficients times 2^(scale·i), over the largest of them, in T; false
// when one of them would fall below T's range (it could still matter where
// the roots are large, so the roots must be found in a wider type).
template <class T>
bool scaledCoefficients(const std::vector<double>& mantissa, const std::vector<slong>& exponent,
                        const std::vector<double>& logs, slong scale, slong lowest, std::vector<T>& c) {
    double top = -HUGE_VAL;
    for (std::size_t i = 0; i < logs.size(); ++i) top = std::max(top, logs[i] + double(scale) * double(i));
    const slong shift = slong(std::ceil(top));
    c.assign(logs.size(), T(0));
    for (std::size_t i = 0; i < logs.size(); ++i) {
        if (mantissa[i] == 0.0) continue;
        const slong e = exponent[i] + scale * slong(i) - shift;
        if (e < lowest) return false;
        c[i] = std::ldexp(T(mantissa[i]), int(e));
    }
    return true;
}

template <class T>
void polish(const std::vector<T>& c, slong scale, RootGuesses& out, const Stop& stop) {
    const std::size_t d = c.size() - 1;
    std::vector<Complex<T>> z(d);
    for (std::size_t k = 0; k < d; ++k) {
        const int e = int(out.exponent[k] - scale);
        z[k] = {std::ldexp(T(out.re[k]), e), std::ldexp(T(out.im[k]), e)};
    }
    aberth(c, z, out.settled, stop);
    for (std::size_t k = 0; k < d; ++k) {
        // A guess as a double times a power of two, whatever T's range.
        const T size = std::max(std::fabs(z[k].re), std::fabs(z[k].im));
        const int e = size > 0 && std::isfinite(size) ? std::ilogb(size) : 0;
        out.re[k] = double(std::ldexp(z[k].re, -e));
        out.im[k] = double(std::ldexp(z[k].im, -e));
        out.exponent[k] = scale + e;
    }
}

}  // namespace

RootGuesses approximateRoots(const fmpz_poly_struct* poly, const Stop& stop) {
    const slong degree = fmpz_poly_degree(poly);
    const std::size_t d = std::size_t(degree);
    std::vector<double> mantissa(d + 1, 0.0), logs(d + 1, -HUGE_VAL);
    std::vector<slong> exponent(d + 1, 0);
    for (std::size_t i = 0; i <= d; ++i) {
        const fmpz* c = poly->coeffs + i;
        if (fmpz_is_zero(c)) continue;
        mantissa[i] = fmpz_get_d_2exp(&exponent[i], c);
        logs[i] = double(exponent[i]) + std::log2(std::fabs(mantissa[i]));
    }

    // Each hull edge's roots spread evenly on its circle, each circle turned
    // a little against the others so that no two guesses coincide; a radius
    // as 2^(whole + part), the whole kept apart.
    const std::vector<std::size_t> hull = upperHull(logs);
    RootGuesses out;
    out.settled.assign(d, 0);
    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (std::size_t k = 1; k < hull.size(); ++k) {
        const std::size_t count = hull[k] - hull[k - 1];
        const double logRadius = (logs[hull[k - 1]] - logs[hull[k]]) / double(count);
        lowest = std::min(lowest, logRadius);
        highest = std::max(highest, logRadius);
        const double whole = std::round(logRadius), part = std::exp2(logRadius - whole);
        for (std::size_t j = 0; j < count; ++j) {
            const double angle =
                2 * std::numbers::pi * (double(j) / double(count) + 0.25 * double(k) / double(d)) + 0.4;
            out.re.push_back(part * std::cos(angle));
            out.im.push_back(part * std::sin(angle));
            out.exponent.push_back(slong(whole));
        }
    }

    // In doubles, with the roots moved to the unit circle's neighbourhood,
    // where every coefficient stays in range; else in long doubles, whose
    // exponents span every root and coefficient of a polynomial of doubles
    // (within 2^±4000 of each other), unscaled.
    if (highest - lowest <= 1800.0) {
        const slong scale = slong(std::llround((lowest + highest) / 2));
        std::vector<double> c;
        if (scaledCoefficients(mantissa, exponent, logs, scale, -1000, c)) {
            polish(c, scale, out, stop);
            return out;
        }
    }
    std::vector<long double> c;
    if (scaledCoefficients(mantissa, exponent, logs, 0, -16000, c)) polish(c, 0, out, stop);
    return out;
}

}  // namespace quill::analysis
