#include "common/xfloat.h"

namespace kv {

void FpCheck(const char* where) {
  int flags = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  if (!flags) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  const char* kind = (flags & FE_DIVBYZERO) ? "division by zero" : (flags & FE_INVALID) ? "invalid operation" : "overflow";
  throw FpError(std::string("Floating point ") + kind + " in " + where);
}

std::int64_t RoundToInt(ext v, const char* what) {
  if (!std::isfinite(v) || v >= 9.2e18L || v <= -9.2e18L) throw FpError(std::string("Floating point invalid operation in ") + what);
  return static_cast<std::int64_t>(RoundHalfEven(v));
}

}  // namespace kv
