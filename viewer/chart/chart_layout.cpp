#include "viewer/chart/chart.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "viewer/chart/chart_internal.h"

namespace kv {

using namespace chart_detail;

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

void ChartTitle::SetColor(const QColor& c) {
  if (color_ == c) return;
  color_ = c;
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

  Room room;
  if (OnLayoutRoom) OnLayoutRoom(room);

  int y = mTop;
  ps.titleTop = y;
  int titleInk = 0;  // below the title's text, if it has any
  if (title_.visible_ && !title_.text_.isEmpty()) {
    y += QFontMetrics(title_.font_).height() * title_.text_.size() + 4;
    if (std::any_of(title_.text_.begin(), title_.text_.end(), [](const QString& l) { return !l.isEmpty(); })) titleInk = y;
  }
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
      p.setPen(Qt::black);
      if (OnGetLegendText) OnGetLegendText(static_cast<int>(ps.legend.size()), it.text);
      it.font = p.font();
      it.color = p.pen().color();
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
  const int T = std::max(y + lfm.height() / 2 + 1, titleInk + std::max(room.above, 0));
  const double cb = bottom_.positionPercent_ < 0 ? -bottom_.positionPercent_ / 100 : 0;
  int B = static_cast<int>(std::floor((yb - below - std::max(room.below, 0) + cb * T) / (1 + cb)));

  // Left axis: labels and title left of its line, which may sit a
  // percentage of the plot width left of the plot.
  EnsureRanges();
  int labelsW = 0;
  for (double v : LabelValues(left_.increment_, left_.curMin_, left_.curMax_, std::max(1, B - T), LabelSpacing(left_, B - T)))
    labelsW = std::max(labelsW, lfm.horizontalAdvance(ChartAxis::FormatFloat(left_.format_, v)));
  int titleW = left_.titleCaption_.isEmpty() ? 0 : QFontMetrics(left_.titleFont_).horizontalAdvance(left_.titleCaption_) + 4;
  int R = W - std::max(mRight, bfm.horizontalAdvance(ChartAxis::FormatFloat(bottom_.format_, bottom_.curMax_)) / 2 + 2 +
                                   std::max(room.right, 0));
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

void Chart::DrawTitle(Pass& ps, ChartTitle& t, int top) {
  if (!t.visible_ || t.text_.isEmpty()) return;
  QPainter& p = *ps.p;
  p.setFont(t.font_);
  p.setPen(t.color_);
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
      p.setPen(ps.Patterned(line->LinePen()));
      p.drawLine(xColor, mid, xColor + cw, mid);
    } else if (auto* pts = dynamic_cast<PointSeries*>(it.s)) {
      DrawPointer(p, pts->Style(), xColor + cw / 2, mid, pts->HorizSize(), pts->VertSize(), pts->SeriesColor());
    }
    p.setFont(it.font);
    p.setPen(it.color);
    p.drawText(QRect(x, y, it.textRect.width(), it.textRect.height()), Qt::AlignLeft | Qt::AlignVCenter, it.text);
  }
}


}  // namespace kv
