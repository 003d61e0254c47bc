#include "viewer/chart/chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "viewer/chart/chart_internal.h"

namespace kv {

using namespace chart_detail;

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
  ps.lines.Flush();
  if (OnAfterSeries) {
    painter.save();
    OnAfterSeries();
    ps.lines.Flush();
    painter.restore();
  }
  painter.restore();
  canvas_ = nullptr;
  pass_ = nullptr;
}

QPainter* Chart::Canvas() const {
  FlushLines();
  return canvas_;
}

void Chart::FlushLines() const {
  if (pass_) pass_->lines.Flush();
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

QPen Chart::Pass::Patterned(const QPen& pen) const {
  if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen) return pen;
  if (options.dashScale == 1 && !options.flatDashEnds) return pen;
  QPen out = pen;
  if (options.dashScale > 0 && Finite(options.dashScale) && options.dashScale != 1) {
    QList<qreal> pattern = pen.dashPattern();
    for (qreal& d : pattern) d *= options.dashScale;
    out.setDashPattern(pattern);
  }
  // The screen writes a one-pixel dash exactly as long as its pattern.
  if (options.flatDashEnds && pen.widthF() <= 1) out.setCapStyle(Qt::FlatCap);
  return out;
}

void Chart::Render(QPainter& painter, QSize size, const RenderOptions& options) {
  // Geometry of another size must not leak into the screen's.
  const QRect savedPlot = plot_;
  const auto savedBoxes = legendBoxes_;
  const ChartAxis savedLeft = left_, savedBottom = bottom_;
  const bool keep = laidOut_ && size != this->size();
  Pass ps;
  ps.p = &painter;
  ps.size = size;
  ps.options = options;
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

}  // namespace kv
