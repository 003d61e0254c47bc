// Whole runs of the per-sample step on small hand-made transients: modes,
// settling, disturbances, slip detection and confirmation, the 30 s reset,
// the records and the program-start state of every run.
#include <gtest/gtest.h>

#include <vector>

#include "torvin_harness.h"

namespace {

using namespace torvin_test;

kv::TSettings CriteriaPath() {
  kv::TSettings s = BaseSettings();
  s.CycleEnable = 1;
  return s;
}

TEST(TorvinStep, SettlingWindowFillingTrackingAndEveryRunFromProgramStart) {
  Harness h(CriteriaPath());
  h.Steps(AtAngle(30, 100), 20);
  // Five settling steps (state 3), the decision and 8 window points, then
  // the ninth point starts tracking.
  EXPECT_EQ(h.Channel(kModeInd), (std::vector<float>{2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(h.Channel(kI)[0], 100.0f);
  EXPECT_FLOAT_EQ(h.Channel(kUline)[0], 173.2051f);
  EXPECT_FLOAT_EQ(h.Channel(kP3)[0], AtAngle(30, 100).Pa * 3);
  EXPECT_EQ(h.Channel(kAngle)[0], 30.0f);

  // The next run settles again.
  h.StartRun(CriteriaPath());
  h.Steps(AtAngle(30, 100), 6);
  EXPECT_EQ(h.Channel(kModeInd), (std::vector<float>{2, 2, 2, 2, 2, 3}));

  // A current-only run after it shows the program-start values.
  kv::TSettings s = BaseSettings();
  s.CurrentPickup = 50;
  s.CurrentDropout = 20;
  s.SwingLimit = 5;
  s.SwingWindow = 10;
  h.StartRun(s);
  h.Steps(AtAngle(60, 100), 3);
  for (int ch : {kAngle, kModeInd, kXeck, kUxLine}) EXPECT_EQ(h.Channel(ch), std::vector<float>(3, 0.0f)) << ch;
  EXPECT_EQ(h.Channel(kDirOrPicked), (std::vector<float>{0, 3, 3}));  // picked up after two steps
}

TEST(TorvinStep, DisturbancesAndDips) {
  Harness h(CriteriaPath());
  h.Steps(AtAngle(30, 100), 20);
  h.Step(AtAngle(40, 85));  // sudden drop of 15 % of nominal: one disturbance step
  EXPECT_EQ(h.d.algo.PrevAngle, 30.0f);  // not taken from a disturbance step
  h.Step(AtAngle(32, 100));
  const float* window = h.d.algo.AngleWindow;
  EXPECT_EQ(std::vector<float>(window + 6, window + 9), (std::vector<float>{30, 31, 32}));  // the skipped point bridged
  EXPECT_EQ(h.Last(kModeInd), 0.0f);
  h.Steps(AtAngle(30, 100), 5);
  h.Step(AtAngle(30, 45));
  EXPECT_EQ(h.d.algo.Mode, 1);
  h.Step(AtAngle(30, 45));  // the second deep drop in a row restarts
  EXPECT_EQ(h.d.algo.Mode, 0);
  EXPECT_EQ(h.Last(kModeInd), 2.0f);

  // While settling: a dip below 0.2 of nominal waits (state 3), one between
  // 0.2 and 0.5 waits one step (state 5), which cannot follow itself.
  Harness w(CriteriaPath());
  w.Steps(AtAngle(30, 100), 5);
  const std::pair<float, int> dips[] = {{15, 3}, {40, 5}, {40, 0}};
  for (auto [u, state] : dips) {
    w.Step(AtAngle(30, u));
    EXPECT_EQ(w.d.algo.StateCode, state) << u;
    EXPECT_EQ(w.d.algo.Mode, state ? 0 : 2) << u;
  }
}

// Mode 1 at 150 degrees, then the voltage lowered slowly (no disturbance) to
// 10 % of nominal, where the angle may slip.
void IntoLowVoltageTracking(Harness& h) {
  h.Steps(AtAngle(150, 100), 16);
  for (float u = 97; u >= 10; u -= 3) h.Step(AtAngle(150, u));
  h.Step(AtAngle(150, 10));
  EXPECT_EQ(h.d.algo.Mode, 1);
}

TEST(TorvinStep, SlipIsConfirmedOnlyWithinMinus40ToZeroAndForgottenAfter30s) {
  Harness h(CriteriaPath());
  IntoLowVoltageTracking(h);
  for (double a : {160.0, 170.0, 175.0}) h.Step(AtAngle(a, 10));
  EXPECT_EQ(h.d.algo.SlipPending, 0);

  const double detected = h.time();
  h.Step(AtAngle(-178, 10));
  EXPECT_EQ(h.d.algo.SlipPending, 1);
  EXPECT_EQ(h.d.algo.AngleWindow[8], 182.0f);
  h.Step(AtAngle(-120, 10));
  EXPECT_EQ(h.d.algo.AngleWindow[8], 182.0f);  // held while the slip is pending
  h.Step(AtAngle(-40, 10));                    // -40 itself is outside (-40, 0)
  h.Step(AtAngle(0, 10));                      // and so is 0
  EXPECT_EQ(h.Last(kSlipsOrSwings), 0.0f);
  h.Step(AtAngle(-39.9, 10));
  EXPECT_EQ(h.d.algo.SlipCount, 1);
  EXPECT_EQ(h.d.algo.SlipPending, 0);
  EXPECT_EQ(h.d.algo.SlipOffset, 0.0f);
  EXPECT_EQ(h.Last(kSlipsOrSwings), 1.0f);
  EXPECT_EQ(h.Rows(), "");  // limits far away, zones not asked for

  // 30 s after the detection without another one the count returns to 0.
  double forgotten = 0;
  while (h.d.algo.SlipCount != 0 && h.time() < 60) {
    forgotten = h.time();
    h.Step(AtAngle(-39.9, 10));
  }
  EXPECT_NEAR(forgotten - detected, 30.0, 0.021);
  EXPECT_EQ(h.Last(kSlipsOrSwings), 0.0f);
}

TEST(TorvinStep, SameInputsGiveByteIdenticalRecords) {
  kv::TSettings s = CriteriaPath();
  s.AngleEnable = s.ApnuEnable = s.Apnu1AngleSign = 1;
  s.Apnu1AngleLimit = 170;
  s.MaxSlipsPos = 2;
  auto run = [&](Harness& h) {
    IntoLowVoltageTracking(h);
    for (int k = 0; k < 300; ++k) h.Step(AtAngle(std::remainder(150.0 + 7.3 * k, 360.0), 10));
    return h.Bytes();
  };
  Harness a(s), b(s);
  const std::string first = run(a);
  a.StartRun(s);
  EXPECT_EQ(first.size(), 64u * 347);
  EXPECT_EQ(run(a), first);
  EXPECT_EQ(run(b), first);
}

}  // namespace
