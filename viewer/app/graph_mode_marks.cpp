// Phenomenon markers on the chart and the slot shapes and numbers in its
// legend.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <cmath>

#include "viewer/app/draw_series_marks.h"
#include "viewer/app/font_choice.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/tool_form.h"
#include "viewer/core/series_marks.h"

namespace {

enum MarkKind { kFigure = 0, kNumber = 1 };

// The marker options of the options dialog as it stands; its defaults when
// there is none.
struct MarkOptions {
  bool on = true;      // MarksCheck
  int kind = kFigure;  // TypeMarks item, -1 for none
  bool clip = false;   // ClipPoint
};

MarkOptions ReadMarkOptions() {
  MarkOptions o;
  if (!FormTool) return o;
  o.on = FormTool->MarksCheck->isChecked();
  o.kind = FormTool->TypeMarks->ItemIndex();
  o.clip = FormTool->ClipPoint->isChecked();
  return o;
}

}  // namespace

void TFormGraph::ConnectMarks() {
  for (kv::LineSeries* s : Series) s->AfterDrawValues = [this](kv::ChartSeries& sender) { Series2AfterDrawValues(sender); };
  Chart1->OnGetLegendText = [this](int index, QString& text) { Chart1GetLegendText(index, text); };
  Chart1->OnGetLegendPos = [this](int index, int& x, int& y, int& xColor) { Chart1GetLegendPos(index, x, y, xColor); };
}

void TFormGraph::ApplyMarkOptions() {
  if (ReadMarkOptions().on) return;
  for (kv::PointSeries* m : FMarkSeries) m->ClearPoints();
}

void TFormGraph::Series2AfterDrawValues(kv::ChartSeries& S) {
  int slot = -1;
  for (int j = 0; j < kv::kSlotCount; ++j)
    if (Series[static_cast<std::size_t>(j)] == &S) slot = j;
  if (slot < 0) return;
  kv::PointSeries& marks = *FMarkSeries[static_cast<std::size_t>(slot)];
  const MarkOptions o = ReadMarkOptions();
  if (!o.on) {
    // Markers off: the figures of earlier passes go too.
    marks.ClearPoints();
    return;
  }
  const std::vector<int> indices = kv::MarkerIndices(S.FirstVisibleIndex(), S.LastVisibleIndex());
  if (o.kind == kFigure) {
    marks.ClearPoints();
    for (int i : indices) marks.AddPoint(S.PointX(i), S.PointY(i));
    return;
  }
  if (o.kind != kNumber) return;
  QPainter* canvas = Chart1->Canvas();
  if (!canvas) return;
  // The slot number in bold italic on the plot's colour; the mark font at
  // the legend font's height.
  QFont font = S.MarksFont();
  const int legendHeight = vistrel::FontHeight(Chart1->Legend().Font());
  font.setPixelSize(legendHeight);
  font.setBold(true);
  font.setItalic(true);
  canvas->setFont(font);
  canvas->setPen(Qt::black);
  marks.ClearPoints();
  const QString text = QString::number(slot + 1);
  const QFontMetrics fm(font);
  const QSize box(fm.horizontalAdvance(text), fm.height());
  // The text's top stands half a font height above the point: the mark
  // font's height for five markers, the legend font's for every point.
  const int lift = (indices.size() == 5 ? vistrel::FontHeight(S.MarksFont()) : legendHeight) / 2;
  const QRect plot = Chart1->PlotRect();
  for (int i : indices) {
    const double x = S.PointX(i), y = S.PointY(i);
    if (!std::isfinite(x) || !std::isfinite(y)) continue;  // a point the chart does not draw either
    const int px = Chart1->BottomAxis().ValueToPixel(x), py = Chart1->LeftAxis().ValueToPixel(y);
    if (o.clip && (px < plot.left() || px > plot.right() || py < plot.top() || py > plot.bottom())) continue;
    const QRect r(QPoint(px, py - lift), box);
    canvas->fillRect(r, Chart1->BackColor());
    canvas->drawText(r, Qt::AlignLeft | Qt::AlignTop, text);
  }
}

namespace {

int SlotOfLegendItem(const std::array<kv::LineSeries*, kv::kSlotCount>& series, int index) {
  std::array<bool, kv::kSlotCount> active{};
  for (int s = 0; s < kv::kSlotCount; ++s) active[static_cast<std::size_t>(s)] = series[static_cast<std::size_t>(s)]->Active();
  return kv::LegendItemSlot(active, index);
}

}  // namespace

void TFormGraph::Chart1GetLegendText(int Index, QString& LegendText) {
  const int slot = SlotOfLegendItem(Series, Index);
  if (slot < 0) return;
  // Each item in the font (and its colour) the user gave that phenomenon's
  // designation.
  if (QPainter* canvas = Chart1->Canvas()) {
    const vistrel::TextFont f = vistrel::WidgetFont(*FFactorLabels[static_cast<std::size_t>(slot)]);
    canvas->setFont(f.Font);
    canvas->setPen(f.Color);
  }
  if (ReadMarkOptions().kind == kNumber) LegendText = QString::number(slot + 1) + QStringLiteral(". ") + LegendText;
}

void TFormGraph::Chart1GetLegendPos(int Index, int& X, int& Y, int& XColor) {
  (void)X, (void)XColor;
  const int slot = SlotOfLegendItem(Series, Index);
  if (slot < 0 || ReadMarkOptions().kind != kFigure) return;
  QPainter* canvas = Chart1->Canvas();
  const QRect box = Chart1->LegendColorRect(Index);
  if (!canvas || box.isEmpty()) return;
  // Centred on the line sample the chart draws across the box afterwards.
  const QColor fill = FMarkSeries[static_cast<std::size_t>(slot)]->SeriesColor();
  SeriesMarkDrawers[static_cast<std::size_t>(slot)](box.left() + box.width() / 2, Y + box.height() / 2, *canvas, fill);
}
