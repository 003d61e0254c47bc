#include "model/core/processing.h"

#include "model/core/dat_mod1.h"

namespace kv {
void RunProcessing(DatMod1& d) { d.RunStatus = 0; }
}  // namespace kv
