#include "viewer/core/edge_zoom.h"

namespace kv {

bool PointInRect(int left, int top, int right, int bottom, int x, int y) {
  return x >= left && x < right && y >= top && y < bottom;
}

DragKind EdgeAt(const PlotBox& p, int x, int y) {
  constexpr int b = kEdgeBand;
  if (PointInRect(p.L - b, p.T, p.L + b, p.B, x, y)) return DragKind::LeftEdge;
  if (PointInRect(p.R - b, p.T, p.R + b, p.B, x, y)) return DragKind::RightEdge;
  if (PointInRect(p.L, p.T - b, p.R, p.T + b, x, y)) return DragKind::TopEdge;
  if (PointInRect(p.L, p.B - b, p.R, p.B + b, x, y)) return DragKind::BottomEdge;
  return DragKind::Idle;
}

bool OnCursorLine(const PlotBox& p, int cursorX, int x, int y) {
  return cursorX >= 0 && PointInRect(cursorX - kEdgeBand, p.T, cursorX + kEdgeBand, p.B, x, y);
}

bool PlacesTrace(const PlotBox& p, int x, int y) { return PointInRect(p.L, p.T, p.R, p.B, x + 1, y - 1); }

std::optional<PlotBox> ZoomRectFor(DragKind drag, const PlotBox& p, int x, int y) {
  PlotBox r = p;
  switch (drag) {
    case DragKind::LeftEdge: r.L = x; break;
    case DragKind::RightEdge: r.R = x; break;
    case DragKind::TopEdge: r.T = y; break;
    case DragKind::BottomEdge: r.B = y; break;
    default: return std::nullopt;
  }
  if (r.R <= r.L || r.B <= r.T) return std::nullopt;
  return r;
}

}  // namespace kv
