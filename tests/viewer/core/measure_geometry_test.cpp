// Pixel rules of the measuring tools: group axes and their labels, captions,
// the time axis on the zero line, edge bands and zoom rectangles.
#include <gtest/gtest.h>

#include "viewer/core/edge_zoom.h"
#include "viewer/core/group_axes.h"

namespace {

using kv::AxisLabelOwner;
using kv::DragKind;
using kv::PlotBox;

TEST(GroupAxes, FiveGroupsStand45PixelsApart) {
  const int L = 250, W = 600;
  const int want[] = {L - 6, L - 51, L - 96, L - 141, L - 186};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(kv::GroupAxisX(L, W, -1, k), want[k]) << k;
    EXPECT_EQ(kv::LabelOwner(want[k], L, W, -1, 5), (AxisLabelOwner{AxisLabelOwner::Group, k})) << k;
  }
  // Halves go to even, as the chart places its own axis: 650 * 1 % = 6.5 -> 6.
  EXPECT_EQ(kv::GroupAxisX(0, 650, -1, 0), -6);
  EXPECT_EQ(kv::GroupAxisX(0, 750, -1, 0), -8);  // 7.5 -> 8
  EXPECT_EQ(kv::GroupAxisX(L, W, 0, 0), L);
}

TEST(GroupAxes, LabelOwnerBlanksTheCursorAndMatchesExactly) {
  const int L = 250, W = 600;
  struct Case {
    const char* what;
    int p;
    double P;
    int groups;
    AxisLabelOwner want;
  };
  const Case cases[] = {
      {"cursor line inside the plot", L + 100, -1, 3, {AxisLabelOwner::Blank, -1}},
      {"cursor on the plot edge, axis set off", L, -1, 3, {AxisLabelOwner::Blank, -1}},
      {"axis on the plot edge: the edge is group 0", L, 0, 3, {AxisLabelOwner::Group, 0}},
      {"between two axes", L - 30, -1, 3, {}},
      {"a group beyond the count", L - 96, -1, 2, {}},
      {"no group: labels unchanged", L + 100, -1, 0, {}},
      {"one pixel off the axis", L - 52, -1, 5, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(kv::LabelOwner(c.p, L, W, c.P, c.groups), c.want) << c.what;
  // A plot wider than 4,450 pixels (printing): integer division of the
  // distance by 45 would give group 1 for the first axis at L - 45.
  const int wide = 5000;
  EXPECT_EQ(kv::GroupAxisX(L, wide, -1, 0), L - 50);
  EXPECT_EQ(kv::LabelOwner(L - 50, L, wide, -1, 5), (AxisLabelOwner{AxisLabelOwner::Group, 0}));
  EXPECT_EQ(kv::LabelOwner(L - 95, L, wide, -1, 5), (AxisLabelOwner{AxisLabelOwner::Group, 1}));
}

TEST(GroupAxes, CaptionsAndTheZeroLine) {
  EXPECT_EQ(kv::GroupCaptionY(40, 400, -11, false), 18);
  EXPECT_EQ(kv::GroupCaptionY(40, 400, -11, true), 422);
  // Data from -1 to +1 on a plot 40..400: zero at 220 is 50 %.
  EXPECT_DOUBLE_EQ(*kv::ZeroLinePercent(220, 40, 400), 50);
  EXPECT_DOUBLE_EQ(*kv::ZeroLinePercent(400, 40, 400), 0);
  // A collapsed plot has no zero line to stand on.
  EXPECT_FALSE(kv::ZeroLinePercent(40, 40, 40));
  EXPECT_FALSE(kv::ZeroLinePercent(40, 41, 40));
}

TEST(GroupAxes, CaptionsTooWideForTheSpacingTakeFurtherRows) {
  // 45 pixels apart, 4 between boxes: 41 fit on one row, 86 and more need three.
  EXPECT_EQ(kv::GroupCaptionRows({40, 40, 40, 40, 40}, 4), (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(kv::GroupCaptionRows({56, 40, 46, 40}, 4), (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(kv::GroupCaptionRows({56, 40, 46, 30}, 4), (std::vector<int>{0, 1, 0, 0}));
  EXPECT_EQ(kv::GroupCaptionRows({100, 100, 100, 100, 100}, 4), (std::vector<int>{0, 1, 2, 0, 1}));
  // A wide one beside narrow ones; an empty caption takes no room.
  EXPECT_EQ(kv::GroupCaptionRows({30, 140, 30, 0, 30}, 4), (std::vector<int>{0, 1, 0, 0, 0}));
  EXPECT_TRUE(kv::GroupCaptionRows({}, 4).empty());

  // Rows 15 pixels apart; below, row 0 moves under the time labels ending at 430.
  kv::CaptionRowsGeometry g{40, 400, -11, 14, 15, 432};
  EXPECT_EQ(kv::GroupCaptionRowY(g, false, 0), 18);
  EXPECT_EQ(kv::GroupCaptionRowY(g, false, 2), -12);
  EXPECT_EQ(kv::GroupCaptionRowY(g, true, 0), 438);
  EXPECT_EQ(kv::GroupCaptionRowY(g, true, 1), 453);
  g.freeBelow = 380;  // the time axis inside the plot: two heights below it
  EXPECT_EQ(kv::GroupCaptionRowY(g, true, 0), 422);
  // The room: above T to the top of the last row's box, below to its bottom.
  EXPECT_EQ(kv::GroupCaptionRoom(g, false, 1), 28);
  EXPECT_EQ(kv::GroupCaptionRoom(g, false, 3), 58);
  EXPECT_EQ(kv::GroupCaptionRoom(g, true, 2), 29);
  EXPECT_EQ(kv::GroupCaptionRoom(g, true, 0), 0);
}

TEST(EdgeBands, VerticalEdgesFirstAndRightBottomSidesOutside) {
  const PlotBox p{100, 50, 500, 300};
  struct Case {
    int x, y;
    DragKind want;
  };
  const Case cases[] = {
      {98, 150, DragKind::LeftEdge},    {101, 150, DragKind::LeftEdge},   {102, 150, DragKind::Idle},
      {97, 150, DragKind::Idle},        {498, 150, DragKind::RightEdge},  {501, 150, DragKind::RightEdge},
      {502, 150, DragKind::Idle},       {300, 48, DragKind::TopEdge},     {300, 51, DragKind::TopEdge},
      {300, 52, DragKind::Idle},        {300, 298, DragKind::BottomEdge}, {300, 301, DragKind::BottomEdge},
      {300, 302, DragKind::Idle},       {100, 50, DragKind::LeftEdge},    {101, 299, DragKind::LeftEdge},
      {499, 51, DragKind::RightEdge},   {100, 300, DragKind::BottomEdge},  // left band ends above B
      {100, 49, DragKind::TopEdge},     {300, 150, DragKind::Idle},
  };
  for (const Case& c : cases) EXPECT_EQ(kv::EdgeAt(p, c.x, c.y), c.want) << c.x << "," << c.y;

  EXPECT_TRUE(kv::OnCursorLine(p, 200, 198, 60));
  EXPECT_TRUE(kv::OnCursorLine(p, 200, 201, 60));
  EXPECT_FALSE(kv::OnCursorLine(p, 200, 202, 60));
  EXPECT_FALSE(kv::OnCursorLine(p, 200, 200, 300));
  EXPECT_FALSE(kv::OnCursorLine(p, -1, 0, 60));

  // The axes' corner (L, B) places the trace; the right and top sides do not.
  EXPECT_TRUE(kv::PlacesTrace(p, 100, 300));
  EXPECT_TRUE(kv::PlacesTrace(p, 498, 51));
  EXPECT_FALSE(kv::PlacesTrace(p, 499, 150));
  EXPECT_FALSE(kv::PlacesTrace(p, 200, 50));
  EXPECT_FALSE(kv::PlacesTrace(p, 98, 150));
}

TEST(EdgeZoom, EachEdgeMovesToTheReleaseAndInvertedRectanglesAreDropped) {
  const PlotBox p{100, 50, 500, 300};
  EXPECT_EQ(kv::ZoomRectFor(DragKind::LeftEdge, p, 200, 999), (PlotBox{200, 50, 500, 300}));
  EXPECT_EQ(kv::ZoomRectFor(DragKind::RightEdge, p, 400, 0), (PlotBox{100, 50, 400, 300}));
  EXPECT_EQ(kv::ZoomRectFor(DragKind::TopEdge, p, 0, 120), (PlotBox{100, 120, 500, 300}));
  EXPECT_EQ(kv::ZoomRectFor(DragKind::BottomEdge, p, 0, 200), (PlotBox{100, 50, 500, 200}));
  // A release without moving: off the plot by the release's offset.
  EXPECT_EQ(kv::ZoomRectFor(DragKind::LeftEdge, p, 99, 150), (PlotBox{99, 50, 500, 300}));
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::Cursor, p, 200, 150));
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::Idle, p, 200, 150));
  // Onto or past the opposite edge: no zoom.
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::LeftEdge, p, 500, 150));
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::LeftEdge, p, 700, 150));
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::RightEdge, p, 60, 150));
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::TopEdge, p, 0, 300));
  EXPECT_FALSE(kv::ZoomRectFor(DragKind::BottomEdge, p, 0, 10));
}

}  // namespace
