#include "viewer/app/draw_series_marks.h"

#include <QPainter>
#include <QPoint>
#include <cmath>
#include <cstdlib>

namespace vistrel {

void GdiRectangle(QPainter& p, int left, int top, int right, int bottom) {
  if (right - left < 1 || bottom - top < 1) return;
  // A stroked QRect covers its width plus one column: one less gives GDI's box.
  p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void GdiEllipse(QPainter& p, int left, int top, int right, int bottom) {
  if (right - left < 1 || bottom - top < 1) return;
  p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

void GdiLine(QPainter& p, int x1, int y1, int x2, int y2) {
  const int dx = x2 - x1, dy = y2 - y1;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  if (steps == 0) return;
  // The pixel before the end along the line's major axis.
  const int ex = x2 - static_cast<int>(std::lround(static_cast<double>(dx) / steps));
  const int ey = y2 - static_cast<int>(std::lround(static_cast<double>(dy) / steps));
  p.drawLine(x1, y1, ex, ey);
}

}  // namespace vistrel

namespace {

void Prepare(QPainter& c, const QColor& color) {
  c.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  c.setBrush(QBrush(color, Qt::SolidPattern));
}

// As GDI: the inside filled, then the outline through every vertex (Qt's own
// aliased outline leaves out some of them).
void Polygon(QPainter& c, std::initializer_list<QPoint> pts) {
  const QPen pen = c.pen();
  c.setPen(Qt::NoPen);
  c.drawPolygon(pts.begin(), static_cast<int>(pts.size()));
  c.setPen(pen);
  const QPoint* prev = pts.end() - 1;
  for (const QPoint& pt : pts) {
    c.drawLine(*prev, pt);
    prev = &pt;
  }
}

}  // namespace

using vistrel::GdiEllipse;
using vistrel::GdiLine;
using vistrel::GdiRectangle;

void DrawMarkSquare(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  GdiRectangle(Canvas, X - 3, Y - 3, X + 3, Y + 4);
}

void DrawMarkCircle(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  GdiEllipse(Canvas, X - 3, Y - 3, X + 3, Y + 3);
}

void DrawMarkTriangle(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  Polygon(Canvas, {{X - 3, Y + 3}, {X + 3, Y + 3}, {X, Y - 3}});
}

void DrawMarkDownTriangle(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  Polygon(Canvas, {{X - 3, Y - 3}, {X + 3, Y - 3}, {X, Y + 3}});
}

void DrawMarkDiamond(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  Polygon(Canvas, {{X - 3, Y}, {X, Y - 3}, {X + 3, Y}, {X, Y + 3}});
}

void DrawMarkTallRect(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  GdiRectangle(Canvas, X - 3, Y - 5, X + 2, Y + 6);
}

void DrawMarkWideRect(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  GdiRectangle(Canvas, X - 6, Y - 1, X + 6, Y + 4);
}

void DrawMarkTallDiamond(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  Polygon(Canvas, {{X - 2, Y}, {X, Y - 5}, {X + 2, Y}, {X, Y + 5}});
}

void DrawMarkFlatDiamond(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  Polygon(Canvas, {{X - 5, Y}, {X, Y - 2}, {X + 5, Y}, {X, Y + 2}});
}

void DrawMarkStar(int X, int Y, QPainter& Canvas, const QColor& Color) {
  Prepare(Canvas, Color);
  GdiLine(Canvas, X - 4, Y, X + 4, Y);
  GdiLine(Canvas, X - 3, Y - 3, X + 4, Y + 4);
  GdiLine(Canvas, X, Y - 4, X, Y + 4);
  GdiLine(Canvas, X - 3, Y + 3, X + 4, Y - 4);
}

const std::array<TSeriesMarkDrawer, kv::kSlotCount> SeriesMarkDrawers{{
    DrawMarkSquare, DrawMarkCircle, DrawMarkTriangle, DrawMarkDownTriangle, DrawMarkDiamond,
    DrawMarkTallRect, DrawMarkWideRect, DrawMarkTallDiamond, DrawMarkFlatDiamond, DrawMarkStar,
}};
