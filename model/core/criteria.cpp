#include "model/core/criteria.h"

#include <cmath>
#include <cstdint>

#include "common/xfloat.h"
#include "model/core/algo_float.h"
#include "model/core/dat_mod1.h"
#include "model/core/measurement.h"

namespace kv {

namespace {

// Xeck zones are open intervals (-ZoneX3, ZoneX1).
bool InZone(float x, float zoneX3, float zoneX1) { return -zoneX3 < x && x < zoneX1; }

bool InSlipZone(const DatMod1& d, float x) { return -d.settings.X3 <= x && x <= d.settings.X1; }

}  // namespace

// ---------------------------------------------------------------------------
// Direction of the asynchronous run and the angle criteria

void DirectionLogic(DatMod1& d) {
  AlgoState& a = d.algo;
  const TThresholds& t = d.thr;
  const int speedSign = Sign(a.SlipSpeed);
  const int angleSign = Sign(a.AngleWindow[8]);
  const int slopeSign = Sign(a.PowerSlope);

  // Armed while the unwrapped angle runs away from zero against the power
  // trend.
  if (a.SlipArmed && !(speedSign == angleSign && speedSign != slopeSign)) a.SlipArmed = false;
  if (!a.SlipArmed && angleSign == speedSign && a.U <= t.Uph07 && Sign(a.Angle) != slopeSign) {
    a.SlipArmed = true;
    a.ArmSpeed = a.SlipSpeed;
    a.ArmVoltage = F32(static_cast<ext>(a.U) - t.Uph01);
    if (a.ArmVoltage > t.Uph05) a.ArmVoltage = t.Uph05;
  }

  if (InSlipZone(d, a.Xeck) && a.U < a.ArmVoltage && a.SlipArmed) {
    const ext speedGain = static_cast<ext>(a.SlipSpeed) - a.ArmSpeed;
    if (a.AngleWindow[8] > 0 && a.SlipSpeed > 0 && a.SlipAcceleration > 0 && speedGain >= 0 && a.PowerSlope < 0)
      a.AsyncDirection = 1;
    else if (a.AngleWindow[8] < 0 && a.SlipSpeed < 0 && a.SlipAcceleration < 0 && speedGain <= 0 &&
             a.PowerSlope > 0)
      a.AsyncDirection = -1;
  }
}

bool AngleCriterion(DatMod1& d) {
  AlgoState& a = d.algo;
  const TThresholds& t = d.thr;
  if (a.AngleTripLatch || d.settings.AngleEnable == 0) return false;

  if (a.AsyncDirection != 0 && a.SlipCount == 0) {
    if (a.AsyncDirection > 0)
      a.AngleDelayLimit = InZone(a.Xeck, t.Zone1X3, t.Zone1X1) ? t.Angle1InSteps : t.Angle1OutSteps;
    else
      a.AngleDelayLimit = InZone(a.Xeck, t.Zone2X3, t.Zone2X1) ? t.Angle2InSteps : t.Angle2OutSteps;
    if (a.AngleDelayCount > a.AngleDelayLimit) {
      a.AngleTripLatch = true;
      a.AngleDelayCount = 0;
      a.AngleGap = false;
      if (a.AsyncDirection > 0) {
        d.results.TripTypeText = " Угловой 1";
        a.TripAngle1 = 1;
      } else {
        d.results.TripTypeText = " Угловой 2";
        a.TripAngle2 = 1;
      }
      FpFaultCheck("angle criterion");
      ReportAngleTrip(d);
      return true;
    }
    ++a.AngleDelayCount;
  } else if (a.AngleDelayCount != 0) {
    // One step without a direction is tolerated; the second restarts the delay.
    if (a.AngleGap) {
      a.AngleGap = false;
      a.AngleDelayCount = 0;
    } else {
      a.AngleGap = true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Cycle criteria

void CycleCriterion(DatMod1& d) {
  AlgoState& a = d.algo;
  const TSettings& s = d.settings;
  const TThresholds& t = d.thr;
  if (a.CycleTripLatch) return;

  // The count limits latch even with the cycle criteria off: they only stop
  // further confirmations then.
  if (a.SlipCount >= t.SlipLimitPos || a.SlipCount <= t.SlipLimitNeg) a.CycleTripLatch = true;
  if (s.CycleEnable != 1) return;

  if (a.SlipCount > 0 && s.Cycle1Slips > 0 && a.SlipCount == s.Cycle1Slips &&
      InZone(a.SlipXeck, t.Zone1X3, t.Zone1X1) && (s.Cycle1Mode == 1 || s.Cycle1Mode == 2))
    a.CycleTripLatch = true;
  // Cycle2Slips is held negated; the setting as written is its 8-bit negation.
  const int cycle2Written = LowInt8(-static_cast<int>(s.Cycle2Slips));
  if (a.SlipCount < 0 && cycle2Written > 0 && a.SlipCount == -cycle2Written &&
      InZone(a.SlipXeck, t.Zone2X3, t.Zone2X1) && (s.Cycle2Mode == 1 || s.Cycle2Mode == 2))
    a.CycleTripLatch = true;

  if (a.CycleTripLatch) {
    if (a.SlipCount > 0) {
      d.results.TripTypeText = " Цикловой 1";
      a.TripCycle1 = 1;
    } else {
      d.results.TripTypeText = " Цикловой 2";
      a.TripCycle2 = 1;
    }
    FpFaultCheck("cycle criterion");
    ReportCycleTrip(d);
  }
}

// ---------------------------------------------------------------------------
// Current criterion

void CurrentCriterion(DatMod1& d) {
  AlgoState& a = d.algo;
  const TSettings& s = d.settings;
  if (!a.CurrentOnly) {
    a.CurrentOnly = true;
    a.SwingCount = 0;
    a.CurAbove = false;
    a.CurDropSeen = false;
  } else if (a.SwingCount != 0 && d.SampleTime - static_cast<ext>(a.SwingTime) > s.SwingWindow) {
    a.SwingCount = 0;
    a.CurAbove = false;
  }

  if (d.I >= s.CurrentPickup) {
    // Pick-up needs two steps in a row at or above the level.
    if (a.CurAbove) {
      a.CurPicked = true;
    } else {
      a.CurAbove = true;
      a.SwingTime = F32(d.SampleTime);
      a.CurDropSeen = false;
    }
    return;
  }

  a.CurAbove = false;
  if (!a.CurPicked) return;
  if (d.I > s.CurrentDropout) {
    a.CurDropSeen = false;
  } else if (a.CurDropSeen) {
    a.CurPicked = false;
    if (a.TripCycle1 != 1) {
      // The count is wide: a limit of 0 or below never trips.
      ++a.SwingCount;
      if (a.SwingCount == s.SwingLimit) {
        FpFaultCheck("current criterion");
        ReportCurrentTrip(d);
        a.TripCycle1 = 1;
        a.SwingCount = 0;
      }
    }
  } else {
    a.CurDropSeen = true;
    a.SwingTime = F32(d.SampleTime);
  }
}

// ---------------------------------------------------------------------------
// APNU channels

namespace {

struct ApnuChannel {
  std::int8_t angleSign, speedSign, powerSign, slopeSign;
  float angleLimit, powerLimit;
};

// The AND of the four sign-weighted conditions; a zero multiplier switches
// its condition off.
bool ApnuConditions(const DatMod1& d, const ApnuChannel& c) {
  const AlgoState& a = d.algo;
  const bool angleOk = c.angleSign == 0 || static_cast<ext>(c.angleSign) * a.Angle > c.angleLimit;
  const bool speedOk = c.speedSign == 0 || static_cast<ext>(c.speedSign) * a.SlipSpeed > 0;
  const bool powerOk =
      c.powerSign == 0 || static_cast<ext>(c.powerSign) * (3.0L * static_cast<ext>(d.Pa)) > c.powerLimit;
  const bool slopeOk = c.slopeSign == 0 || static_cast<ext>(c.slopeSign) * a.PowerSlope > 0;
  return angleOk && speedOk && powerOk && slopeOk;
}

void CheckApnuChannel(DatMod1& d, const ApnuChannel& c, std::uint8_t& out, const char* typeText) {
  if (c.angleSign == 0 && c.speedSign == 0 && c.powerSign == 0 && c.slopeSign == 0) {
    out = 0;
    return;
  }
  if (ApnuConditions(d, c)) {
    out = 1;
    d.algo.ApnuLatch = true;
    d.results.TripTypeText = typeText;
    FpFaultCheck("APNU");
    ReportEventTrip(d);
  } else {
    out = 0;
  }
}

}  // namespace

void CheckApnu(DatMod1& d) {
  const TSettings& s = d.settings;
  const ApnuChannel ch1{s.Apnu1AngleSign, s.Apnu1SpeedSign, s.Apnu1PowerSign, s.Apnu1SlopeSign,
                        s.Apnu1AngleLimit, s.Apnu1PowerLimit};
  const ApnuChannel ch2{s.Apnu2AngleSign, s.Apnu2SpeedSign, s.Apnu2PowerSign, s.Apnu2SlopeSign,
                        s.Apnu2AngleLimit, s.Apnu2PowerLimit};
  CheckApnuChannel(d, ch1, d.algo.ApnuOut1, "   APNU1");
  CheckApnuChannel(d, ch2, d.algo.ApnuOut2, "   APNU2");
}

// ---------------------------------------------------------------------------
// GEN_KZ

bool GenKzBlock(DatMod1& d) {
  AlgoState& a = d.algo;
  const TThresholds& t = d.thr;
  if (d.settings.GenKzEnable != 1) return true;

  if (!a.GenKzStarted) {
    // Started by a current surge with a deep voltage dip while the step has
    // just reset the slip logic (state 3) and power still flows forward.
    if (d.I > 1.5L * a.RefCurrent && d.Pa < 0.2L * t.PowerBase &&
        static_cast<ext>(a.RefVoltage) - d.Uph > t.Uph05 && a.Mode == 0 && a.StateCode == 3 && d.Pa > 0) {
      CheckGenKz(d);
    } else {
      a.GenKzStarted = false;
      if (a.Mode == 1) {
        a.RefVoltage = F32(a.RefVoltage + (static_cast<ext>(d.Uph) - a.RefVoltage) / 50.0L);
        a.RefActivePower =
            F32(a.RefActivePower + (static_cast<ext>(d.Pa) - a.RefActivePower) / 50.0L);
        a.RefReactivePower =
            F32(a.RefReactivePower + (static_cast<ext>(d.Qa) - a.RefReactivePower) / 50.0L);
        a.RefCurrent = F32(a.RefCurrent + (static_cast<ext>(d.I) - a.RefCurrent) / 50.0L);
      }
    }
    return true;
  }

  if (std::fabs(static_cast<ext>(d.Pa)) > 0.2L * t.PowerBase) {
    a.GenKzStarted = false;
    return false;
  }
  CheckGenKz(d);
  return true;
}

void CheckGenKz(DatMod1& d) {
  AlgoState& a = d.algo;
  const TThresholds& t = d.thr;
  const ext deficitStep = (static_cast<ext>(a.RefActivePower) - d.Pa) * 0.02L * t.GenKzGain;

  if (!a.GenKzStarted) {
    a.GenKzStarted = true;
    const ext num = static_cast<ext>(a.RefActivePower) * t.GenReactance;
    const ext den = static_cast<ext>(a.RefVoltage) * a.RefVoltage + static_cast<ext>(a.RefReactivePower) * t.GenReactance;
    ext phi0 = std::atan(Div(num, den, "GEN_KZ threshold angle"));
    if (phi0 < 0) phi0 = 0;
    a.GenKzThreshold = F32(180.0L - 57.29577951308232L * phi0);
    a.GenKzSpeed = F32(deficitStep);
    a.GenKzAngle = F32(0.02L * a.GenKzSpeed);
    return;  // the first call only starts the integration
  }

  a.GenKzSpeed = F32(a.GenKzSpeed + deficitStep);
  a.GenKzAngle = F32(a.GenKzAngle + 0.02L * a.GenKzSpeed);
  if (a.GenKzAngle > a.GenKzThreshold && !a.AngleTripLatch) {
    a.AngleTripLatch = true;
    a.TripAngle1 = 1;
    d.results.TripTypeText = "   GEN_KZ";
    FpFaultCheck("GEN_KZ");
    ReportEventTrip(d);
  }
}

}  // namespace kv
