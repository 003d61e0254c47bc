#pragma once
// Pieces the chart's source files share: constants, numeric helpers and the
// state of one paint pass. Not part of the chart's interface.
#include <QFont>
#include <QPointF>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>
#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "viewer/chart/chart.h"
#include "viewer/chart/chart_raster.h"

class QPainter;

namespace kv {
namespace chart_detail {

constexpr int kTick = 4;          // major tick length, outwards
constexpr int kMinorTick = 2;
constexpr int kLabelGap = 10;     // axis line to the left axis' labels
constexpr double kPixelLimit = 1e9;

inline QFont DefaultFont() {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(11);
  return f;
}

inline bool Finite(double v) { return std::isfinite(v); }

// Range used for pixel mapping: a range of no extent is widened around its
// value, so nothing divides by zero.
inline void EffectiveRange(double mn, double mx, double& a, double& b) {
  if (Finite(mn) && Finite(mx) && mx > mn && Finite(mx - mn)) {
    a = mn;
    b = mx;
  } else if (Finite(mn)) {
    a = mn - 1;
    b = mn + 1;
  } else {
    a = 0;
    b = 1;
  }
}

inline int ClampPixel(double d) {
  if (std::isnan(d)) return 0;
  d = std::clamp(d, -kPixelLimit, kPixelLimit);
  return static_cast<int>(std::lrint(d));
}

// Whole pixel of a mapped coordinate, halves to even, within a safe range.
inline int PixelOf(double v) {
  v = std::min(std::max(v, -1e9), 1e9);
#if defined(__x86_64__)
  return static_cast<int>(_mm_cvtsd_si64(_mm_set_sd(v)));
#else
  return static_cast<int>(std::llrint(v));
#endif
}

// Label values of an axis: multiples of the increment (or of an automatic
// step), widened by 2, 5, 10 ... when they would stand closer than
// `minSpacing` pixels.
std::vector<double> LabelValues(double increment, double mn, double mx, int extent, double minSpacing);

// Liang-Barsky clipping of one segment to a rectangle.
bool ClipSegment(QPointF& p0, QPointF& p1, const QRectF& r);

// A point series' marker (also the legend's sample of it).
void DrawPointer(QPainter& p, PointerStyle style, int x, int y, int h, int v, const QColor& color);

}  // namespace chart_detail

struct Chart::Pass {
  QPainter* p = nullptr;
  QSize size;
  struct LegendItem {
    ChartSeries* s = nullptr;
    QString text;
    QFont font;
    QColor color;    // of the text
    QRect textRect;  // where the text goes
  };
  std::vector<LegendItem> legend;
  QRect legendRect;
  int titleTop = 0, footTop = 0;
  struct Column {
    int x, first, last, top, bottom;
    int from, to;  // its points: indices from..to-1 (some may be missing values)
  };
  std::vector<Column> cols;       // scratch of the line drawing
  std::vector<QPointF> pts, run;
  chart_detail::Raster lines;     // line series not yet written
  RenderOptions options;
  // A patterned pen as this output draws it; other pens unchanged.
  QPen Patterned(const QPen& pen) const;
};

}  // namespace kv
