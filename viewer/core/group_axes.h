#pragma once
// One vertical axis per type group: where each group's axis stands left of
// the plot, which group an axis copy's labels belong to, where the group
// captions go and where the time axis stands on the plotted zero line.
#include <optional>

namespace kv {

// Pixels between the axes of neighbouring groups.
inline constexpr int kGroupAxisSpacing = 45;

// x(k) = L + Round(W * P / 100) - 45 k, with W the plot width and P the left
// axis' position in percent; Round takes halves to even, as the chart does
// when it places its own left axis (group 0).
int GroupAxisX(int L, int W, double positionPercent, int group);

struct AxisLabelOwner {
  enum Kind { Keep, Blank, Group } kind = Keep;
  int group = -1;  // for Group
  bool operator==(const AxisLabelOwner&) const = default;
};

// Whose labels an axis copy at pixel p carries. Inside the plot (right of
// L, or on L while the axis is set off from the plot) it is the trace
// cursor line: no labels. Otherwise the group whose axis stands exactly at
// p, or Keep when none does (or there is no group).
AxisLabelOwner LabelOwner(int p, int L, int W, double positionPercent, int groupCount);

// y of a group caption: two label-font heights above the plot top, or below
// its bottom. fontHeight is negative (character height with a minus sign).
int GroupCaptionY(int T, int B, int fontHeight, bool below);

// The time axis' PositionPercent that puts it on the pixel row zeroPx of the
// plotted zero; none when the plot has no height.
std::optional<double> ZeroLinePercent(int zeroPx, int T, int B);

}  // namespace kv
