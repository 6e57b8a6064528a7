// Any coefficient doubles (8 bytes each, at most twelve, those that are not
// finite skipped) through the roots and turning points. Nothing may crash;
// the multiplicities add up to the degree; F changes sign across a real root
// of odd multiplicity and keeps it across one of even multiplicity, judged by
// F at the neighbouring doubles, exactly evaluated, wherever no other real
// root lies that close; between turning points where F′ changes sign, minima
// and maxima alternate.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "analysis/roots.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"

namespace {

void check(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at %s:%d\n", __FILE__, line);
    std::abort();
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

int sign(double v) { return (v > 0) - (v < 0); }

// The signs of F exactly at the given points (0 where F rounds to zero).
std::vector<int> signsAt(const std::vector<double>& a, const std::vector<double>& x) {
    std::vector<double> reported(x.size(), 0.0), exact(x.size());
    std::vector<std::uint8_t> digits(x.size());
    quill::checkDigits(a, x, reported, exact, digits, {1, nullptr, {}});
    std::vector<int> signs;
    for (double v : exact) signs.push_back(sign(v));
    return signs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<double> a;
    for (std::size_t i = 0; i + 8 <= size && a.size() < 12; i += 8) {
        double v;
        std::memcpy(&v, data + i, 8);
        if (std::isfinite(v)) a.push_back(v);
    }
    int degree = -1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != 0.0) degree = int(i);
    }

    const quill::RootList list = quill::findRoots(a);
    check(list.zeroPolynomial == (degree < 0));
    int total = 0;
    std::vector<double> real;
    for (const quill::PolynomialRoot& r : list.roots) {
        check(r.multiplicity >= 1);
        total += r.multiplicity;
        if (r.im == 0.0) real.push_back(r.re);
    }
    check(total == std::max(degree, 0));

    for (const quill::PolynomialRoot& r : list.roots) {
        if (r.im != 0.0 || !std::isfinite(r.re)) continue;
        const double below = std::nextafter(r.re, -kInfinity), above = std::nextafter(r.re, kInfinity);
        const double farBelow = std::nextafter(below, -kInfinity), farAbove = std::nextafter(above, kInfinity);
        if (!std::isfinite(farBelow) || !std::isfinite(farAbove)) continue;
        int near = 0;
        for (double other : real) near += other >= farBelow && other <= farAbove;
        if (near != 1) continue;  // another root too close to judge by neighbours
        const std::vector<int> s = signsAt(a, {below, above});
        if (s[0] == 0 || s[1] == 0) continue;
        check((s[0] != s[1]) == (r.multiplicity % 2 == 1));
    }

    const quill::TurningPointList turning = quill::findTurningPoints(a);
    check(turning.constant == (degree < 1));
    quill::TurningKind previous = quill::TurningKind::flat;
    for (std::size_t k = 0; k < turning.points.size(); ++k) {
        const quill::TurningPoint& p = turning.points[k];
        if (k > 0) check(turning.points[k - 1].x <= p.x);
        if (p.kind == quill::TurningKind::flat) {
            check(p.multiplicity % 2 == 0);
            continue;
        }
        check(p.multiplicity % 2 == 1 && p.kind != previous);
        previous = p.kind;
    }
    return 0;
}
