#include "model/core/measurement.h"

#include <cmath>

#include "model/core/algo_float.h"
#include "model/core/dat_mod1.h"

namespace kv {

namespace {

constexpr ext kPi = 3.141592653589793238462643383279502884L;

// The side angle in double, the same octant formula with libm's atan. It
// lies within 2^-49 of its size from the extended result (the x87's atan is
// within an extended ulp of the true value, libm's within a double ulp, and
// the divisions, the factor 180/pi and 180 - delta add a double ulp each),
// so kSlack leaves a margin of more than 30 times.
constexpr double kDegPerRad = 57.295779513082320876798;
constexpr double kHalfPi = 1.5707963267948966192313;
constexpr double kSlack = 0x1p-44;

double AngleOfDouble(float re, float im) {
  const double absRe = std::fabs(static_cast<double>(re));
  const double absIm = std::fabs(static_cast<double>(im));
  double delta;
  if (absRe < absIm)
    delta = std::atan(absRe / absIm) * kDegPerRad;
  else
    delta = (kHalfPi - std::atan(absIm / absRe)) * kDegPerRad;
  if (im < 0) delta = 180.0 - delta;
  if (re < 0) delta = -delta;
  return delta;
}

// Brings a sum of the two side angles back into [-180, 180].
float WrapAngle(float angle) {
  if (angle > 180) angle = angle - 360.0f;  // one float operation (algo_float.h)
  if (angle < -180) angle = angle + 360.0f;
  return angle;
}

}  // namespace

bool RoundsToFloat(double v, double err, float& out) {
  // Rounding is monotonic: when both ends give the same float, so does every
  // value between them. err is far above a double ulp of v, so the rounding
  // of v -+ err cannot move an end past the value it bounds.
  const float lo = static_cast<float>(v - err);
  const float hi = static_cast<float>(v + err);
  if (lo != hi) return false;
  out = lo;
  return true;
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
  // angle x 10 is exact in double; below 2^22 adding and removing 1.5 x 2^52
  // rounds it to an integer, halves to the even neighbour, as the default
  // rounding mode does, and the integer is a float. An integer has no sign:
  // -0.04 is stored as +0.0, never -0.0.
  const double x = static_cast<double>(angle) * 10.0;
  if (!(std::fabs(x) < 0x1p22)) [[unlikely]]
    return F32(std::rint(static_cast<ext>(angle) * 10.0L) / 10.0L);
  constexpr double kRound = 6755399441055744.0;
  const double magnitude = (std::fabs(x) + kRound) - kRound;
  if (magnitude == 0) return 0.0f;
  const double tenths = x < 0 ? -magnitude : magnitude;
  return static_cast<float>(tenths) / 10.0f;  // one float operation (algo_float.h)
}

float AddSideAngles(float side1, ext side2) { return WrapAngle(F32(side2 + side1)); }

void ComputeAngle(DatMod1& d) {
  AlgoState& a = d.algo;
  const ext uph2 = static_cast<ext>(d.Uph) * d.Uph;
  const ext k1 = d.thr.K1;
  const ext x1 = d.settings.X1;
  const ext x3 = d.settings.X3;

  // Side 1: the source behind R1 + jX1.
  float re = F32(x1 * (d.Pa - k1 * d.Qa));
  float im = F32(uph2 + x1 * (k1 * d.Pa + d.Qa));
  // The side angles are taken in double (the x87's atan costs three times
  // libm's) whenever that decides their float32 store beyond doubt, which is
  // nearly always; otherwise in extended as the device does.
  if (re == 0 && im == 0) {
    a.Angle = 0;
  } else {
    const double delta1 = AngleOfDouble(re, im);
    float side1;
    if (!RoundsToFloat(delta1, std::fabs(delta1) * kSlack, side1)) side1 = F32(AngleOf(re, im));
    a.Angle = side1;
    if (d.settings.X3 != 0) {
      // Side 2 uses K1 as well: the device knows one R/X ratio for the angle.
      re = F32(x3 * (d.Pa - k1 * d.Qa));
      im = F32(uph2 - x3 * (k1 * d.Pa + d.Qa));
      if (re == 0 && im == 0) {
        a.Angle = AddSideAngles(side1, 0.0L);
      } else {
        // The device adds delta2 in extended: bound delta2's error and the
        // rounding of both additions.
        const double delta2 = AngleOfDouble(re, im);
        const double sum = delta2 + side1;
        float angle;
        if (RoundsToFloat(sum, std::fabs(delta2) * kSlack + std::fabs(sum) * 0x1p-50, angle))
          a.Angle = WrapAngle(angle);
        else
          a.Angle = AddSideAngles(side1, AngleOf(re, im));
      }
    }
  }
  a.Angle = RoundToTenth(a.Angle);
}

void ComputeXeck(DatMod1& d) {
  AlgoState& a = d.algo;
  const ext uph2 = static_cast<ext>(d.Uph) * d.Uph;
  if (d.I == 0) {
    a.Xeck = 0;
    a.USquare = F32(uph2);
  } else {
    const ext i2 = static_cast<ext>(d.I) * d.I;
    const ext k1 = d.thr.K1;
    const ext k3 = d.thr.K3;
    const ext xmax = d.thr.XeckMax;
    a.XeckPower = F32(-(k1 * d.Pa + d.Qa));
    if (a.XeckPower >= 0) {
      // Clamp tested by multiplication: no division when it applies.
      if (xmax * i2 * (k1 * k1 + 1.0L) >= a.XeckPower)
        a.Xeck = F32(a.XeckPower / (i2 * (k1 * k1 + 1.0L)));
      else
        a.Xeck = d.thr.XeckMax;
      a.USquare = F32(uph2 - static_cast<ext>(a.Xeck) * a.XeckPower);
    } else {
      a.XeckPower = F32(-(k3 * d.Pa + d.Qa));
      if (a.XeckPower >= 0) {
        a.Xeck = 0;
        a.USquare = F32(uph2);
      } else {
        if (-xmax * i2 * (k3 * k3 + 1.0L) <= a.XeckPower)
          a.Xeck = F32(a.XeckPower / (i2 * (k3 * k3 + 1.0L)));
        else
          a.Xeck = -d.thr.XeckMax;
        a.USquare = F32(uph2 - static_cast<ext>(a.Xeck) * a.XeckPower);
      }
    }
  }
  if (a.USquare < 0) a.USquare = 0;
  a.U = std::sqrt(a.USquare);  // one float operation (algo_float.h)
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
  a.SlipTime = F32(d.SampleTime);
}

void UpdateAngleWindow(DatMod1& d) {
  AlgoState& a = d.algo;
  if (SlipDetected(d)) {
    RecordSlip(d);
    a.SlipOffset = F32(360.0L * a.SlipPending);
  }
  a.AngleWindow[a.WindowIndex] = F32(static_cast<ext>(a.SlipOffset) + a.Angle);
  a.PowerWindow[a.WindowIndex] = d.Pa;
  a.AuxRatioRef = F32(a.AuxRatioRef - (static_cast<ext>(a.AuxRatioRef) - a.AuxRatio) / 9.0L);
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
  a.UMean3 = F32((static_cast<ext>(a.UHistory[2]) + a.UHistory[1] + a.UHistory[0]) / 3.0L);
}

void ShiftWindows(DatMod1& d) {
  AlgoState& a = d.algo;
  for (int i = 0; i < 8; ++i) {
    a.AngleWindow[i] = a.AngleWindow[i + 1];
    a.PowerWindow[i] = a.PowerWindow[i + 1];
  }
}

// Mean of |y_i - a0| over the window, the sum stored as float32 after each
// addition: a chain of nine dependent additions and stores, the longest of
// the step. Two quicker forms give the same floats when their sums can be
// shown exact (two-sum remainders of zero):
// - every y_i - a0 exact in float (window and fit of one size): each step is
//   one float addition (algo_float.h);
// - every y_i - a0 and every unrounded partial sum exact in double: each step
//   is the float32 rounding of an exact double;
// otherwise the extended sum. Values below 2^122 keep every sum far from
// float overflow, so the quick forms raise no flag the device would not.
float MeanDeviationOf(const float* y, float a0) {
  constexpr float kSmall = 0x1p122f;
  bool small = std::fabs(a0) < kSmall;
  for (int i = 0; i < 9; ++i) small &= std::fabs(y[i]) < kSmall;
  if (small) {
    float diff[9];
    bool exact = true;
    for (int i = 0; i < 9; ++i) {
      const float s = y[i] - a0;
      const float bv = s - y[i];
      const float av = s - bv;
      exact &= (y[i] - av) + (-a0 - bv) == 0;
      diff[i] = std::fabs(s);
    }
    if (exact) {
      float sum = 0;
      for (int i = 0; i < 9; ++i) sum = sum + diff[i];
      return sum / 9.0f;  // one float operation
    }
    double sum = 0;
    const double a = a0;
    exact = true;
    for (int i = 0; i < 9; ++i) {
      const double yi = y[i];
      const double s = yi - a;
      const double bv = s - yi;
      const double av = s - bv;
      exact &= (yi - av) + (-a - bv) == 0;
      const double t = std::fabs(s);
      const double x = sum + t;
      const double bx = x - sum;
      const double ax = x - bx;
      exact &= (sum - ax) + (t - bx) == 0;
      sum = static_cast<float>(x);
    }
    if (exact) return static_cast<float>(sum) / 9.0f;
  }
  float sum = 0;
  for (int i = 0; i < 9; ++i) sum = F32(sum + std::fabs(static_cast<ext>(y[i]) - a0));
  return sum / 9.0f;  // one float operation
}

void FitWindows(DatMod1& d) {
  AlgoState& a = d.algo;
  const float* y = a.AngleWindow;
  auto Y = [y](int i) { return static_cast<ext>(y[i]); };

  ext sum = 0;
  for (int i = 0; i < 9; ++i) sum += Y(i);
  const float s0 = F32(sum);
  const float s1 = F32(4 * (Y(8) - Y(0)) + 3 * (Y(7) - Y(1)) + 2 * (Y(6) - Y(2)) + Y(5) - Y(3));
  const float s2 = F32(16 * (Y(8) + Y(0)) + 9 * (Y(7) + Y(1)) + 4 * (Y(6) + Y(2)) + Y(5) + Y(3));
  // Least squares for x = -4..4: sums 9, 60, 708; determinant 2772 / 3. A
  // sum divided by a constant is one float operation (algo_float.h).
  a.FitA0 = F32((236.0L * s0 - 20.0L * s2) / 924.0L);
  a.FitA1 = s1 / 60.0f;
  a.FitA2 = F32((3.0L * s2 - 20.0L * s0) / 924.0L);

  a.MeanDeviation = MeanDeviationOf(y, a.FitA0);

  const float* p = a.PowerWindow;
  auto P = [p](int i) { return static_cast<ext>(p[i]); };
  sum = 0;
  for (int i = 0; i < 9; ++i) sum += P(i);
  const float p0 = F32(sum);
  const float p1 = F32(4 * (P(8) - P(0)) + 3 * (P(7) - P(1)) + 2 * (P(6) - P(2)) + P(5) - P(3));
  a.PowerMean = p0 / 9.0f;
  a.PowerSlope = p1 / 60.0f;
}

}  // namespace kv
