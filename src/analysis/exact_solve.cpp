#include "exact_solve.h"

#include <flint/ulong_extras.h>

#include <algorithm>

namespace quill::analysis {

namespace {

// Primes tried for one that a's determinant does not divide; a matrix that
// is singular modulo all of them goes to FLINT's own solve, which says
// whether it is singular.
constexpr int kPrimesTried = 8;

// x from its residues modulo m, when every entry is a fraction with
// numerator and denominator small enough to be recovered, and a·x = b
// exactly; else false (lift further). The entries are recovered over one
// growing common denominator, so that each later one is found small.
bool recovered(fmpq_mat_struct* x, const fmpz_mat_struct* residues, const fmpz* m, const fmpz_mat_struct* a,
               const fmpz_mat_struct* b) {
    const slong n = a->r;
    Fmpz denominator, scaled;
    fmpz_one(denominator);
    Fmpq q;
    for (slong k = n; k-- > 0;) {  // the last entry first: it fails soonest
        fmpz_mul(scaled, fmpz_mat_entry(residues, k, 0), denominator);
        fmpz_mod(scaled, scaled, m);
        if (!fmpq_reconstruct_fmpz(q, scaled, m)) return false;
        fmpq_div_fmpz(fmpq_mat_entry(x, k, 0), q, denominator);
        fmpz_mul(denominator, denominator, fmpq_denref(q));
    }
    // The check: a·(x·denominator) = b·denominator.
    FmpzMat numerators(n, 1), product(n, 1), right(n, 1);
    for (slong k = 0; k < n; ++k) {
        const fmpq* e = fmpq_mat_entry(x, k, 0);
        fmpz_divexact(scaled, denominator, fmpq_denref(e));
        fmpz_mul(fmpz_mat_entry(numerators, k, 0), fmpq_numref(e), scaled);
    }
    fmpz_mat_mul(product, a, numerators);
    fmpz_mat_scalar_mul_fmpz(right, b, denominator);
    return fmpz_mat_equal(product, right);
}

}  // namespace

bool solveExactly(fmpq_mat_struct* x, const fmpz_mat_struct* a, const fmpz_mat_struct* b, const Stop& stop) {
    const slong n = a->r;
    // A prime near 2^62 that a's determinant does not divide.
    mp_limb_t p = UWORD(1) << (FLINT_BITS - 2);
    for (int tried = 0;; ++tried) {
        if (tried == kPrimesTried) return fmpq_mat_solve_fmpz_mat(x, a, b);
        p = n_nextprime(p, 1);
        NmodMat reduced(n, n, p);
        fmpz_mat_get_nmod_mat(reduced, a);
        if (nmod_mat_det(reduced) != 0) break;
    }
    NmodMat reduced(n, n, p), inverse(n, n, p);
    fmpz_mat_get_nmod_mat(reduced, a);
    nmod_mat_inv(inverse, reduced);
    // a·(x0 + x1·p + … + xs·p^s) ≡ b modulo p^(s+1): each step finds the next
    // digit from the residual r = (b - a·(x0 + … )) / p^(s+1), kept exact.
    FmpzMat residual(n, 1), digit(n, 1), product(n, 1), lifted(n, 1);
    fmpz_mat_set(residual, b);
    NmodMat residualModP(n, 1, p), digitModP(n, 1, p);
    Fmpz modulus;
    fmpz_one(modulus);
    for (slong step = 1, check = 4;; ++step) {
        stop.poll();
        fmpz_mat_get_nmod_mat(residualModP, residual);
        nmod_mat_mul(digitModP, inverse, residualModP);
        fmpz_mat_set_nmod_mat_unsigned(digit, digitModP);
        for (slong k = 0; k < n; ++k) fmpz_addmul(fmpz_mat_entry(lifted, k, 0), fmpz_mat_entry(digit, k, 0), modulus);
        fmpz_mul_ui(modulus, modulus, p);
        fmpz_mat_mul(product, a, digit);
        fmpz_mat_sub(residual, residual, product);
        fmpz_mat_scalar_divexact_ui(residual, residual, p);
        // Recovery is tried at steps that grow by an eighth: few tries, and
        // few steps beyond the ones needed.
        if (step == check) {
            if (recovered(x, lifted, modulus, a, b)) return true;
            check = std::max(step + 1, step + step / 8);
        }
    }
}

}  // namespace quill::analysis
