#include "analysis/inverse.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <string>

#include "analysis/turning_points.h"
#include "dyadic.h"
#include "engine/worker_pool.h"
#include "exact_sign.h"
#include "inverse_fallback.h"
#include "stop.h"

namespace quill {

using namespace analysis;

namespace {

constexpr double kInfinity = HUGE_VAL;

// Doubles as integers in their order, -0 as +0: neighbours differ by one.
int64_t ordered(double d) {
    if (d == 0.0) return 0;
    const auto bits = static_cast<int64_t>(std::bit_cast<uint64_t>(std::fabs(d)));
    return d < 0 ? -bits : bits;
}

// How many doubles from low up to high (the whole range needs 64 bits), and
// the one halfway.
uint64_t distance(int64_t low, int64_t high) { return uint64_t(high) - uint64_t(low); }
int64_t halfway(int64_t low, int64_t high) { return low + int64_t(distance(low, high) / 2); }

double fromOrdered(int64_t o) {
    const double magnitude = std::bit_cast<double>(static_cast<uint64_t>(o < 0 ? -o : o));
    return o < 0 ? -magnitude : magnitude;
}

// A point where F is known to lie in [low, high] (from its nearest double).
struct Endpoint {
    double x = 0.0;
    double low = 0.0, high = 0.0;
    double approximate = 0.0;
};

// A stretch of doubles on which F is strictly monotone (no root of F′).
struct Piece {
    Endpoint a, b;
    bool unboundedBelow = false, unboundedAbove = false;  // the ends of the double range, no interval
};

// The two doubles around a turning point c of F, with F(c) in (fLow, fHigh).
struct Zone {
    Endpoint below, above;
    double fLow = 0.0, fHigh = 0.0;
};

class Inverter {
public:
    Inverter(std::span<const double> a, const std::optional<InverseInterval>& interval, const std::atomic<bool>* cancel)
        : a_(a.begin(), a.end()), exact_(a), interval_(interval) {
        while (!a_.empty() && a_.back() == 0.0) a_.pop_back();
        const int n = int(a_.size()) - 1;
        signAtMinusInfinity_ = (a_.back() > 0) == (n % 2 == 0) ? 1 : -1;
        signAtPlusInfinity_ = a_.back() > 0 ? 1 : -1;
        const double lower = interval ? interval->low : -DBL_MAX, upper = interval ? interval->high : DBL_MAX;
        const TurningPointList turning = findTurningPoints(a_, cancel);
        double start = lower;
        for (std::size_t j = 0; j < turning.points.size(); ++j) {
            const TurningPoint& t = turning.points[j];
            if (std::isinf(t.x)) continue;  // beyond every finite double
            // A zone holds one turning point only when the next lies at least
            // three doubles on; closer ones leave every y to the certified road.
            const bool crowded =
                j + 1 < turning.points.size() && distance(ordered(t.x), ordered(turning.points[j + 1].x)) < 3;
            if (std::fabs(t.x) == DBL_MAX || crowded) {
                alwaysCertified_ = true;
                return;
            }
            const double below = std::nextafter(t.x, -kInfinity), above = std::nextafter(t.x, kInfinity);
            if (above <= lower || below >= upper) continue;  // c lies outside [lower, upper]
            zones_.push_back(
                {endpoint(below), endpoint(above), std::nextafter(t.fx, -kInfinity), std::nextafter(t.fx, kInfinity)});
            if (start <= below) addPiece(start, below);
            start = above;
        }
        if (start <= upper) addPiece(start, upper);
        if (!interval) {
            if (!pieces_.empty() && pieces_.front().a.x == -DBL_MAX) pieces_.front().unboundedBelow = true;
            if (!pieces_.empty() && pieces_.back().b.x == DBL_MAX) pieces_.back().unboundedAbove = true;
        }
    }

    // The roots for y, by the exact brackets where they prove everything,
    // else by the certified isolation.
    void rootsOf(double y, std::vector<InverseRoot>& out, Scratch& scratch) const {
        const std::size_t before = out.size();
        if (!alwaysCertified_ && bracketed(y, out, scratch)) return;
        out.resize(before);
        const std::vector<InverseRoot> roots = certifiedInverse(a_, y, interval_);
        out.insert(out.end(), roots.begin(), roots.end());
    }

private:
    Endpoint endpoint(double x) {
        Scratch scratch;
        Endpoint e{x, 0.0, 0.0, 0.0};
        const long exponent = exact_.valueAt(dyadicOf(x), 0.0, scratch);
        Fmpz value;
        fmpz_set_mpz(value, exact_.value(scratch));
        e.approximate = nearestDouble(value, exponent);
        // The exact F(x) lies within half a step of its nearest double.
        e.low = std::nextafter(e.approximate, -kInfinity);
        e.high = std::nextafter(e.approximate, kInfinity);
        return e;
    }

    void addPiece(double from, double to) { pieces_.push_back({endpoint(from), endpoint(to)}); }

    int sign(const Endpoint& e, double y, Scratch& scratch) const {
        if (y < e.low) return 1;
        if (y > e.high) return -1;
        return exact_.signAt(dyadicOf(e.x), y, scratch);
    }

    // False where the brackets cannot decide: y near a turning value, or a
    // root beyond the double range.
    bool bracketed(double y, std::vector<InverseRoot>& out, Scratch& scratch) const {
        for (const Zone& z : zones_) {
            const int s = sign(z.below, y, scratch);
            const int f = y <= z.fLow ? 1 : y >= z.fHigh ? -1 : 0;
            if (s == 0 || s != sign(z.above, y, scratch) || s != f) return false;
        }
        for (const Piece& p : pieces_) {
            const int sa = sign(p.a, y, scratch), sb = sign(p.b, y, scratch);
            if ((p.unboundedBelow && sa != 0 && sa != signAtMinusInfinity_) ||
                (p.unboundedAbove && sb != 0 && sb != signAtPlusInfinity_))
                return false;
            if (sa == 0) out.push_back({p.a.x + 0.0, 1});
            if (sb == 0 && p.b.x != p.a.x) out.push_back({p.b.x + 0.0, 1});
            if (sa != 0 && sb != 0 && sa != sb) out.push_back({nearestIn(p, y, sa, sb, scratch), 1});
        }
        return true;
    }

    // A first guess at the root in (a, b): Newton's steps in double from the
    // chord, falling back to halving the bracket (in the order of the doubles)
    // where a step leaves it. Only the speed depends on the guess.
    double guess(const Piece& p, double y, int sa) const {
        int64_t low = ordered(p.a.x), high = ordered(p.b.x);
        double x = p.unboundedBelow || p.unboundedAbove
                       ? 0.0
                       : p.a.x + (y - p.a.approximate) * ((p.b.x - p.a.x) / (p.b.approximate - p.a.approximate));
        for (int i = 0; i < 200 && distance(low, high) > 1; ++i) {
            if (!std::isfinite(x) || ordered(x) <= low || ordered(x) >= high) x = fromOrdered(halfway(low, high));
            double f = 0.0, df = 0.0;
            for (std::size_t k = a_.size(); k-- > 0;) {
                df = df * x + f;
                f = f * x + a_[k];
            }
            if (f == y) return x;
            ((f < y) == (sa < 0) ? low : high) = ordered(x);
            const double next = x - (f - y) / df;
            // Within a few steps of the doubles: the exact search takes over.
            if (std::fabs(next - x) <= 4 * (std::fabs(x) * 0x1p-52 + 0x1p-1074)) return next;
            x = next;
        }
        return fromOrdered(halfway(low, high));
    }

    // The double nearest to the one root in (a, b): the first d with
    // F - y at the midpoint above d on b's side of zero (or at zero).
    double nearestIn(const Piece& p, double y, int sa, int sb, Scratch& scratch) const {
        const int64_t first = ordered(p.a.x), last = ordered(p.b.x);
        int lastSign = 0;
        auto reached = [&](int64_t d) {
            if (d >= last) return true;
            const int s = exact_.signAt(midpointOf(fromOrdered(d), fromOrdered(d + 1)), y, scratch);
            lastSign = s;
            return s != sa;
        };
        int64_t low = first - 1, high = last;  // reached(low) is false, reached(high) true
        int highSign = sb;
        const int64_t g = std::clamp(ordered(guess(p, y, sa)), first, last);
        if (reached(g)) {
            high = g;
            highSign = lastSign;
            for (uint64_t step = 1; step < distance(low, g); step *= 2) {
                if (!reached(int64_t(uint64_t(g) - step))) {
                    low = int64_t(uint64_t(g) - step);
                    break;
                }
                high = int64_t(uint64_t(g) - step);
                highSign = lastSign;
            }
        } else {
            low = g;
            for (uint64_t step = 1; step < distance(g, high); step *= 2) {
                if (reached(int64_t(uint64_t(g) + step))) {
                    high = int64_t(uint64_t(g) + step);
                    highSign = lastSign;
                    break;
                }
                low = int64_t(uint64_t(g) + step);
            }
        }
        while (distance(low, high) > 1) {
            const int64_t mid = halfway(low, high);
            if (reached(mid)) {
                high = mid;
                highSign = lastSign;
            } else {
                low = mid;
            }
        }
        const double d = fromOrdered(high);
        if (high < last && highSign == 0) {  // the root is the midpoint: ties to even
            const double up = fromOrdered(high + 1);
            return (std::bit_cast<uint64_t>(d) & 1) == 0 ? d : up;
        }
        return d;
    }

    std::vector<double> a_;
    ExactPolynomial exact_;
    std::optional<InverseInterval> interval_;
    std::vector<Piece> pieces_;
    std::vector<Zone> zones_;
    int signAtMinusInfinity_ = 0, signAtPlusInfinity_ = 0;
    bool alwaysCertified_ = false;
};

void checkInput(std::span<const double> a, std::span<const double> y, const std::optional<InverseInterval>& interval) {
    for (double c : a)
        if (!std::isfinite(c)) throw InverseError("every coefficient must be finite");
    if (std::none_of(a.begin() + (a.empty() ? 0 : 1), a.end(), [](double c) { return c != 0.0; }))
        throw InverseError("the polynomial is constant, so no x can be found from F(x)");
    for (std::size_t j = 0; j < y.size(); ++j)
        if (!std::isfinite(y[j])) throw InverseError("y value " + std::to_string(j + 1) + " is not finite");
    if (interval && (!std::isfinite(interval->low) || !std::isfinite(interval->high)))
        throw InverseError("the interval's ends must be finite");
    if (interval && interval->low > interval->high) throw InverseError("the interval's low end is above its high end");
}

constexpr std::size_t kChunkValues = 4096;

}  // namespace

InverseList invertPolynomial(std::span<const double> coefficients, std::span<const double> y,
                             std::optional<InverseInterval> interval, unsigned threads,
                             const std::atomic<bool>* cancel) {
    checkInput(coefficients, y, interval);
    std::optional<Inverter> inverter;
    {
        const ThreadCacheRelease release;
        inverter.emplace(coefficients, interval, cancel);
    }
    const std::size_t chunks = (y.size() + kChunkValues - 1) / kChunkValues;
    std::vector<std::vector<InverseRoot>> roots(chunks);
    std::vector<std::vector<std::size_t>> counts(chunks);
    WorkerPool pool(threads);
    ChunkControl control;
    control.cancel = cancel;
    const Stop stop(cancel);
    pool.run(
        chunks,
        [&](std::size_t c) {
            Scratch scratch;
            const std::size_t end = std::min(y.size(), (c + 1) * kChunkValues);
            for (std::size_t j = c * kChunkValues; j < end; ++j) {
                stop.poll();  // a y on the certified road may take long
                const std::size_t before = roots[c].size();
                inverter->rootsOf(y[j], roots[c], scratch);
                counts[c].push_back(roots[c].size() - before);
            }
        },
        control);
    InverseList out;
    out.first.reserve(y.size() + 1);
    out.first.push_back(0);
    for (std::size_t c = 0; c < chunks; ++c) {
        for (std::size_t n : counts[c]) out.first.push_back(out.first.back() + n);
        out.roots.insert(out.roots.end(), roots[c].begin(), roots[c].end());
    }
    return out;
}

}  // namespace quill
