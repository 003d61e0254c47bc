// Angle, Xeck, the 9-point fit and the slip test of the window filling.
#include <gtest/gtest.h>

#include <cmath>

#include "model/core/dat_mod1.h"
#include "model/core/measurement.h"

namespace {

using kv::DatMod1;

DatMod1 Model(float x1, float r1, float x3) {
  DatMod1 d;
  d.ResetForRun();
  d.settings.X1 = x1;
  d.settings.R1 = r1;
  d.settings.X3 = x3;
  d.thr.K1 = r1 / x1;
  d.thr.XeckMax = 140;
  d.thr.Uph02 = 20;
  return d;
}

TEST(TorvinMeasurement, AngleOfSideOneAndSpecialInputs) {
  DatMod1 d = Model(10, 0, 0);
  d.Uph = 100;
  d.Pa = 1000;
  d.Qa = 0;
  kv::ComputeAngle(d);
  EXPECT_EQ(d.algo.Angle, 45.0f);  // re = im = 10000

  d.Pa = 0;
  kv::ComputeAngle(d);
  EXPECT_EQ(d.algo.Angle, 0.0f);  // re = 0, im > 0

  // All inputs 0 with a second side: 0 without evaluating side 2.
  DatMod1 z = Model(10, 0, 5);
  z.algo.Angle = 33;
  kv::ComputeAngle(z);
  EXPECT_EQ(z.algo.Angle, 0.0f);

  // Behind the voltage (im < 0) and negative re: third quadrant.
  d.Uph = 10;
  d.Pa = -10;
  d.Qa = -20;  // re = -100, im = 100 - 200 = -100
  kv::ComputeAngle(d);
  EXPECT_EQ(d.algo.Angle, -135.0f);
}

TEST(TorvinMeasurement, TwoSidesAddAndWrap) {
  // Symmetric sides with K1 = 0: both see the same angle.
  DatMod1 d = Model(10, 0, 10);
  d.Uph = 100;
  d.Pa = 500;
  d.Qa = 0;  // side 1: atan2(5000, 10000), side 2 the same
  kv::ComputeAngle(d);
  const double one = std::atan2(5000.0, 10000.0) * 180 / M_PI;
  EXPECT_FLOAT_EQ(d.algo.Angle, static_cast<float>(std::nearbyint(2 * one * 10) / 10));

  EXPECT_EQ(kv::AddSideAngles(170.0f, 20.0L), -170.0f);
  EXPECT_EQ(kv::AddSideAngles(-100.0f, -90.0L), 170.0f);
  EXPECT_EQ(kv::AddSideAngles(100.0f, 80.0L), 180.0f);
  EXPECT_EQ(kv::AddSideAngles(-100.0f, -80.0L), -180.0f);
}

TEST(TorvinMeasurement, AngleRoundsToTenthHalfEven) {
  EXPECT_EQ(kv::RoundToTenth(12.25f), 12.2f);
  EXPECT_EQ(kv::RoundToTenth(12.75f), 12.8f);
  EXPECT_EQ(kv::RoundToTenth(-12.25f), -12.2f);
  EXPECT_EQ(kv::RoundToTenth(179.96f), 180.0f);
}

TEST(TorvinMeasurement, XeckBranches) {
  DatMod1 d = Model(10, 0, 5);
  d.thr.XeckMax = 5;
  d.I = 10;
  d.Uph = 100;
  d.Pa = 0;
  d.Qa = -500;
  kv::ComputeXeck(d);
  EXPECT_EQ(d.algo.XeckPower, 500.0f);
  EXPECT_EQ(d.algo.Xeck, 5.0f);
  EXPECT_EQ(d.algo.USquare, 7500.0f);
  EXPECT_FLOAT_EQ(d.algo.U, 86.6025404f);

  // Far above the clamp: XeckMax exactly, and the voltage floored at 0.
  d.Qa = -50000;
  kv::ComputeXeck(d);
  EXPECT_EQ(d.algo.Xeck, 5.0f);
  EXPECT_EQ(d.algo.USquare, 0.0f);
  EXPECT_EQ(d.algo.U, 0.0f);

  // No current: Xeck 0 and the voltage of the point itself.
  d.I = 0;
  kv::ComputeXeck(d);
  EXPECT_EQ(d.algo.Xeck, 0.0f);
  EXPECT_EQ(d.algo.U, 100.0f);

  // K1 x Pa + Qa > 0 but K3 x Pa + Qa <= 0: zero branch.
  d.I = 10;
  d.thr.K1 = 1;
  d.thr.K3 = -1;
  d.Pa = 100;
  d.Qa = 50;
  kv::ComputeXeck(d);
  EXPECT_EQ(d.algo.XeckPower, 50.0f);
  EXPECT_EQ(d.algo.Xeck, 0.0f);
  EXPECT_EQ(d.algo.U, 100.0f);

  // Negative branch, inside the clamp and clamped.
  d.thr.K1 = 0;
  d.thr.K3 = 0;
  d.Pa = 0;
  d.Qa = 200;
  kv::ComputeXeck(d);
  EXPECT_EQ(d.algo.Xeck, -2.0f);
  EXPECT_EQ(d.algo.USquare, 10000.0f - 400.0f);
  d.Qa = 5000;
  kv::ComputeXeck(d);
  EXPECT_EQ(d.algo.Xeck, -5.0f);
  EXPECT_EQ(d.algo.USquare, 0.0f);
}

void FillAndFit(DatMod1& d, float (*y)(int)) {
  for (int i = 0; i < 9; ++i) {
    d.algo.AngleWindow[i] = y(i);
    d.algo.PowerWindow[i] = 2.0f * i;
  }
  kv::FitWindows(d);
}

TEST(TorvinMeasurement, NinePointFit) {
  DatMod1 d = Model(10, 0, 0);
  FillAndFit(d, [](int) { return 37.5f; });
  EXPECT_EQ(d.algo.FitA0, 37.5f);
  EXPECT_EQ(d.algo.FitA1, 0.0f);
  EXPECT_EQ(d.algo.FitA2, 0.0f);
  EXPECT_EQ(d.algo.MeanDeviation, 0.0f);

  FillAndFit(d, [](int i) { return static_cast<float>(i); });
  EXPECT_FLOAT_EQ(d.algo.FitA0, 4.0f);
  EXPECT_FLOAT_EQ(d.algo.FitA1, 1.0f);
  EXPECT_NEAR(d.algo.FitA2, 0.0f, 1e-6);
  EXPECT_NEAR(d.algo.MeanDeviation, 20.0f / 9.0f, 1e-5);  // |i - 4| summed
  EXPECT_FLOAT_EQ(d.algo.PowerMean, 8.0f);
  EXPECT_FLOAT_EQ(d.algo.PowerSlope, 2.0f);

  FillAndFit(d, [](int i) { return static_cast<float>((i - 4) * (i - 4)); });
  EXPECT_EQ(d.algo.FitA0, 0.0f);
  EXPECT_EQ(d.algo.FitA1, 0.0f);
  EXPECT_EQ(d.algo.FitA2, 1.0f);
}

TEST(TorvinMeasurement, WindowFillingCountsSlipAndUnwraps) {
  DatMod1 d = Model(10, 0, 0);
  d.algo.Mode = 2;
  d.algo.WindowIndex = 3;
  d.algo.PrevAngle = 175;
  d.algo.Angle = -178;
  d.algo.USquare = 100;  // below Uph02^2 = 400
  d.algo.Xeck = 4;       // within [-X3, X1]
  d.SampleTime = 1.5;
  kv::UpdateAngleWindow(d);
  EXPECT_EQ(d.algo.SlipPending, 1);
  EXPECT_EQ(d.algo.SlipOffset, 360.0f);
  EXPECT_EQ(d.algo.AngleWindow[3], 182.0f);
  EXPECT_EQ(d.algo.SlipXeck, 4.0f);
  EXPECT_EQ(d.algo.SlipTime, 1.5f);
  EXPECT_EQ(d.algo.WindowIndex, 4);

  // The same jump with Xeck beyond X1 is no slip.
  DatMod1 e = Model(10, 0, 0);
  e.algo.Mode = 2;
  e.algo.PrevAngle = 175;
  e.algo.Angle = -178;
  e.algo.USquare = 100;
  e.algo.Xeck = 10.5f;
  kv::UpdateAngleWindow(e);
  EXPECT_EQ(e.algo.SlipPending, 0);
  EXPECT_EQ(e.algo.AngleWindow[0], -178.0f);

  // From -175 to +175 the slip counts -1.
  e.algo.PrevAngle = -175;
  e.algo.Angle = 175;
  e.algo.Xeck = 0;
  kv::UpdateAngleWindow(e);
  EXPECT_EQ(e.algo.SlipPending, -1);
  EXPECT_EQ(e.algo.AngleWindow[1], -185.0f);
}

TEST(TorvinMeasurement, NinthEntryFitsAndStartsTracking) {
  DatMod1 d = Model(10, 0, 0);
  d.algo.Mode = 2;
  d.algo.USquare = 10000;
  for (int i = 0; i < 9; ++i) {
    d.algo.Angle = static_cast<float>(i);
    d.algo.U = static_cast<float>(i);
    kv::UpdateAngleWindow(d);
    EXPECT_EQ(d.algo.Mode, i == 8 ? 1 : 2);
  }
  EXPECT_EQ(d.algo.WindowIndex, 0);
  EXPECT_FLOAT_EQ(d.algo.FitA1, 1.0f);
  EXPECT_EQ(d.algo.UHistory[0], 6.0f);
  EXPECT_EQ(d.algo.UMean3, 7.0f);

  kv::ShiftWindows(d);
  EXPECT_EQ(d.algo.AngleWindow[0], 1.0f);
  EXPECT_EQ(d.algo.AngleWindow[7], 8.0f);
  EXPECT_EQ(d.algo.AngleWindow[8], 8.0f);  // kept until the caller overwrites it
}

}  // namespace
