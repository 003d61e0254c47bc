#pragma once
// Zoom by dragging an edge of the plot and grabbing the trace cursor line:
// which edge the mouse arms, and what rectangle a release zooms to. Pixel
// arithmetic only; the chart window wires it to its mouse events.
#include <cstdint>
#include <optional>

namespace kv {

// Plot rectangle sides in pixels: left, top, right, bottom.
struct PlotBox {
  int L = 0, T = 0, R = 0, B = 0;
  bool operator==(const PlotBox&) const = default;
};

// What a mouse drag on the chart moves.
enum class DragKind : std::uint8_t {
  LeftEdge = 0,
  RightEdge = 1,
  TopEdge = 2,
  BottomEdge = 3,
  Cursor = 4,  // the trace cursor line
  Idle = 5,
};

// Half-width of the band around an edge or the cursor line that arms it.
inline constexpr int kEdgeBand = 2;

// The platform's point-in-rectangle test: left and top sides inside, right
// and bottom sides outside.
bool PointInRect(int left, int top, int right, int bottom, int x, int y);

// The edge band holding (x, y), vertical edges first (so a corner arms the
// left or right edge); Idle when none.
DragKind EdgeAt(const PlotBox& plot, int x, int y);

// (x, y) lies within the band around the cursor line at cursorX.
bool OnCursorLine(const PlotBox& plot, int cursorX, int x, int y);

// A left click at (x, y) places the trace cursor: the point one pixel right
// and up lies in the plot, so the axes' corner counts as inside.
bool PlacesTrace(const PlotBox& plot, int x, int y);

// The rectangle a release at (x, y) zooms to: the plot with the dragged edge
// moved to the release point. None for the cursor or idle states, and none
// when the edge was dragged onto or past the opposite one.
std::optional<PlotBox> ZoomRectFor(DragKind drag, const PlotBox& plot, int x, int y);

}  // namespace kv
