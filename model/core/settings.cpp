#include "model/core/settings.h"

#include "model/core/dat_mod1.h"

namespace kv {
void ReadSettings(DatMod1&) {}
void DeriveThresholds(DatMod1&) {}
}  // namespace kv
