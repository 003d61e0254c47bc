#include "viewer/core/type_groups.h"

#include <algorithm>
#include <cmath>

#include "viewer/core/round_maximum.h"

namespace kv {

namespace {

// Beyond this many tenths the stepping would take too long; the limit is
// then computed directly (no series of the viewer comes near it).
constexpr double kMaxSteps = 1e6;

bool Usable(double V, double X) { return std::isfinite(V) && std::isfinite(X) && X > 0; }

// RoundMaximum(x), or 0.1 when x has no ladder value (0, negative, not finite).
double SpanOf(double x) { return RoundMaximum(x) ? x : 0.1; }

SlotSeries& SeriesOf(const SlotSeriesSet& series, int slot) { return *series[static_cast<std::size_t>(slot)]; }

// Group limits widened to take in a slot's extremes (relative to the base).
void Widen(TTypeGroupRec& grp, const TSeriesRec& s) {
  if (s.MaxY / grp.Span > grp.Max) grp.Max = CeilToTenths(s.MaxY, grp.Span);
  if (s.MinY / grp.Span < grp.Min) grp.Min = FloorToTenths(s.MinY, grp.Span);
}

// The slot takes the group's span and base as they are.
void JoinUnscaled(TTypeGroupRec& grp, TSeriesRec& s, SlotSeries& series) {
  s.Scale = grp.Span;
  s.Offset = grp.Base;
  s.MinY -= grp.Base;
  s.MaxY -= grp.Base;
  series.TransformY(1, -grp.Base, grp.Span);
  Widen(grp, s);
}

// The group gets a span that holds the newcomer and its old limits; its
// slots are brought back to base 0 and rewritten.
void JoinRescaled(GraphState& g, const SlotSeriesSet& series, TTypeGroupRec& grp, int q) {
  TSeriesRec& s = g.SeriesRecs[static_cast<std::size_t>(q)];
  const double span = SpanOf(std::max({std::fabs(s.MinY), std::fabs(s.MaxY), std::fabs(grp.Max * grp.Span),
                                       std::fabs(grp.Min * grp.Span)}));
  s.Scale = span;
  grp.Base = 0;
  grp.Span = span;
  grp.Max = CeilToTenths(s.MaxY, span);
  grp.Min = FloorToTenths(s.MinY, span);
  for (std::uint8_t c : grp.Slots) {
    TSeriesRec& r = g.SeriesRecs[c];
    SeriesOf(series, c).TransformY(r.Scale, r.Offset, span);
    r.MaxY += r.Offset;
    r.MinY += r.Offset;
    r.Scale = span;
    r.Offset = 0;
    Widen(grp, r);
  }
  SeriesOf(series, q).TransformY(1, 0, span);
}

// What remains of a group after a removal is given a base near its lowest
// value and a span from there to its highest.
void Rebase(GraphState& g, const SlotSeriesSet& series, TTypeGroupRec& grp) {
  const TSeriesRec& first = g.SeriesRecs[grp.Slots.front()];
  double hi = first.MaxY + first.Offset, lo = first.MinY + first.Offset;
  for (std::uint8_t c : grp.Slots) {
    const TSeriesRec& r = g.SeriesRecs[c];
    hi = std::max(hi, r.MaxY + r.Offset);
    lo = std::min(lo, r.MinY + r.Offset);
  }
  const double provisional = SpanOf(hi - lo);
  double base = 0;
  if (lo > 0) {
    base = std::nearbyint(lo / provisional) * provisional;  // halves to even
  } else if (lo < 0) {
    base = -SpanOf(-lo);
  }
  // Constant positive data can round the base just above them: 0.1 then.
  const double span = SpanOf(hi - base);
  grp.Base = base;
  grp.Span = span;
  for (std::uint8_t c : grp.Slots) {
    TSeriesRec& r = g.SeriesRecs[c];
    SeriesOf(series, c).TransformY(r.Scale, r.Offset - base, span);
    r.MaxY += r.Offset - base;
    r.MinY += r.Offset - base;
    r.Offset = base;
    r.Scale = span;
  }
  grp.Max = CeilToTenths(hi - base, span);
  grp.Min = FloorToTenths(lo - base, span);
}

// The left axis over the groups' limits.
void LeftRange(const GraphState& g, ChartAxesSettings& a) {
  a.fixLeft = true;
  a.leftMin = g.TypeGroups[0].Min;
  a.leftMax = g.TypeGroups[0].Max;
  for (int k = 1; k < g.TypeGroupCount; ++k) {
    a.leftMax = std::max(a.leftMax, g.TypeGroups[static_cast<std::size_t>(k)].Max);
    a.leftMin = std::min(a.leftMin, g.TypeGroups[static_cast<std::size_t>(k)].Min);
  }
  a.marginLeft = 6.0 * g.TypeGroupCount;
}

}  // namespace

double FloorToTenths(double V, double X) {
  if (!Usable(V, X)) return 0;
  if (std::fabs(V / X) * 10 > kMaxSteps) return std::floor(V / X * 10) / 10;
  double r = 0;
  if (V > 0) {
    while ((r + 0.1) * X < V) r += 0.1;
  } else {
    while (r * X > V) r -= 0.1;
  }
  return r;
}

double CeilToTenths(double V, double X) {
  if (!Usable(V, X)) return 0;
  if (std::fabs(V / X) * 10 > kMaxSteps) return std::ceil(V / X * 10) / 10;
  double r = 0;
  if (V > 0) {
    while (r * X < V) r += 0.1;
  } else {
    while ((r - 0.1) * X > V) r -= 0.1;
  }
  return r;
}

double SlotScale(double minY, double maxY) {
  const double s = std::fabs(minY) >= std::fabs(maxY) ? std::fabs(minY) : std::fabs(maxY);
  return SpanOf(s);
}

int FindTypeGroup(const GraphState& g, std::uint8_t typeCode) {
  for (int k = 0; k < g.TypeGroupCount; ++k)
    if (g.TypeGroups[static_cast<std::size_t>(k)].TypeCode == typeCode) return k;
  return -1;
}

int JoinTypeGroup(GraphState& g, const SlotSeriesSet& series, int q, const std::string& caption) {
  TSeriesRec& s = g.SeriesRecs[static_cast<std::size_t>(q)];
  int k = FindTypeGroup(g, s.TypeCode);
  if (k >= 0) {
    TTypeGroupRec& grp = g.TypeGroups[static_cast<std::size_t>(k)];
    if (s.Scale >= grp.Span + grp.Base || grp.Base > 0)
      JoinRescaled(g, series, grp, q);
    else
      JoinUnscaled(grp, s, SeriesOf(series, q));
    grp.Slots.push_back(static_cast<std::uint8_t>(q));
    return k;
  }
  k = g.TypeGroupCount;
  TTypeGroupRec& grp = g.TypeGroups[static_cast<std::size_t>(k)];
  grp.TypeCode = s.TypeCode;
  grp.Span = s.Scale;
  grp.Base = 0;
  grp.Min = FloorToTenths(s.MinY, grp.Span);
  grp.Max = CeilToTenths(s.MaxY, grp.Span);
  grp.Caption = caption;
  SeriesOf(series, q).TransformY(1, 0, grp.Span);
  grp.Slots.assign(1, static_cast<std::uint8_t>(q));
  g.TypeGroupCount = static_cast<std::uint8_t>(k + 1);
  return k;
}

void LeaveTypeGroup(GraphState& g, const SlotSeriesSet& series, int slot) {
  const int k = FindTypeGroup(g, g.SeriesRecs[static_cast<std::size_t>(slot)].TypeCode);
  if (k < 0) return;
  TTypeGroupRec& grp = g.TypeGroups[static_cast<std::size_t>(k)];
  auto it = std::find(grp.Slots.begin(), grp.Slots.end(), static_cast<std::uint8_t>(slot));
  if (it == grp.Slots.end()) return;
  *it = grp.Slots.back();
  grp.Slots.pop_back();
  if (!grp.Slots.empty()) {
    Rebase(g, series, grp);
    return;
  }
  g.TypeGroupCount = static_cast<std::uint8_t>(g.TypeGroupCount - 1);
  if (k < g.TypeGroupCount) grp = g.TypeGroups[g.TypeGroupCount];
}

ChartAxesSettings AxesAfterAdding(const GraphState& g, const SlotSeriesSet& series) {
  ChartAxesSettings a;
  if (g.TypeGroupCount == 0) return a;
  LeftRange(g, a);
  a.leftMax = std::max(a.leftMax, 0.0);
  a.leftMin = std::min(a.leftMin, 0.0);
  if (g.FShownRows > 0) {
    double inc = SeriesOf(series, g.FSlotOfRow[0]).SeriesMaxX() / 10;
    a.setIncrement = RoundMaximum(inc);
    a.increment = inc;
  }
  return a;
}

ChartAxesSettings AxesAfterRemoval(const GraphState& g) {
  ChartAxesSettings a;
  if (g.TypeGroupCount > 0) LeftRange(g, a);
  return a;
}

}  // namespace kv
