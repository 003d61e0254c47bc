// Angle, Xeck, the 9-point fit and the slip test of the window filling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "model/core/dat_mod1.h"
#include "model/core/measurement.h"

namespace {

using kv::DatMod1;

DatMod1 Model(float x1, float x3, float k1 = 0) {
  DatMod1 d;
  d.settings.X1 = x1;
  d.settings.X3 = x3;
  d.thr.K1 = k1;
  d.thr.XeckMax = 140;
  d.thr.Uph02 = 20;
  return d;
}

TEST(TorvinMeasurement, AngleSidesWrapAndRounding) {
  const struct { float x3, uph, pa, qa, want; } cases[] = {
      {0, 100, 1000, 0, 45},     // re = im = 10000
      {0, 100, 0, 0, 0},         // re = 0, im > 0
      {5, 0, 0, 0, 0},           // all inputs 0: no side is evaluated
      {0, 10, -10, -20, -135},   // re = im = -100
      {10, 100, 500, 0, 53.1f},  // two sides of 26.57 each
  };
  for (const auto& c : cases) {
    DatMod1 d = Model(10, c.x3);
    d.algo.Angle = 33;
    std::tie(d.Uph, d.Pa, d.Qa) = std::tie(c.uph, c.pa, c.qa);
    kv::ComputeAngle(d);
    EXPECT_EQ(d.algo.Angle, c.want) << c.pa << " " << c.qa;
  }
  const struct { float side1; long double side2; float sum; } sums[] = {
      {170, 20, -170}, {-100, -90, 170}, {100, 80, 180}, {-100, -80, -180}};
  for (const auto& c : sums) EXPECT_EQ(kv::AddSideAngles(c.side1, c.side2), c.sum) << c.side1;
  const std::pair<float, float> tenths[] = {{12.25f, 12.2f}, {12.75f, 12.8f}, {-12.25f, -12.2f}, {179.96f, 180}};
  for (auto [in, out] : tenths) EXPECT_EQ(kv::RoundToTenth(in), out) << in;
  // A value that rounds to zero is stored as +0.0 whatever its sign.
  for (float small : {-0.04f, -0.0499f, -0.0f, 0.04f, -1e-30f}) EXPECT_FALSE(std::signbit(kv::RoundToTenth(small))) << small;
  EXPECT_EQ(kv::RoundToTenth(-0.06f), -0.1f);
}

TEST(TorvinMeasurement, XeckBranches) {
  const struct { float i, k1, k3, pa, qa, power, xeck, uSquare, u; } cases[] = {
      {10, 0, 0, 0, -500, 500, 5, 7500, 86.6025404f},
      {10, 0, 0, 0, -50000, 50000, 5, 0, 0},    // clamped to XeckMax, the voltage floored
      {0, 0, 0, 0, -50000, 0, 0, 10000, 100},   // no current
      {10, 1, -1, 100, 50, 50, 0, 10000, 100},  // K1 x Pa + Qa > 0, K3 x Pa + Qa <= 0
      {10, 0, 0, 0, 200, -200, -2, 9600, 97.9795897f},
      {10, 0, 0, 0, 5000, -5000, -5, 0, 0},
  };
  for (const auto& c : cases) {
    DatMod1 d = Model(10, 5, c.k1);
    d.thr.K3 = c.k3;
    d.thr.XeckMax = 5;
    std::tie(d.I, d.Uph, d.Pa, d.Qa) = std::make_tuple(c.i, 100.0f, c.pa, c.qa);
    kv::ComputeXeck(d);
    EXPECT_EQ(d.algo.XeckPower, c.power) << c.qa;
    EXPECT_EQ(d.algo.Xeck, c.xeck) << c.qa;
    EXPECT_EQ(d.algo.USquare, c.uSquare) << c.qa;
    EXPECT_FLOAT_EQ(d.algo.U, c.u) << c.qa;
  }
}

TEST(TorvinMeasurement, NinePointFit) {
  DatMod1 d = Model(10, 0);
  for (int i = 0; i < 9; ++i) {
    d.algo.AngleWindow[i] = static_cast<float>(i);
    d.algo.PowerWindow[i] = 2.0f * i;
  }
  kv::FitWindows(d);
  EXPECT_FLOAT_EQ(d.algo.FitA0, 4.0f);
  EXPECT_FLOAT_EQ(d.algo.FitA1, 1.0f);
  EXPECT_NEAR(d.algo.FitA2, 0.0f, 1e-6);
  EXPECT_NEAR(d.algo.MeanDeviation, 20.0f / 9.0f, 1e-5);  // |i - 4| summed
  EXPECT_FLOAT_EQ(d.algo.PowerMean, 8.0f);
  EXPECT_FLOAT_EQ(d.algo.PowerSlope, 2.0f);

  for (int i = 0; i < 9; ++i) d.algo.AngleWindow[i] = static_cast<float>((i - 4) * (i - 4));
  kv::FitWindows(d);
  EXPECT_EQ(std::tie(d.algo.FitA0, d.algo.FitA1, d.algo.FitA2), std::make_tuple(0.0f, 0.0f, 1.0f));
}

TEST(TorvinMeasurement, WindowFillingCountsSlipAndUnwraps) {
  const struct { float prev, angle, xeck; int pending; float stored; } cases[] = {
      {175, -178, 4, 1, 182}, {175, -178, 10.5f, 0, -178} /* Xeck beyond X1: no slip */, {-175, 175, 0, -1, -185}};
  for (const auto& c : cases) {
    DatMod1 d = Model(10, 0);
    d.algo.Mode = 2;
    d.algo.WindowIndex = 3;
    d.algo.PrevAngle = c.prev;
    d.algo.Angle = c.angle;
    d.algo.USquare = 100;  // below Uph02^2 = 400
    d.algo.Xeck = c.xeck;
    d.SampleTime = 1.5;
    kv::UpdateAngleWindow(d);
    EXPECT_EQ(d.algo.SlipPending, c.pending) << c.prev;
    EXPECT_EQ(d.algo.SlipOffset, 360.0f * c.pending) << c.prev;
    EXPECT_EQ(d.algo.AngleWindow[3], c.stored) << c.prev;
    EXPECT_EQ(d.algo.SlipXeck, c.pending ? c.xeck : 0.0f);
    EXPECT_EQ(d.algo.SlipTime, c.pending ? 1.5f : 0.0f);
    EXPECT_EQ(d.algo.WindowIndex, 4);
  }

  // The ninth entry fits the windows and starts tracking.
  DatMod1 d = Model(10, 0);
  d.algo.Mode = 2;
  d.algo.USquare = 10000;
  for (int i = 0; i < 9; ++i) {
    d.algo.Angle = d.algo.U = static_cast<float>(i);
    kv::UpdateAngleWindow(d);
    EXPECT_EQ(d.algo.Mode, i == 8 ? 1 : 2);
  }
  EXPECT_EQ(d.algo.WindowIndex, 0);
  EXPECT_FLOAT_EQ(d.algo.FitA1, 1.0f);
  EXPECT_EQ(d.algo.UMean3, 7.0f);
  kv::ShiftWindows(d);
  EXPECT_EQ(std::vector<float>(d.algo.AngleWindow + 7, d.algo.AngleWindow + 9), (std::vector<float>{8, 8}));
  EXPECT_EQ(d.algo.AngleWindow[0], 1.0f);
}

// The step takes quicker routes (double, float) where they give the floats of
// the extended arithmetic. Each is compared bit for bit with the extended
// formulas as the device computes them.

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
  // Rounded to an integer number of tenths, which has no sign.
  const auto tenths = static_cast<std::int64_t>(std::nearbyintl(static_cast<ext>(angle) * 10.0L));
  return static_cast<float>(static_cast<ext>(tenths) / 10.0L);
}

TEST(TorvinFastRoutes, AngleMatchesTheExtendedAngle) {
  std::mt19937 rng(12345);
  auto u = [&](double a, double b) { return static_cast<float>(std::uniform_real_distribution<double>(a, b)(rng)); };
  auto magnitude = [&] { return std::ldexp(u(-1, 1), static_cast<int>(rng() % 80) - 40); };
  DatMod1 d = Model(10, 0);
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

  // Side 1 stored as 0.25 + 2^-19, side 2 exactly 45: the sum lies on a float
  // tie that only the extended sum settles (to 45.25, which rounds down).
  const float side1 = 0.25f + 0x1p-19f;
  float x1 = static_cast<float>(std::tan((0.25 + 0x1p-19) * M_PI / 180) * (1 - 1e-6));
  while (static_cast<float>(kv::AngleOf(x1, 1)) < side1) x1 = std::nextafter(x1, 1.0f);
  ASSERT_EQ(static_cast<float>(kv::AngleOf(x1, 1)), side1);
  d = Model(x1, 1);
  d.Uph = d.Pa = 1;
  d.Qa = 0;
  kv::ComputeAngle(d);
  EXPECT_EQ(d.algo.Angle, 45.2f);
  EXPECT_TRUE(SameBits(d.algo.Angle, ExtendedAngle(d)));

  // The guard of the quick route: no answer when a rounding boundary is near.
  float f = 0;
  EXPECT_TRUE(kv::RoundsToFloat(1.0 + 0x1p-24 + 0x1p-42, 0x1p-44, f));
  EXPECT_EQ(f, 1.0f + 0x1p-23f);
  EXPECT_FALSE(kv::RoundsToFloat(1.0 + 0x1p-24, 0x1p-44, f));  // halfway between two floats
  EXPECT_FALSE(kv::RoundsToFloat(1.0 + 0x1p-24 + 0x1p-46, 0x1p-44, f));
}

TEST(TorvinFastRoutes, MeanDeviationMatchesTheExtendedSum) {
  auto extended = [](const float* y, float a0) {
    float sum = 0;  // stored as float32 after each addition
    for (int i = 0; i < 9; ++i) sum = static_cast<float>(sum + std::fabs(static_cast<kv::ext>(y[i]) - a0));
    return static_cast<float>(sum / 9.0L);
  };
  DatMod1 d = Model(10, 0);
  auto check = [&](const float* y) {
    for (int i = 0; i < 9; ++i) d.algo.AngleWindow[i] = y[i];
    kv::FitWindows(d);
    ASSERT_TRUE(SameBits(d.algo.MeanDeviation, extended(y, d.algo.FitA0))) << d.algo.MeanDeviation;
  };
  // Every difference exact in double, but the seventh partial sum is not: in
  // double it would round onto a float tie and then down.
  const float tie[9] = {0, 0, 0, 0, 0, 0x1p16f, 0x1p16f + 0x1p-7f, 0, 0};
  EXPECT_TRUE(SameBits(kv::MeanDeviationOf(tie, -0x1p-36f), extended(tie, -0x1p-36f)));
  const float spread[9] = {1e30f, 1e-10f, 3.0f, -7.0f, 1e-20f, 2.0f, 5.0f, 1e12f, 0.5f};
  const float huge[9] = {1e37f, 2e37f, 1e37f, 3e37f, 1e37f, 1e37f, 2e37f, 1e37f, 1e37f};
  check(spread);
  check(huge);

  std::mt19937 rng(777);
  auto u = [&](double a, double b) { return static_cast<float>(std::uniform_real_distribution<double>(a, b)(rng)); };
  for (int k = 0; k < 20000; ++k) {
    float y[9];
    const float base = k % 3 == 0 ? 0.0f : u(-720, 720);
    const float spreadOf = k % 5 == 0 ? std::ldexp(1.0f, static_cast<int>(rng() % 60) - 30) : u(0, 30);
    for (float& v : y) v = std::round((base + u(-spreadOf, spreadOf)) * 10) / 10;
    check(y);
  }
}

}  // namespace
