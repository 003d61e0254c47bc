#include "model/core/measurement.h"

#include <cmath>

#include "model/core/algo_float.h"
#include "model/core/dat_mod1.h"

namespace kv {

namespace {
constexpr ext kPi = 3.141592653589793238462643383279502884L;
}

int Sign(double x) {
  if (x > 0) return 1;
  if (x < 0) return -1;
  return 0;
}

ext AngleOf(float re, float im) {
  const ext absRe = std::fabs(static_cast<ext>(re));
  const ext absIm = std::fabs(static_cast<ext>(im));
  // Divide by the larger magnitude only, so the quotient stays within 1.
  ext delta;
  if (absRe < absIm)
    delta = std::atan(absRe / absIm) * 180.0L / kPi;
  else
    delta = (kPi / 2.0L - std::atan(absIm / absRe)) * 180.0L / kPi;
  if (im < 0) delta = 180.0L - delta;
  if (re < 0) delta = -delta;
  return delta;
}

float RoundToTenth(float angle) {
  // rint in the default rounding mode: halves to the even neighbour, without
  // saving and restoring the environment as nearbyint does.
  return F32(std::rint(static_cast<ext>(angle) * 10.0L) / 10.0L, "angle");
}

float AddSideAngles(float side1, ext side2) {
  float angle = F32(side2 + side1, "angle");
  if (angle > 180) angle = F32(static_cast<ext>(angle) - 360.0L, "angle");
  if (angle < -180) angle = F32(static_cast<ext>(angle) + 360.0L, "angle");
  return angle;
}

void ComputeAngle(DatMod1& d) {
  AlgoState& a = d.algo;
  const ext uph2 = static_cast<ext>(d.Uph) * d.Uph;
  const ext k1 = d.thr.K1;
  const ext x1 = d.settings.X1;
  const ext x3 = d.settings.X3;

  // Side 1: the source behind R1 + jX1.
  float re = F32(x1 * (d.Pa - k1 * d.Qa), "angle");
  float im = F32(uph2 + x1 * (k1 * d.Pa + d.Qa), "angle");
  if (re == 0 && im == 0) {
    a.Angle = 0;
  } else {
    a.Angle = F32(AngleOf(re, im), "angle");
    if (d.settings.X3 != 0) {
      // Side 2 uses K1 as well: the device knows one R/X ratio for the angle.
      re = F32(x3 * (d.Pa - k1 * d.Qa), "angle");
      im = F32(uph2 - x3 * (k1 * d.Pa + d.Qa), "angle");
      const ext delta2 = (re == 0 && im == 0) ? 0.0L : AngleOf(re, im);
      a.Angle = AddSideAngles(a.Angle, delta2);
    }
  }
  a.Angle = RoundToTenth(a.Angle);
}

void ComputeXeck(DatMod1& d) {
  AlgoState& a = d.algo;
  const ext uph2 = static_cast<ext>(d.Uph) * d.Uph;
  if (d.I == 0) {
    a.Xeck = 0;
    a.USquare = F32(uph2, "USquare");
  } else {
    const ext i2 = static_cast<ext>(d.I) * d.I;
    const ext k1 = d.thr.K1;
    const ext k3 = d.thr.K3;
    const ext xmax = d.thr.XeckMax;
    a.XeckPower = F32(-(k1 * d.Pa + d.Qa), "XeckPower");
    if (a.XeckPower >= 0) {
      // Clamp tested by multiplication: no division when it applies.
      if (xmax * i2 * (k1 * k1 + 1.0L) >= a.XeckPower)
        a.Xeck = F32(a.XeckPower / (i2 * (k1 * k1 + 1.0L)), "Xeck");
      else
        a.Xeck = d.thr.XeckMax;
      a.USquare = F32(uph2 - static_cast<ext>(a.Xeck) * a.XeckPower, "USquare");
    } else {
      a.XeckPower = F32(-(k3 * d.Pa + d.Qa), "XeckPower");
      if (a.XeckPower >= 0) {
        a.Xeck = 0;
        a.USquare = F32(uph2, "USquare");
      } else {
        if (-xmax * i2 * (k3 * k3 + 1.0L) <= a.XeckPower)
          a.Xeck = F32(a.XeckPower / (i2 * (k3 * k3 + 1.0L)), "Xeck");
        else
          a.Xeck = -d.thr.XeckMax;
        a.USquare = F32(uph2 - static_cast<ext>(a.Xeck) * a.XeckPower, "USquare");
      }
    }
  }
  if (a.USquare < 0) a.USquare = 0;
  a.U = F32(std::sqrt(static_cast<ext>(a.USquare)), "U");
}

bool SlipDetected(const DatMod1& d) {
  const AlgoState& a = d.algo;
  const ext prev = a.PrevAngle;
  const ext angle = a.Angle;
  const bool jump = Sign(a.Angle) != Sign(a.PrevAngle) && std::fabs(prev - angle) > 150;
  const bool large = std::fabs(prev) > 70 && std::fabs(angle) > 70;
  const bool lowVoltage = static_cast<ext>(d.thr.Uph02) * d.thr.Uph02 > a.USquare &&
                          -static_cast<ext>(d.settings.X3) <= a.Xeck && a.Xeck <= d.settings.X1;
  return jump && large && lowVoltage;
}

void RecordSlip(DatMod1& d) {
  AlgoState& a = d.algo;
  a.SlipPending = LowInt16(a.SlipPending + Sign(a.PrevAngle));
  a.SlipXeck = a.Xeck;
  a.SlipTime = F32(d.SampleTime, "SlipTime");
}

void UpdateAngleWindow(DatMod1& d) {
  AlgoState& a = d.algo;
  if (SlipDetected(d)) {
    RecordSlip(d);
    a.SlipOffset = F32(360.0L * a.SlipPending, "SlipOffset");
  }
  a.AngleWindow[a.WindowIndex] = F32(static_cast<ext>(a.SlipOffset) + a.Angle, "AngleWindow");
  a.PowerWindow[a.WindowIndex] = d.Pa;
  a.AuxRatioRef = F32(a.AuxRatioRef - (static_cast<ext>(a.AuxRatioRef) - a.AuxRatio) / 9.0L, "AuxRatioRef");
  if (a.WindowIndex == 8) {
    a.WindowIndex = 0;
    a.Mode = 1;
    FitWindows(d);
  } else {
    ++a.WindowIndex;
  }
  a.UHistory[0] = a.UHistory[1];
  a.UHistory[1] = a.UHistory[2];
  a.UHistory[2] = a.U;
  a.UMean3 = F32((static_cast<ext>(a.UHistory[2]) + a.UHistory[1] + a.UHistory[0]) / 3.0L, "UMean3");
}

void ShiftWindows(DatMod1& d) {
  AlgoState& a = d.algo;
  for (int i = 0; i < 8; ++i) {
    a.AngleWindow[i] = a.AngleWindow[i + 1];
    a.PowerWindow[i] = a.PowerWindow[i + 1];
  }
}

void FitWindows(DatMod1& d) {
  AlgoState& a = d.algo;
  const float* y = a.AngleWindow;
  auto Y = [y](int i) { return static_cast<ext>(y[i]); };

  ext sum = 0;
  for (int i = 0; i < 9; ++i) sum += Y(i);
  const float s0 = F32(sum, "fit");
  const float s1 = F32(4 * (Y(8) - Y(0)) + 3 * (Y(7) - Y(1)) + 2 * (Y(6) - Y(2)) + Y(5) - Y(3), "fit");
  const float s2 = F32(16 * (Y(8) + Y(0)) + 9 * (Y(7) + Y(1)) + 4 * (Y(6) + Y(2)) + Y(5) + Y(3), "fit");
  // Least squares for x = -4..4: sums 9, 60, 708; determinant 2772 / 3.
  a.FitA0 = F32((236.0L * s0 - 20.0L * s2) / 924.0L, "FitA0");
  a.FitA1 = F32(s1 / 60.0L, "FitA1");
  a.FitA2 = F32((3.0L * s2 - 20.0L * s0) / 924.0L, "FitA2");

  a.MeanDeviation = 0;
  for (int i = 0; i < 9; ++i)
    a.MeanDeviation = F32(a.MeanDeviation + std::fabs(Y(i) - a.FitA0), "MeanDeviation");
  a.MeanDeviation = F32(a.MeanDeviation / 9.0L, "MeanDeviation");

  const float* p = a.PowerWindow;
  auto P = [p](int i) { return static_cast<ext>(p[i]); };
  sum = 0;
  for (int i = 0; i < 9; ++i) sum += P(i);
  const float p0 = F32(sum, "power fit");
  const float p1 = F32(4 * (P(8) - P(0)) + 3 * (P(7) - P(1)) + 2 * (P(6) - P(2)) + P(5) - P(3), "power fit");
  a.PowerMean = F32(p0 / 9.0L, "PowerMean");
  a.PowerSlope = F32(p1 / 60.0L, "PowerSlope");
}

}  // namespace kv
