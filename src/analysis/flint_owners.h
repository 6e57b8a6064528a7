#pragma once
// Owners of the FLINT polynomials and matrices of the expansion and the fit,
// cleared on every path out (flint_handles.h holds the library's others).

#include <flint/fmpq_mat.h>
#include <flint/fmpq_poly.h>
#include <flint/fmpz_mat.h>

namespace quill::analysis {

template <class T, void (*clear)(T*)>
class FlintOwner {
public:
    template <class Init, class... Args>
    FlintOwner(Init init, Args... args) {
        init(value_, args...);
    }
    ~FlintOwner() { clear(value_); }
    FlintOwner(const FlintOwner&) = delete;
    FlintOwner& operator=(const FlintOwner&) = delete;
    operator T*() { return value_; }

private:
    T value_[1];
};

struct FmpqPoly : FlintOwner<fmpq_poly_struct, fmpq_poly_clear> {
    FmpqPoly() : FlintOwner(fmpq_poly_init) {}
};
struct FmpzMat : FlintOwner<fmpz_mat_struct, fmpz_mat_clear> {
    FmpzMat(slong rows, slong columns) : FlintOwner(fmpz_mat_init, rows, columns) {}
};
struct FmpqMat : FlintOwner<fmpq_mat_struct, fmpq_mat_clear> {
    FmpqMat(slong rows, slong columns) : FlintOwner(fmpq_mat_init, rows, columns) {}
};

}  // namespace quill::analysis
