#pragma once
// How a value of the report becomes a coordinate the plotting widget can hold,
// and back. The widget refuses ranges beyond 1e250 or narrower than 1e-280,
// while a report holds any double from subnormals up to 1.79e308, so every
// axis is drawn in view units: the value times a power of two (exact), and on
// the logarithmic y axis additionally compressed by a symmetric logarithm.

#include <cstddef>

namespace quill::plot {

// view = real * 2^-shift, chosen so the largest magnitude lands in [1, 2).
class LinearMap {
public:
    LinearMap() = default;
    explicit LinearMap(int shift) : shift_(shift) {}
    // The map for these values; non-finite values are ignored, and without a
    // non-zero one the map is the identity.
    static LinearMap forValues(const double* values, std::size_t count);

    double toView(double real) const;
    // Beyond the double range the result is clamped to +-1.79e308.
    double toReal(double view) const;
    // Beyond the double range the result is infinite: no such value.
    double toRealUnclamped(double view) const;
    int shift() const { return shift_; }

private:
    int shift_ = 0;
};

// view = sign(y) * log10(1 + |y| / c): linear near zero, a decade per unit far
// from it, so negative values and zero still have a place. c is a power of ten.
class SymlogMap {
public:
    SymlogMap() = default;
    explicit SymlogMap(int decade);  // c = 10^decade
    // c is the power of ten at or below the smallest non-zero magnitude, so
    // every value lies in the logarithmic part or at zero.
    static SymlogMap forValues(const double* values, std::size_t count);

    double toView(double real) const;
    double toReal(double view) const;  // clamped to +-1.79e308
    int decade() const { return decade_; }
    double threshold() const { return c_; }

private:
    int decade_ = 0;
    double c_ = 1.0;
    double logC_ = 0.0;  // log10(c)
};

enum class YScale { linear, symlog };

// The y axis in either form.
struct YMap {
    YScale scale = YScale::linear;
    LinearMap linear;
    SymlogMap symlog;

    double toView(double real) const { return scale == YScale::linear ? linear.toView(real) : symlog.toView(real); }
    double toReal(double view) const { return scale == YScale::linear ? linear.toReal(view) : symlog.toReal(view); }
};

}  // namespace quill::plot
