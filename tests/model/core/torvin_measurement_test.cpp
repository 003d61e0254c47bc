// Angle, Xeck, the 9-point fit and the slip test of the window filling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

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
  // A small negative angle keeps its sign: the record holds -0.
  EXPECT_TRUE(std::signbit(kv::RoundToTenth(-0.04f)));
  EXPECT_FALSE(std::signbit(kv::RoundToTenth(0.04f)));
  EXPECT_EQ(kv::RoundToTenth(1e30f), static_cast<float>(std::nearbyintl(static_cast<kv::ext>(1e30f) * 10) / 10));
}

// ---------------------------------------------------------------------------
// The step takes quicker routes (double, float) where they give the floats of
// the extended arithmetic. Each is compared here bit for bit with the
// extended formulas as the device computes them.

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

float ExtendedAngle(const DatMod1& d) {
  using kv::ext;
  const ext uph2 = static_cast<ext>(d.Uph) * d.Uph;
  const ext k1 = d.thr.K1, x1 = d.settings.X1, x3 = d.settings.X3;
  float re = static_cast<float>(x1 * (d.Pa - k1 * d.Qa));
  float im = static_cast<float>(uph2 + x1 * (k1 * d.Pa + d.Qa));
  float angle = 0;
  if (re != 0 || im != 0) {
    angle = static_cast<float>(kv::AngleOf(re, im));
    if (x3 != 0) {
      re = static_cast<float>(x3 * (d.Pa - k1 * d.Qa));
      im = static_cast<float>(uph2 - x3 * (k1 * d.Pa + d.Qa));
      angle = kv::AddSideAngles(angle, (re == 0 && im == 0) ? 0.0L : kv::AngleOf(re, im));
    }
  }
  return static_cast<float>(std::nearbyintl(static_cast<ext>(angle) * 10.0L) / 10.0L);
}

TEST(TorvinMeasurement, AngleInDoubleMatchesTheExtendedAngle) {
  std::mt19937 rng(12345);
  auto u = [&](double a, double b) { return static_cast<float>(std::uniform_real_distribution<double>(a, b)(rng)); };
  auto magnitude = [&] { return std::ldexp(u(-1, 1), static_cast<int>(rng() % 80) - 40); };
  DatMod1 d = Model(10, 0, 0);
  for (int k = 0; k < 200000; ++k) {
    d.settings.X1 = k % 7 == 0 ? magnitude() : u(1, 200);
    d.settings.X3 = k % 3 == 0 ? 0.0f : k % 11 == 0 ? magnitude() : u(1, 200);
    d.thr.K1 = k % 5 == 0 ? 0.0f : u(-0.5, 0.5);
    d.Uph = k % 13 == 0 ? 0.0f : u(0, 400);
    d.Pa = k % 17 == 0 ? 0.0f : k % 4 == 0 ? magnitude() : u(-2000, 2000);
    d.Qa = k % 19 == 0 ? 0.0f : k % 6 == 0 ? magnitude() : u(-2000, 2000);
    if (k % 23 == 0) d.Qa = -d.Pa;  // |re| = |im| on side 1 for K1 = 0 and Uph = 0
    kv::ComputeAngle(d);
    ASSERT_TRUE(SameBits(d.algo.Angle, ExtendedAngle(d)))
        << k << ": X1 " << d.settings.X1 << " X3 " << d.settings.X3 << " K1 " << d.thr.K1 << " Uph " << d.Uph
        << " Pa " << d.Pa << " Qa " << d.Qa << " gives " << d.algo.Angle << ", extended " << ExtendedAngle(d);
  }
}

TEST(TorvinMeasurement, SideSumOnAFloatTieTakesTheExtendedRoute) {
  // Side 1 stored as 0.25 + 2^-19, side 2 exactly 45 (re = im): the sum lies
  // on a float tie, which only the extended sum can settle (here to 45.25,
  // which the tenths round down).
  const float side1 = 0.25f + 0x1p-19f;
  float x1 = static_cast<float>(std::tan((0.25 + 0x1p-19) * M_PI / 180) * (1 - 1e-6));
  while (static_cast<float>(kv::AngleOf(x1, 1)) < side1) x1 = std::nextafter(x1, 1.0f);
  ASSERT_EQ(static_cast<float>(kv::AngleOf(x1, 1)), side1);
  DatMod1 d = Model(x1, 0, 1);
  d.Uph = 1;
  d.Pa = 1;
  d.Qa = 0;
  kv::ComputeAngle(d);
  EXPECT_EQ(d.algo.Angle, 45.2f);
  EXPECT_TRUE(SameBits(d.algo.Angle, ExtendedAngle(d)));
}

TEST(TorvinMeasurement, RoundsToFloatOnlyWhenNoBoundaryIsNear) {
  float f = 0;
  EXPECT_TRUE(kv::RoundsToFloat(45.0, 45.0 * 0x1p-44, f));
  EXPECT_EQ(f, 45.0f);
  // 1 + 2^-24 lies halfway between two floats.
  EXPECT_FALSE(kv::RoundsToFloat(1.0 + 0x1p-24, 0x1p-44, f));
  EXPECT_FALSE(kv::RoundsToFloat(1.0 + 0x1p-24 + 0x1p-46, 0x1p-44, f));
  EXPECT_TRUE(kv::RoundsToFloat(1.0 + 0x1p-24 + 0x1p-42, 0x1p-44, f));
  EXPECT_EQ(f, 1.0f + 0x1p-23f);
}

TEST(TorvinMeasurement, MeanDeviationMatchesTheExtendedSum) {
  auto extended = [](const float* y, float a0) {
    float sum = 0;
    for (int i = 0; i < 9; ++i) sum = static_cast<float>(sum + std::fabs(static_cast<kv::ext>(y[i]) - a0));
    return static_cast<float>(sum / 9.0L);
  };
  auto check = [&](DatMod1& d, const float* y) {
    for (int i = 0; i < 9; ++i) d.algo.AngleWindow[i] = y[i];
    kv::FitWindows(d);
    const float expected = extended(y, d.algo.FitA0);
    EXPECT_TRUE(SameBits(d.algo.MeanDeviation, expected)) << d.algo.MeanDeviation << " vs " << expected;
  };
  // Every difference exact in double, but the seventh partial sum is not: in
  // double it would round onto a float tie and then down, while the extended
  // sum lies above the tie.
  const float tie[9] = {0, 0, 0, 0, 0, 0x1p16f, 0x1p16f + 0x1p-7f, 0, 0};
  EXPECT_TRUE(SameBits(kv::MeanDeviationOf(tie, -0x1p-36f), extended(tie, -0x1p-36f)));
  DatMod1 d = Model(10, 0, 0);
  const float oneSize[9] = {40.1f, 40.3f, 40.2f, 40.6f, 41.0f, 41.7f, 42.5f, 43.1f, 44.0f};
  const float acrossZero[9] = {-20.1f, -15.3f, -9.8f, -4.4f, 0.1f, 5.2f, 9.9f, 15.0f, 20.3f};
  const float spread[9] = {1e30f, 1e-10f, 3.0f, -7.0f, 1e-20f, 2.0f, 5.0f, 1e12f, 0.5f};
  const float huge[9] = {1e37f, 2e37f, 1e37f, 3e37f, 1e37f, 1e37f, 2e37f, 1e37f, 1e37f};
  for (const float* y : {oneSize, acrossZero, spread, huge}) check(d, y);

  std::mt19937 rng(777);
  auto u = [&](double a, double b) { return static_cast<float>(std::uniform_real_distribution<double>(a, b)(rng)); };
  for (int k = 0; k < 20000; ++k) {
    float y[9];
    const float base = k % 3 == 0 ? 0.0f : u(-720, 720);
    const float spreadOf = k % 5 == 0 ? std::ldexp(1.0f, static_cast<int>(rng() % 60) - 30) : u(0, 30);
    for (float& v : y) v = std::round((base + u(-spreadOf, spreadOf)) * 10) / 10;
    check(d, y);
  }
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
