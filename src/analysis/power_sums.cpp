#include "power_sums.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

#include "common/error.h"
#include "engine/worker_pool.h"
#include "exact_sign.h"

namespace quill::analysis {

namespace {

// A double as ±m·2^e with m odd (m = 0 for zero).
struct Odd {
    uint64_t m = 0;
    long e = 0;
    bool negative = false;
};

Odd splitOdd(double value) {
    const Dyadic d = dyadicOf(value);
    return {d.mantissa < 0 ? uint64_t(-d.mantissa) : uint64_t(d.mantissa), d.exponent, std::signbit(value)};
}

long leastExponent(std::span<const double> values, std::span<const double> w) {
    long least = LONG_MAX;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] != 0.0 && (w.empty() || w[i] > 0.0)) least = std::min(least, splitOdd(values[i]).e);
    return least == LONG_MAX ? 0 : least;
}

// m·2^(e - scale) in one word, if it fits.
bool oneWord(const Odd& v, long scale, uint64_t& out) {
    const long shift = v.e - scale;
    if (v.m == 0) {
        out = 0;
        return true;
    }
    if (shift >= 64 || std::bit_width(v.m) + shift > 64) return false;
    out = v.m << shift;
    return true;
}

void toMpz(mpz_ptr out, const Odd& v, long scale) {
    mpz_set_ui(out, v.m);
    mpz_mul_2exp(out, out, static_cast<mp_bitcnt_t>(v.e - scale));
    if (v.negative) mpz_neg(out, out);
}

// A sum of non-negative terms in a fixed number of limbs, wide enough for any
// count of terms a memory can hold.
class LimbSum {
public:
    explicit LimbSum(std::size_t limbs) : limbs_(limbs, 0) {}

    void add(const mp_limb_t* term, mp_size_t n) {
        mp_limb_t carry = mpn_add_n(limbs_.data(), limbs_.data(), term, n);
        propagate(carry, std::size_t(n));
    }
    void addProduct(const mp_limb_t* term, mp_size_t n, mp_limb_t factor) {
        const mp_limb_t high = mpn_addmul_1(limbs_.data(), term, n, factor);
        std::size_t i = std::size_t(n);
        limbs_[i] += high;
        propagate(limbs_[i] < high, i + 1);
    }
    void addTo(mpz_ptr total, bool negative) const {
        Mpz v;
        mpz_import(v, limbs_.size(), -1, sizeof(mp_limb_t), 0, 0, limbs_.data());
        (negative ? mpz_sub : mpz_add)(total, total, v);
    }

private:
    void propagate(mp_limb_t carry, std::size_t from) {
        for (std::size_t i = from; carry && i < limbs_.size(); ++i) carry = ++limbs_[i] == 0;
    }
    std::vector<mp_limb_t> limbs_;
};

// The sums of one chunk of points: word-sized X, Y, W in limbs, split by sign;
// the rare wider ones in mpz.
class ChunkSums {
public:
    explicit ChunkSums(int degree) : d_(degree) {
        const std::size_t width = std::size_t(2 * degree + 6);
        for (int k = 0; k <= 2 * degree; ++k) {
            for (int sign = 0; sign < 2; ++sign) s_.emplace_back(width);
            wideS_.emplace_back();
        }
        for (int k = 0; k <= degree; ++k) {
            for (int sign = 0; sign < 2; ++sign) t_.emplace_back(width);
            wideT_.emplace_back();
        }
        power_.resize(width);
    }

    // X^k·W for k = 0 … 2d, into S; times Y into T.
    void addNarrow(uint64_t x, bool xNegative, uint64_t y, bool yNegative, uint64_t w) {
        mp_limb_t* p = power_.data();
        p[0] = w;
        mp_size_t n = 1;
        for (int k = 0; k <= 2 * d_; ++k) {
            const bool negative = xNegative && (k & 1);
            s_[std::size_t(2 * k + negative)].add(p, n);
            if (k <= d_ && y) t_[std::size_t(2 * k + (negative != yNegative))].addProduct(p, n, y);
            if (x == 0 || k == 2 * d_) break;
            const mp_limb_t carry = mpn_mul_1(p, p, n, x);
            if (carry) p[n++] = carry;
        }
    }

    void addWide(mpz_srcptr x, mpz_srcptr y, mpz_srcptr w) {
        mpz_set(p_, w);
        for (int k = 0; k <= 2 * d_; ++k) {
            mpz_add(wideS_[std::size_t(k)], wideS_[std::size_t(k)], p_);
            if (k <= d_) mpz_addmul(wideT_[std::size_t(k)], p_, y);
            mpz_mul(p_, p_, x);
        }
    }

    void addTo(PowerSums& total) const {
        for (std::size_t k = 0; k < total.s.size(); ++k) {
            s_[2 * k].addTo(total.s[k], false);
            s_[2 * k + 1].addTo(total.s[k], true);
            mpz_add(total.s[k], total.s[k], wideS_[k]);
        }
        for (std::size_t k = 0; k < total.t.size(); ++k) {
            t_[2 * k].addTo(total.t[k], false);
            t_[2 * k + 1].addTo(total.t[k], true);
            mpz_add(total.t[k], total.t[k], wideT_[k]);
        }
    }

private:
    int d_;
    std::vector<LimbSum> s_, t_;  // [2k]: positive terms, [2k + 1]: negative
    std::vector<Mpz> wideS_, wideT_;
    std::vector<mp_limb_t> power_;
    Mpz p_;
};

constexpr std::size_t kChunkPoints = 1 << 14;
constexpr std::size_t kPointsBetweenPolls = 256;

}  // namespace

PowerSums powerSums(std::span<const double> x, std::span<const double> y, std::span<const double> w, int degree,
                    unsigned threads, const std::atomic<bool>* cancel) {
    PowerSums out;
    out.exponentX = leastExponent(x, w);
    out.exponentY = leastExponent(y, w);
    const long exponentW = w.empty() ? 0 : leastExponent(w, {});
    out.s.resize(std::size_t(2 * degree + 1));
    out.t.resize(std::size_t(degree + 1));

    const std::size_t count = x.size();
    const std::size_t chunks = (count + kChunkPoints - 1) / kChunkPoints;
    std::vector<ChunkSums> sums;
    const std::size_t slots = std::max<std::size_t>(1, std::min<std::size_t>(chunks, 64));
    for (std::size_t i = 0; i < slots; ++i) sums.emplace_back(degree);
    // Chunk c adds into slot c % slots; a slot's chunks run one after another.
    WorkerPool pool(threads);
    ChunkControl control;
    control.cancel = cancel;
    pool.run(
        slots,
        [&](std::size_t slot) {
            ChunkSums& into = sums[slot];
            Mpz wx, wy, ww;
            for (std::size_t c = slot; c < chunks; c += slots) {
                if (cancel && cancel->load(std::memory_order_relaxed)) return;
                const std::size_t end = std::min(count, (c + 1) * kChunkPoints);
                for (std::size_t i = c * kChunkPoints; i < end; ++i) {
                    // At a high degree with wide values a chunk takes a second.
                    if (i % kPointsBetweenPolls == 0 && cancel && cancel->load(std::memory_order_relaxed)) return;
                    const double weight = w.empty() ? 1.0 : w[i];
                    if (weight == 0.0) continue;
                    const Odd ox = splitOdd(x[i]), oy = splitOdd(y[i]), ow = splitOdd(weight);
                    uint64_t nx, ny, nw;
                    if (oneWord(ox, out.exponentX, nx) && oneWord(oy, out.exponentY, ny) &&
                        oneWord(ow, exponentW, nw)) {
                        into.addNarrow(nx, ox.negative, ny, oy.negative, nw);
                    } else {
                        toMpz(wx, ox, out.exponentX);
                        toMpz(wy, oy, out.exponentY);
                        toMpz(ww, ow, exponentW);
                        into.addWide(wx, wy, ww);
                    }
                }
            }
        },
        control);
    if (cancel && cancel->load()) throw AbortError();
    for (const ChunkSums& s : sums) s.addTo(out);
    return out;
}

}  // namespace quill::analysis
