#pragma once
// The 80-bit extended value (x87 format: 1 sign bit, 15-bit exponent with bias
// 16383, 64-bit significand with an explicit integer bit) and the handful of
// operations that number text and evaluation perform on it.
//
// Every 80-bit operation of the program goes through quill::Ext80. Where long
// double is the x87 format it is the hardware (ext80_x87.h); everywhere else,
// or when built with QUILL_SOFT_EXT80, it is the exact integer model
// (ext80_soft.h), which gives the very same bits and so the same digits.

#include <cfloat>

#include "numtext/ext80_flags.h"
#include "numtext/ext80_soft.h"

#if LDBL_MANT_DIG == 64 && !defined(QUILL_SOFT_EXT80)
#include "numtext/ext80_x87.h"
namespace quill {
using Ext80 = X87Ext80;
}  // namespace quill
#else
namespace quill {
using Ext80 = SoftExt80;
}  // namespace quill
#endif
