#pragma once
// The marker shape of each chart slot, drawn by the viewer itself in the
// legend and in the line-style dialog (on the chart the companion point
// series draws its own pointer). Coordinates follow the GDI rules the shapes
// were designed with: a rectangle or ellipse from (left, top) to (right,
// bottom) paints columns left..right-1 and rows top..bottom-1, and a line
// from A to B paints A but not B.
#include <QColor>
#include <array>

#include "viewer/core/graph_state.h"

class QPainter;

// Draws a shape centred at (X, Y) (Y grows downwards), filled with Color
// under a black outline. Leaves the pen black, width 1, solid and the brush
// solid in Color; callers that need theirs back save them.
using TSeriesMarkDrawer = void (*)(int X, int Y, QPainter& Canvas, const QColor& Color);

void DrawMarkSquare(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkCircle(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkTriangle(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkDownTriangle(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkDiamond(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkTallRect(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkWideRect(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkTallDiamond(int X, int Y, QPainter& Canvas, const QColor& Color);
void DrawMarkFlatDiamond(int X, int Y, QPainter& Canvas, const QColor& Color);
// Lines only: always black whatever Color says.
void DrawMarkStar(int X, int Y, QPainter& Canvas, const QColor& Color);

// The shape of each slot 0..9; constant for the life of the program.
extern const std::array<TSeriesMarkDrawer, kv::kSlotCount> SeriesMarkDrawers;

// GDI-style primitives on the current pen and brush.
namespace vistrel {
// Columns left..right-1, rows top..bottom-1, outline with the pen, inside
// with the brush. Nothing when the box is empty.
void GdiRectangle(QPainter& p, int left, int top, int right, int bottom);
void GdiEllipse(QPainter& p, int left, int top, int right, int bottom);
// From (x1, y1) up to, not including, (x2, y2).
void GdiLine(QPainter& p, int x1, int y1, int x2, int y2);
}  // namespace vistrel
