#pragma once
// Extended-precision arithmetic of the device model: intermediates in
// `long double` (x87 80-bit), each stored result rounded to its variable's
// width, reals rounded to integers half-to-even, and floating-point faults
// (division by zero, invalid operation, overflow) turned into FpError.
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "common/io_error.h"

namespace kv {

static_assert(std::numeric_limits<long double>::digits == 64, "the model needs 80-bit extended precision");

using ext = long double;

// Clears the sticky floating-point flags; call at the start of a sample.
inline void FpClear() { std::feclearexcept(FE_ALL_EXCEPT); }

// Throws FpError naming `where` when a division by zero, invalid operation or
// overflow happened since the last FpClear.
void FpCheck(const char* where);

// Rounds to float32 on store; a value that does not fit (or is not finite)
// is an overflow/invalid fault.
inline float StoreF32(ext v, const char* what = "float32 store") {
  float f = static_cast<float>(v);
  if (!std::isfinite(f)) [[unlikely]] {
    std::feclearexcept(FE_OVERFLOW | FE_INVALID);
    throw FpError(std::string("Floating point ") + (std::isnan(v) ? "invalid operation" : "overflow") + " in " + what);
  }
  return f;
}

inline double StoreF64(ext v, const char* what = "float64 store") {
  double d = static_cast<double>(v);
  if (!std::isfinite(d)) [[unlikely]] {
    std::feclearexcept(FE_OVERFLOW | FE_INVALID);
    throw FpError(std::string("Floating point ") + (std::isnan(v) ? "invalid operation" : "overflow") + " in " + what);
  }
  return d;
}

// Division that treats a zero divisor as the runtime did: a fault.
inline ext Div(ext a, ext b, const char* what = "division") {
  if (b == 0.0L) [[unlikely]] {
    if (a == 0.0L || std::isnan(a)) throw FpError(std::string("Floating point invalid operation (0/0) in ") + what);
    throw FpError(std::string("Floating point division by zero in ") + what);
  }
  return a / b;
}

// Round to nearest, halves to the even neighbour (the default rounding mode).
inline ext RoundHalfEven(ext v) { return std::nearbyintl(v); }

// Rounds to an integer and checks that it fits a 64-bit integer; the caller
// keeps the low bits it needs.
std::int64_t RoundToInt(ext v, const char* what = "rounding");

// Keeps the low bits of an integer, as a store into a narrower signed
// variable did.
inline std::int8_t LowInt8(std::int64_t v) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(v & 0xFF)); }
inline std::int16_t LowInt16(std::int64_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)); }

}  // namespace kv
