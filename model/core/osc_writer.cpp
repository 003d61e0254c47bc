#include "model/core/osc_writer.h"

#include "model/core/dat_mod1.h"

namespace kv {
void WriteOscillogramFile(DatMod1&) {}
}  // namespace kv
