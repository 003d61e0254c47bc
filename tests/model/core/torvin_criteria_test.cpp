// The trip criteria: angle delays and the gap rule, cycle limits and zones,
// the current criterion, the APNU channels and GEN_KZ.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "common/io_error.h"
#include "model/core/criteria.h"
#include "torvin_harness.h"

namespace {

using namespace torvin_test;

// Angle criteria, driven step by step with a recognised direction.

// The 1-based step in which the criterion trips, 0 when none does.
int AngleTripStep(DatMod1& d, const std::vector<float>& directions) {
  for (std::size_t k = 0; k < directions.size(); ++k) {
    d.algo.AsyncDirection = directions[k];
    if (kv::AngleCriterion(d)) return static_cast<int>(k) + 1;
  }
  return 0;
}

std::vector<float> Steady(float dir, int n) { return std::vector<float>(n, dir); }

TEST(TorvinAngleCriterion, DelaysGapsZonesAndBlocks) {
  // Zones 1 and 2 are (0, 8).
  const struct { std::int16_t inMs, outMs; float xeck; std::vector<float> dirs; int trips; std::int16_t slips = 0;
                 bool latched = false; } cases[] = {
      {0, 0, 1, Steady(1, 3), 2},
      {60, 60, 1, Steady(-1, 6), 5},
      {0, 60, 8, Steady(1, 10), 5},  // on the zone edge: the outside delay
      {0, 60, 7.92f, Steady(1, 10), 2},
      {60, 60, 1, {1, 1, 0, 1, 1, 1, 1}, 6},  // one step without a direction is bridged
      {60, 60, 1, {1, 1, 0, 1, 0, 1, 1, 1, 1, 1}, 10},  // the gap flag survives steps with one
      {60, 60, 1, {1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1}, 11},
      {2560, 2560, 1, Steady(1, 1000), 130},  // beyond an 8-bit count
      {5000, 5000, 1, Steady(-1, 1000), 252},
      {0, 0, 1, Steady(1, 100), 0, 1},        // slips being counted
      {0, 0, 1, Steady(1, 100), 0, 0, true},  // after a GEN_KZ trip
  };
  for (const auto& c : cases) {
    kv::TSettings s = BaseSettings();
    s.AngleEnable = 1;
    s.Angle1DelayInMs = s.Angle2DelayInMs = c.inMs;
    s.Angle1DelayOutMs = s.Angle2DelayOutMs = c.outMs;
    DatMod1 d = Prepared(s);
    d.algo.Xeck = c.xeck;
    d.algo.SlipCount = c.slips;
    d.algo.AngleTripLatch = c.latched;
    const bool pos = c.dirs[0] > 0;
    EXPECT_EQ(AngleTripStep(d, c.dirs), c.trips) << c.inMs << "/" << c.outMs << " Xeck " << c.xeck;
    EXPECT_EQ(AngleTripStep(d, Steady(c.dirs[0], 50)), 0);  // once per run
    const std::string row = std::string(" 0.000| Угловой ") + (pos ? "1" : "2") + "| Xeck|  ";
    EXPECT_EQ(RowsText(d).substr(0, row.size()), c.trips ? row : "");
    EXPECT_EQ(d.algo.TripAngle1, c.trips && pos);
    EXPECT_EQ(d.algo.TripAngle2, c.trips && !pos);
  }
}

// Cycle criteria at a slip confirmation.

TEST(TorvinCycleCriterion, CountLimitsAndZones) {
  // zones: one positive slip in zone 1, two negative in zone 2; confirms: SlipCount and SlipXeck.
  const struct { int limit; bool enable, zones; std::int8_t mode1; std::vector<std::pair<std::int16_t, float>> confirms;
                 const char* rows; bool latched; } cases[] = {
      {2, true, false, 1, {{1, 1}}, "", false},
      {2, true, false, 1, {{1, 1}, {2, 1}, {3, 1}}, " 0.000| Цикловой 1| Prov|  2\n", true},
      {2, true, false, 1, {{-2, 1}}, " 0.000| Цикловой 2| Prov|  -2\n", true},
      {2, false, false, 1, {{2, 1}}, "", true},  // off: the limit only stops further confirmations
      {0, true, false, 1, {{1, 1}}, " 0.000| Цикловой 1| Prov|  1\n", true},
      {0, true, false, 1, {{-1, 1}}, " 0.000| Цикловой 2| Prov|  -1\n", true},
      {5, true, true, 1, {{1, 4}}, " 0.000| Цикловой 1| Prov|  1\n", true},
      {5, true, true, 1, {{1, 8}}, "", false},  // the zone is open at its edge
      {5, true, true, 3, {{1, 0.5f}}, "", false},
      {5, true, true, 1, {{-1, 0.5f}, {-2, 0.5f}}, " 0.000| Цикловой 2| Prov|  -2\n", true},
  };
  for (const auto& c : cases) {
    kv::TSettings s = BaseSettings();
    s.CycleEnable = c.enable;
    s.MaxSlipsPos = s.MaxSlipsNeg = static_cast<std::int8_t>(c.limit);
    if (c.zones) {
      s.Cycle1Slips = 1;
      s.Cycle1Mode = c.mode1;
      s.Cycle2Slips = 2;  // held as -2
      s.Cycle2Mode = 2;
    }
    DatMod1 d = Prepared(s);
    for (auto [count, xeck] : c.confirms) {
      d.algo.SlipCount = count;
      d.algo.SlipXeck = xeck;
      kv::CycleCriterion(d);
    }
    const std::string rows = RowsText(d);
    EXPECT_EQ(rows, c.rows) << c.limit << " " << c.confirms.back().first;
    EXPECT_EQ(d.algo.CycleTripLatch, c.latched) << rows;
    EXPECT_EQ(d.algo.TripCycle1, rows.find("Цикловой 1") != std::string::npos) << rows;
    EXPECT_EQ(d.algo.TripCycle2, rows.find("Цикловой 2") != std::string::npos) << rows;
  }
}

// Current criterion on the current-only path.

kv::TSettings CurrentSettings(int limit, float window = 10) {
  kv::TSettings s = BaseSettings();
  s.CurrentPickup = 10;
  s.CurrentDropout = 5;
  s.SwingLimit = static_cast<std::int8_t>(limit);
  s.SwingWindow = window;
  return s;
}

void Currents(Harness& h, std::initializer_list<float> currents) {
  for (float i : currents) h.Step(In{i, 100, 0, 0});
}

TEST(TorvinCurrentCriterion, SecondSwingTripsAtTheNinthSampleOncePerRun) {
  Harness h(CurrentSettings(2));
  Currents(h, {0, 12, 12, 3, 3, 12, 12, 3});
  EXPECT_EQ(h.Rows(), "");
  Currents(h, {3});
  EXPECT_EQ(h.Rows(), " 0.160| Токовый| Current|  2\n");

  using V = std::vector<float>;
  EXPECT_EQ(h.Channel(kDirOrPicked), (V{0, 0, 3, 3, 0, 0, 3, 3, 0}));
  EXPECT_EQ(h.Channel(kSlipsOrSwings), (V{0, 0, 0, 0, 1, 1, 1, 1, 0}));
  EXPECT_EQ(h.Channel(kTripCycle1), (V{0, 0, 0, 0, 0, 0, 0, 0, 7}));

  for (int k = 0; k < 5; ++k) Currents(h, {12, 12, 3, 3});
  EXPECT_EQ(h.Rows(), " 0.160| Токовый| Current|  2\n");
  EXPECT_EQ(h.Last(kSlipsOrSwings), 0.0f);
  EXPECT_EQ(h.Last(kTripCycle1), 7.0f);
}

TEST(TorvinCurrentCriterion, WhatDoesNotCount) {
  Harness h(CurrentSettings(1));
  Currents(h, {12, 3, 3, 12, 3, 12, 12, 7, 3, 7, 3});  // no pick-up; then a drop that never lasts
  EXPECT_EQ(h.d.algo.SwingCount, 0);

  Harness expiring(CurrentSettings(2, 0.1f));
  Currents(expiring, {12, 12, 3, 3});
  EXPECT_EQ(expiring.d.algo.SwingCount, 1);
  Currents(expiring, {0, 0, 0, 0, 0, 12, 12, 3, 3});  // more than 0.1 s after the drop start
  EXPECT_EQ(expiring.d.algo.SwingCount, 1);
  EXPECT_EQ(h.Rows() + expiring.Rows(), "");

  // A limit of 0 or -1 never trips: the swings go on being counted.
  for (int limit : {0, -1}) {
    Harness never(CurrentSettings(limit, 1000));
    for (int k = 0; k < 300; ++k) Currents(never, {12, 12, 3, 3});
    EXPECT_EQ(never.Rows(), "") << limit;
    EXPECT_EQ(never.Last(kSlipsOrSwings), 300.0f) << limit;
    EXPECT_EQ(never.Last(kTripCycle1), 0.0f) << limit;
  }
}

// APNU channels in tracking steps.

TEST(TorvinApnu, StrictlyAboveTheLimitOnlyInTrackingOncePerRun) {
  kv::TSettings s = BaseSettings();
  s.ApnuEnable = 1;  // also selects the criteria path
  s.Apnu1AngleSign = 1;
  s.Apnu1AngleLimit = 60;
  Harness h(s);
  h.Steps(AtAngle(60, 100), 30);
  EXPECT_EQ(h.Last(kAngle), 60.0f);
  EXPECT_EQ(h.Rows(), "");
  h.Step(AtAngle(60.1, 100));
  h.Steps(AtAngle(80, 100), 5);
  EXPECT_EQ(h.Rows(), " 0.600|   APNU1||\n");
  EXPECT_EQ(h.Channel(kApnu1)[29], 0.0f);
  EXPECT_EQ(h.Channel(kApnu1)[30], 9.0f);
  EXPECT_EQ(h.Last(kApnu1), 9.0f);
  EXPECT_EQ(h.Last(kApnu2), 0.0f);

  // Both channels in one step, but not before the ninth window point.
  s.Apnu1AngleSign = s.Apnu2AngleSign = s.Apnu2PowerSign = -1;
  s.Apnu2AngleLimit = 50;
  s.Apnu2PowerLimit = -1e9f;
  h.StartRun(s);
  h.Steps(AtAngle(-70, 100), 14);
  EXPECT_EQ(h.Rows(), "");
  h.Step(AtAngle(-70, 100));
  EXPECT_EQ(h.Rows(), " 0.280|   APNU1||\n 0.280|   APNU2||\n");
  EXPECT_EQ(h.Last(kApnu2), 10.0f);

  s.Apnu1AngleSign = s.Apnu2AngleSign = s.Apnu2PowerSign = 0;  // no channel asked for
  h.StartRun(s);
  h.Steps(AtAngle(170, 100), 40);
  EXPECT_EQ(h.Rows(), "");
  EXPECT_EQ(h.Last(kApnu1), 0.0f);
}

// GEN_KZ: started by a surge with a deep dip during the settling steps.

struct GenKz : Harness {
  explicit GenKz(float gain, float q0 = 10) : Harness([] {
    kv::TSettings s = BaseSettings();
    s.CycleEnable = s.GenKzEnable = 1;
    return s;
  }()) {
    d.thr.GenReactance = 1;
    d.thr.GenKzGain = gain;
    d.thr.PowerBase = 100;
    Step(In{1, 100, 10010, q0});  // references U0 = 100, P0 = 10010, Q0: threshold 135 degrees for 10
  }
  void Fault(float pa = 10, float uph = 40) { Step(In{2, uph, pa, 0}); }
};

TEST(TorvinGenKz, IntegratesTwiceAndTripsAboveTheThreshold) {
  GenKz g(0.25f);  // deficit 10000 x 0.02 x 0.25 = 50 per step
  g.Fault();
  EXPECT_TRUE(g.d.algo.GenKzStarted);
  EXPECT_EQ(g.d.algo.GenKzThreshold, 135.0f);
  EXPECT_EQ(g.d.algo.GenKzSpeed, 50.0f);
  for (int k = 1; k <= 15; ++k) {
    EXPECT_EQ(g.d.algo.GenKzAngle, k * (k + 1) / 2.0f) << k;
    g.Fault();
  }
  EXPECT_EQ(g.Rows(), " 0.320|   GEN_KZ||\n");  // at 136 > 135, not at 120
  std::vector<float> flag(17, 0.0f);
  flag[16] = 5;
  EXPECT_EQ(g.Channel(kTripAngle1), flag);
  EXPECT_TRUE(g.d.algo.AngleTripLatch);  // which blocks the angle criteria
  g.Fault();
  EXPECT_EQ(g.Rows(), " 0.320|   GEN_KZ||\n");
}
TEST(TorvinGenKz, StartStopAndTheFirstCall) {
  GenKz noPower(0.25f), shallow(0.25f), stop(0.25f), fast(1000);
  noPower.Fault(0);       // Pa must be above 0
  shallow.Fault(10, 55);  // a dip of 45 is not beyond half of nominal
  EXPECT_FALSE(noPower.d.algo.GenKzStarted);
  EXPECT_FALSE(shallow.d.algo.GenKzStarted);

  // Stopped in the decision step: the mode indicator keeps its value.
  for (int k = 0; k < 4; ++k) stop.Fault();
  stop.Steps(In{1, 100, 30, 0}, 2);  // |Pa| > 0.2 x PowerBase
  EXPECT_FALSE(stop.d.algo.GenKzStarted);
  EXPECT_EQ(stop.Channel(kModeInd), (std::vector<float>{2, 2, 2, 2, 2, 2, 3}));

  // The call that starts the integration does not test the threshold.
  fast.Fault();
  EXPECT_GT(fast.d.algo.GenKzAngle, 135.0f);
  EXPECT_EQ(fast.Rows(), "");
  fast.Fault();
  EXPECT_NE(fast.Rows(), "");
}

TEST(TorvinGenKz, ArithmeticFaultsEndTheRunBeforeRowOrRecord) {
  GenKz huge(1e36f);  // the speed outgrows float32 in the second step
  huge.Fault();
  EXPECT_THROW(huge.Fault(), kv::FpError);
  EXPECT_EQ(huge.Records(), 2u);
  EXPECT_EQ(huge.Rows(), "");
  GenKz zero(0.25f, -10000);  // U0^2 + Q0 x X = 0
  EXPECT_THROW(zero.Fault(), kv::FpError);
  EXPECT_EQ(zero.Records(), 1u);

  // APNU1 trips on negative power in the step in which the GEN_KZ speed
  // outgrows float32: the fault takes that step's row back with its record.
  kv::TSettings s = BaseSettings();
  s.ApnuEnable = s.GenKzEnable = 1;
  s.Apnu1PowerSign = -1;
  Harness h(s);
  h.d.thr.GenReactance = 1;
  h.d.thr.GenKzGain = 1e12f;
  h.d.thr.PowerBase = 1e30f;
  h.Step(In{1, 100, 1e29f, 0});       // references
  h.Steps(In{2, 40, 1e29f, 0}, 4);    // surge and dip while settling: integration without deficit
  h.Steps(In{2, 100, 1e29f, 0}, 10);  // decision and nine window points
  ASSERT_EQ(h.d.algo.Mode, 1);
  ASSERT_TRUE(h.d.algo.GenKzStarted);
  EXPECT_THROW(h.Step(In{2, 100, -1e29f, 0}), kv::FpError);
  EXPECT_EQ(h.d.results.ResultRow, 1u);
  EXPECT_EQ(h.Records(), 15u);
  EXPECT_EQ(h.d.SampleCount, 15);
}

}  // namespace
