#pragma once
// An owned GMP integer, for the code that uses GMP alone so that it runs on
// any thread (exact_sign.h, power_sums.h); flint_handles.h holds the FLINT
// and Arb owners.

#include <gmp.h>

namespace quill::analysis {

class Mpz {
public:
    Mpz() { mpz_init(value_); }
    ~Mpz() { mpz_clear(value_); }
    Mpz(Mpz&& other) noexcept {
        mpz_init(value_);
        mpz_swap(value_, other.value_);
    }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    operator mpz_ptr() { return value_; }
    operator mpz_srcptr() const { return value_; }

private:
    mpz_t value_;
};

}  // namespace quill::analysis
