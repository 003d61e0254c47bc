#pragma once
// The per-sample step of the device.
namespace kv {
struct DatMod1;
// Runs measurement and criteria for the sample inputs in `d`, writes results
// rows and appends one TSampleRecord to d.Records. A floating-point fault
// throws FpError before this sample's row or record is written.
void ProcessSample(DatMod1& d);
// Clears the mode and slip tracking (not the confirmed slip count, the
// latches or the trip flags).
void ResetSlipState(DatMod1& d);
}  // namespace kv
