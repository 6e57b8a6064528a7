#pragma once
// Owners of the FLINT and Arb objects this library uses, so that every one
// is cleared on every path out, exceptions included. They convert to the
// pointer types the C functions take. Only this library's sources see them.

#include <acb.h>
#include <arb.h>
#include <arf.h>
#include <flint/flint.h>
#include <flint/fmpq.h>
#include <flint/fmpq_mat.h>
#include <flint/fmpq_poly.h>
#include <flint/fmpz.h>
#include <flint/fmpz_mat.h>
#include <flint/fmpz_poly.h>
#include <flint/fmpz_poly_factor.h>
#include <flint/nmod_mat.h>

namespace quill::analysis {

// One owned object of a FLINT or Arb type: init(value, args...) on
// construction (a matrix takes its rows and columns, and a modulus), clear on every path
// out. A macro, not a template over the functions: FLINT defines many of them
// static inline, and a class of this header must be one type in every source.
#define QUILL_FLINT_HANDLE(Name, type, init, clear)       \
    class Name {                                          \
    public:                                               \
        template <class... Args>                          \
        explicit Name(Args... args) {                     \
            init(value_, args...);                        \
        }                                                 \
        ~Name() { clear(value_); }                        \
        Name(const Name&) = delete;                       \
        Name& operator=(const Name&) = delete;            \
        operator type*() { return value_; }               \
        operator const type*() const { return value_; }   \
        type* get() { return value_; }                    \
        const type* get() const { return value_; }        \
        type* operator->() { return value_; }             \
        const type* operator->() const { return value_; } \
                                                          \
    private:                                              \
        type value_[1];                                   \
    };

QUILL_FLINT_HANDLE(Fmpz, fmpz, fmpz_init, fmpz_clear)
QUILL_FLINT_HANDLE(Fmpq, fmpq, fmpq_init, fmpq_clear)
QUILL_FLINT_HANDLE(FmpzPoly, fmpz_poly_struct, fmpz_poly_init, fmpz_poly_clear)
QUILL_FLINT_HANDLE(FmpqPoly, fmpq_poly_struct, fmpq_poly_init, fmpq_poly_clear)
QUILL_FLINT_HANDLE(FmpzPolyFactor, fmpz_poly_factor_struct, fmpz_poly_factor_init, fmpz_poly_factor_clear)
QUILL_FLINT_HANDLE(FmpzMat, fmpz_mat_struct, fmpz_mat_init, fmpz_mat_clear)
QUILL_FLINT_HANDLE(FmpqMat, fmpq_mat_struct, fmpq_mat_init, fmpq_mat_clear)
QUILL_FLINT_HANDLE(NmodMat, nmod_mat_struct, nmod_mat_init, nmod_mat_clear)  // (rows, columns, modulus)
QUILL_FLINT_HANDLE(Arf, arf_struct, arf_init, arf_clear)
QUILL_FLINT_HANDLE(Mag, mag_struct, mag_init, mag_clear)
QUILL_FLINT_HANDLE(Arb, arb_struct, arb_init, arb_clear)
QUILL_FLINT_HANDLE(Acb, acb_struct, acb_init, acb_clear)

#undef QUILL_FLINT_HANDLE

// A vector of balls of fixed length.
class AcbVector {
public:
    explicit AcbVector(slong length) : data_(length > 0 ? _acb_vec_init(length) : nullptr), length_(length) {}
    ~AcbVector() {
        if (data_) _acb_vec_clear(data_, length_);
    }
    AcbVector(const AcbVector&) = delete;
    AcbVector& operator=(const AcbVector&) = delete;
    acb_ptr data() { return data_; }
    acb_srcptr data() const { return data_; }
    acb_ptr operator[](slong i) { return data_ + i; }
    acb_srcptr operator[](slong i) const { return data_ + i; }
    slong size() const { return length_; }

private:
    acb_ptr data_;
    slong length_;
};

// Frees the FLINT, Arb and MPFR caches of the calling thread when it goes out
// of scope: a thread of ours that has used them must not end with them held,
// and no call leaves state behind on the caller's thread.
class ThreadCacheRelease {
public:
    ThreadCacheRelease() = default;
    ~ThreadCacheRelease() { flint_cleanup(); }
    ThreadCacheRelease(const ThreadCacheRelease&) = delete;
    ThreadCacheRelease& operator=(const ThreadCacheRelease&) = delete;
};

}  // namespace quill::analysis
