#pragma once
// One vertical axis per type group: where each group's axis stands left of
// the plot, which group an axis copy's labels belong to, where the group
// captions go and where the time axis stands on the plotted zero line.
#include <optional>
#include <vector>

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

// Rows of the group captions, 0 nearest the plot. Caption k, widths[k]
// pixels wide, is centred on its axis 45 k pixels left of the first; it
// takes the first row where `gap` pixels part it from every caption there,
// so neighbours too wide for the spacing alternate rows.
std::vector<int> GroupCaptionRows(const std::vector<int>& widths, int gap);

// Where the captions' rows stand: `height` of a caption's box, `step`
// between rows, and below the plot the first pixel row free of the time
// axis and its labels.
struct CaptionRowsGeometry {
  int T = 0, B = 0;
  int fontHeight = 0;  // of the left axis' labels, negative
  int height = 0, step = 0;
  int freeBelow = 0;
};
// Centre y of a caption on `row`: row 0 where GroupCaptionY puts it (below
// the plot, no higher than clear of the time axis' labels), each further
// row a step away from the plot.
int GroupCaptionRowY(const CaptionRowsGeometry& g, bool below, int row);
// Pixels that `rows` rows of captions need above T, or below freeBelow
// (where they stand unless the time axis lies inside the plot); only the
// fonts and the step count, not where the plot is.
int GroupCaptionRoom(const CaptionRowsGeometry& g, bool below, int rows);

// The time axis' PositionPercent that puts it on the pixel row zeroPx of the
// plotted zero; none when the plot has no height.
std::optional<double> ZeroLinePercent(int zeroPx, int T, int B);

}  // namespace kv
