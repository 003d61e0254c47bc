#include "model/core/exp_convert.h"

#include "model/core/dat_mod1.h"

namespace kv {
bool ConvertExpFile(DatMod1&) { return false; }
}  // namespace kv
