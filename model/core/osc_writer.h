#pragma once
// Builds BaseName + ".31" from "ema.tip" and "parl" in the current directory.
namespace kv {
struct DatMod1;
void WriteOscillogramFile(DatMod1& d);
}  // namespace kv
