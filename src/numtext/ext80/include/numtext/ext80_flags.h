#pragma once
// The sticky exception conditions shared by both 80-bit implementations.

namespace quill {

// Sticky exception conditions of a sequence of operations.
struct Ext80Flags {
    bool overflow = false;  // a finite operation gave a result beyond the 80-bit range
    bool invalid = false;   // an operation without a meaningful result (NaN from non-NaN)
    bool any() const { return overflow || invalid; }
};

}  // namespace quill
