#pragma once
// The distinct roots of an integer polynomial with their multiplicities: an
// exact zero root, and the roots of each factor of its squarefree
// factorisation, which are simple and which no other factor shares.

#include <memory>
#include <vector>

#include "root_set.h"

namespace quill::analysis {

// One distinct root: root `index` of `set`, or the exact zero when set is null.
struct RootRef {
    RootSet* set = nullptr;
    slong index = 0;
    slong multiplicity = 1;
    bool isReal() const { return !set || set->isReal(index); }
};

class SquarefreeRoots {
public:
    // poly: not zero. The search polls stop throughout.
    SquarefreeRoots(const fmpz_poly_struct* poly, const Stop& stop);
    // Every distinct root, the non-real ones once a conjugate pair.
    const std::vector<RootRef>& roots() const { return roots_; }

private:
    std::vector<std::unique_ptr<RootSet>> sets_;
    std::vector<RootRef> roots_;
};

// True when real root a lies below real root b (two distinct roots).
bool realBelow(const RootRef& a, const RootRef& b);

}  // namespace quill::analysis
