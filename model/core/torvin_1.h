#pragma once
// The per-sample step of the device.
namespace kv {
struct DatMod1;
// Runs measurement and criteria for the sample inputs in `d`, writes results
// rows and appends one TSampleRecord to d.emaTip.
void ProcessSample(DatMod1& d);
}  // namespace kv
