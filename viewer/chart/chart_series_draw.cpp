#include "viewer/chart/chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "viewer/chart/chart_internal.h"
#include "viewer/chart/chart_raster.h"

namespace kv {

using namespace chart_detail;

namespace {

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


// Least and greatest of y[0..n-1], NaN skipped (a NaN never compares);
// +inf and -inf when there is nothing else. Four running pairs at a time.
void MinMax(const double* y, int n, double& mn, double& mx) {
  mn = std::numeric_limits<double>::infinity(), mx = -mn;
  int k = 0;
#if defined(__x86_64__)
  if (n >= 8) {
    // minpd(v, m) is v < m ? v : m, the comparison below, lane by lane.
    __m128d lo0 = _mm_set1_pd(mn), lo1 = lo0, hi0 = _mm_set1_pd(mx), hi1 = hi0;
    for (; k + 4 <= n; k += 4) {
      const __m128d a = _mm_loadu_pd(y + k), b = _mm_loadu_pd(y + k + 2);
      lo0 = _mm_min_pd(a, lo0), lo1 = _mm_min_pd(b, lo1);
      hi0 = _mm_max_pd(a, hi0), hi1 = _mm_max_pd(b, hi1);
    }
    alignas(16) double l[4], h[4];
    _mm_store_pd(l, lo0), _mm_store_pd(l + 2, lo1), _mm_store_pd(h, hi0), _mm_store_pd(h + 2, hi1);
    for (int q = 0; q < 4; ++q) mn = l[q] < mn ? l[q] : mn, mx = h[q] > mx ? h[q] : mx;
  }
#endif
  for (; k < n; ++k) {
    const double v = y[k];
    mn = v < mn ? v : mn;
    mx = v > mx ? v : mx;
  }
}

}  // namespace

namespace chart_detail {

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

}  // namespace chart_detail

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
    double mn, mx;
    MinMax(ys + i, j - i, mn, mx);
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
  Raster& r = ps.lines;
  if (r.Begin(p, pen, plot_)) {
    // Straight into the image: one vertical span per column, then the step
    // to the next column's first point; written when something else draws.
    for (size_t k = 0; k < cols.size(); ++k) {
      const auto& c = cols[k];
      r.AddSpan(c.x, c.top, c.bottom);
      if (k + 1 < cols.size()) r.Step(c.x, c.last, cols[k + 1].x, cols[k + 1].first);
    }
    return;
  }
  r.Flush();
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
  p.setPen(ps.Patterned(pen));
  DrawClippedPolyline(p, out, QRectF(plot_.left(), plot_.top(), plot_.width() - 1, plot_.height() - 1), ps.run);
  p.restore();
}

void Chart::DrawPointSeries(Pass& ps, PointSeries& s) {
  FindVisible(s);
  if (s.firstVisible_ < 0) return;
  ps.lines.Flush();
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

}  // namespace kv
