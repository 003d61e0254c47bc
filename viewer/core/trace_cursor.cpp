#include "viewer/core/trace_cursor.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// Nearest-point searches start from this distance (seconds): a point further
// from the cursor time never becomes the cursor's.
constexpr double kFarAway = 100;
// A trace point later than the cursor time by more than this share of the
// cursor step is moved back one point.
constexpr double kRealignShare = 0.05;

// The visible range clipped to the series as it is now; false when empty.
bool VisibleRange(const TraceSeries& s, int& first, int& last) {
  if (s.FirstVisible < 0 || s.LastVisible < 0 || s.PointCount <= 0) return false;
  first = std::min(s.FirstVisible, s.PointCount - 1);
  last = std::min(s.LastVisible, s.PointCount - 1);
  return first <= last;
}

// First point of first..last later than t, or last + 1 (times ascend).
int FirstAfter(const TraceSeries& s, int first, int last, double t) {
  int lo = first, hi = last + 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (s.X(mid) > t)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

// Ends a placement or a step: the others follow the cursor row's point.
int Settle(std::span<const TraceSeries> rows, std::span<std::int32_t> index, int cursorRow) {
  if (cursorRow < 0) return -1;
  const auto r = static_cast<std::size_t>(cursorRow);
  RealignTrace(rows, index, cursorRow, rows[r].X(index[r]));
  return cursorRow;
}

}  // namespace

bool HasTracePoint(const TraceSeries& s, std::int32_t index) { return index >= 0 && index < s.PointCount; }

double CursorTime(std::span<const TraceSeries> rows, std::span<const std::int32_t> index) {
  double t = 0;
  for (std::size_t r = 0; r < rows.size() && r < index.size(); ++r)
    if (HasTracePoint(rows[r], index[r])) t = std::max(t, rows[r].X(index[r]));
  return t;
}

int PlaceTrace(std::span<const TraceSeries> rows, std::span<std::int32_t> index, double t, double axisMin) {
  const std::size_t n = std::min(rows.size(), index.size());
  for (std::size_t r = 0; r < n; ++r) {
    const TraceSeries& s = rows[r];
    index[r] = -1;
    int first, last;
    if (!VisibleRange(s, first, last)) continue;
    const int j = FirstAfter(s, first, last, t);
    if (j > last) continue;  // every visible point is at or before t
    if (j > 0) {
      const double before = s.X(j - 1);
      index[r] = s.X(j) - t > t - before && before >= axisMin ? j - 1 : j;
    } else {
      index[r] = j;
    }
  }
  int cursor = -1;
  double dist = kFarAway;
  for (std::size_t r = 0; r < n; ++r) {
    if (!HasTracePoint(rows[r], index[r])) continue;
    const double d = std::abs(t - rows[r].X(index[r]));
    if (d < dist) {
      dist = d;
      cursor = static_cast<int>(r);
    }
  }
  return Settle(rows, index, cursor);
}

int StepTrace(std::span<const TraceSeries> rows, std::span<std::int32_t> index, double tc, TraceStep dir,
              double axisMax) {
  const std::size_t n = std::min(rows.size(), index.size());
  int cursor = -1;
  double dist = kFarAway;
  auto compete = [&](std::size_t r, double x) {
    const double d = std::abs(tc - x);
    if (d < dist) {
      dist = d;
      cursor = static_cast<int>(r);
    }
  };
  if (dir == TraceStep::Left) {
    std::int32_t moveTo = -1;
    for (std::size_t r = 0; r < n; ++r) {
      const TraceSeries& s = rows[r];
      const std::int32_t k = index[r];
      std::int32_t to;
      if (HasTracePoint(s, k)) {
        if (k <= std::max(s.FirstVisible, 0)) continue;  // on its first visible point
        to = k - 1;
      } else {
        if (s.PointCount <= 0) continue;
        to = s.PointCount - 1;  // back in at the last point of the whole series
      }
      const int before = cursor;
      compete(r, s.X(to));
      if (cursor != before) moveTo = to;
    }
    if (cursor >= 0) index[static_cast<std::size_t>(cursor)] = moveTo;
  } else {
    for (std::size_t r = 0; r < n; ++r) {
      const TraceSeries& s = rows[r];
      const std::int32_t k = index[r];
      int first, last;
      if (!HasTracePoint(s, k) || !VisibleRange(s, first, last)) continue;
      if (k < last) {
        index[r] = k + 1;
        compete(r, s.X(k + 1));
      } else if (s.X(last) < axisMax) {
        index[r] = -1;  // its series ends inside the view
      }
    }
  }
  return Settle(rows, index, cursor);
}

void RealignTrace(std::span<const TraceSeries> rows, std::span<std::int32_t> index, int cursorRow, double tc) {
  const std::size_t n = std::min(rows.size(), index.size());
  if (cursorRow < 0 || static_cast<std::size_t>(cursorRow) >= n) return;
  const TraceSeries& c = rows[static_cast<std::size_t>(cursorRow)];
  const std::int32_t k = index[static_cast<std::size_t>(cursorRow)];
  if (!HasTracePoint(c, k) || c.PointCount < 2) return;
  const double step = k >= 1 ? c.X(k) - c.X(k - 1) : c.X(1) - c.X(0);
  // Compared without dividing: a zero step (two points at one time) then
  // moves back every point later than the cursor.
  const double tolerance = kRealignShare * std::abs(step);
  for (std::size_t r = 0; r < n; ++r) {
    if (!HasTracePoint(rows[r], index[r])) continue;
    const double x = rows[r].X(index[r]);
    if (x > tc && x - tc > tolerance) index[r] -= 1;
  }
}

}  // namespace kv
