// One vertical axis per type group and the after-draw pass of Chart1: the
// left axis' labels in each group's units, the further group axes, their
// captions, the time axis on the zero line, and the trace cursor with its
// time labels and read-out.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <utility>

#include "viewer/app/font_choice.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/tras.h"
#include "viewer/core/group_axes.h"

namespace {

const QString kTimeFormat = QStringLiteral("##0.######");
const QString kTimeAxisText = QStringLiteral("t,c.");
const QString kNoValue = QStringLiteral("--");

// Labels stand 10 pixels and the title 40 pixels left of an extra axis.
constexpr int kLabelsOffset = 10;
constexpr int kTitleOffset = 40;
constexpr int kCaptionGap = 4;      // between captions on one row
constexpr int kTimeTextGap = 4;     // between the last time label and "t,c."
constexpr int kBelowLabelsGap = 2;  // between the time labels and captions below

}  // namespace

void TFormGraph::Chart1GetAxisLabel(kv::ChartAxis& axis, QString& text) {
  kv::Chart& c = *Chart1;
  const QRect plot = c.PlotRect();
  if (&axis == &c.BottomAxis()) {
    // Where the chart writes this label (centred on its pixel): "t,c." keeps
    // clear of the last one.
    if (!text.isEmpty()) {
      const int w = QFontMetrics(axis.LabelsFont()).horizontalAdvance(text);
      FTimeLabelsRight = std::max(FTimeLabelsRight, axis.LabelPixelPos() - w / 2 + w + 1);
    }
    return;
  }
  if (&axis != &c.LeftAxis() || Graph.TypeGroupCount == 0) return;
  const int p = axis.AxisPixelPos();
  const kv::AxisLabelOwner owner =
      kv::LabelOwner(p, plot.left(), plot.right() - plot.left(), axis.PositionPercent(),
                     std::min<int>(Graph.TypeGroupCount, kv::kMaxTypeGroups));
  if (owner.kind == kv::AxisLabelOwner::Blank) {
    text.clear();  // the trace cursor line: ticks, no labels
    return;
  }
  if (owner.kind != kv::AxisLabelOwner::Group) return;
  const kv::TTypeGroupRec& g = Graph.TypeGroups[static_cast<std::size_t>(owner.group)];
  text = kv::ChartAxis::FormatFloat(axis.AxisValuesFormat(), axis.LabelValue() * g.Span + g.Base);

  c.Title().SetVisible(!FCaptionsBelow || !c.Title().Text().isEmpty());
  // The after-draw pass writes each further axis' caption once, not per label.
  if (!FInAfterDraw) DrawGroupCaption(axis, p, owner.group);
}

void TFormGraph::DrawGroupCaption(kv::ChartAxis& axis, int p, int group) {
  kv::Chart& c = *Chart1;
  QPainter* canvas = c.Canvas();
  if (!canvas) return;
  canvas->setFont(axis.TitleFont());
  canvas->setBrush(QBrush(c.Color(), Qt::SolidPattern));
  axis.SetTitleCaption(QString::fromStdString(Graph.TypeGroups[static_cast<std::size_t>(group)].Caption));
  const std::vector<int> rows = CaptionRows();
  const int row = static_cast<std::size_t>(group) < rows.size() ? rows[static_cast<std::size_t>(group)] : 0;
  axis.DrawAxisTitleAt(p, kv::GroupCaptionRowY(CaptionGeometry(), FCaptionsBelow, row));
  axis.SetTitleCaption(QString());
}

std::vector<int> TFormGraph::CaptionRows() const {
  const int groups = std::min<int>(Graph.TypeGroupCount, kv::kMaxTypeGroups);
  const QFontMetrics fm(Chart1->LeftAxis().TitleFont());
  std::vector<int> widths;
  for (int k = 0; k < groups; ++k) {
    const QString caption = QString::fromStdString(Graph.TypeGroups[static_cast<std::size_t>(k)].Caption);
    widths.push_back(caption.isEmpty() ? 0 : fm.horizontalAdvance(caption) + 2);  // the box the caption fills
  }
  return kv::GroupCaptionRows(widths, kCaptionGap);
}

kv::CaptionRowsGeometry TFormGraph::CaptionGeometry() const {
  const kv::Chart& c = *Chart1;
  const QRect plot = c.PlotRect();
  const QFontMetrics title(c.LeftAxis().TitleFont());
  kv::CaptionRowsGeometry g;
  g.T = plot.top();
  g.B = plot.bottom();
  g.fontHeight = -vistrel::FontHeight(c.LeftAxis().LabelsFont());  // the platform's negative font height
  g.height = title.height();
  g.step = title.height() + 1;
  g.freeBelow = c.BottomAxis().LabelsPixelPos() + QFontMetrics(c.BottomAxis().LabelsFont()).height() + kBelowLabelsGap;
  return g;
}

void TFormGraph::Chart1LayoutRoom(kv::Chart::Room& room) {
  kv::Chart& c = *Chart1;
  room.right = QFontMetrics(c.BottomAxis().LabelsFont()).horizontalAdvance(kTimeAxisText) + kTimeTextGap;
  const std::vector<int> rows = CaptionRows();
  if (rows.empty()) return;
  const int count = *std::max_element(rows.begin(), rows.end()) + 1;
  if (FCaptionsBelow)
    room.below = kBelowLabelsGap + kv::GroupCaptionRoom(CaptionGeometry(), true, count);
  else
    room.above = kv::GroupCaptionRoom(CaptionGeometry(), false, count);
}

void TFormGraph::DrawTimeAxisText() {
  kv::Chart& c = *Chart1;
  const int labelsRight = std::exchange(FTimeLabelsRight, INT_MIN);
  QPainter* p = c.Canvas();
  if (!p || labelsRight == INT_MIN) return;  // no time label, no "t,c." (as before)
  p->save();
  p->setFont(c.BottomAxis().LabelsFont());
  p->setPen(Qt::black);
  const QFontMetrics fm(p->font());
  const int x = std::max(c.PlotRect().right() - fm.horizontalAdvance(kTimeAxisText), labelsRight + kTimeTextGap);
  p->drawText(QPoint(x, c.BottomAxis().LabelsPixelPos() + fm.ascent()), kTimeAxisText);
  p->restore();
}

void TFormGraph::DrawGroupAxes() {
  kv::Chart& c = *Chart1;
  kv::ChartAxis &left = c.LeftAxis(), &bottom = c.BottomAxis();
  const QRect plot = c.PlotRect();
  const int L = plot.left(), W = plot.right() - plot.left();
  DrawTimeAxisText();

  const int groups = std::min<int>(Graph.TypeGroupCount, kv::kMaxTypeGroups);
  FInAfterDraw = true;
  for (int k = 1; k < groups; ++k) {
    const int x = kv::GroupAxisX(L, W, left.PositionPercent(), k);
    left.DrawAxisAt(x - kLabelsOffset, x - kTitleOffset, x, false);
    DrawGroupCaption(left, x, k);
  }
  FInAfterDraw = false;

  // The time axis on the plotted zero line, or set off below the plot. The
  // change repaints, so the axis settles at the following paint.
  if (FormTool) {
    if (FormTool->TimeAxisCheck->isChecked()) {
      if (const auto pct = kv::ZeroLinePercent(left.ValueToPixel(0), plot.top(), plot.bottom()))
        bottom.SetPositionPercent(*pct);
    } else {
      bottom.SetPositionPercent(FormTool->PosAxisCheck->isChecked() ? -2 : 0);
    }
  }
}

void TFormGraph::Chart1AfterDraw() {
  if (!TrasSBtn->isChecked()) return;
  FollowCursorPoint();
  if (FCursorX <= 0) return;
  // Print and export lay the chart out anew: the line goes to its trace
  // point's pixel there, and the screen's labels and read-out stay as they are.
  const bool screen = Chart1->ScreenPass();
  const int x = screen ? FCursorX : OutputCursorX();
  if (x <= 0) return;
  // The trace cursor: a copy of the left axis with ticks and no labels.
  kv::ChartAxis& left = Chart1->LeftAxis();
  FInAfterDraw = true;
  left.DrawAxisAt(x - kLabelsOffset, x - kTitleOffset, x, false);
  FInAfterDraw = false;
  if (screen) WriteReadOut();
}

int TFormGraph::OutputCursorX() const {
  const std::optional<int> x = CursorPointX();
  const QRect plot = Chart1->PlotRect();
  return x && *x >= plot.left() && *x <= plot.right() ? *x : -1;
}

void TFormGraph::WriteReadOut() {
  kv::ChartAxis& left = Chart1->LeftAxis();
  const auto rows = TraceRows();
  const auto idx = TraceIndices();
  const QString time = kv::ChartAxis::FormatFloat(kTimeFormat, kv::CursorTime(rows, {idx.data(), rows.size()}));
  // At the cursor, one at the top and one at the bottom of the plot (which a
  // resize moves).
  const QRect plot = Chart1->PlotRect();
  TimeLabel->move(FCursorX + left.AxisPen().width(), plot.bottom() - TimeLabel->height());
  TimeLabel1->move(FCursorX + left.AxisPen().width(), plot.top());
  for (QLabel* l : {TimeLabel, TimeLabel1}) l->setText(time);
  if (!TrasWin) return;
  TTrasGrid& g = *TrasWin->TrasString;
  if (DragState != kv::DragKind::Cursor) g.SetCells(1, 0, time);
  // Phenomena added or deleted while tracing: the titles follow.
  if (ActiveSlotMask() != FTraceTitlesOf) WriteTraceTitles();
  int row = 0;
  for (int slot = 0; slot < kv::kSlotCount; ++slot) {
    const kv::LineSeries* s = Series[static_cast<std::size_t>(slot)];
    if (!s->Active()) continue;
    const kv::TSeriesRec& rec = Graph.SeriesRecs[static_cast<std::size_t>(slot)];
    const std::int32_t i = rec.TraceIndex;
    g.SetCells(1, ++row,
               i >= 0 && i < s->PointCount()
                   ? kv::ChartAxis::FormatFloat(left.AxisValuesFormat(), s->PointY(i) * rec.Scale + rec.Offset)
                   : kNoValue);
  }
  while (row < kv::kSlotCount) g.SetCells(1, ++row, QString());
}
