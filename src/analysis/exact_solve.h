#pragma once
// The exact solution of a square integer system, in steps short enough to
// poll a cancel flag between them.

#include "flint_handles.h"
#include "stop.h"

namespace quill::analysis {

// x (n × 1) with a·x = b exactly, for a non-singular n × n integer matrix a
// and an n × 1 integer b; false when a is singular. By p-adic lifting
// (Dixon): each step costs about n² products of a's entries with a word,
// and stop is polled between steps. AbortError once stop says so.
bool solveExactly(fmpq_mat_struct* x, const fmpz_mat_struct* a, const fmpz_mat_struct* b, const Stop& stop);

}  // namespace quill::analysis
