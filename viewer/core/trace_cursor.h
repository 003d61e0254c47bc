#pragma once
// The trace cursor's arithmetic: placing it at a time, stepping it point by
// point and keeping the other phenomena's trace points in line with it. Works
// over a small view of each shown phenomenon, so it runs without a chart.
//
// Rows are the shown phenomena in the phenomena dialog's order; every pass
// goes in that order and the first row met wins every tie. A trace index
// names a point of its row's series, or is -1 ("none", read out as "--").
#include <cstdint>
#include <functional>
#include <span>

namespace kv {

struct TraceSeries {
  std::function<double(int)> X;  // time of point i (ascending), 0 <= i < PointCount
  int PointCount = 0;
  // Points inside the time axis range at the last drawing; -1 when none.
  int FirstVisible = -1;
  int LastVisible = -1;
};

// The index names a point of the series. Anything else (-1, or an index left
// over from a longer series that has since been refilled) means "none".
bool HasTracePoint(const TraceSeries& s, std::int32_t index);

// The largest time of a trace point over all rows, starting from 0.
double CursorTime(std::span<const TraceSeries> rows, std::span<const std::int32_t> index);

// A left click at time t: each row takes its visible point nearest t (a tie
// takes the later point; the earlier one only when it is not before
// axisMin), or none when every visible point is before t. The row whose new
// point is nearest t becomes the cursor row and the others are re-aligned
// against it. Returns the cursor row, or -1 when no row has a point.
int PlaceTrace(std::span<const TraceSeries> rows, std::span<std::int32_t> index, double t, double axisMin);

enum class TraceStep { Left, Right };

// A right click left or right of the cursor line, the cursor standing at
// time tc. Left: only the row whose previous point is nearest tc moves (a
// row without a point re-enters at its last point). Right: every row that
// can advances one point; a row on its last visible point loses its point
// when that point is before axisMax (its series ends inside the view). Then
// the others are re-aligned. Returns the cursor row, or -1 when none moved
// the cursor.
int StepTrace(std::span<const TraceSeries> rows, std::span<std::int32_t> index, double tc, TraceStep dir,
              double axisMax);

// Each row whose trace point lies after tc by more than 5 % of the cursor
// row's step goes back one point (once). The step is the time from the
// point before the cursor row's point to it, or between the first two
// points when the cursor stands on the first; with fewer than two points
// nothing is re-aligned.
void RealignTrace(std::span<const TraceSeries> rows, std::span<std::int32_t> index, int cursorRow, double tc);

}  // namespace kv
