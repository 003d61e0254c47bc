#pragma once
// One processing run: settings, processing file, resampling onto the grid.
#include <string>

namespace kv {
struct DatMod1;
// Throws IoError / FpError on a failed run; sets d.RunStatus = 0 on success.
void RunProcessing(DatMod1& d);
}  // namespace kv
