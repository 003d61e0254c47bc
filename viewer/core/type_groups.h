#pragma once
// Chart slots and type groups: every phenomenon of one quantity type is
// plotted against the group's span and base, so that all groups share the
// chart's single left axis in plotted units. Adding a slot joins it to its
// group (rescaling the group when the newcomer does not fit) or creates one;
// removing a slot re-bases what remains. Works on GraphState and the slots'
// series only; the dialog applies the resulting axis settings.
#include <array>
#include <string>

#include "viewer/core/graph_state.h"
#include "viewer/core/read_osc.h"

namespace kv {

// What the slot engine needs of one chart slot: its line series (points
// arrive through AddXY) together with its companion marker series.
class SlotSeries : public PointSink {
 public:
  // Every point: y := (y * mul + add) / div, rewritten in place.
  virtual void TransformY(double mul, double add, double div) = 0;
  // Extremes over the points with finite coordinates; 0 without any.
  virtual double SeriesMinY() const = 0;
  virtual double SeriesMaxY() const = 0;
  virtual double SeriesMaxX() const = 0;
  virtual void ClearPoints() = 0;
  // Room for n points about to be added.
  virtual void Reserve(int n) { (void)n; }
  virtual bool Active() const = 0;
  // The line series and its companion marker series together.
  virtual void SetActive(bool on) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Empties the companion marker series.
  virtual void ClearMarks() = 0;
};

using SlotSeriesSet = std::array<SlotSeries*, kSlotCount>;

// Limits of V in tenths of the span X (> 0), found by stepping 0.1 at a time
// from 0: FloorToTenths the largest tenth R with R * X below V (at or below
// for V <= 0), CeilToTenths the smallest with R * X at or above V (above for
// V < 0). A non-finite V, or an X that is not positive and finite, gives 0.
double FloorToTenths(double V, double X);
double CeilToTenths(double V, double X);

// Scale of a new slot: the larger magnitude of its extremes rounded up the
// ladder; 0.1 when that is 0 (or has no ladder value).
double SlotScale(double minY, double maxY);

// Slot `q` has its record filled (TypeCode, physical MinY/MaxY, Scale from
// SlotScale, Offset 0) and its series holds physical values. Joins the group
// of its type (rescaling it when needed) or creates one with `caption` at
// the end of TypeGroups; returns the group's index. A new group needs
// TypeGroupCount < kMaxTypeGroups; the caller refuses a sixth type first.
int JoinTypeGroup(GraphState& g, const SlotSeriesSet& series, int q, const std::string& caption);

// The group of slot `slot` loses it; an emptied group is replaced by the
// last one, a group with slots left is re-based to what remains.
void LeaveTypeGroup(GraphState& g, const SlotSeriesSet& series, int slot);

// Index of the group with this type code among those in use; -1 for none.
int FindTypeGroup(const GraphState& g, std::uint8_t typeCode);

// What the chart's axes get after slots were added or removed.
struct ChartAxesSettings {
  bool fixLeft = false;  // left axis range := [leftMin, leftMax]
  double leftMin = 0, leftMax = 0;
  double marginLeft = 3;  // percent of the chart width: room for the extra axes
  bool setIncrement = false;  // bottom axis increment := increment
  double increment = 0;
};

// After adding (rows shown): the union of the groups' limits together with
// 0, a margin of 6 per group, and the time increment from a tenth of the
// largest time of the first row's series (kept when it has no ladder value).
ChartAxesSettings AxesAfterAdding(const GraphState& g, const SlotSeriesSet& series);
// After a removal: the union of the groups' limits (0 not forced), the
// margin; with no group left only the margin of 3.
ChartAxesSettings AxesAfterRemoval(const GraphState& g);

}  // namespace kv
