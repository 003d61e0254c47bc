#include "model/core/torvin_1.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/xfloat.h"
#include "model/core/algo_float.h"
#include "model/core/criteria.h"
#include "model/core/dat_mod1.h"
#include "model/core/measurement.h"

namespace kv {

static_assert(std::endian::native == std::endian::little, "sample records are little-endian float32");

void ResetSlipState(DatMod1& d) {
  AlgoState& a = d.algo;
  a.Mode = 0;
  a.DisturbSeen = 0;
  a.SlipPending = 0;
  a.AsyncDirection = 0;
  a.AngleGap = false;
  a.AngleDelayCount = 0;
  a.WindowIndex = 0;
  a.SlipArmed = false;
}

namespace {

// Where a mode's handling continues.
enum class Next {
  Confirm,        // slip confirmation and cycle criterion, then the end of the slip part
  EndOfSlipPart,  // 30 s reset, PrevAngle, APNU
  GenKz,          // early ending: straight to the GEN_KZ block
};

ext Square(float v) { return static_cast<ext>(v) * v; }

// Mode 0: state decision.
Next ModeWaiting(DatMod1& d) {
  AlgoState& a = d.algo;
  const TThresholds& t = d.thr;
  if (a.SettleCount < 5) {
    ++a.SettleCount;
    a.StateCode = 3;
  } else {
    const bool inBand = -1.2L * t.XbandLo <= a.Xeck && a.Xeck <= 1.2L * t.XbandHi;
    if (a.AuxRatioExcess > 0.08L && a.AuxCurrent > 0.1L)
      a.StateCode = 2;
    else if (a.USquare < Square(t.Uph02) && inBand && a.StateCode != 5)
      a.StateCode = 3;
    else if (a.USquare < Square(t.Uph05) && inBand && a.StateCode != 5)
      a.StateCode = 5;
    else
      a.StateCode = 0;
  }
  if (a.StateCode == 3) {
    ResetSlipState(d);
    return Next::GenKz;
  }
  // The jump test here also asks |PrevAngle| > 70, which the size test asks
  // anyway.
  if (SlipDetected(d)) {
    RecordSlip(d);
    a.SlipOffset = F32(360.0L * a.SlipPending);
  }
  a.Mode = (a.StateCode == 2 || a.StateCode == 5) ? 0 : 2;
  return Next::Confirm;
}

// Mode 1: tracking.
Next ModeTracking(DatMod1& d) {
  AlgoState& a = d.algo;
  const TThresholds& t = d.thr;

  if (a.SlipCount == 0) {
    const bool d1 = a.AuxRatioExcess > 0.1L && a.AuxCurrent > 0.1L;
    const bool d2 = a.USquare <= Square(t.Uph05) && -2.0L * t.XbandLo <= a.Xeck && a.Xeck <= 2.0L * t.XbandHi &&
                    a.UDrop > t.Uph02 && a.MeanDeviation < 4;
    const bool d3 = a.UDrop > t.Uph01 && a.DisturbSeen == 0 && a.MeanDeviation < 4;
    if (d1 || d2 || d3) {
      // A single disturbance step is bridged; a second one in a row resets.
      if (a.DisturbSeen == 1) {
        ResetSlipState(d);
      } else {
        a.DisturbSeen = 1;
        ShiftWindows(d);
      }
      return Next::GenKz;
    }
    a.UHistory[0] = a.UHistory[1];
    a.UHistory[1] = a.UHistory[2];
    a.UHistory[2] = a.U;
    a.UMean3 = F32((static_cast<ext>(a.UHistory[2]) + a.UHistory[1] + a.UHistory[0]) / 3.0L);
    if (a.StateCode == 0)
      a.AuxRatioRef = F32(a.AuxRatioRef - (static_cast<ext>(a.AuxRatioRef) - a.AuxRatio) / 9.0L);
    ShiftWindows(d);
  }

  if (SlipDetected(d)) {
    RecordSlip(d);
    if (a.SlipCount != 0) return Next::Confirm;
    a.SlipOffset = F32(360.0L * a.SlipPending);
    a.AngleWindow[8] = F32(static_cast<ext>(a.Angle) + a.SlipOffset);
    if (a.DisturbSeen == 1)
      a.AngleWindow[7] = F32((static_cast<ext>(a.PrevAngle) + a.AngleWindow[8]) / 2.0L);
  } else if (a.SlipCount == 0) {
    // While a slip is pending the newest point keeps the value it holds.
    if (a.SlipPending == 0) a.AngleWindow[8] = a.Angle;
    if (a.DisturbSeen == 1)
      a.AngleWindow[7] = F32((static_cast<ext>(a.PrevAngle) + a.Angle) / 2.0L);
  } else {
    a.AngleWindow[8] = F32(static_cast<ext>(a.Angle) + a.SlipOffset);
  }

  if (a.DisturbSeen == 1) {
    a.PowerWindow[7] = F32((static_cast<ext>(a.PowerWindow[6]) + d.Pa) / 2.0L);
    a.DisturbSeen = 0;
  }
  a.PowerWindow[8] = d.Pa;

  FitWindows(d);
  a.AsyncDirection = 0;
  a.SlipSpeed = F32(static_cast<ext>(a.FitA1) + 8.0L * a.FitA2);
  a.SlipAcceleration = F32(2.0L * a.FitA2);

  DirectionLogic(d);
  if (AngleCriterion(d)) return Next::EndOfSlipPart;
  return Next::Confirm;
}

// A pending slip is confirmed once the angle has come back to within 40
// degrees of zero on the side opposite to the slip's sign.
void ConfirmSlips(DatMod1& d) {
  AlgoState& a = d.algo;
  if (a.CycleTripLatch || a.SlipPending == 0) return;
  const ext p = static_cast<ext>(a.SlipPending) * a.Angle;
  if (-40 < p && p < 0) {
    a.SlipCount = LowInt16(a.SlipCount + a.SlipPending);
    a.SlipPending = 0;
    a.SlipOffset = 0;
    CycleCriterion(d);
  }
}

void EndOfSlipPart(DatMod1& d) {
  AlgoState& a = d.algo;
  if (d.SampleTime - static_cast<ext>(a.SlipTime) > 30) a.SlipCount = 0;
  a.PrevAngle = a.Angle;
  if (d.settings.ApnuEnable == 1 && a.Mode == 1 && !a.ApnuLatch) CheckApnu(d);
}

// Steps 5 to 14; false when the mode indicator is to keep its value.
bool CriteriaPath(DatMod1& d) {
  AlgoState& a = d.algo;
  a.CurrentOnly = false;
  ComputeAngle(d);
  ComputeXeck(d);
  a.UDrop = F32(static_cast<ext>(a.UMean3) - a.U);

  // Share of the marked ("n") current in the line current.
  const ext tenthInom = 0.1L * d.settings.Inom;
  if (d.I > tenthInom)
    a.AuxRatio = a.AuxCurrent / d.I;  // one float operation (algo_float.h)
  else
    a.AuxRatio = a.AuxCurrent > tenthInom ? 1.0f : 0.0f;
  a.AuxRatioExcess = F32(static_cast<ext>(a.AuxRatio) - a.AuxRatioRef);
  if (a.AuxRatioExcess < 0) a.AuxRatioExcess = 0;

  Next next;
  switch (a.Mode) {
    case 0:
      next = ModeWaiting(d);
      break;
    case 2:
      UpdateAngleWindow(d);
      next = Next::Confirm;
      break;
    default:
      next = ModeTracking(d);
      break;
  }
  if (next == Next::Confirm) {
    ConfirmSlips(d);
    next = Next::EndOfSlipPart;
  }
  if (next == Next::EndOfSlipPart) EndOfSlipPart(d);
  return GenKzBlock(d);
}

void WriteSampleRecord(DatMod1& d, bool currentOnly) {
  const AlgoState& a = d.algo;
  constexpr ext kSqrt3 = 1.732051L;  // the device's factor from phase to line voltage
  TSampleRecord r;
  r.v[0] = d.I;
  r.v[1] = F32(static_cast<ext>(d.Uph) * kSqrt3);
  r.v[2] = F32(static_cast<ext>(d.Pa) * 3.0L);
  r.v[3] = F32(static_cast<ext>(d.Qa) * 3.0L);
  r.v[4] = a.Angle;
  r.v[5] = a.ModeIndicator;
  if (currentOnly) {
    r.v[6] = a.CurPicked ? 3.0f : 0.0f;
    r.v[7] = static_cast<float>(a.SwingCount);
  } else {
    r.v[6] = F32(std::fabs(static_cast<ext>(a.AsyncDirection)) * 3.0L);
    r.v[7] = static_cast<float>(a.SlipCount);
  }
  r.v[8] = a.TripAngle1 * 5.0f;
  r.v[9] = a.TripAngle2 * 6.0f;
  r.v[10] = a.Xeck;
  r.v[11] = F32(static_cast<ext>(a.U) * kSqrt3);
  r.v[12] = a.TripCycle1 * 7.0f;
  r.v[13] = a.TripCycle2 * 8.0f;
  r.v[14] = a.ApnuOut1 * 9.0f;
  r.v[15] = a.ApnuOut2 * 10.0f;
  FpFaultCheck("sample step");
  d.Records.append(r);
}

void Step(DatMod1& d) {
  AlgoState& a = d.algo;
  const TSettings& s = d.settings;

  if (a.FirstSample) {
    a.RefCurrent = d.I;
    a.RefVoltage = d.Uph;
    a.RefActivePower = d.Pa;
    a.RefReactivePower = d.Qa;
    a.FirstSample = false;
  }

  ++d.SampleCount;
  a.AuxCurrent = d.LineMarker == 'n' ? d.I : 0.0f;

  if (s.AngleEnable == 0 && s.CycleEnable == 0 && s.ApnuEnable == 0) {
    // Current-only path: no angle, Xeck or mode; the record keeps the values
    // of the last criteria-path step.
    if (!a.CurrentOnly) {
      a.PrevAngle = 0;
      a.SlipCount = 0;
      ResetSlipState(d);
    }
    CurrentCriterion(d);
    WriteSampleRecord(d, true);
    return;
  }

  if (CriteriaPath(d)) a.ModeIndicator = a.Mode == 2 ? 3.0f : a.Mode == 0 ? 2.0f : 0.0f;
  WriteSampleRecord(d, false);
}

}  // namespace

void ProcessSample(DatMod1& d) {
  SampleFpClear();
  const unsigned rowsBefore = d.results.ResultRow;
  try {
    Step(d);
  } catch (...) {
    // A fault ends the run without a trace of its sample: rows written
    // earlier in the same step are taken back (a floating-point fault is
    // found before the record is written).
    ResultsTable& t = d.results;
    for (unsigned r = rowsBefore; r < t.ResultRow && r < t.cells.size(); ++r) t.cells[r] = {};
    if (t.cells.size() > std::max<std::size_t>(kResultsGridRows, rowsBefore))
      t.cells.resize(std::max<std::size_t>(kResultsGridRows, rowsBefore));
    t.ResultRow = rowsBefore;
    t.ResultCol = 0;
    --d.SampleCount;
    throw;
  }
}

}  // namespace kv
