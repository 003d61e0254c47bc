#pragma once
// Measurement of one sample: the out-of-step angle, Xeck and the voltage at
// the Xeck point, and the 9-point windows with their least-squares fit.
// Every stored quantity is rounded to float32; intermediates are extended.
#include "common/xfloat.h"

namespace kv {

struct DatMod1;

// +1, -1 or 0 (also 0 for a value that compares unordered).
inline int Sign(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

// Angle of the vector (re, im) in degrees, atan2(re, im) in (-180, 180],
// computed by the device's own octant formula. Not for re = im = 0.
ext AngleOf(float re, float im);

// Sum of the two side angles brought back into [-180, 180]; exactly 180
// and -180 stay as they are.
float AddSideAngles(float side1, ext side2);

// Sets `out` to the float32 that every value within `err` of `v` rounds to;
// false when that interval holds a rounding boundary. `err` must exceed a
// double ulp of `v` many times over.
bool RoundsToFloat(double v, double err, float& out);

// Rounds to a multiple of 0.1, halves to the even tenth (12.25 -> 12.2).
float RoundToTenth(float angle);

void ComputeAngle(DatMod1& d);
void ComputeXeck(DatMod1& d);

// The slip test shared by all modes: the angle jumped across +-180 between
// two large angles while the voltage at a point between the sources is low.
bool SlipDetected(const DatMod1& d);
// What every detected slip does: one more pending slip with the sign of the
// angle before the jump, and the Xeck and time of the detection.
void RecordSlip(DatMod1& d);

// Mode 2: stores this sample at WindowIndex; the ninth entry fits both
// windows and starts tracking (Mode 1).
void UpdateAngleWindow(DatMod1& d);
// Moves both windows one place towards index 0; index 8 keeps its value.
void ShiftWindows(DatMod1& d);
// Mean of |y_i - a0| over nine points, the sum stored as float32 after each
// addition (MeanDeviation of the fit).
float MeanDeviationOf(const float* y, float a0);
// Quadratic fit of AngleWindow and linear fit of PowerWindow over x = -4..4.
void FitWindows(DatMod1& d);

}  // namespace kv
