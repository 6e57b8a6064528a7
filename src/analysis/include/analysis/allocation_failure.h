#pragma once
// For a program that owns its whole process, as the command line does. GMP
// and FLINT end the process with abort() and a message of their own when an
// allocation fails, and their allocation functions have no way back. The
// analysis asks for its large blocks up front and refuses with
// std::bad_alloc where they cannot be had; after this call, any other
// allocation of GMP, FLINT or Arb that fails calls outOfMemory instead of
// aborting. outOfMemory must end the process (write its message, _exit).
// The allocation functions of GMP and FLINT are process-wide: a library
// loaded into someone else's process (the Python module) leaves them alone.

namespace quill {

void endOnAllocationFailure(void (*outOfMemory)());

}  // namespace quill
