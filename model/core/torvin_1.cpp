#include "model/core/torvin_1.h"

#include "model/core/dat_mod1.h"

namespace kv {
void ProcessSample(DatMod1& d) {
  TSampleRecord rec;
  d.emaTip.blockWrite(&rec, sizeof rec);
  ++d.SampleCount;
}
}  // namespace kv
