#pragma once
// Floating-point helpers of the per-sample path.
//
// A float32 store here is a plain conversion: a value that does not fit
// raises the overflow flag as it is stored, and a NaN or infinity can only
// come from an operation that raised a fault flag before it. The step tests
// the flags (FpFaultCheck) before every results row and before every record,
// so a fault still ends the run before that sample leaves any trace, without
// a test after each of the fifty or so stores of a sample.
//
// The result of one operation (+, -, x, /, sqrt) on float32 operands rounds
// to the same float32 whether it is computed in extended precision and then
// stored or directly in float: 64 >= 2 x 24 + 2 bits, so the first rounding
// never changes the second. Such stores are written as float arithmetic
// (SSE, quicker than the x87); every longer expression stays extended.
#include <cfenv>
#include <cstdint>

#include "common/xfloat.h"

namespace kv {

[[gnu::always_inline]] inline float F32(ext v) { return static_cast<float>(v); }

// True when a division by zero, an invalid operation or an overflow has
// raised its flag (x87 or SSE) since the flags were last cleared. Reads the
// two status registers directly: fetestexcept is a library call.
[[gnu::always_inline]] inline bool FpFaultRaised() {
#if defined(__x86_64__) || defined(__i386__)
  std::uint16_t sw;
  std::uint32_t csr;
  asm volatile("fnstsw %0" : "=am"(sw)::"memory");
  asm volatile("stmxcsr %0" : "=m"(csr)::"memory");
  // The three flags have the same bits in both registers.
  return ((sw | csr) & (FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW)) != 0;
#else
  return std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW) != 0;
#endif
}

// Throws FpError naming `where` when a fault flag is raised.
[[gnu::always_inline]] inline void FpFaultCheck(const char* where) {
  if (FpFaultRaised()) [[unlikely]]
    FpCheck(where);
}

// Clears the fault flags at the start of a sample; reading them is much
// cheaper than clearing the whole environment, which is rarely needed.
[[gnu::always_inline]] inline void SampleFpClear() {
  if (FpFaultRaised()) [[unlikely]]
    FpClear();
}

}  // namespace kv
