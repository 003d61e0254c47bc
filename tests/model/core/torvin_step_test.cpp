// Whole runs of the per-sample step on small hand-made transients: modes,
// settling, disturbances, slip detection and confirmation, the 30 s reset,
// the records and the program-start state of every run.
#include <gtest/gtest.h>

#include "torvin_harness.h"

namespace {

using namespace torvin_test;

kv::TSettings CriteriaPath() {
  kv::TSettings s = BaseSettings();
  s.CycleEnable = 1;
  return s;
}

TEST(TorvinStep, SettlingThenWindowFillingThenTracking) {
  Harness h(CriteriaPath());
  h.Steps(AtAngle(30, 100), 20);
  auto r = h.Records();
  ASSERT_EQ(r.size(), 20u);
  EXPECT_EQ(h.d.SampleCount, 20);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(r[k].v[kModeInd], 2.0f) << k;  // settling: state 3
  for (int k = 5; k < 14; ++k) EXPECT_EQ(r[k].v[kModeInd], 3.0f) << k;  // decision, then 8 window points
  for (int k = 14; k < 20; ++k) EXPECT_EQ(r[k].v[kModeInd], 0.0f) << k;  // ninth point: tracking
  EXPECT_EQ(h.d.algo.Mode, 1);

  // Inputs and measured values in their channels.
  const In in = AtAngle(30, 100);
  EXPECT_EQ(r[0].v[kI], in.I);
  EXPECT_FLOAT_EQ(r[0].v[kUline], 173.2051f);
  EXPECT_FLOAT_EQ(r[0].v[kP3], in.Pa * 3);
  EXPECT_FLOAT_EQ(r[0].v[kQ3], in.Qa * 3);
  EXPECT_EQ(r[0].v[kAngle], 30.0f);
  EXPECT_EQ(r[0].v[kXeck], h.d.algo.Xeck);
  EXPECT_FLOAT_EQ(r[0].v[kUxLine], h.d.algo.U * 1.732051f);

  // The next run settles again: every run starts from program start.
  h.StartRun(CriteriaPath());
  h.Steps(AtAngle(30, 100), 6);
  r = h.Records();
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[4].v[kModeInd], 2.0f);
  EXPECT_EQ(r[5].v[kModeInd], 3.0f);
}

TEST(TorvinStep, CurrentOnlyRunShowsProgramStartValues) {
  Harness h(CriteriaPath());
  h.Steps(AtAngle(30, 100), 20);
  ASSERT_NE(h.Last(kAngle), 0.0f);

  kv::TSettings s = BaseSettings();  // angle, cycle and APNU criteria off
  s.CurrentPickup = 50;
  s.CurrentDropout = 20;
  s.SwingLimit = 5;
  s.SwingWindow = 10;
  h.StartRun(s);
  h.Steps(AtAngle(60, 100), 3);
  auto r = h.Records();
  ASSERT_EQ(r.size(), 3u);
  for (int ch : {kAngle, kModeInd, kXeck, kUxLine}) EXPECT_EQ(r[2].v[ch], 0.0f) << ch;
  EXPECT_EQ(r[0].v[kDirOrPicked], 0.0f);
  EXPECT_EQ(r[1].v[kDirOrPicked], 3.0f);  // picked up after two steps at 100 >= 50
  EXPECT_EQ(r[2].v[kI], 100.0f);
  EXPECT_FLOAT_EQ(r[2].v[kUline], 173.2051f);
}

// Mode 1 at 150 degrees, then the voltage lowered slowly (no disturbance) to
// 10 % of nominal, where the angle may slip.
Harness& IntoLowVoltageTracking(Harness& h) {
  h.Steps(AtAngle(150, 100), 16);
  for (float u = 97; u >= 10; u -= 3) h.Step(AtAngle(150, u));
  h.Step(AtAngle(150, 10));
  EXPECT_EQ(h.d.algo.Mode, 1);
  return h;
}

TEST(TorvinStep, SlipIsConfirmedOnlyWithinMinus40ToZero) {
  Harness h(CriteriaPath());
  IntoLowVoltageTracking(h);
  for (double a : {160.0, 170.0, 175.0}) h.Step(AtAngle(a, 10));
  EXPECT_EQ(h.d.algo.SlipPending, 0);

  h.Step(AtAngle(-178, 10));
  const double detectTime = h.d.SampleTime;
  EXPECT_EQ(h.d.algo.SlipPending, 1);
  EXPECT_EQ(h.d.algo.SlipOffset, 360.0f);
  EXPECT_EQ(h.d.algo.AngleWindow[8], 182.0f);
  EXPECT_EQ(h.d.algo.SlipCount, 0);

  h.Step(AtAngle(-120, 10));
  EXPECT_EQ(h.d.algo.AngleWindow[8], 182.0f);  // held while the slip is pending
  h.Step(AtAngle(-40, 10));                    // -40 itself is outside (-40, 0)
  h.Step(AtAngle(0, 10));                      // and so is 0
  EXPECT_EQ(h.d.algo.SlipCount, 0);
  EXPECT_EQ(h.Last(kSlipsOrSwings), 0.0f);
  h.Step(AtAngle(-39.9, 10));
  EXPECT_EQ(h.d.algo.SlipCount, 1);
  EXPECT_EQ(h.d.algo.SlipPending, 0);
  EXPECT_EQ(h.d.algo.SlipOffset, 0.0f);
  EXPECT_EQ(h.Last(kSlipsOrSwings), 1.0f);
  EXPECT_TRUE(h.Rows().empty());  // limits far away, zones not asked for

  // 30 s after the detection without another one the count returns to 0.
  std::vector<double> times;
  for (int k = 0; k < 1600; ++k) {
    times.push_back(h.time());
    h.Step(AtAngle(-39.9, 10));
  }
  auto r = h.Records();
  const std::size_t base = r.size() - times.size();
  const float slipTime = static_cast<float>(detectTime);
  EXPECT_EQ(r[base].v[kSlipsOrSwings], 1.0f);
  EXPECT_EQ(r.back().v[kSlipsOrSwings], 0.0f);
  for (std::size_t k = 0; k < times.size(); ++k) {
    const bool expired = static_cast<long double>(times[k]) - slipTime > 30;
    EXPECT_EQ(r[base + k].v[kSlipsOrSwings], expired ? 0.0f : 1.0f) << times[k];
  }
}

TEST(TorvinStep, ConfirmedSlipAtTheLimitTripsTheCycleCriterion) {
  kv::TSettings s = CriteriaPath();
  s.MaxSlipsPos = 1;
  Harness h(s);
  IntoLowVoltageTracking(h);
  for (double a : {160.0, 175.0, -178.0, -100.0, -30.0}) h.Step(AtAngle(a, 10));
  ASSERT_EQ(h.Rows().size(), 1u);
  EXPECT_EQ(h.Rows()[0][1], " Цикловой 1");
  EXPECT_EQ(h.Rows()[0][2], " Prov");
  EXPECT_EQ(h.Rows()[0][3], "  1");
  EXPECT_EQ(h.Last(kTripCycle1), 7.0f);

  // Latched: a further slip stays pending and the flag stays up.
  for (double a : {60.0, 120.0, 175.0, -178.0, -100.0, -30.0, -10.0}) h.Step(AtAngle(a, 10));
  EXPECT_EQ(h.d.algo.SlipCount, 1);
  EXPECT_EQ(h.d.algo.SlipPending, 1);
  EXPECT_EQ(h.Rows().size(), 1u);
  EXPECT_EQ(h.Last(kTripCycle1), 7.0f);
}

TEST(TorvinStep, OneDisturbanceStepIsBridgedTwoReset) {
  Harness h(CriteriaPath());
  h.Steps(AtAngle(30, 100), 20);
  h.Step(AtAngle(40, 85));  // sudden drop of 15 % of nominal: one disturbance step
  EXPECT_EQ(h.d.algo.DisturbSeen, 1.0f);
  EXPECT_EQ(h.d.algo.PrevAngle, 30.0f);  // not taken from a disturbance step
  h.Step(AtAngle(32, 100));
  EXPECT_EQ(h.d.algo.DisturbSeen, 0.0f);
  EXPECT_EQ(h.d.algo.AngleWindow[6], 30.0f);
  EXPECT_EQ(h.d.algo.AngleWindow[7], 31.0f);  // the skipped point bridged
  EXPECT_EQ(h.d.algo.AngleWindow[8], 32.0f);
  EXPECT_EQ(h.Last(kModeInd), 0.0f);

  h.Steps(AtAngle(30, 100), 5);
  h.Step(AtAngle(30, 45));
  EXPECT_EQ(h.d.algo.Mode, 1);
  h.Step(AtAngle(30, 45));  // the second deep drop in a row restarts
  EXPECT_EQ(h.d.algo.Mode, 0);
  EXPECT_EQ(h.Last(kModeInd), 2.0f);
}

TEST(TorvinStep, DeepDipWaitingResetsAndShallowDipHoldsOneStep) {
  Harness h(CriteriaPath());
  h.Steps(AtAngle(30, 100), 5);   // settling
  h.Step(AtAngle(30, 15));        // below 0.2 of nominal, Xeck in the band: state 3
  EXPECT_EQ(h.d.algo.StateCode, 3);
  EXPECT_EQ(h.d.algo.Mode, 0);
  h.Step(AtAngle(30, 40));        // between 0.2 and 0.5: state 5 keeps waiting
  EXPECT_EQ(h.d.algo.StateCode, 5);
  EXPECT_EQ(h.d.algo.Mode, 0);
  h.Step(AtAngle(30, 40));        // 5 cannot follow 5: the windows start filling
  EXPECT_EQ(h.d.algo.StateCode, 0);
  EXPECT_EQ(h.d.algo.Mode, 2);
}

TEST(TorvinStep, SameInputsGiveByteIdenticalRecords) {
  kv::TSettings s = CriteriaPath();
  s.AngleEnable = 1;
  s.ApnuEnable = 1;
  s.Apnu1AngleSign = 1;
  s.Apnu1AngleLimit = 170;
  s.MaxSlipsPos = 2;
  auto run = [&](Harness& h) {
    IntoLowVoltageTracking(h);
    for (int k = 0; k < 300; ++k) h.Step(AtAngle(std::remainder(150.0 + 7.3 * k, 360.0), 10));
    return h.Bytes();
  };
  Harness a(s);
  const std::string first = run(a);
  a.StartRun(s);
  const std::string second = run(a);
  Harness b(s);
  EXPECT_EQ(first.size(), 64u * a.d.SampleCount);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, run(b));
}

}  // namespace
