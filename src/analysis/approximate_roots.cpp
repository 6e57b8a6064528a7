#include "approximate_roots.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quill::analysis {

namespace {

struct Complex {
    double re = 0.0, im = 0.0;
};

Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
Complex operator*(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }
Complex operator*(double s, Complex a) { return {s * a.re, s * a.im}; }

// Smith's division: no overflow from squaring the divisor.
Complex operator/(Complex a, Complex b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        const double r = b.im / b.re, t = b.re + b.im * r;
        return {(a.re + a.im * r) / t, (a.im - a.re * r) / t};
    }
    const double r = b.re / b.im, t = b.re * r + b.im;
    return {(a.re * r + a.im) / t, (a.im * r - a.re) / t};
}

double magnitude(Complex a) { return std::hypot(a.re, a.im); }

// 1/d: by the conjugate over |d|² where that cannot overflow or underflow.
inline Complex inverse(Complex d) {
    const double norm = d.re * d.re + d.im * d.im;
    if (norm > 0x1p-1000 && norm < 0x1p1000) {
        const double s = 1.0 / norm;
        return {d.re * s, -d.im * s};
    }
    return Complex{1.0, 0.0} / d;
}

// p(z)/p'(z) for coefficients c[0..d]: by Horner inside the unit circle and
// through the reversed polynomial in 1/z outside it, so that no power of z
// can overflow.
Complex newtonRatio(const std::vector<double>& c, Complex z) {
    const std::size_t d = c.size() - 1;
    if (z.re * z.re + z.im * z.im <= 1.0) {
        Complex p{c[d], 0.0}, dp;
        for (std::size_t i = d; i-- > 0;) {
            dp = dp * z + p;
            p = p * z + Complex{c[i], 0.0};
        }
        return p / dp;
    }
    const Complex w = Complex{1.0, 0.0} / z;
    Complex q{c[0], 0.0}, dq;
    for (std::size_t i = 1; i <= d; ++i) {
        dq = dq * w + q;
        q = q * w + Complex{c[i], 0.0};
    }
    return z * q / (double(d) * q - w * dq);
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

}  // namespace

RootGuesses approximateRoots(const fmpz_poly_struct* poly) {
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
    if (!(highest - lowest <= 1800.0)) return out;
    const slong scale = slong(std::llround((lowest + highest) / 2));

    // c_i · 2^(scale·i), divided by the largest: the roots move to the unit
    // circle's neighbourhood and the coefficients stay in range.
    double top = -HUGE_VAL;
    for (std::size_t i = 0; i <= d; ++i) top = std::max(top, logs[i] + double(scale) * double(i));
    const slong shift = slong(std::ceil(top));
    std::vector<double> c(d + 1, 0.0);
    for (std::size_t i = 0; i <= d; ++i) {
        if (mantissa[i] == 0.0) continue;
        const slong e = exponent[i] + scale * slong(i) - shift;
        c[i] = e < -1100 ? 0.0 : std::ldexp(mantissa[i], int(e));
    }
    std::vector<Complex> z(d);
    for (std::size_t k = 0; k < d; ++k) {
        const int e = int(out.exponent[k] - scale);
        z[k] = {std::ldexp(out.re[k], e), std::ldexp(out.im[k], e)};
    }

    // Aberth–Ehrlich iterations, each root updated in place.
    std::vector<char> done(d, 0);
    std::size_t remaining = d;
    for (int iteration = 0; iteration < 120 && remaining > 0; ++iteration) {
        for (std::size_t k = 0; k < d; ++k) {
            if (done[k]) continue;
            const Complex ratio = newtonRatio(c, z[k]);
            if (!std::isfinite(ratio.re) || !std::isfinite(ratio.im)) {
                done[k] = 1;  // on a root, or past help: the isolation decides
                --remaining;
                continue;
            }
            Complex sum;
            for (std::size_t j = 0; j < d; ++j) {
                if (j != k) sum = sum + inverse(z[k] - z[j]);
            }
            const Complex step = ratio / (Complex{1.0, 0.0} - ratio * sum);
            if (!std::isfinite(step.re) || !std::isfinite(step.im)) continue;
            z[k] = z[k] - step;
            if (magnitude(step) <= 0x1p-50 * magnitude(z[k])) {
                done[k] = 1;
                --remaining;
            }
        }
    }
    for (std::size_t k = 0; k < d; ++k) {
        out.re[k] = z[k].re;
        out.im[k] = z[k].im;
        out.exponent[k] = scale;
    }
    out.polished = true;
    return out;
}

}  // namespace quill::analysis
