#include "viewer/chart/chart.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "common/decimal_format.h"
#include "viewer/chart/chart_internal.h"

namespace kv {

using namespace chart_detail;

namespace {

// 1, 2 or 5 times a power of ten, not below x (x > 0).
double NiceCeil(double x) {
  double p = std::pow(10.0, std::floor(std::log10(x)));
  double r = x / p;
  double m = r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10;
  return m * p;
}

}  // namespace

namespace chart_detail {

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

}  // namespace chart_detail

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

void ChartAxis::SetTitleColor(const QColor& c) {
  if (titleColor_ == c) return;
  titleColor_ = c;
  if (!chart_->pass_) Changed(false);
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
  chart_->FlushLines();
  const int a = axisPixelPos_, l = labelsPixelPos_;
  chart_->DrawAxis(*chart_->pass_, *this, labelsPos, titlePos, axisPos, grid, false);
  axisPixelPos_ = a;
  labelsPixelPos_ = l;
}

void ChartAxis::DrawAxisTitleAt(int x, int y) {
  QPainter* p = chart_->Canvas();
  if (!p || titleCaption_.isEmpty()) return;
  p->save();
  p->setFont(titleFont_);
  QFontMetrics fm(titleFont_);
  QRect r(0, 0, fm.horizontalAdvance(titleCaption_) + 2, fm.height());
  r.moveCenter(QPoint(x, y));
  if (p->brush().style() != Qt::NoBrush) p->fillRect(r, p->brush());
  p->setPen(titleColor_);
  p->drawText(r, Qt::AlignCenter, titleCaption_);
  p->restore();
}

QString ChartAxis::FormatFloat(const QString& format, double v) {
  return QString::fromStdString(FormatPattern(format.toStdString(), v));
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
    p.setPen(ps.Patterned(QPen(Qt::gray, 1, Qt::DotLine)));
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
    const int px = a.ValueToPixel(v);
    p.setFont(a.labelsFont_);
    a.labelValue_ = v;
    a.labelPixelPos_ = px;
    if (OnGetAxisLabel) OnGetAxisLabel(a, nullptr, -1, text);
    if (text.isEmpty()) continue;
    p.setFont(a.labelsFont_);
    p.setPen(Qt::black);
    int w = fm.horizontalAdvance(text);
    if (a.horizontal_)
      p.drawText(QRect(px - w / 2 - 1, labelsPos, w + 2, fm.height()), Qt::AlignCenter, text);
    else
      p.drawText(QRect(labelsPos - w - 1, px - fm.height() / 2, w + 1, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                 text);
  }
  if (!a.titleCaption_.isEmpty()) {
    p.setFont(a.titleFont_);
    p.setPen(a.titleColor_);
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


}  // namespace kv
