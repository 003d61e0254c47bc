// The trace cursor: placement, stepping, re-alignment, and indices that no
// longer name a point.
#include "viewer/core/trace_cursor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using kv::TraceSeries;
using kv::TraceStep;

// A series on a grid of `step` seconds from `t0`, all points visible unless
// a visible range is given.
struct Rows {
  std::vector<std::shared_ptr<std::vector<double>>> xs;
  std::vector<TraceSeries> rows;
  std::vector<std::int32_t> idx;

  Rows& Add(std::vector<double> x, int first = 0, int last = -2) {
    auto p = std::make_shared<std::vector<double>>(std::move(x));
    xs.push_back(p);
    TraceSeries s;
    s.X = [p](int i) { return p->at(static_cast<std::size_t>(i)); };  // at(): an out-of-range read throws
    s.PointCount = static_cast<int>(p->size());
    s.FirstVisible = p->empty() ? -1 : first;
    s.LastVisible = p->empty() ? -1 : (last == -2 ? s.PointCount - 1 : last);
    rows.push_back(s);
    idx.push_back(-1);
    return *this;
  }
  Rows& Grid(double t0, double step, int n, int first = 0, int last = -2) {
    std::vector<double> x;
    for (int i = 0; i < n; ++i) x.push_back(t0 + i * step);
    return Add(std::move(x), first, last);
  }
  int Place(double t, double axisMin = 0) { return kv::PlaceTrace(rows, idx, t, axisMin); }
  int Step(TraceStep d, double axisMax = 1e9) { return kv::StepTrace(rows, idx, Time(), d, axisMax); }
  double Time() const { return kv::CursorTime(rows, idx); }
};

TEST(TracePlace, NearestVisiblePointTiesToTheLaterAndTheFirstRowWins) {
  struct Case {
    const char* what;
    double t, axisMin;
    int want;
  };
  // Points every 0.25 s (exact in binary) from 0 to 1.25.
  const Case cases[] = {
      {"halfway takes the later point", 0.625, 0, 3},
      {"nearer the earlier point", 0.6, 0, 2},
      {"nearer the later point", 0.7, 0, 3},
      {"on a point", 0.75, 0, 3},
      {"earlier point before the axis minimum", 0.6, 0.55, 3},
      {"before the first point", -1, 0, 0},
      {"after every point", 2, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rows r;
    r.Grid(0, 0.25, 6);
    const int cursor = r.Place(c.t, c.axisMin);
    EXPECT_EQ(r.idx[0], c.want);
    EXPECT_EQ(cursor, c.want < 0 ? -1 : 0);
  }
  // Two rows whose points are equally far from the click (1.0 and 0.5 from
  // 0.75): the first row is the cursor row.
  Rows two;
  two.Grid(0, 1, 5).Grid(0.5, 1, 5);
  EXPECT_EQ(two.Place(0.75), 0);
  EXPECT_EQ(two.idx, (std::vector<std::int32_t>{1, 0}));
}

TEST(TracePlace, OnlyTheVisibleRangeIsSearched) {
  Rows r;
  r.Grid(0, 0.02, 100, 10, 20);  // visible 0.2 .. 0.4
  r.Place(0.5);
  EXPECT_EQ(r.idx[0], -1);  // after every visible point
  r.Place(0.1, 0.2);
  EXPECT_EQ(r.idx[0], 10);
}

TEST(TracePlace, ClickAfterEveryLastPointLeavesNoCursor) {
  Rows r;
  r.Grid(0, 0.02, 5).Grid(0, 0.01, 9);
  r.idx = {3, 4};
  EXPECT_EQ(r.Place(1.0), -1);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{-1, -1}));
  EXPECT_EQ(r.Time(), 0);
}

TEST(TraceStep, OneGridMovesTogether) {
  Rows r;
  r.Grid(0, 0.02, 50).Grid(0, 0.02, 50).Grid(0, 0.02, 50);
  r.Place(0);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_GE(r.Step(TraceStep::Right), 0);
    EXPECT_EQ(r.idx, (std::vector<std::int32_t>{i, i, i}));
    EXPECT_NEAR(r.Time(), 0.02 * i, 1e-12);
  }
  // A left step moves one row only; the re-alignment brings the others back.
  EXPECT_EQ(r.Step(TraceStep::Left), 0);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, 2, 2}));
  EXPECT_NEAR(r.Time(), 0.04, 1e-12);
}

TEST(TraceStep, MixedGridsFollowTheCursorRow) {
  // 0.02 s grid first, 0.01 s grid second.
  Rows r;
  r.Grid(0, 0.02, 50).Grid(0, 0.01, 100);
  r.Place(0);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{0, 0}));
  // Right: both advance; the finer row (0.01) is nearest and becomes the
  // cursor row; the coarse row's 0.02 lies one whole step (0.01) later and
  // goes back to 0.
  EXPECT_EQ(r.Step(TraceStep::Right), 1);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(r.Step(TraceStep::Right), 0);  // 0.02 and 0.02: the first row wins
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{1, 2}));
  // Left from 0.02: candidates 0 (coarse) and 0.01 (fine): fine moves.
  EXPECT_EQ(r.Step(TraceStep::Left), 1);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{0, 1}));  // coarse 0.02 > 0.01 by a whole step: back to 0
  // A finer row more than 5 % of the cursor step later is moved back once
  // after a placement on the coarse row.
  Rows p;
  p.Grid(0, 0.02, 50).Grid(0.003, 0.01, 100);
  EXPECT_EQ(p.Place(0.04), 0);
  // The fine row took 0.043 (nearer than 0.033); 0.003 s after the cursor
  // is more than 5 % of 0.02 s, so it goes back to 0.033.
  EXPECT_EQ(p.idx, (std::vector<std::int32_t>{2, 3}));
}

TEST(TraceStep, AnEndingPhenomenonReadsNoneAndComesBackOnALeftStep) {
  Rows r;
  r.Grid(0, 0.02, 50).Grid(0, 0.02, 3);  // the second ends at 0.04
  r.Place(0.035);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, 2}));
  r.Step(TraceStep::Right, 0.98);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{3, -1}));  // ends before the axis maximum
  // On the last visible point with the series reaching the axis maximum: it stays.
  Rows full;
  full.Grid(0, 0.02, 3);
  full.Place(0.035);
  EXPECT_EQ(full.Step(TraceStep::Right, 0.04), -1);
  EXPECT_EQ(full.idx[0], 2);
  // Left from 0.06: candidates 0.04 (first row) and 0.04 (the ended row's
  // last point): the first row wins and the other stays none.
  r.Step(TraceStep::Left);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, -1}));
  // The next left step: 0.02 against the ended row's last point 0.04, which
  // lies on the cursor time: it comes back.
  EXPECT_EQ(r.Step(TraceStep::Left), 1);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, 2}));
}

TEST(TraceStep, NothingMovesOnTheFirstVisiblePoints) {
  Rows r;
  r.Grid(0, 0.02, 10, 2).Grid(0, 0.02, 10, 2);
  r.idx = {2, 2};
  EXPECT_EQ(r.Step(TraceStep::Left), -1);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, 2}));
}

// Indices that do not name a point read as none and are never read.
TEST(TraceFaults, StaleIndicesEmptySeriesAndTheFirstPoint) {
  Rows r;
  r.Grid(0, 0.02, 5).Add({}).Grid(0, 0.02, 3);
  r.idx = {1, 7, 40};  // the empty slot and a refilled, shorter series
  EXPECT_FALSE(kv::HasTracePoint(r.rows[1], 7));
  EXPECT_FALSE(kv::HasTracePoint(r.rows[2], 40));
  EXPECT_NEAR(r.Time(), 0.02, 1e-12);
  EXPECT_EQ(r.Step(TraceStep::Right), 0);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, 7, 40}));
  // Left: the stale row re-enters at its last point (0.04, on the cursor
  // time, nearer than 0.02); the empty row is passed over.
  EXPECT_EQ(r.Step(TraceStep::Left), 2);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{2, 7, 2}));
  EXPECT_EQ(r.Place(0.025), 0);
  EXPECT_EQ(r.idx[1], -1);

  // Index 0 never steps left, even with no visible range recorded.
  Rows z;
  z.Grid(0, 0.02, 5, -1, -1);
  z.idx = {0};
  EXPECT_EQ(z.Step(TraceStep::Left), -1);
  EXPECT_EQ(z.Step(TraceStep::Right), -1);
  EXPECT_EQ(z.idx[0], 0);
}

TEST(TraceFaults, RealignmentNeverReadsBeforeTheFirstPoint) {
  // Cursor on the first point: its step comes from the first two points.
  Rows r;
  r.Grid(0, 0.02, 5).Grid(0.0005, 0.02, 5).Grid(0.005, 0.02, 5);
  r.idx = {0, 0, 0};
  kv::RealignTrace(r.rows, r.idx, 0, 0);
  EXPECT_EQ(r.idx, (std::vector<std::int32_t>{0, 0, -1}));  // 0.0005 is within 5 % of 0.02; 0.005 is not

  // A one-point cursor series re-aligns nothing.
  Rows one;
  one.Add({0}).Grid(0.5, 0.02, 5);
  one.idx = {0, 0};
  kv::RealignTrace(one.rows, one.idx, 0, 0);
  EXPECT_EQ(one.idx, (std::vector<std::int32_t>{0, 0}));

  // Two points at one time: a zero step moves back every later point.
  Rows same;
  same.Add({0, 0.02, 0.02}).Grid(0, 0.01, 9);
  same.idx = {2, 3};
  kv::RealignTrace(same.rows, same.idx, 0, 0.02);
  EXPECT_EQ(same.idx, (std::vector<std::int32_t>{2, 2}));
}

}  // namespace
