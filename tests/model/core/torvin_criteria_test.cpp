// The trip criteria: angle delays and the gap rule, cycle limits and zones,
// the current criterion, the APNU channels and GEN_KZ.
#include <gtest/gtest.h>

#include <initializer_list>

#include "common/io_error.h"
#include "model/core/criteria.h"
#include "torvin_harness.h"

namespace {

using namespace torvin_test;

// ---------------------------------------------------------------------------
// Angle criteria, driven step by step with a recognised direction.

struct AngleModel {
  explicit AngleModel(std::int16_t inMs, std::int16_t outMs) {
    d.ResetForRun();
    kv::InitResultsGrid(d);
    d.settings = BaseSettings();
    d.settings.AngleEnable = 1;
    d.settings.Angle1DelayInMs = d.settings.Angle2DelayInMs = inMs;
    d.settings.Angle1DelayOutMs = d.settings.Angle2DelayOutMs = outMs;
    kv::DeriveThresholds(d);
    d.algo.Xeck = 1;  // inside both zones (0, 8)
  }
  // 1-based number of the step that trips, 0 when none does.
  int Run(std::initializer_list<float> directions) {
    int k = 0;
    for (float dir : directions) {
      ++k;
      d.algo.AsyncDirection = dir;
      if (kv::AngleCriterion(d)) return k;
    }
    return 0;
  }
  int RunSteady(float dir, int maxSteps) {
    for (int k = 1; k <= maxSteps; ++k) {
      d.algo.AsyncDirection = dir;
      if (kv::AngleCriterion(d)) return k;
    }
    return 0;
  }
  DatMod1 d;
};

TEST(TorvinAngleCriterion, DelayInStepsDecidesTheTripStep) {
  AngleModel zero(0, 0);
  EXPECT_EQ(zero.Run({1, 1, 1}), 2);
  EXPECT_EQ(zero.d.algo.TripAngle1, 1);
  EXPECT_EQ(zero.d.results.TripTypeText, " Угловой 1");
  EXPECT_EQ(zero.d.algo.AngleDelayCount, 0);
  EXPECT_EQ(zero.RunSteady(1, 50), 0);  // latched

  AngleModel sixty(60, 60);
  EXPECT_EQ(sixty.Run({-1, -1, -1, -1, -1, -1}), 5);
  EXPECT_EQ(sixty.d.algo.TripAngle2, 1);
  EXPECT_EQ(sixty.d.algo.TripAngle1, 0);
  ASSERT_EQ(sixty.d.results.ResultRow, 2u);
  EXPECT_EQ(sixty.d.results.cells[1][1], " Угловой 2");
  EXPECT_EQ(sixty.d.results.cells[1][2], " Xeck");
  EXPECT_EQ(sixty.d.results.cells[1][3], "  1.000");
}

TEST(TorvinAngleCriterion, OpenZoneChoosesTheOutsideDelay) {
  AngleModel m(0, 60);
  m.d.algo.Xeck = m.d.thr.Zone1X1;  // on the edge: outside
  EXPECT_EQ(m.RunSteady(1, 10), 5);
  AngleModel in(0, 60);
  in.d.algo.Xeck = in.d.thr.Zone1X1 * 0.99f;
  EXPECT_EQ(in.RunSteady(1, 10), 2);
}

TEST(TorvinAngleCriterion, OneGapIsToleratedTheSecondRestarts) {
  AngleModel one(60, 60);
  EXPECT_EQ(one.Run({1, 1, 0, 1, 1, 1, 1}), 6);

  // The gap flag is not cleared by steps with a direction.
  AngleModel two(60, 60);
  EXPECT_EQ(two.Run({1, 1, 0, 1, 0, 1, 1, 1, 1, 1}), 10);
  AngleModel twoInRow(60, 60);
  EXPECT_EQ(twoInRow.Run({1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1}), 11);
}

TEST(TorvinAngleCriterion, NoTripWhileSlipsAreCountedOrAfterGenKz) {
  AngleModel m(0, 0);
  m.d.algo.SlipCount = 1;
  EXPECT_EQ(m.RunSteady(1, 100), 0);
  AngleModel latched(0, 0);
  latched.d.algo.AngleTripLatch = true;  // as after a GEN_KZ trip
  EXPECT_EQ(latched.RunSteady(1, 100), 0);
  EXPECT_EQ(latched.d.results.ResultRow, 1u);
}

TEST(TorvinAngleCriterion, LongDelaysNeitherTripAtOnceNorNever) {
  AngleModel at127(2540, 2540);
  EXPECT_EQ(at127.RunSteady(1, 1000), 129);
  AngleModel at128(2560, 2560);
  EXPECT_EQ(at128.RunSteady(1, 1000), 130);
  AngleModel at250(5000, 5000);
  EXPECT_EQ(at250.RunSteady(-1, 1000), 252);
}

// ---------------------------------------------------------------------------
// Cycle criteria at a slip confirmation.

struct CycleModel {
  explicit CycleModel(kv::TSettings s) {
    d.ResetForRun();
    kv::InitResultsGrid(d);
    d.settings = s;
    kv::DeriveThresholds(d);
  }
  void Confirm(std::int16_t slipCount, float slipXeck = 1) {
    d.algo.SlipCount = slipCount;
    d.algo.SlipXeck = slipXeck;
    kv::CycleCriterion(d);
  }
  DatMod1 d;
};

kv::TSettings CycleSettings(int maxPos, int maxNeg) {
  kv::TSettings s = BaseSettings();
  s.CycleEnable = 1;
  s.MaxSlipsPos = static_cast<std::int8_t>(maxPos);
  s.MaxSlipsNeg = static_cast<std::int8_t>(maxNeg);
  return s;
}

TEST(TorvinCycleCriterion, CountLimits) {
  CycleModel pos(CycleSettings(2, 2));
  pos.Confirm(1);
  EXPECT_FALSE(pos.d.algo.CycleTripLatch);
  pos.Confirm(2);
  EXPECT_TRUE(pos.d.algo.CycleTripLatch);
  EXPECT_EQ(pos.d.algo.TripCycle1, 1);
  ASSERT_EQ(pos.d.results.ResultRow, 2u);
  EXPECT_EQ(pos.d.results.cells[1][1], " Цикловой 1");
  EXPECT_EQ(pos.d.results.cells[1][2], " Prov");
  EXPECT_EQ(pos.d.results.cells[1][3], "  2");
  pos.Confirm(3);
  EXPECT_EQ(pos.d.results.ResultRow, 2u);  // once per run

  CycleModel neg(CycleSettings(2, 2));
  neg.Confirm(-2);
  EXPECT_EQ(neg.d.algo.TripCycle2, 1);
  EXPECT_EQ(neg.d.results.cells[1][1], " Цикловой 2");
  EXPECT_EQ(neg.d.results.cells[1][3], "  -2");

  // Disabled: the limit only stops further confirmations.
  kv::TSettings off = CycleSettings(2, 2);
  off.CycleEnable = 0;
  CycleModel quiet(off);
  quiet.Confirm(2);
  EXPECT_TRUE(quiet.d.algo.CycleTripLatch);
  EXPECT_EQ(quiet.d.algo.TripCycle1, 0);
  EXPECT_EQ(quiet.d.results.ResultRow, 1u);

  CycleModel zeroPos(CycleSettings(0, 0));
  zeroPos.Confirm(1);
  EXPECT_EQ(zeroPos.d.algo.TripCycle1, 1);
  CycleModel zeroNeg(CycleSettings(0, 0));
  zeroNeg.Confirm(-1);
  EXPECT_EQ(zeroNeg.d.algo.TripCycle2, 1);
}

TEST(TorvinCycleCriterion, ZoneCountsTripBeforeTheLimit) {
  kv::TSettings s = CycleSettings(5, 5);
  s.Cycle1Slips = 1;
  s.Cycle1Mode = 1;
  s.Cycle2Slips = 2;  // held as -2
  s.Cycle2Mode = 2;

  CycleModel inside(s);
  inside.Confirm(1, inside.d.thr.Zone1X1 * 0.5f);
  EXPECT_EQ(inside.d.algo.TripCycle1, 1);
  EXPECT_EQ(inside.d.results.cells[1][3], "  1");

  CycleModel edge(s);
  edge.Confirm(1, edge.d.thr.Zone1X1);  // the zone is open
  EXPECT_FALSE(edge.d.algo.CycleTripLatch);

  kv::TSettings m3 = s;
  m3.Cycle1Mode = 3;
  CycleModel mode3(m3);
  mode3.Confirm(1, 0.5f);
  EXPECT_FALSE(mode3.d.algo.CycleTripLatch);

  CycleModel negative(s);
  negative.Confirm(-1, 0.5f);
  EXPECT_FALSE(negative.d.algo.CycleTripLatch);
  negative.Confirm(-2, 0.5f);
  EXPECT_EQ(negative.d.algo.TripCycle2, 1);
  EXPECT_EQ(negative.d.results.cells[1][1], " Цикловой 2");
}

// ---------------------------------------------------------------------------
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
  for (float i : currents) {
    In in;
    in.I = i;
    in.Uph = 100;
    h.Step(in);
  }
}

TEST(TorvinCurrentCriterion, SecondSwingTripsAtTheNinthSample) {
  Harness h(CurrentSettings(2));
  Currents(h, {0, 12, 12, 3, 3, 12, 12, 3});
  EXPECT_TRUE(h.Rows().empty());
  Currents(h, {3});
  ASSERT_EQ(h.Rows().size(), 1u);
  EXPECT_EQ(h.Rows()[0][1], " Токовый");
  EXPECT_EQ(h.Rows()[0][2], " Current");
  EXPECT_EQ(h.Rows()[0][3], "  2");
  EXPECT_NE(h.Rows()[0][0].find("160"), std::string::npos);  // 0.160 s

  auto r = h.Records();
  const float picked[] = {0, 0, 3, 3, 0, 0, 3, 3, 0};
  const float swings[] = {0, 0, 0, 0, 1, 1, 1, 1, 0};
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(r[k].v[kDirOrPicked], picked[k]) << k;
    EXPECT_EQ(r[k].v[kSlipsOrSwings], swings[k]) << k;
    EXPECT_EQ(r[k].v[kTripCycle1], k == 8 ? 7.0f : 0.0f) << k;
  }

  // Once per run: further swings neither count nor write rows.
  for (int k = 0; k < 5; ++k) Currents(h, {12, 12, 3, 3});
  EXPECT_EQ(h.Rows().size(), 1u);
  EXPECT_EQ(h.Last(kSlipsOrSwings), 0.0f);
  EXPECT_EQ(h.Last(kTripCycle1), 7.0f);
}

TEST(TorvinCurrentCriterion, SingleStepsAndMiddleCurrentsDoNotCount) {
  Harness h(CurrentSettings(1));
  Currents(h, {12, 3, 3, 12, 3, 12, 12, 7, 3, 7, 3});  // no pick-up; then a drop that never lasts
  EXPECT_EQ(h.d.algo.SwingCount, 0);
  EXPECT_TRUE(h.Rows().empty());
}

TEST(TorvinCurrentCriterion, ZeroOrNegativeLimitNeverTrips) {
  for (int limit : {0, -1}) {
    Harness h(CurrentSettings(limit, 1000));
    for (int k = 0; k < 300; ++k) Currents(h, {12, 12, 3, 3});
    EXPECT_TRUE(h.Rows().empty()) << limit;
    EXPECT_EQ(h.Last(kSlipsOrSwings), 300.0f) << limit;
    EXPECT_EQ(h.Last(kTripCycle1), 0.0f);
  }
}

TEST(TorvinCurrentCriterion, CountExpiresAfterTheWindow) {
  Harness h(CurrentSettings(2, 0.1f));
  Currents(h, {12, 12, 3, 3});
  EXPECT_EQ(h.d.algo.SwingCount, 1);
  Currents(h, {0, 0, 0, 0, 0});  // more than 0.1 s after the drop start
  EXPECT_EQ(h.d.algo.SwingCount, 0);
  Currents(h, {12, 12, 3, 3});
  EXPECT_EQ(h.d.algo.SwingCount, 1);
  EXPECT_TRUE(h.Rows().empty());
}

// ---------------------------------------------------------------------------
// APNU channels in tracking steps.

kv::TSettings ApnuSettings() {
  kv::TSettings s = BaseSettings();
  s.ApnuEnable = 1;  // also selects the criteria path
  s.Apnu1AngleSign = 1;
  s.Apnu1AngleLimit = 60;
  return s;
}

TEST(TorvinApnu, StrictlyAboveTheAngleLimit) {
  Harness h(ApnuSettings());
  h.Steps(AtAngle(60, 100), 30);
  EXPECT_EQ(h.Last(kAngle), 60.0f);
  EXPECT_TRUE(h.Rows().empty());
  EXPECT_EQ(h.Last(kApnu1), 0.0f);
  h.Step(AtAngle(60.1, 100));
  ASSERT_EQ(h.Rows().size(), 1u);
  EXPECT_EQ(h.Rows()[0][1], "   APNU1");
  EXPECT_EQ(h.Rows()[0][2], "");
  EXPECT_EQ(h.Rows()[0][3], "");
  EXPECT_EQ(h.Last(kApnu1), 9.0f);
  EXPECT_EQ(h.Last(kApnu2), 0.0f);
  h.Steps(AtAngle(80, 100), 5);
  EXPECT_EQ(h.Rows().size(), 1u);  // latched
  EXPECT_EQ(h.Last(kApnu1), 9.0f);
}

TEST(TorvinApnu, OnlyInTrackingAndBothChannelsInOneCall) {
  kv::TSettings s = ApnuSettings();
  s.Apnu1AngleSign = -1;
  s.Apnu2AngleSign = -1;
  s.Apnu2AngleLimit = 50;
  s.Apnu2PowerSign = -1;
  s.Apnu2PowerLimit = -1e9f;
  Harness h(s);
  h.Steps(AtAngle(-70, 100), 14);
  EXPECT_TRUE(h.Rows().empty());  // not yet tracking
  h.Step(AtAngle(-70, 100));      // the ninth window point starts tracking
  ASSERT_EQ(h.Rows().size(), 2u);
  EXPECT_EQ(h.Rows()[0][1], "   APNU1");
  EXPECT_EQ(h.Rows()[1][1], "   APNU2");
  EXPECT_EQ(h.Last(kApnu2), 10.0f);

  kv::TSettings none = BaseSettings();
  none.ApnuEnable = 1;
  Harness off(none);
  off.Steps(AtAngle(170, 100), 40);
  EXPECT_TRUE(off.Rows().empty());
  EXPECT_EQ(off.Last(kApnu1), 0.0f);
}

// ---------------------------------------------------------------------------
// GEN_KZ: started by a surge with a deep dip during the settling steps.

struct GenKz {
  explicit GenKz(float gain) : h([] {
    kv::TSettings s = BaseSettings();
    s.CycleEnable = 1;
    s.GenKzEnable = 1;
    return s;
  }()) {
    h.d.thr.GenReactance = 1;
    h.d.thr.GenKzGain = gain;
    h.d.thr.PowerBase = 100;
  }
  // References U0 = 100, P0 = 10010, Q0 = q0: threshold 135 degrees for q0 = 10.
  void Reference(float q0 = 10) { h.Step(In{1, 100, 10010, q0}); }
  void Fault(float pa = 10, float uph = 40) { h.Step(In{2, uph, pa, 0}); }
  Harness h;
};

TEST(TorvinGenKz, IntegratesTwiceAndTripsAboveTheThreshold) {
  GenKz g(0.25f);  // deficit 10000 x 0.02 x 0.25 = 50 per step
  g.Reference();
  g.Fault();
  EXPECT_TRUE(g.h.d.algo.GenKzStarted);
  EXPECT_EQ(g.h.d.algo.GenKzThreshold, 135.0f);
  EXPECT_EQ(g.h.d.algo.GenKzSpeed, 50.0f);
  EXPECT_EQ(g.h.d.algo.GenKzAngle, 1.0f);
  for (int k = 2; k <= 15; ++k) {
    g.Fault();
    EXPECT_EQ(g.h.d.algo.GenKzAngle, k * (k + 1) / 2.0f) << k;
  }
  EXPECT_TRUE(g.h.Rows().empty());  // 120 degrees
  g.Fault();                        // 136 > 135
  ASSERT_EQ(g.h.Rows().size(), 1u);
  EXPECT_EQ(g.h.Rows()[0][1], "   GEN_KZ");
  auto r = g.h.Records();
  ASSERT_EQ(r.size(), 17u);
  EXPECT_EQ(r[15].v[kTripAngle1], 0.0f);
  EXPECT_EQ(r[16].v[kTripAngle1], 5.0f);
  EXPECT_TRUE(g.h.d.algo.AngleTripLatch);
  g.Fault();
  EXPECT_EQ(g.h.Rows().size(), 1u);
}

TEST(TorvinGenKz, FirstCallDoesNotTest) {
  GenKz g(1000);
  g.Reference();
  g.Fault();
  EXPECT_GT(g.h.d.algo.GenKzAngle, 135.0f);
  EXPECT_TRUE(g.h.Rows().empty());
  g.Fault();
  EXPECT_EQ(g.h.Rows().size(), 1u);
}

TEST(TorvinGenKz, StartConditionsAndStop) {
  GenKz noPower(0.25f);
  noPower.Reference();
  noPower.Fault(0);  // Pa must be above 0
  EXPECT_FALSE(noPower.h.d.algo.GenKzStarted);

  GenKz shallow(0.25f);
  shallow.Reference();
  shallow.Fault(10, 55);  // a dip of 45 is not beyond half of nominal
  EXPECT_FALSE(shallow.h.d.algo.GenKzStarted);

  // Stopped in the decision step: the mode indicator keeps its value.
  GenKz stop(0.25f);
  stop.Reference();
  stop.Fault();
  stop.Fault();
  stop.Fault();
  stop.Fault();
  stop.h.Step(In{1, 100, 30, 0});  // |Pa| > 0.2 x PowerBase
  EXPECT_FALSE(stop.h.d.algo.GenKzStarted);
  EXPECT_EQ(stop.h.d.algo.Mode, 2);
  EXPECT_EQ(stop.h.Last(kModeInd), 2.0f);
  stop.h.Step(In{1, 100, 30, 0});
  EXPECT_EQ(stop.h.Last(kModeInd), 3.0f);
}

TEST(TorvinGenKz, FaultLaterInTheStepTakesBackItsRow) {
  // APNU1 trips on negative power in the step in which the GEN_KZ speed
  // outgrows float32: the run ends without that step's row or record.
  kv::TSettings s = BaseSettings();
  s.ApnuEnable = 1;
  s.Apnu1PowerSign = -1;
  s.Apnu1PowerLimit = 0;
  s.GenKzEnable = 1;
  Harness h(s);
  h.d.thr.GenReactance = 1;
  h.d.thr.GenKzGain = 1e12f;
  h.d.thr.PowerBase = 1e30f;
  h.Step(In{1, 100, 1e29f, 0});      // references
  h.Steps(In{2, 40, 1e29f, 0}, 4);   // surge and dip while settling: integration without deficit
  h.Steps(In{2, 100, 1e29f, 0}, 10); // decision and nine window points
  ASSERT_EQ(h.d.algo.Mode, 1);
  ASSERT_TRUE(h.d.algo.GenKzStarted);
  ASSERT_TRUE(h.Rows().empty());
  EXPECT_THROW(h.Step(In{2, 100, -1e29f, 0}), kv::FpError);
  EXPECT_TRUE(h.Rows().empty());
  EXPECT_EQ(h.d.results.ResultRow, 1u);
  EXPECT_EQ(h.Records().size(), 15u);
  EXPECT_EQ(h.d.SampleCount, 15);
}

TEST(TorvinGenKz, ArithmeticFaultsEndTheRunBeforeRowOrRecord) {
  GenKz zero(0.25f);
  zero.Reference(-10000);  // U0^2 + Q0 x X = 0
  EXPECT_THROW(zero.Fault(), kv::FpError);
  EXPECT_EQ(zero.h.Records().size(), 1u);

  GenKz huge(1e36f);  // the speed outgrows float32 in the second step
  huge.Reference();
  huge.Fault();
  EXPECT_THROW(huge.Fault(), kv::FpError);
  EXPECT_EQ(huge.h.Records().size(), 2u);
  EXPECT_TRUE(huge.h.Rows().empty());
}

}  // namespace
