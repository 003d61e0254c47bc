#include "viewer/chart/chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "common/decimal_format.h"

namespace kv {

namespace {

constexpr int kTick = 4;          // major tick length, outwards
constexpr int kMinorTick = 2;
constexpr int kLabelGap = 10;     // axis line to the left axis' labels
constexpr double kPixelLimit = 1e9;

QFont DefaultFont() {
  QFont f(QStringLiteral("Arial"));
  f.setPixelSize(11);
  return f;
}

bool Finite(double v) { return std::isfinite(v); }

// Range used for pixel mapping: a range of no extent is widened around its
// value, so nothing divides by zero.
void EffectiveRange(double mn, double mx, double& a, double& b) {
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

int ClampPixel(double d) {
  if (std::isnan(d)) return 0;
  d = std::clamp(d, -kPixelLimit, kPixelLimit);
  return static_cast<int>(std::lrint(d));
}

// 1, 2 or 5 times a power of ten, not below x (x > 0).
double NiceCeil(double x) {
  double p = std::pow(10.0, std::floor(std::log10(x)));
  double r = x / p;
  double m = r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10;
  return m * p;
}

// Label values of an axis: multiples of the increment (or of an automatic
// step), widened by 2, 5, 10 ... when they would stand closer than
// `minSpacing` pixels.
std::vector<double> LabelValues(double increment, double mn, double mx, int extent, double minSpacing) {
  std::vector<double> out;
  double a, b;
  EffectiveRange(mn, mx, a, b);
  if (extent <= 0) return out;
  if (!(mx > mn)) {  // no range: the single value, if any
    if (Finite(mn)) out.push_back(mn);
    return out;
  }
  double span = b - a;
  double step = increment > 0 && Finite(increment) ? increment : NiceCeil(span / 10);
  double pxPerStep = step / span * extent;
  if (!(pxPerStep >= minSpacing)) {
    double m = minSpacing / pxPerStep;
    if (!Finite(m)) return out;
    step *= NiceCeil(m);
  }
  if (!Finite(step) || step <= 0) return out;
  double k0 = std::ceil(a / step - 1e-9), k1 = std::floor(b / step + 1e-9);
  if (!Finite(k0) || !Finite(k1) || k1 - k0 > 10000) return out;
  for (double k = k0; k <= k1; k += 1) out.push_back(k * step + 0.0);
  return out;
}

// Liang-Barsky clipping of one segment to a rectangle.
bool ClipSegment(QPointF& p0, QPointF& p1, const QRectF& r) {
  double t0 = 0, t1 = 1;
  double dx = p1.x() - p0.x(), dy = p1.y() - p0.y();
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
    return true;
  };
  if (!edge(-dx, p0.x() - r.left()) || !edge(dx, r.right() - p0.x()) || !edge(-dy, p0.y() - r.top()) ||
      !edge(dy, r.bottom() - p0.y()))
    return false;
  QPointF a = p0;
  if (t1 < 1) p1 = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);
  if (t0 > 0) p0 = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
  return true;
}

// Draws a polyline whose points may lie far outside the device: segments are
// clipped to `guard`, the pieces inside drawn as polylines.
void DrawClippedPolyline(QPainter& p, const std::vector<QPointF>& pts, const QRectF& guard,
                         std::vector<QPointF>& run) {
  run.clear();
  auto flush = [&] {
    if (run.size() >= 2) p.drawPolyline(run.data(), static_cast<int>(run.size()));
    run.clear();
  };
  for (size_t i = 1; i < pts.size(); ++i) {
    QPointF a = pts[i - 1], b = pts[i];
    if (guard.contains(a) && guard.contains(b)) {
      if (run.empty()) run.push_back(a);
      run.push_back(b);
      continue;
    }
    if (!ClipSegment(a, b, guard)) {
      flush();
      continue;
    }
    if (a != pts[i - 1]) flush();
    if (run.empty()) run.push_back(a);
    run.push_back(b);
    if (b != pts[i]) flush();
  }
  flush();
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

// Solid one-pixel lines written straight into an RGB32/ARGB32 image: the
// screen's lines without the per-segment cost of the general painter.
class Raster {
 public:
  bool Begin(QPainter& p, const QPen& pen, const QRect& clip) {
    if (pen.style() != Qt::SolidLine || pen.widthF() > 1 || pen.brush().style() != Qt::SolidPattern ||
        pen.color().alpha() != 255 || p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1)
      return false;
    QPaintDevice* dev = p.device();
    if (!dev || dev->devType() != QInternal::Image) return false;
    auto* img = static_cast<QImage*>(dev);
    const auto f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) return false;
    if (!img->isDetached() || img->devicePixelRatio() != 1) return false;
    const QTransform t = p.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy())) return false;
    ox_ = static_cast<int>(t.dx());
    oy_ = static_cast<int>(t.dy());
    // The clip in the painter's coordinates, within the image.
    clip_ = clip.intersected(QRect(-ox_, -oy_, img->width(), img->height()));
    if (clip_.isEmpty()) return false;
    bits_ = reinterpret_cast<uint32_t*>(img->bits());
    stride_ = img->bytesPerLine() / 4;
    color_ = 0xff000000u | pen.color().rgb();
    return true;
  }

  void VSpan(int x, int y0, int y1) {
    if (x < clip_.left() || x > clip_.right()) return;
    if (y0 > y1) std::swap(y0, y1);
    y0 = std::max(y0, clip_.top());
    y1 = std::min(y1, clip_.bottom());
    if (y0 > y1) return;
    uint32_t* d = bits_ + static_cast<ptrdiff_t>(y0 + oy_) * stride_ + (x + ox_);
    for (int y = y0; y <= y1; ++y, d += stride_) *d = color_;
  }

  // Spans gathered per column and written row by row, a few columns at a
  // time, so each cache line of the image is touched once per series.
  void BeginSpans() {
    lo_.assign(clip_.width(), std::numeric_limits<int>::max());
    hi_.assign(clip_.width(), std::numeric_limits<int>::min());
  }

  void AddSpan(int x, int a, int b) {
    if (x < clip_.left() || x > clip_.right()) return;
    if (a > b) std::swap(a, b);
    a = std::max(a, clip_.top());
    b = std::min(b, clip_.bottom());
    if (a > b) return;
    int& lo = lo_[x - clip_.left()];
    int& hi = hi_[x - clip_.left()];
    if (lo > hi) {
      lo = a, hi = b;
    } else if (a <= hi + 1 && b >= lo - 1) {
      lo = std::min(lo, a), hi = std::max(hi, b);
    } else {
      VSpan(x, a, b);  // a second, separate piece of the column
    }
  }

  // The line from one column's last point to the next column's first.
  void Step(int x0, int y0, int x1, int y1) {
    if (x0 == x1) return AddSpan(x0, y0, y1);
    if (std::abs(x1 - x0) == 1) {
      // Each column takes its half of the rise.
      if (y0 <= y1) {
        int m = y0 + (y1 - y0) / 2;
        AddSpan(x0, y0, m);
        AddSpan(x1, std::min(m + 1, y1), y1);
      } else {
        int m = y0 - (y0 - y1) / 2;
        AddSpan(x0, m, y0);
        AddSpan(x1, y1, std::max(m - 1, y1));
      }
      return;
    }
    Line(x0, y0, x1, y1);
  }

  void FlushSpans() {
    const int w = clip_.width();
    // Four columns (one 16-byte store) at a time, four such groups per
    // block of 16 columns, row by row: a group's rows that all its columns
    // cover are stored without a test, the rest of its span with one.
    constexpr int kBig = std::numeric_limits<int>::max(), kSmall = std::numeric_limits<int>::min();
    for (int c0 = 0; c0 < w; c0 += 16) {
      const int c1 = std::min(c0 + 16, w);
      int uTop[4], uBottom[4], aTop[4], aBottom[4];
      int top = kBig, bottom = kSmall;
      for (int g = 0; g < 4; ++g) {
        uTop[g] = kBig, uBottom[g] = kSmall, aTop[g] = kSmall, aBottom[g] = kBig;
        const int ca = c0 + 4 * g, cb = std::min(ca + 4, c1);
        bool full = cb - ca == 4;
        for (int c = ca; c < cb; ++c) {
          if (lo_[c] > hi_[c]) {
            full = false;
            continue;
          }
          uTop[g] = std::min(uTop[g], lo_[c]), uBottom[g] = std::max(uBottom[g], hi_[c]);
          aTop[g] = std::max(aTop[g], lo_[c]), aBottom[g] = std::min(aBottom[g], hi_[c]);
        }
        if (!full) aTop[g] = 1, aBottom[g] = 0;
        top = std::min(top, uTop[g]), bottom = std::max(bottom, uBottom[g]);
      }
      if (top > bottom) continue;
      for (int y = top; y <= bottom; ++y) {
        uint32_t* row = bits_ + static_cast<ptrdiff_t>(y + oy_) * stride_ + (clip_.left() + ox_);
        for (int g = 0; g < 4; ++g) {
          if (y < uTop[g] || y > uBottom[g]) continue;
          const int c = c0 + 4 * g;
#if defined(__x86_64__)
          auto* d = reinterpret_cast<__m128i*>(row + c);
          const __m128i col = _mm_set1_epi32(static_cast<int>(color_));
          if (y >= aTop[g] && y <= aBottom[g]) {
            _mm_storeu_si128(d, col);
            continue;
          }
          if (c + 4 <= c1) {
            const __m128i yy = _mm_set1_epi32(y);
            const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&lo_[c]));
            const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&hi_[c]));
            const __m128i out = _mm_or_si128(_mm_cmpgt_epi32(lo, yy), _mm_cmpgt_epi32(yy, hi));
            _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(out, _mm_loadu_si128(d)), _mm_andnot_si128(out, col)));
            continue;
          }
#endif
          for (int k = c; k < std::min(c + 4, c1); ++k)
            if (lo_[k] <= y && y <= hi_[k]) row[k] = color_;
        }
      }
    }
  }

  void Line(int x0, int y0, int x1, int y1) {
    if (x0 == x1) return VSpan(x0, y0, y1);
    QPointF a(x0, y0), b(x1, y1);
    if (!ClipSegment(a, b, QRectF(clip_.left(), clip_.top(), clip_.width() - 1, clip_.height() - 1))) return;
    int ax = static_cast<int>(std::lround(a.x())), ay = static_cast<int>(std::lround(a.y()));
    const int bx = static_cast<int>(std::lround(b.x())), by = static_cast<int>(std::lround(b.y()));
    const int dx = std::abs(bx - ax), dy = -std::abs(by - ay), stx = ax < bx ? 1 : -1, sty = ay < by ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      Plot(ax, ay);
      if (ax == bx && ay == by) break;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, ax += stx;
      if (e2 <= dx) err += dx, ay += sty;
    }
  }

 private:
  void Plot(int x, int y) {
    if (clip_.contains(x, y)) bits_[static_cast<ptrdiff_t>(y + oy_) * stride_ + (x + ox_)] = color_;
  }
  uint32_t* bits_ = nullptr;
  std::vector<int> lo_, hi_;  // span per column of the clip, empty when lo > hi
  ptrdiff_t stride_ = 0;
  uint32_t color_ = 0;
  int ox_ = 0, oy_ = 0;
  QRect clip_;
};

void DrawPointer(QPainter& p, PointerStyle style, int x, int y, int h, int v, const QColor& color) {
  if (style == PointerStyle::Star) {
    p.setPen(QPen(color, 1));
    p.drawLine(x - h, y, x + h, y);
    p.drawLine(x, y - v, x, y + v);
    p.drawLine(x - h, y - v, x + h, y + v);
    p.drawLine(x - h, y + v, x + h, y - v);
    return;
  }
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(color);
  switch (style) {
    case PointerStyle::Rectangle:
      p.drawRect(x - h, y - v, 2 * h, 2 * v);
      break;
    case PointerStyle::Circle:
      p.drawEllipse(QRect(x - h, y - v, 2 * h, 2 * v));
      break;
    case PointerStyle::Triangle: {
      const QPoint t[3] = {{x - h, y + v}, {x + h, y + v}, {x, y - v}};
      p.drawPolygon(t, 3);
      break;
    }
    case PointerStyle::DownTriangle: {
      const QPoint t[3] = {{x - h, y - v}, {x + h, y - v}, {x, y + v}};
      p.drawPolygon(t, 3);
      break;
    }
    case PointerStyle::Diamond: {
      const QPoint t[4] = {{x - h, y}, {x, y - v}, {x + h, y}, {x, y + v}};
      p.drawPolygon(t, 4);
      break;
    }
    case PointerStyle::Star:
      break;
  }
}

}  // namespace

// ---------------------------------------------------------------- series

ChartSeries::ChartSeries(Chart* chart, int index) : chart_(chart), index_(index) {}
ChartSeries::~ChartSeries() = default;

ChartAxis& ChartSeries::HorizAxis() const { return chart_->BottomAxis(); }
ChartAxis& ChartSeries::VertAxis() const { return chart_->LeftAxis(); }

void ChartSeries::Changed(bool data) {
  if (data) {
    ext_.valid = false;
    firstVisible_ = lastVisible_ = -1;
  }
  chart_->Invalidate(true);
}

void ChartSeries::SetActive(bool on) {
  if (active_ == on) return;
  active_ = on;
  Changed(false);
}

void ChartSeries::SetTitle(const QString& title) {
  if (title_ == title) return;
  title_ = title;
  chart_->Invalidate(false);
}

void ChartSeries::SetSeriesColor(const QColor& c) {
  if (color_ == c) return;
  color_ = c;
  chart_->Invalidate(false);
}

void ChartSeries::SetShowInLegend(bool on) {
  if (showInLegend_ == on) return;
  showInLegend_ = on;
  chart_->Invalidate(false);
}

QFont ChartSeries::MarksFont() const {
  QFont f(QStringLiteral("Arial"));
  f.setPointSize(8);
  return f;
}

void ChartSeries::AddPoint(double x, double y) {
  if (Finite(x)) {
    // In order when it follows the last finite x and no other kind came yet.
    if (ordered_ && finite_ == PointCount() && (finite_ == 0 || x >= xs_.back()))
      ++finite_;
    else
      ordered_ = false;
  }
  xs_.push_back(x);
  ys_.push_back(y);
  if (ext_.valid) {
    if (Finite(x) && Finite(y)) {
      if (!ext_.any) {
        ext_.minX = ext_.maxX = x;
        ext_.minY = ext_.maxY = y;
        ext_.any = true;
      } else {
        ext_.minX = std::min(ext_.minX, x);
        ext_.maxX = std::max(ext_.maxX, x);
        ext_.minY = std::min(ext_.minY, y);
        ext_.maxY = std::max(ext_.maxY, y);
      }
    }
    chart_->Invalidate(true);
  } else {
    Changed(true);
  }
}

void ChartSeries::ClearPoints() {
  xs_.clear();
  ys_.clear();
  ordered_ = true;
  finite_ = 0;
  Changed(true);
}

void ChartSeries::EnsureOrder() const {
  if (ordered_) return;
  const int n = PointCount();
  std::vector<int> idx(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) idx[static_cast<size_t>(i)] = i;
  std::stable_sort(idx.begin(), idx.end(), [this](int a, int b) {
    const bool fa = Finite(xs_[a]), fb = Finite(xs_[b]);
    return fa && (!fb || xs_[a] < xs_[b]);
  });
  std::vector<double> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
  finite_ = 0;
  for (int i = 0; i < n; ++i) {
    xs[static_cast<size_t>(i)] = xs_[idx[static_cast<size_t>(i)]];
    ys[static_cast<size_t>(i)] = ys_[idx[static_cast<size_t>(i)]];
    if (Finite(xs[static_cast<size_t>(i)])) ++finite_;
  }
  xs_.swap(xs);
  ys_.swap(ys);
  ordered_ = true;
}

void ChartSeries::Reserve(int n) {
  if (n > 0) {
    xs_.reserve(n);
    ys_.reserve(n);
  }
}

double ChartSeries::PointX(int i) const {
  EnsureOrder();
  return i >= 0 && i < PointCount() ? xs_[i] : 0.0;
}

double ChartSeries::PointY(int i) const {
  EnsureOrder();
  return i >= 0 && i < PointCount() ? ys_[i] : 0.0;
}

void ChartSeries::SetPointY(int i, double y) {
  if (i < 0 || i >= PointCount()) return;
  EnsureOrder();
  ys_[i] = y;
  ext_.valid = false;
  chart_->Invalidate(true);
}

int ChartSeries::PointPixelX(int i) const { return chart_->BottomAxis().ValueToPixel(PointX(i)); }

const ChartSeries::Extremes& ChartSeries::Ext() const {
  if (ext_.valid) return ext_;
  Extremes e;
  for (size_t i = 0; i < xs_.size(); ++i) {
    double x = xs_[i], y = ys_[i];
    if (!Finite(x) || !Finite(y)) continue;
    if (!e.any) {
      e.minX = e.maxX = x;
      e.minY = e.maxY = y;
      e.any = true;
    } else {
      e.minX = std::min(e.minX, x);
      e.maxX = std::max(e.maxX, x);
      e.minY = std::min(e.minY, y);
      e.maxY = std::max(e.maxY, y);
    }
  }
  e.valid = true;
  ext_ = e;
  return ext_;
}

double ChartSeries::SeriesMinX() const { return Ext().minX; }
double ChartSeries::SeriesMaxX() const { return Ext().maxX; }
double ChartSeries::SeriesMinY() const { return Ext().minY; }
double ChartSeries::SeriesMaxY() const { return Ext().maxY; }

LineSeries::LineSeries(Chart* chart, int index) : ChartSeries(chart, index) {}

void LineSeries::SetLinePen(const QPen& pen) {
  if (pen_ == pen) return;
  pen_ = pen;
  ParentChart()->Invalidate(false);
}

void LineSeries::SetSeriesColor(const QColor& c) {
  QPen p = pen_;
  p.setColor(c);
  SetLinePen(p);
  ChartSeries::SetSeriesColor(c);
}

PointSeries::PointSeries(Chart* chart, int index) : ChartSeries(chart, index) {}

void PointSeries::SetStyle(PointerStyle s) {
  if (style_ == s) return;
  style_ = s;
  ParentChart()->Invalidate(false);
}

void PointSeries::SetSize(int horiz, int vert) {
  horiz = std::clamp(horiz, 0, 100);
  vert = std::clamp(vert, 0, 100);
  if (hSize_ == horiz && vSize_ == vert) return;
  hSize_ = horiz;
  vSize_ = vert;
  ParentChart()->Invalidate(false);
}

void PointSeries::SetInflateMargins(bool on) {
  if (inflate_ == on) return;
  inflate_ = on;
  ParentChart()->Invalidate(true);
}

// ---------------------------------------------------------------- axis

ChartAxis::ChartAxis(Chart* chart, bool horizontal)
    : chart_(chart), horizontal_(horizontal), titleFont_(DefaultFont()), labelsFont_(DefaultFont()) {}

void ChartAxis::Changed(bool range) { chart_->Invalidate(range); }

double ChartAxis::Minimum() const {
  chart_->EnsureRanges();
  return curMin_;
}

double ChartAxis::Maximum() const {
  chart_->EnsureRanges();
  return curMax_;
}

void ChartAxis::SetAutomatic(bool on) {
  if (on) {
    automatic_ = true;
  } else if (automatic_) {
    chart_->EnsureRanges();
    fixedMin_ = curMin_;
    fixedMax_ = curMax_;
    automatic_ = false;
  }
  zoomed_ = false;
  Changed(true);
}

void ChartAxis::FixAxisRange(double min, double max) {
  automatic_ = false;
  zoomed_ = false;
  fixedMin_ = min;
  fixedMax_ = max;
  Changed(true);
}

void ChartAxis::SetMinimum(double v) { FixAxisRange(v, Maximum()); }
void ChartAxis::SetMaximum(double v) { FixAxisRange(Minimum(), v); }

void ChartAxis::SetIncrement(double inc) {
  if (!(inc >= 0) || !Finite(inc) || inc == increment_) return;
  increment_ = inc;
  Changed(false);
}

void ChartAxis::SetMinorTickCount(int n) {
  n = std::clamp(n, 0, 100);
  if (n == minorTicks_) return;
  minorTicks_ = n;
  Changed(false);
}

void ChartAxis::SetLabelsSeparation(int percent) {
  percent = std::clamp(percent, 0, 1000);
  if (percent == labelsSeparation_) return;
  labelsSeparation_ = percent;
  Changed(false);
}

void ChartAxis::SetPositionPercent(double p) {
  if (!Finite(p) || p == positionPercent_) return;
  positionPercent_ = p;
  Changed(false);
}

void ChartAxis::SetAxisValuesFormat(const QString& f) {
  if (format_ == f) return;
  format_ = f;
  Changed(false);
}

void ChartAxis::SetGridVisible(bool on) {
  if (grid_ == on) return;
  grid_ = on;
  Changed(false);
}

void ChartAxis::SetTitleCaption(const QString& text) {
  if (titleCaption_ == text) return;
  titleCaption_ = text;
  // Set and reset around DrawAxisTitleAt inside a pass: no repaint for that.
  if (!chart_->pass_) Changed(false);
}

void ChartAxis::SetTitleFont(const QFont& f) {
  if (titleFont_ == f) return;
  titleFont_ = f;
  Changed(false);
}

void ChartAxis::SetLabelsFont(const QFont& f) {
  if (labelsFont_ == f) return;
  labelsFont_ = f;
  Changed(false);
}

void ChartAxis::SetAxisPen(const QPen& p) {
  if (axisPen_ == p) return;
  axisPen_ = p;
  Changed(false);
}

double ChartAxis::Span() const {
  double a, b;
  EffectiveRange(curMin_, curMax_, a, b);
  return b - a;
}

int ChartAxis::ValueToPixel(double v) const {
  chart_->PlotRect();  // lays out once if never drawn
  chart_->EnsureRanges();
  if (std::isnan(v)) return startPx_;
  double a, b;
  EffectiveRange(curMin_, curMax_, a, b);
  return ClampPixel(startPx_ + (v - a) / (b - a) * (endPx_ - startPx_));
}

double ChartAxis::PixelToValue(int px) const {
  chart_->PlotRect();
  chart_->EnsureRanges();
  double a, b;
  EffectiveRange(curMin_, curMax_, a, b);
  if (endPx_ == startPx_) return a;
  return a + static_cast<double>(px - startPx_) / (endPx_ - startPx_) * (b - a);
}

void ChartAxis::DrawAxisAt(int labelsPos, int titlePos, int axisPos, bool grid) {
  if (!chart_->pass_) return;
  const int a = axisPixelPos_, l = labelsPixelPos_;
  chart_->DrawAxis(*chart_->pass_, *this, labelsPos, titlePos, axisPos, grid, false);
  axisPixelPos_ = a;
  labelsPixelPos_ = l;
}

void ChartAxis::DrawAxisTitleAt(int x, int y) {
  QPainter* p = chart_->canvas_;
  if (!p || titleCaption_.isEmpty()) return;
  p->save();
  p->setFont(titleFont_);
  QFontMetrics fm(titleFont_);
  QRect r(0, 0, fm.horizontalAdvance(titleCaption_) + 2, fm.height());
  r.moveCenter(QPoint(x, y));
  if (p->brush().style() != Qt::NoBrush) p->fillRect(r, p->brush());
  p->setPen(Qt::black);
  p->drawText(r, Qt::AlignCenter, titleCaption_);
  p->restore();
}

QString ChartAxis::FormatFloat(const QString& format, double v) {
  return QString::fromStdString(FormatPattern(format.toStdString(), v));
}

// ---------------------------------------------------------------- titles, legend

void ChartTitle::SetText(const QStringList& lines) {
  if (text_ == lines) return;
  text_ = lines;
  chart_->Invalidate(false);
}

void ChartTitle::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  chart_->Invalidate(false);
}

void ChartTitle::SetAlignment(Qt::Alignment a) {
  if (align_ == a) return;
  align_ = a;
  chart_->Invalidate(false);
}

void ChartTitle::SetFont(const QFont& f) {
  if (font_ == f) return;
  font_ = f;
  chart_->Invalidate(false);
}

void ChartLegend::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  chart_->Invalidate(false);
}

void ChartLegend::SetColor(const QColor& c) {
  if (color_ == c) return;
  color_ = c;
  chart_->Invalidate(false);
}

void ChartLegend::SetFont(const QFont& f) {
  if (font_ == f) return;
  font_ = f;
  chart_->Invalidate(false);
}

void ChartLegend::SetColorWidth(int w) {
  w = std::clamp(w, 0, 1000);
  if (colorWidth_ == w) return;
  colorWidth_ = w;
  chart_->Invalidate(false);
}

// ---------------------------------------------------------------- chart

struct Chart::Pass {
  QPainter* p = nullptr;
  QSize size;
  struct LegendItem {
    ChartSeries* s = nullptr;
    QString text;
    QFont font;
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
};

Chart::Chart(QWidget* parent)
    : QWidget(parent), left_(this, false), bottom_(this, true), title_(this), foot_(this), legend_(this) {
  title_.font_ = DefaultFont();
  foot_.font_ = DefaultFont();
  legend_.font_ = DefaultFont();
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

Chart::~Chart() = default;

LineSeries* Chart::AddLineSeries() {
  auto* s = new LineSeries(this, SeriesCount());
  series_.emplace_back(s);
  Invalidate(true);
  return s;
}

PointSeries* Chart::AddPointSeries() {
  auto* s = new PointSeries(this, SeriesCount());
  series_.emplace_back(s);
  Invalidate(true);
  return s;
}

ChartSeries* Chart::SeriesAt(int i) const { return i >= 0 && i < SeriesCount() ? series_[i].get() : nullptr; }

void Chart::Invalidate(bool ranges) {
  if (ranges) rangesDirty_ = true;
  if (pass_) {
    // Series data that hooks change while drawing (marker series) is drawn
    // in this pass; a changed setting asks for one more pass.
    if (!ranges) repaintAgain_ = true;
    return;
  }
  if (!imageDirty_) {  // one update for a run of changes (points added one by one)
    imageDirty_ = true;
    update();
  }
}

void Chart::SetClipPoints(bool on) {
  if (clipPoints_ == on) return;
  clipPoints_ = on;
  Invalidate(false);
}

void Chart::SetMarginLeft(double percent) {
  if (!Finite(percent) || percent == marginLeft_) return;
  marginLeft_ = std::clamp(percent, 0.0, 90.0);
  Invalidate(false);
}

void Chart::SetColor(const QColor& c) {
  if (color_ == c) return;
  color_ = c;
  Invalidate(false);
}

void Chart::SetBackColor(const QColor& c) {
  if (backColor_ == c) return;
  backColor_ = c;
  Invalidate(false);
}

void Chart::SetBackWallPenVisible(bool on) {
  if (frame_ == on) return;
  frame_ = on;
  Invalidate(false);
}

// ---- paging

void Chart::SetMaxPointsPerPage(int n) {
  n = std::max(n, 0);
  if (n == pointsPerPage_) return;
  pointsPerPage_ = n;
  page_ = std::clamp(page_, 1, PageCount());
  Invalidate(true);
}

int Chart::PageCount() const {
  if (pointsPerPage_ <= 0) return 1;
  int most = 0;
  for (auto& s : series_)
    if (s->Active()) most = std::max(most, s->PointCount());
  return std::max(1, (most + pointsPerPage_ - 1) / pointsPerPage_);
}

int Chart::Page() const { return std::clamp(page_, 1, PageCount()); }

void Chart::SetPage(int page) {
  int old = Page();
  page = std::clamp(page, 1, PageCount());
  page_ = page;
  if (page == old) return;
  Invalidate(true);
  if (OnPageChange) OnPageChange();
}

// ---- ranges

void Chart::ComputeRange(const ChartAxis& axis, double& mn, double& mx) const {
  bool any = false;
  auto take = [&](double lo, double hi) {
    if (!any) {
      mn = lo;
      mx = hi;
      any = true;
    } else {
      mn = std::min(mn, lo);
      mx = std::max(mx, hi);
    }
  };
  const bool paged = axis.Horizontal() && pointsPerPage_ > 0;
  const int page = Page();
  for (auto& s : series_) {
    if (!s->Active() || !s->WidensAxes()) continue;
    if (!paged) {
      const auto& e = s->Ext();
      if (e.any) axis.Horizontal() ? take(e.minX, e.maxX) : take(e.minY, e.maxY);
      continue;
    }
    // The page's points by index; x ascends, so its first and last drawable
    // points are its ends.
    s->EnsureOrder();
    const int from = (page - 1) * pointsPerPage_, to = std::min(s->finite_, from + pointsPerPage_);
    int a = from, b = to - 1;
    while (a <= b && !Finite(s->ys_[a])) ++a;
    while (b >= a && !Finite(s->ys_[b])) --b;
    if (a <= b) take(s->xs_[a], s->xs_[b]);
  }
  if (!any) mn = mx = 0;
}

void Chart::EnsureRanges() const {
  if (!rangesDirty_ || pass_) return;  // frozen while a pass draws
  for (const ChartAxis* a : {&left_, &bottom_}) {
    if (a->zoomed_) {
      a->curMin_ = a->viewMin_;
      a->curMax_ = a->viewMax_;
    } else if (!a->automatic_) {
      a->curMin_ = a->fixedMin_;
      a->curMax_ = a->fixedMax_;
    } else {
      ComputeRange(*a, a->curMin_, a->curMax_);
    }
  }
  rangesDirty_ = false;
}

double Chart::AxisDataMinX(const ChartAxis&) const {
  double v = 0;
  bool any = false;
  for (auto& s : series_)
    if (s->Active() && s->Ext().any) v = any ? std::min(v, s->SeriesMinX()) : s->SeriesMinX(), any = true;
  return v;
}

double Chart::AxisDataMaxX(const ChartAxis&) const {
  double v = 0;
  bool any = false;
  for (auto& s : series_)
    if (s->Active() && s->Ext().any) v = any ? std::max(v, s->SeriesMaxX()) : s->SeriesMaxX(), any = true;
  return v;
}

double Chart::AxisDataMinY(const ChartAxis&) const {
  double v = 0;
  bool any = false;
  for (auto& s : series_)
    if (s->Active() && s->Ext().any) v = any ? std::min(v, s->SeriesMinY()) : s->SeriesMinY(), any = true;
  return v;
}

double Chart::AxisDataMaxY(const ChartAxis&) const {
  double v = 0;
  bool any = false;
  for (auto& s : series_)
    if (s->Active() && s->Ext().any) v = any ? std::max(v, s->SeriesMaxY()) : s->SeriesMaxY(), any = true;
  return v;
}

// ---- zoom and scroll

bool Chart::Zoomed() const { return left_.zoomed_ || bottom_.zoomed_; }

void Chart::SetView(ChartAxis& axis, double mn, double mx) {
  axis.zoomed_ = true;
  axis.viewMin_ = mn;
  axis.viewMax_ = mx;
  Invalidate(true);
}

void Chart::ZoomToRect(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right || top == bottom) return;
  double x0 = bottom_.PixelToValue(left), x1 = bottom_.PixelToValue(right);
  double y0 = left_.PixelToValue(bottom), y1 = left_.PixelToValue(top);
  if (!(x1 > x0) || !(y1 > y0) || !Finite(x1 - x0) || !Finite(y1 - y0)) return;
  SetView(bottom_, x0, x1);
  SetView(left_, y0, y1);
  if (OnZoom) OnZoom();
}

void Chart::ResetZoom() {
  // Only the zoom view goes: each axis is again automatic or fixed as before.
  left_.zoomed_ = bottom_.zoomed_ = false;
  Invalidate(true);
  if (OnUndoZoom) OnUndoZoom();
}

void Chart::ScrollBy(int dx, int dy) {
  QRect r = PlotRect();
  auto scroll = [&](ChartAxis& axis, double delta) {
    double mn = axis.Minimum() + delta, mx = axis.Maximum() + delta;
    bool allow = true;
    if (OnAllowScroll) OnAllowScroll(axis, mn, mx, allow);
    if (allow && Finite(mn) && Finite(mx) && mx > mn) SetView(axis, mn, mx);
  };
  if (dx != 0 && r.right() > r.left()) scroll(bottom_, -dx * bottom_.Span() / (r.right() - r.left()));
  if (dy != 0 && r.bottom() > r.top()) scroll(left_, dy * left_.Span() / (r.bottom() - r.top()));
}

// ---- geometry

QRect Chart::PlotRect() const {
  if (!laidOut_ && !pass_) const_cast<Chart*>(this)->EnsureImage();
  return plot_;
}

QRect Chart::LegendColorRect(int index) const {
  return index >= 0 && index < static_cast<int>(legendBoxes_.size()) ? legendBoxes_[index] : QRect();
}

void Chart::Layout(Pass& ps) {
  QPainter& p = *ps.p;
  const int W = ps.size.width(), H = ps.size.height();
  const int mTop = std::lrint(H * 0.03), mBottom = std::lrint(H * 0.03), mRight = std::lrint(W * 0.03);
  const int mLeft = std::lrint(W * marginLeft_ / 100);

  int y = mTop;
  ps.titleTop = y;
  if (title_.visible_ && !title_.text_.isEmpty()) y += QFontMetrics(title_.font_).height() * title_.text_.size() + 4;
  int yb = H - mBottom;
  if (foot_.visible_ && !foot_.text_.isEmpty()) {
    ps.footTop = yb - QFontMetrics(foot_.font_).height() * foot_.text_.size();
    yb = ps.footTop - 4;
  }

  // Legend items: texts and fonts from the hook, rows centred.
  ps.legend.clear();
  if (legend_.visible_) {
    for (auto& s : series_) {
      if (!s->Active() || !s->ShowInLegend()) continue;
      Pass::LegendItem it;
      it.s = s.get();
      it.text = s->Title();
      p.setFont(legend_.font_);
      if (OnGetLegendText) OnGetLegendText(static_cast<int>(ps.legend.size()), it.text);
      it.font = p.font();
      ps.legend.push_back(it);
    }
  }
  if (!ps.legend.empty()) {
    const int cw = legend_.colorWidth_, avail = std::max(1, W - 10);
    std::vector<std::vector<int>> rows(1);
    std::vector<int> widths(ps.legend.size());
    int rowW = 0;
    for (size_t i = 0; i < ps.legend.size(); ++i) {
      QFontMetrics fm(ps.legend[i].font);
      widths[i] = cw + 4 + fm.horizontalAdvance(ps.legend[i].text) + 12;
      if (rowW > 0 && rowW + widths[i] > avail) {
        rows.emplace_back();
        rowW = 0;
      }
      rows.back().push_back(static_cast<int>(i));
      rowW += widths[i];
    }
    std::vector<int> rowH(rows.size(), 14);
    for (size_t r = 0; r < rows.size(); ++r)
      for (int i : rows[r]) rowH[r] = std::max(rowH[r], QFontMetrics(ps.legend[i].font).height() + 2);
    int total = 4;
    for (int h : rowH) total += h;
    int top = yb - total;
    ps.legendRect = QRect(0, top, W, total);
    int ry = top + 2;
    for (size_t r = 0; r < rows.size(); ++r) {
      int w = 0;
      for (int i : rows[r]) w += widths[i];
      int x = (W - w) / 2;
      for (int i : rows[r]) {
        ps.legend[i].textRect = QRect(x + cw + 4, ry, widths[i] - cw - 4, rowH[r]);
        x += widths[i];
      }
      ry += rowH[r];
    }
    yb = top - 2;
  } else {
    ps.legendRect = QRect();
  }

  // Bottom axis: ticks, labels and title below its line; its line may sit a
  // percentage of the plot height below the plot.
  QFontMetrics lfm(left_.labelsFont_), bfm(bottom_.labelsFont_);
  int below = kTick + 2 + bfm.height();
  if (!bottom_.titleCaption_.isEmpty()) below += QFontMetrics(bottom_.titleFont_).height() + 2;
  const int T = y + lfm.height() / 2 + 1;
  const double cb = bottom_.positionPercent_ < 0 ? -bottom_.positionPercent_ / 100 : 0;
  int B = static_cast<int>(std::floor((yb - below + cb * T) / (1 + cb)));

  // Left axis: labels and title left of its line, which may sit a
  // percentage of the plot width left of the plot.
  EnsureRanges();
  int labelsW = 0;
  for (double v : LabelValues(left_.increment_, left_.curMin_, left_.curMax_, std::max(1, B - T), LabelSpacing(left_, B - T)))
    labelsW = std::max(labelsW, lfm.horizontalAdvance(ChartAxis::FormatFloat(left_.format_, v)));
  int titleW = left_.titleCaption_.isEmpty() ? 0 : QFontMetrics(left_.titleFont_).horizontalAdvance(left_.titleCaption_) + 4;
  int R = W - std::max(mRight, bfm.horizontalAdvance(ChartAxis::FormatFloat(bottom_.format_, bottom_.curMax_)) / 2 + 2);
  const double cl = left_.positionPercent_ < 0 ? -left_.positionPercent_ / 100 : 0;
  int L = static_cast<int>(std::ceil((mLeft + kLabelGap + labelsW + titleW + cl * R) / (1 + cl)));
  if (R <= L) R = L + 1;
  if (B <= T) B = T + 1;
  plot_ = QRect(QPoint(L, T), QPoint(R, B));

  left_.startPx_ = B;
  left_.endPx_ = T;
  bottom_.startPx_ = L;
  bottom_.endPx_ = R;
  left_.axisPixelPos_ = L + static_cast<int>(std::lrint((R - L) * left_.positionPercent_ / 100));
  left_.labelsPixelPos_ = left_.axisPixelPos_ - kLabelGap;
  leftTitleX_ = left_.labelsPixelPos_ - labelsW - 4 - titleW / 2;
  bottom_.axisPixelPos_ = B - static_cast<int>(std::lrint((B - T) * bottom_.positionPercent_ / 100));
  bottom_.labelsPixelPos_ = bottom_.axisPixelPos_ + kTick + 2;

  legendBoxes_.clear();
  for (auto& it : ps.legend)
    legendBoxes_.push_back(QRect(it.textRect.left() - 4 - legend_.colorWidth_, it.textRect.top(), legend_.colorWidth_,
                                 it.textRect.height()));
  laidOut_ = true;
}

// ---- drawing

double Chart::LabelSpacing(const ChartAxis& a, int extent) const {
  QFontMetrics fm(a.labelsFont_);
  const double k = 1 + a.labelsSeparation_ / 100.0;
  if (!a.horizontal_) return fm.height() * k + 1;
  // The widest label that would be written at a spacing, until the spacing
  // holds the labels it gives (a few rounds: wider labels only thin them).
  int w = fm.horizontalAdvance(QStringLiteral("0"));
  for (int round = 0; round < 4; ++round) {
    int widest = 0;
    for (double v : LabelValues(a.increment_, a.curMin_, a.curMax_, extent, w * k + 2))
      widest = std::max(widest, fm.horizontalAdvance(ChartAxis::FormatFloat(a.format_, v)));
    if (widest <= w) break;
    w = widest;
  }
  return w * k + 2;
}

void Chart::DrawAxis(Pass& ps, ChartAxis& a, int labelsPos, int titlePos, int axisPos, bool grid, bool gridOnly) {
  QPainter& p = *ps.p;
  const QRect r = plot_;
  const int extent = a.horizontal_ ? r.right() - r.left() : r.bottom() - r.top();
  QFontMetrics fm(a.labelsFont_);
  const std::vector<double> values = LabelValues(a.increment_, a.curMin_, a.curMax_, extent, LabelSpacing(a, extent));

  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  if (grid) {
    p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    for (double v : values) {
      int px = a.ValueToPixel(v);
      if (a.horizontal_)
        p.drawLine(px, r.top(), px, r.bottom());
      else
        p.drawLine(r.left(), px, r.right(), px);
    }
  }
  if (gridOnly) {
    p.restore();
    return;
  }

  p.setPen(a.axisPen_);
  if (a.horizontal_)
    p.drawLine(r.left(), axisPos, r.right(), axisPos);
  else
    p.drawLine(axisPos, r.top(), axisPos, r.bottom());

  p.setPen(QPen(a.axisPen_.color(), 1));
  const double half = a.axisPen_.widthF() / 2;
  auto tick = [&](int px, int len) {
    if (a.horizontal_) {
      int y0 = axisPos + static_cast<int>(std::ceil(half));
      p.drawLine(px, y0, px, y0 + len);
    } else {
      int x0 = axisPos - static_cast<int>(std::ceil(half));
      p.drawLine(x0, px, x0 - len, px);
    }
  };
  for (double v : values) tick(a.ValueToPixel(v), kTick);
  if (values.size() >= 2 && a.minorTicks_ > 0) {
    // Evenly between the labels, and on beyond the outer ones to the axis' ends.
    const double step = (values[1] - values[0]) / (a.minorTicks_ + 1);
    double lo, hi;
    EffectiveRange(a.curMin_, a.curMax_, lo, hi);
    const double eps = (hi - lo) * 1e-9;
    for (size_t i = 0; i <= values.size(); ++i)
      for (int m = 1; m <= a.minorTicks_; ++m) {
        const double v = (i == 0 ? values[0] - (values[1] - values[0]) : values[i - 1]) + m * step;
        if (v >= lo - eps && v <= hi + eps) tick(a.ValueToPixel(v), kMinorTick);
      }
  }

  a.axisPixelPos_ = axisPos;
  a.labelsPixelPos_ = labelsPos;
  for (double v : values) {
    QString text = ChartAxis::FormatFloat(a.format_, v);
    p.setFont(a.labelsFont_);
    if (OnGetAxisLabel) OnGetAxisLabel(a, nullptr, -1, text);
    if (text.isEmpty()) continue;
    p.setFont(a.labelsFont_);
    p.setPen(Qt::black);
    int px = a.ValueToPixel(v);
    int w = fm.horizontalAdvance(text);
    if (a.horizontal_)
      p.drawText(QRect(px - w / 2 - 1, labelsPos, w + 2, fm.height()), Qt::AlignCenter, text);
    else
      p.drawText(QRect(labelsPos - w - 1, px - fm.height() / 2, w + 1, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                 text);
  }
  if (!a.titleCaption_.isEmpty()) {
    p.setFont(a.titleFont_);
    p.setPen(Qt::black);
    QFontMetrics tfm(a.titleFont_);
    int w = tfm.horizontalAdvance(a.titleCaption_);
    if (a.horizontal_)
      p.drawText(QRect((r.left() + r.right() - w) / 2, titlePos, w + 2, tfm.height()), Qt::AlignCenter, a.titleCaption_);
    else
      p.drawText(QRect(titlePos - w / 2 - 1, (r.top() + r.bottom() - tfm.height()) / 2, w + 2, tfm.height()),
                 Qt::AlignCenter, a.titleCaption_);
  }
  p.restore();
}

void Chart::DrawTitle(Pass& ps, ChartTitle& t, int top) {
  if (!t.visible_ || t.text_.isEmpty()) return;
  QPainter& p = *ps.p;
  p.setFont(t.font_);
  p.setPen(Qt::black);
  QFontMetrics fm(t.font_);
  Qt::Alignment h = t.align_ & Qt::AlignHorizontal_Mask;
  if (!h) h = Qt::AlignHCenter;
  for (const QString& line : t.text_) {
    p.drawText(QRect(5, top, ps.size.width() - 10, fm.height()), h | Qt::AlignVCenter, line);
    top += fm.height();
  }
}

void Chart::DrawLegend(Pass& ps) {
  if (ps.legend.empty()) return;
  QPainter& p = *ps.p;
  p.fillRect(ps.legendRect, legend_.color_);
  const int cw = legend_.colorWidth_;
  for (size_t i = 0; i < ps.legend.size(); ++i) {
    auto& it = ps.legend[i];
    int x = it.textRect.left(), y = it.textRect.top(), xColor = x - 4 - cw;
    if (OnGetLegendPos) OnGetLegendPos(static_cast<int>(i), x, y, xColor);
    const int mid = y + it.textRect.height() / 2;
    if (auto* line = dynamic_cast<LineSeries*>(it.s)) {
      p.setPen(line->LinePen());
      p.drawLine(xColor, mid, xColor + cw, mid);
    } else if (auto* pts = dynamic_cast<PointSeries*>(it.s)) {
      DrawPointer(p, pts->Style(), xColor + cw / 2, mid, pts->HorizSize(), pts->VertSize(), pts->SeriesColor());
    }
    p.setFont(it.font);
    p.setPen(Qt::black);
    p.drawText(QRect(x, y, it.textRect.width(), it.textRect.height()), Qt::AlignLeft | Qt::AlignVCenter, it.text);
  }
}

void Chart::FindVisible(ChartSeries& s) const {
  s.EnsureOrder();
  s.firstVisible_ = s.lastVisible_ = -1;
  const auto begin = s.xs_.begin(), end = begin + s.finite_;
  const auto lo = std::lower_bound(begin, end, bottom_.curMin_);
  const auto hi = std::upper_bound(lo, end, bottom_.curMax_);
  if (lo < hi) {
    s.firstVisible_ = static_cast<int>(lo - begin);
    s.lastVisible_ = static_cast<int>(hi - begin) - 1;
  }
}

void Chart::DrawLineSeries(Pass& ps, LineSeries& s) {
  FindVisible(s);
  const int n = s.finite_;  // x ascends over 0..n-1; the rest has no x
  if (n == 0) return;
  // Points drawn: the visible ones and one neighbour each side, so the line
  // runs on to the plot's edges, where it is cut.
  const double* xs = s.xs_.data();
  const double* ys = s.ys_.data();
  const int lo = static_cast<int>(std::lower_bound(xs, xs + n, bottom_.curMin_) - xs);
  const int hi = static_cast<int>(std::upper_bound(xs + lo, xs + n, bottom_.curMax_) - xs);
  const int from = std::max(lo - 1, 0), to = std::min(hi, n - 1);
  if (from > to) return;
  double bx0, bx1, ly0, ly1;
  EffectiveRange(bottom_.curMin_, bottom_.curMax_, bx0, bx1);
  EffectiveRange(left_.curMin_, left_.curMax_, ly0, ly1);
  const double L = plot_.left(), B = plot_.bottom();
  const double sx = (plot_.right() - plot_.left()) / (bx1 - bx0);
  const double sy = (plot_.bottom() - plot_.top()) / (ly1 - ly0);

  // Per pixel column: its first, highest, lowest and last point, in whole
  // pixels rounded as ValueToPixel rounds. Never a stride: no peak is lost.
  // Each column is a run of points found by search, and only its extremes
  // are converted to pixels.
  auto& cols = ps.cols;
  cols.clear();
  auto pixelX = [&](double x) { return PixelOf(L + (x - bx0) * sx); };
  auto pixelY = [&](double y) { return PixelOf(B - (y - ly0) * sy); };
  for (int i = from; i <= to;) {
    const int px = pixelX(xs[i]);
    const double xEnd = bx0 + (px + 0.5 - L) / sx;  // first x of the next column
    int j = i + 1;
    if (j <= to && xs[j] < xEnd) {
      int step = 1;
      while (j + step <= to && xs[j + step] < xEnd) step *= 2;
      j = static_cast<int>(std::lower_bound(xs + j + step / 2, xs + std::min(j + step, to + 1), xEnd) - xs);
    }
    double mn = std::numeric_limits<double>::infinity(), mx = -mn;
    for (int k = i; k < j; ++k) {
      const double y = ys[k];
      mn = y < mn ? y : mn;  // NaN never compares: skipped
      mx = y > mx ? y : mx;
    }
    if (!Finite(mn) || !Finite(mx)) {  // infinities among the points
      mn = std::numeric_limits<double>::infinity(), mx = -mn;
      for (int k = i; k < j; ++k)
        if (Finite(ys[k])) mn = std::min(mn, ys[k]), mx = std::max(mx, ys[k]);
    }
    if (mn <= mx) {
      int a = i, b = j - 1;
      while (!Finite(ys[a])) ++a;
      while (!Finite(ys[b])) --b;
      cols.push_back(Pass::Column{px, pixelY(ys[a]), pixelY(ys[b]), pixelY(mx), pixelY(mn), i, j});
    }
    i = j;
  }
  if (cols.empty()) return;

  QPainter& p = *ps.p;
  const QPen& pen = s.LinePen();
  Raster r;
  if (r.Begin(p, pen, plot_)) {
    // Straight into the image: one vertical span per column, then the step
    // to the next column's first point.
    r.BeginSpans();
    for (size_t k = 0; k < cols.size(); ++k) {
      const auto& c = cols[k];
      r.AddSpan(c.x, c.top, c.bottom);
      if (k + 1 < cols.size()) r.Step(c.x, c.last, cols[k + 1].x, cols[k + 1].first);
    }
    r.FlushSpans();
    return;
  }
  auto& out = ps.pts;
  out.clear();
  for (const auto& c : cols) {
    out.emplace_back(c.x, c.first);
    // The top and bottom in the order met (a column passes through both).
    bool topFirst = false;
    for (int k = c.from; k < c.to; ++k) {
      if (!Finite(ys[k])) continue;
      const int py = pixelY(ys[k]);
      if (py == c.top || py == c.bottom) {
        topFirst = py == c.top;
        break;
      }
    }
    int a = topFirst ? c.top : c.bottom, b = topFirst ? c.bottom : c.top;
    if (c.top != c.bottom) {
      out.emplace_back(c.x, a);
      out.emplace_back(c.x, b);
    }
    out.emplace_back(c.x, c.last);
  }
  // Cut at the plot's sides, so vector output holds no line beyond them
  // either; the painter's clip trims what a wide pen puts over the edge.
  p.save();
  p.setClipRect(QRect(plot_.topLeft(), plot_.bottomRight() + QPoint(1, 1)), Qt::IntersectClip);
  p.setPen(pen);
  DrawClippedPolyline(p, out, QRectF(plot_.left(), plot_.top(), plot_.width() - 1, plot_.height() - 1), ps.run);
  p.restore();
}

void Chart::DrawPointSeries(Pass& ps, PointSeries& s) {
  FindVisible(s);
  if (s.firstVisible_ < 0) return;
  QPainter& p = *ps.p;
  QPoint prev(std::numeric_limits<int>::min(), 0);
  for (int i = s.firstVisible_; i <= s.lastVisible_; ++i) {
    const double x = s.xs_[i], y = s.ys_[i];
    if (!Finite(x) || !Finite(y)) continue;
    QPoint pt(bottom_.ValueToPixel(x), left_.ValueToPixel(y));
    if (pt == prev || std::abs(pt.x()) > 100000 || std::abs(pt.y()) > 100000) continue;
    prev = pt;
    DrawPointer(p, s.Style(), pt.x(), pt.y(), s.HorizSize(), s.VertSize(), s.SeriesColor());
  }
}

// The chart up to and including its series, on pass.p at pass.size.
void Chart::RenderBase(Pass& ps) {
  QPainter& painter = *ps.p;
  EnsureRanges();
  pass_ = &ps;
  canvas_ = &painter;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  Layout(ps);
  // The panel around the plot, then the plot: each pixel written once.
  const QRect all(QPoint(0, 0), ps.size), plot = plot_.intersected(all);
  if (plot.isEmpty()) {
    painter.fillRect(all, color_);
  } else {
    painter.fillRect(QRect(0, 0, all.width(), plot.top()), color_);
    painter.fillRect(QRect(0, plot.bottom() + 1, all.width(), all.height() - plot.bottom() - 1), color_);
    painter.fillRect(QRect(0, plot.top(), plot.left(), plot.height()), color_);
    painter.fillRect(QRect(plot.right() + 1, plot.top(), all.width() - plot.right() - 1, plot.height()), color_);
    painter.fillRect(plot, backColor_);
  }
  DrawTitle(ps, title_, ps.titleTop);
  DrawTitle(ps, foot_, ps.footTop);
  DrawLegend(ps);
  if (left_.grid_) DrawAxis(ps, left_, 0, 0, 0, true, true);
  if (bottom_.grid_) DrawAxis(ps, bottom_, 0, 0, 0, true, true);
  if (frame_) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot_);
  }
  const int la = left_.axisPixelPos_, ba = bottom_.axisPixelPos_;
  DrawAxis(ps, left_, la - kLabelGap, leftTitleX_, la, false, false);
  DrawAxis(ps, bottom_, ba + kTick + 2, ba + kTick + 4 + QFontMetrics(bottom_.labelsFont_).height(), ba, false, false);

  for (auto& s : series_) {
    if (!s->Active()) continue;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    if (auto* line = dynamic_cast<LineSeries*>(s.get())) {
      DrawLineSeries(ps, *line);
    } else {
      if (clipPoints_) painter.setClipRect(QRect(plot_.topLeft(), plot_.bottomRight() + QPoint(1, 1)));
      DrawPointSeries(ps, static_cast<PointSeries&>(*s));
    }
    painter.restore();
    if (s->firstVisible_ >= 0 && s->AfterDrawValues) {
      painter.save();
      s->AfterDrawValues(*s);
      painter.restore();
    }
  }
  painter.restore();
  canvas_ = nullptr;
  pass_ = nullptr;
}

void Chart::RunAfterDraw(Pass& ps) {
  if (!OnAfterDraw) return;
  pass_ = &ps;
  canvas_ = ps.p;
  ps.p->save();
  ps.p->setRenderHint(QPainter::Antialiasing, false);
  OnAfterDraw();
  ps.p->restore();
  canvas_ = nullptr;
  pass_ = nullptr;
}

void Chart::Render(QPainter& painter, QSize size) {
  // Geometry of another size must not leak into the screen's.
  const QRect savedPlot = plot_;
  const auto savedBoxes = legendBoxes_;
  const ChartAxis savedLeft = left_, savedBottom = bottom_;
  const bool keep = laidOut_ && size != this->size();
  Pass ps;
  ps.p = &painter;
  ps.size = size;
  RenderBase(ps);
  RunAfterDraw(ps);
  if (keep) {
    plot_ = savedPlot;
    legendBoxes_ = savedBoxes;
    for (auto [a, s] : {std::pair{&left_, &savedLeft}, std::pair{&bottom_, &savedBottom}}) {
      a->startPx_ = s->startPx_;
      a->endPx_ = s->endPx_;
      a->axisPixelPos_ = s->axisPixelPos_;
      a->labelsPixelPos_ = s->labelsPixelPos_;
    }
    imageDirty_ = true;  // visible indices are the screen's again at its next pass
  }
}

void Chart::RenderScreen(bool afterDrawOnly) {
  const QSize sz = size().expandedTo(QSize(1, 1));
  Pass ps;
  ps.size = sz;
  if (!afterDrawOnly || imageDirty_ || base_.size() != sz) {
    imageDirty_ = false;
    repaintAgain_ = false;
    base_ = QImage(sz, QImage::Format_RGB32);
    QPainter p(&base_);
    ps.p = &p;
    RenderBase(ps);
  }
  screen_ = base_.copy();
  {
    QPainter p(&screen_);
    ps.p = &p;
    RunAfterDraw(ps);
  }
  if (repaintAgain_) {
    // A hook changed a setting (an axis position, say): one more pass.
    repaintAgain_ = false;
    imageDirty_ = true;
    QTimer::singleShot(0, this, [this] { update(); });
  }
}

void Chart::EnsureImage() {
  if (imageDirty_ || screen_.size() != size().expandedTo(QSize(1, 1))) RenderScreen(false);
}

void Chart::Repaint() {
  imageDirty_ = true;
  RenderScreen(false);
  update();
}

void Chart::RepaintAfterDraw() {
  RenderScreen(true);
  update();
}

QImage Chart::Image() {
  EnsureImage();
  return screen_;
}

void Chart::XorLine(int x1, int y1, int x2, int y2, const QPen& pen) {
  EnsureImage();
  {
    QPainter p(&screen_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(pen);
    p.drawLine(x1, y1, x2, y2);
  }
  int w = static_cast<int>(std::ceil(pen.widthF())) + 2;
  update(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))).adjusted(-w, -w, w, w));
}

// ---- widget events

void Chart::paintEvent(QPaintEvent* e) {
  EnsureImage();
  QPainter p(this);
  p.drawImage(e->rect(), screen_, e->rect());
}

void Chart::resizeEvent(QResizeEvent*) {
  imageDirty_ = true;
  rangesDirty_ = true;
}

void Chart::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (e->button() == Qt::RightButton) {
    drag_ = Drag::Scroll;
    dragStart_ = dragLast_ = pos;
  } else if (e->button() == Qt::LeftButton && allowZoom_) {
    drag_ = Drag::Zoom;
    dragStart_ = dragLast_ = pos;
    zoomBand_ = QRect();
  }
}

void Chart::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (drag_ == Drag::Scroll && (e->buttons() & Qt::RightButton)) {
    QPoint d = pos - dragLast_;
    dragLast_ = pos;
    ScrollBy(d.x(), d.y());
  } else if (drag_ == Drag::Zoom && (e->buttons() & Qt::LeftButton)) {
    const QPen pen(QColor(255, 255, 255), 1);
    auto band = [&](const QRect& r) {
      XorLine(r.left(), r.top(), r.right(), r.top(), pen);
      XorLine(r.right(), r.top() + 1, r.right(), r.bottom(), pen);
      XorLine(r.right() - 1, r.bottom(), r.left(), r.bottom(), pen);
      XorLine(r.left(), r.bottom() - 1, r.left(), r.top() + 1, pen);
    };
    if (!zoomBand_.isNull()) band(zoomBand_);
    zoomBand_ = QRect(dragStart_, pos).normalized();
    if (zoomBand_.width() > 2 && zoomBand_.height() > 2)
      band(zoomBand_);
    else
      zoomBand_ = QRect();
  }
  if (OnMouseMove) OnMouseMove(e->buttons(), e->modifiers(), pos.x(), pos.y());
}

void Chart::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (drag_ == Drag::Zoom && e->button() == Qt::LeftButton) {
    zoomBand_ = QRect();
    if (pos.x() > dragStart_.x() && pos.y() > dragStart_.y())
      ZoomToRect(dragStart_.x(), dragStart_.y(), pos.x(), pos.y());
    else if (pos.x() < dragStart_.x() || pos.y() < dragStart_.y())
      ResetZoom();
    Repaint();
  }
  drag_ = Drag::None;
  if (OnMouseUp) OnMouseUp(e->button(), e->modifiers(), pos.x(), pos.y());
}

}  // namespace kv
