#pragma once
// The device's trip criteria, run from the per-sample step: direction of the
// asynchronous run and the angle criteria, the cycle (slip-count) criteria,
// the current criterion, the APNU channels and GEN_KZ.
namespace kv {

struct DatMod1;

// Arming and direction recognition after the fit of a tracking step.
void DirectionLogic(DatMod1& d);
// Angle criteria " Угловой 1" / " Угловой 2"; true when it tripped in this
// step (the step then skips the slip confirmation).
bool AngleCriterion(DatMod1& d);
// Cycle criteria " Цикловой 1" / " Цикловой 2", at a slip confirmation.
void CycleCriterion(DatMod1& d);

// Current swings within a time window; the only criterion of the
// current-only path.
void CurrentCriterion(DatMod1& d);
// Both APNU channels, channel 1 first.
void CheckApnu(DatMod1& d);
// The GEN_KZ block of a criteria-path step; false when it stopped a running
// integration (the step then keeps the previous mode indicator).
bool GenKzBlock(DatMod1& d);
void CheckGenKz(DatMod1& d);

}  // namespace kv
