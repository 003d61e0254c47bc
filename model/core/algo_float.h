#pragma once
// The model's float32 store on the per-sample path: the check for a value
// that does not fit stays, the call does not (the step stores some fifty
// values per sample).
#include <cmath>

#include "common/xfloat.h"

namespace kv {

[[gnu::always_inline]] inline float F32(ext v, const char* what) {
  const float f = static_cast<float>(v);
  if (std::isfinite(f)) [[likely]]
    return f;
  return StoreF32(v, what);  // throws FpError
}

// Clears the fault flags at the start of a sample; reading them is much
// cheaper than clearing the whole environment, which is rarely needed.
inline void SampleFpClear() {
  if (std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW)) FpClear();
}

}  // namespace kv
