// Chart slots and type groups: spans, bases, limits and the rewriting of
// plotted values as slots join and leave, with the numbers a user reads off
// the group axes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake_slot_series.h"
#include "viewer/core/type_groups.h"

namespace {

using kv::GraphState;

constexpr double kEps = 1e-9;

struct TenthsCase {
  double v, x, floor, ceil;
};

TEST(Tenths, StepToTheLimitsOfAValueInTenthsOfTheSpan) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (const TenthsCase& c : {TenthsCase{44, 50, 0.8, 0.9}, TenthsCase{-31, 50, -0.7, -0.6}, TenthsCase{0, 50, 0, 0},
                              TenthsCase{7.3, 10, 0.7, 0.8}, TenthsCase{-7.3, 10, -0.8, -0.7},
                              TenthsCase{0.77, 1, 0.7, 0.8}, TenthsCase{-0.07, 1, -0.1, 0},
                              // Degenerate input never loops: 0 for what has no limits.
                              TenthsCase{inf, 1, 0, 0}, TenthsCase{-inf, 1, 0, 0}, TenthsCase{nan, 1, 0, 0},
                              TenthsCase{5, 0, 0, 0}, TenthsCase{5, -1, 0, 0}, TenthsCase{5, nan, 0, 0},
                              // Far beyond any span the limits are computed, not stepped.
                              TenthsCase{1e300, 1, 1e300, 1e300}}) {
    EXPECT_NEAR(kv::FloorToTenths(c.v, c.x), c.floor, std::fabs(c.floor) * 1e-12 + kEps) << c.v << " / " << c.x;
    EXPECT_NEAR(kv::CeilToTenths(c.v, c.x), c.ceil, std::fabs(c.ceil) * 1e-12 + kEps) << c.v << " / " << c.x;
  }
}

TEST(Tenths, SlotScaleTakesTheLargerMagnitudeUpTheLadder) {
  EXPECT_EQ(kv::SlotScale(-31, 44), 50);
  EXPECT_EQ(kv::SlotScale(-120, 44), 150);
  EXPECT_EQ(kv::SlotScale(0, 0), 0.1);
  EXPECT_EQ(kv::SlotScale(-0.0, 0), 0.1);
}

class Groups : public ::testing::Test {
 protected:
  // Slot q takes a phenomenon of `type` with these physical values at
  // times 0, 0.02, ... as adding does, and joins its group.
  int Add(int q, std::uint8_t type, std::vector<double> values, const std::string& caption = "") {
    kvtest::FakeSlot& s = slots.slot[q];
    s.ClearPoints();
    for (std::size_t i = 0; i < values.size(); ++i) s.AddXY(0.02 * static_cast<double>(i), values[i]);
    kv::TSeriesRec& r = g.SeriesRecs[static_cast<std::size_t>(q)];
    r.TypeCode = type;
    r.MaxY = s.SeriesMaxY();
    r.MinY = s.SeriesMinY();
    r.Scale = kv::SlotScale(r.MinY, r.MaxY);
    r.Offset = 0;
    s.SetActive(true);
    g.FSlotOfRow[static_cast<std::size_t>(g.FShownRows++)] = static_cast<std::uint8_t>(q);
    return kv::JoinTypeGroup(g, slots.set, q, caption);
  }
  void Remove(int q) {
    slots.slot[q].ClearPoints();
    slots.slot[q].SetActive(false);
    kv::LeaveTypeGroup(g, slots.set, q);
  }
  double Y(int q, std::size_t i) const { return slots.slot[q].xy.at(i).second; }
  const kv::TTypeGroupRec& G(int k) const { return g.TypeGroups[static_cast<std::size_t>(k)]; }
  // Physical value of point i of slot q read back through its record.
  double Physical(int q, std::size_t i) const {
    const kv::TSeriesRec& r = g.SeriesRecs[static_cast<std::size_t>(q)];
    return Y(q, i) * r.Scale + r.Offset;
  }
  void ExpectLimits(int k, double mn, double mx) const {
    EXPECT_NEAR(G(k).Min, mn, kEps) << "group " << k;
    EXPECT_NEAR(G(k).Max, mx, kEps) << "group " << k;
  }

  GraphState g;
  kvtest::FakeSlots slots;
};

TEST_F(Groups, FirstPhenomenonCreatesItsGroup) {
  EXPECT_EQ(Add(0, 3, {-31, 0, 44}, "U,kV"), 0);
  EXPECT_EQ(g.TypeGroupCount, 1);
  EXPECT_EQ(G(0).Span, 50);
  EXPECT_EQ(G(0).Base, 0);
  ExpectLimits(0, -0.7, 0.9);
  EXPECT_EQ(G(0).Caption, "U,kV");
  EXPECT_EQ(G(0).Slots, std::vector<std::uint8_t>{0});
  EXPECT_NEAR(Y(0, 0), -0.62, kEps);
  EXPECT_NEAR(Y(0, 2), 0.88, kEps);

  const kv::ChartAxesSettings a = kv::AxesAfterAdding(g, slots.set);
  EXPECT_TRUE(a.fixLeft);
  EXPECT_NEAR(a.leftMin, -0.7, kEps);
  EXPECT_NEAR(a.leftMax, 0.9, kEps);
  EXPECT_EQ(a.marginLeft, 6);
  EXPECT_TRUE(a.setIncrement);
  EXPECT_DOUBLE_EQ(a.increment, 0.005);  // RoundMaximum(0.04 / 10)
}

TEST_F(Groups, ASmallerPhenomenonJoinsUnscaledALargerOneRescalesTheGroup) {
  Add(0, 3, {-31, 0, 44});
  Add(1, 3, {-20, 5, 20});
  EXPECT_EQ(G(0).Span, 50);
  ExpectLimits(0, -0.7, 0.9);
  EXPECT_NEAR(Y(1, 0), -0.4, kEps);
  EXPECT_EQ(g.SeriesRecs[1].Scale, 50);

  // 0..110 needs a span of 150: both earlier series are rewritten.
  Add(2, 3, {0, 60, 110});
  EXPECT_EQ(G(0).Span, 150);
  EXPECT_EQ(G(0).Base, 0);
  ExpectLimits(0, -0.3, 0.8);
  EXPECT_EQ(G(0).Slots, (std::vector<std::uint8_t>{0, 1, 2}));
  for (int q = 0; q < 3; ++q) EXPECT_EQ(g.SeriesRecs[static_cast<std::size_t>(q)].Scale, 150) << q;
  EXPECT_NEAR(Y(0, 2), 44.0 / 150, kEps);
  EXPECT_NEAR(Y(1, 0), -20.0 / 150, kEps);
  EXPECT_NEAR(Y(2, 2), 110.0 / 150, kEps);
  EXPECT_NEAR(Physical(0, 0), -31, kEps);

  // An equal scale rescales too (to the same span).
  Add(3, 3, {140});
  EXPECT_EQ(G(0).Span, 150);
  ExpectLimits(0, -0.3, 1.0);
}

TEST_F(Groups, ANewTypeMakesASecondGroupAndTheLeftAxisSpansAllWithZero) {
  Add(0, 1, {2, 7});
  kv::ChartAxesSettings a = kv::AxesAfterAdding(g, slots.set);
  ExpectLimits(0, 0.2, 1.0);
  EXPECT_NEAR(a.leftMin, 0, kEps);  // 0 is always in the range after adding
  EXPECT_NEAR(a.leftMax, 1.0, kEps);

  EXPECT_EQ(Add(1, 3, {-31, 44}), 1);
  EXPECT_EQ(g.TypeGroupCount, 2);
  a = kv::AxesAfterAdding(g, slots.set);
  EXPECT_NEAR(a.leftMin, -0.7, kEps);
  EXPECT_NEAR(a.leftMax, 1.0, kEps);
  EXPECT_EQ(a.marginLeft, 12);

  for (int q = 2; q < 5; ++q) Add(q, static_cast<std::uint8_t>(10 + q), {1});
  EXPECT_EQ(kv::AxesAfterAdding(g, slots.set).marginLeft, 30);
}

TEST_F(Groups, RemovalRebasesWhatRemains) {
  Add(0, 3, {8.93, 9.5, 9.77});
  Add(1, 3, {0, 50});
  Remove(1);
  EXPECT_EQ(G(0).Slots, std::vector<std::uint8_t>{0});
  EXPECT_DOUBLE_EQ(G(0).Base, 9);
  EXPECT_EQ(G(0).Span, 1);
  ExpectLimits(0, -0.1, 0.8);
  EXPECT_NEAR(Y(0, 0), -0.07, 1e-6);
  EXPECT_NEAR(Physical(0, 2), 9.77, 1e-6);
  const kv::ChartAxesSettings a = kv::AxesAfterRemoval(g);
  EXPECT_NEAR(a.leftMin, -0.1, kEps);  // 0 is not forced after a removal
  EXPECT_NEAR(a.leftMax, 0.8, kEps);
  EXPECT_FALSE(a.setIncrement);

  // A group with a positive base is always rescaled when a slot joins.
  Add(1, 3, {0, 0.5});
  EXPECT_EQ(G(0).Base, 0);
  EXPECT_NEAR(Physical(0, 2), 9.77, 1e-6);
  EXPECT_NEAR(Physical(1, 1), 0.5, 1e-9);
}

TEST_F(Groups, ANegativeBaseKeepsASmallerNewcomerUnscaled) {
  Add(0, 3, {-31, 44});
  Add(1, 3, {-300, 300});
  Remove(1);
  EXPECT_EQ(G(0).Base, -50);
  EXPECT_EQ(G(0).Span, 100);
  ExpectLimits(0, 0.1, 1.0);

  Add(2, 3, {-20, 20});
  EXPECT_EQ(G(0).Base, -50);
  EXPECT_NEAR(Y(2, 0), 0.3, kEps);
  EXPECT_NEAR(Y(2, 1), 0.7, kEps);
  EXPECT_NEAR(g.SeriesRecs[2].MinY, 30, kEps);
  EXPECT_NEAR(g.SeriesRecs[2].MaxY, 70, kEps);
  ExpectLimits(0, 0.1, 1.0);
}

TEST_F(Groups, AnEmptiedGroupIsReplacedByTheLast) {
  Add(0, 1, {1}, "P,MW");
  Add(1, 2, {1}, "Angle,deg");
  Add(2, 3, {1}, "U,kV");
  Remove(0);
  EXPECT_EQ(g.TypeGroupCount, 2);
  EXPECT_EQ(G(0).TypeCode, 3);
  EXPECT_EQ(G(0).Caption, "U,kV");
  EXPECT_EQ(G(0).Slots, std::vector<std::uint8_t>{2});
  EXPECT_EQ(G(1).TypeCode, 2);
  Remove(1);
  Remove(2);
  EXPECT_EQ(g.TypeGroupCount, 0);
  const kv::ChartAxesSettings a = kv::AxesAfterRemoval(g);
  EXPECT_FALSE(a.fixLeft);
  EXPECT_EQ(a.marginLeft, 3);
}

// Constant, single-point, zero and NaN data get a span of 0.1 (or, for the
// time increment, keep what there was) and never hang.
TEST_F(Groups, DegenerateDataGetASpanOfOneTenth) {
  const double nan = std::nan("");
  Add(0, 1, {0, 0, 0});
  EXPECT_EQ(G(0).Span, 0.1);
  ExpectLimits(0, 0, 0);
  Add(1, 2, {nan, nan});
  EXPECT_EQ(G(1).Span, 0.1);
  EXPECT_TRUE(std::isnan(Y(1, 0)));
  Add(2, 4, {-5, -5});
  EXPECT_EQ(G(2).Span, 5);

  // Constant positive data re-based: the rounded base may sit above them.
  Add(3, 5, {5.3, 5.3});
  Add(4, 5, {100});
  Remove(4);
  EXPECT_DOUBLE_EQ(G(3).Base, 5.3);
  EXPECT_EQ(G(3).Span, 0.1);
  EXPECT_NEAR(Physical(3, 0), 5.3, 1e-9);
  Add(5, 4, {-5});
  Add(6, 4, {-5, -5});
  Remove(5);
  EXPECT_EQ(G(2).Base, -5);
  EXPECT_EQ(G(2).Span, 0.1);

  // A record of one point has no time span: the increment is kept.
  GraphState one;
  kvtest::FakeSlots s;
  s.slot[0].AddXY(0, 1);
  one.SeriesRecs[0].Scale = 1;
  one.SeriesRecs[0].MaxY = 1;
  one.FSlotOfRow[0] = 0;
  one.FShownRows = 1;
  kv::JoinTypeGroup(one, s.set, 0, "");
  EXPECT_FALSE(kv::AxesAfterAdding(one, s.set).setIncrement);
}

}  // namespace
