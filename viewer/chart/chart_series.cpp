#include "viewer/chart/chart.h"

#include <algorithm>
#include <cmath>

#include "viewer/chart/chart_internal.h"

namespace kv {

using namespace chart_detail;

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
    ext_.Take(x, y);
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

void ChartSeries::TransformY(double mul, double add, double div) {
  if (ys_.empty()) return;
  for (double& y : ys_) y = (y * mul + add) / div;
  ext_.valid = false;
  chart_->Invalidate(true);
}

int ChartSeries::PointPixelX(int i) const { return chart_->BottomAxis().ValueToPixel(PointX(i)); }

const ChartSeries::Extremes& ChartSeries::Ext() const {
  if (ext_.valid) return ext_;
  Extremes e;
  for (size_t i = 0; i < xs_.size(); ++i) e.Take(xs_[i], ys_[i]);
  e.valid = true;
  ext_ = e;
  return ext_;
}

void ChartSeries::Extremes::Take(double x, double y) {
  if (!Finite(x) || !Finite(y)) return;
  if (!any) {
    minX = maxX = x;
    minY = maxY = y;
    any = true;
  } else {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
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

}  // namespace kv
