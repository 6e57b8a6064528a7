#include "analysis/roots.h"

#include <algorithm>

#include "dyadic.h"
#include "nearest_root.h"
#include "squarefree_roots.h"

namespace quill {

using namespace analysis;

namespace {

struct Found {
    PolynomialRoot root;
    RootRef ref;
    bool real = false;
};

}  // namespace

RootList findRoots(std::span<const double> coefficients, const std::atomic<bool>* cancel) {
    requireFinite(coefficients, "coefficient");
    requireSearchedDegree(coefficients);
    const ThreadCacheRelease release;  // last out, after every FLINT object below
    RootList out;
    FmpzPoly p;
    integerPolynomial(p, coefficients);
    if (fmpz_poly_is_zero(p)) {
        out.zeroPolynomial = true;
        return out;
    }
    const Stop stop(cancel);
    SquarefreeRoots distinct(p, stop);
    std::vector<Found> found;
    for (const RootRef& ref : distinct.roots()) {
        stop.poll();
        const int multiplicity = int(ref.multiplicity);
        if (!ref.set) {
            found.push_back({{0.0, 0.0, multiplicity}, ref, true});
            continue;
        }
        const NearestParts parts = nearestParts(*ref.set, ref.index);
        found.push_back({{parts.re, parts.im, multiplicity}, ref, ref.isReal()});
        // The conjugate: rounding to nearest is symmetric about zero.
        if (!ref.isReal()) found.push_back({{parts.re, parts.im == 0.0 ? 0.0 : -parts.im, multiplicity}, ref, false});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.real != b.real) return a.real;
        if (a.root.re != b.root.re) return a.root.re < b.root.re;
        if (a.real) return realBelow(a.ref, b.ref);  // two real roots nearest to one double
        if (a.root.im != b.root.im) return a.root.im < b.root.im;
        return a.root.multiplicity < b.root.multiplicity;
    });
    out.roots.reserve(found.size());
    for (const Found& f : found) out.roots.push_back(f.root);
    return out;
}

}  // namespace quill
