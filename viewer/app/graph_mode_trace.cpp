// The chart window's two mouse tools: the trace cursor (placed with the left
// button, stepped with the right one) and zoom by dragging a plot edge. The
// arithmetic is in the viewer core; this wires it to the chart's mouse.
#include <QEvent>
#include <QLabel>
#include <QToolButton>

#include "viewer/app/graph_mode.h"
#include "viewer/app/tras.h"

namespace {

kv::PlotBox Plot(const kv::Chart& c) {
  const QRect r = c.PlotRect();
  return {r.left(), r.top(), r.right(), r.bottom()};
}

// Runs a callback when the mouse leaves the watched widget.
class LeaveWatch : public QObject {
 public:
  LeaveWatch(QObject* parent, std::function<void()> onLeave) : QObject(parent), onLeave_(std::move(onLeave)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Leave) onLeave_();
    return QObject::eventFilter(o, e);
  }

 private:
  std::function<void()> onLeave_;
};

}  // namespace

void TFormGraph::WireMeasuring() {
  kv::Chart& c = *Chart1;
  c.OnGetAxisLabel = [this](kv::ChartAxis& axis, kv::ChartSeries*, int, QString& text) {
    Chart1GetAxisLabel(axis, text);
  };
  c.OnAfterSeries = [this] { DrawGroupAxes(); };
  c.OnLayoutRoom = [this](kv::Chart::Room& room) { Chart1LayoutRoom(room); };
  c.OnAfterDraw = [this] { Chart1AfterDraw(); };
  c.OnMouseMove = [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
    Chart1MouseMove(buttons, x, y);
  };
  c.OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) { Chart1MouseUp(button, x, y); };
  c.installEventFilter(new LeaveWatch(&c, [this] { Chart1MouseLeave(); }));
}

std::vector<kv::TraceSeries> TFormGraph::TraceRows() const {
  std::vector<kv::TraceSeries> rows;
  const int n = std::clamp(Graph.FShownRows, 0, kv::kSlotCount);
  rows.reserve(static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r) {
    const kv::ChartSeries* s = Chart1->SeriesAt(Graph.FSlotOfRow[static_cast<std::size_t>(r)]);
    kv::TraceSeries t;
    if (s && Graph.FSlotOfRow[static_cast<std::size_t>(r)] < kv::kSlotCount) {
      t.X = [s](int i) { return s->PointX(i); };
      t.PointCount = s->PointCount();
      t.FirstVisible = s->FirstVisibleIndex();
      t.LastVisible = s->LastVisibleIndex();
    }
    rows.push_back(std::move(t));
  }
  return rows;
}

std::array<std::int32_t, kv::kSlotCount> TFormGraph::TraceIndices() const {
  std::array<std::int32_t, kv::kSlotCount> idx{};
  idx.fill(-1);
  const int n = std::clamp(Graph.FShownRows, 0, kv::kSlotCount);
  for (int r = 0; r < n; ++r) {
    const std::size_t slot = Graph.FSlotOfRow[static_cast<std::size_t>(r)];
    if (slot < Graph.SeriesRecs.size()) idx[static_cast<std::size_t>(r)] = Graph.SeriesRecs[slot].TraceIndex;
  }
  return idx;
}

void TFormGraph::StoreTrace(const std::array<std::int32_t, kv::kSlotCount>& idx, int cursorRow) {
  const int n = std::clamp(Graph.FShownRows, 0, kv::kSlotCount);
  for (int r = 0; r < n; ++r) {
    const std::size_t slot = Graph.FSlotOfRow[static_cast<std::size_t>(r)];
    if (slot < Graph.SeriesRecs.size()) Graph.SeriesRecs[slot].TraceIndex = idx[static_cast<std::size_t>(r)];
  }
  // The cursor line stands on the cursor row's point.
  if (cursorRow >= 0 && cursorRow < n) {
    const int slot = Graph.FSlotOfRow[static_cast<std::size_t>(cursorRow)];
    if (const kv::ChartSeries* s = Chart1->SeriesAt(slot)) {
      FCursorX = s->PointPixelX(idx[static_cast<std::size_t>(cursorRow)]);
      FCursorSlot = slot < kv::kSlotCount ? slot : -1;
      FCursorView = CurrentTimeAxisView();
    }
  }
}

// Drag lines still shown go with the callers' repaint.
void TFormGraph::ResetDrag() {
  FCursorX = -1;
  FCursorY = -1;
  FCursorSlot = -1;
  DragState = kv::DragKind::Idle;
  Chart1->unsetCursor();
}

TFormGraph::TimeAxisView TFormGraph::CurrentTimeAxisView() const {
  const QRect r = Chart1->PlotRect();
  const kv::ChartAxis& bottom = Chart1->BottomAxis();
  return {r.left(), r.right(), bottom.Minimum(), bottom.Maximum()};
}

void TFormGraph::PlaceTraceAt(int x) {
  auto rows = TraceRows();
  auto idx = TraceIndices();
  const kv::ChartAxis& bottom = Chart1->BottomAxis();
  StoreTrace(idx, kv::PlaceTrace(rows, {idx.data(), rows.size()}, bottom.PixelToValue(x), bottom.Minimum()));
}

void TFormGraph::PlaceTraceAtLine() {
  const int x = FCursorX;
  if (!TrasSBtn->isChecked() || x < 0) return;
  Chart1->Image();  // the new page laid out: its visible points and pixels
  FCursorX = x;     // whatever that paint made of the old trace point
  PlaceTraceAt(x);
  Chart1->RepaintAfterDraw();
}

std::optional<int> TFormGraph::CursorPointX() const {
  if (FCursorSlot < 0) return std::nullopt;
  const kv::ChartSeries* s = Series[static_cast<std::size_t>(FCursorSlot)];
  const std::int32_t i = Graph.SeriesRecs[static_cast<std::size_t>(FCursorSlot)].TraceIndex;
  if (!s->Active() || i < 0 || i >= s->PointCount()) return std::nullopt;
  return s->PointPixelX(i);
}

void TFormGraph::FollowCursorPoint() {
  if (!Chart1->ScreenPass() || DragState == kv::DragKind::Cursor || FCursorSlot < 0) return;
  const TimeAxisView now = CurrentTimeAxisView();
  if (now == FCursorView) return;
  FCursorView = now;
  const std::optional<int> x = CursorPointX();
  if (!x) return;
  if (*x >= now.L && *x <= now.R)
    FCursorX = *x;
  else if (FCursorX >= now.L && FCursorX <= now.R)
    PlaceTraceAt(FCursorX);  // its point left the view: placed again at the line, as after a page change
}

void TFormGraph::TrasSBtnClick() {
  ResetDrag();
  if (TrasSBtn->isChecked() && Graph.FShownRows > 0) {
    Chart1->SetAllowZoom(false);
    kv::ChartAxis &bottom = Chart1->BottomAxis(), &left = Chart1->LeftAxis();
    Chart1->Image();  // laid out and drawn as the user sees it
    // The cursor lands on the points nearest the start of the time axis.
    Chart1MouseUp(Qt::LeftButton, bottom.ValueToPixel(bottom.Minimum()), left.ValueToPixel(left.Minimum()));
    const QRect plot = Chart1->PlotRect();
    const int x = plot.left() + left.AxisPen().width();
    const QString t0 = kv::ChartAxis::FormatFloat(bottom.AxisValuesFormat(), bottom.Minimum());
    TimeLabel->move(x, plot.bottom() - TimeLabel->height());
    TimeLabel1->move(x, plot.top());
    for (QLabel* l : {TimeLabel, TimeLabel1}) {
      l->setText(t0);
      l->show();
    }
    WriteTraceTitles();
    if (TrasWin) TrasWin->show();
  } else {
    TimeLabel->hide();
    TimeLabel1->hide();
    TrasSBtn->setChecked(false);
    if (TrasWin) TrasWin->hide();
  }
  Chart1->Repaint();
}

std::uint16_t TFormGraph::ActiveSlotMask() const {
  std::uint16_t active = 0;
  for (int i = 0; i < kv::kSlotCount; ++i)
    if (Series[static_cast<std::size_t>(i)]->Active()) active |= static_cast<std::uint16_t>(1u << i);
  return active;
}

void TFormGraph::WriteTraceTitles() {
  const std::uint16_t active = ActiveSlotMask();
  FTraceTitlesOf = active;
  if (!TrasWin) return;
  TTrasGrid& g = *TrasWin->TrasString;
  g.SetCells(0, 0, QStringLiteral("t, сек."));
  int n = 0;
  for (int i = 0; i < kv::kSlotCount; ++i) g.SetCells(0, i + 1, QString());
  for (int i = 0; i < kv::kSlotCount; ++i)
    if (active & (1u << i)) g.SetCells(0, ++n, Series[static_cast<std::size_t>(i)]->Title());
  TrasWin->FitTitleColumn();
}

void TFormGraph::Chart1MouseUp(Qt::MouseButton button, int x, int y) {
  if (TrasSBtn->isChecked()) {
    Chart1->Image();  // draws first if out of date: visible ranges as on the screen
    if (button == Qt::LeftButton && kv::PlacesTrace(Plot(*Chart1), x, y)) {
      PlaceTraceAt(x);
    } else if (button == Qt::RightButton && x != FCursorX) {
      auto rows = TraceRows();
      auto idx = TraceIndices();
      const std::span<std::int32_t> index(idx.data(), rows.size());
      const auto dir = x < FCursorX ? kv::TraceStep::Left : kv::TraceStep::Right;
      StoreTrace(idx, kv::StepTrace(rows, index, kv::CursorTime(rows, index), dir, Chart1->BottomAxis().Maximum()));
    }
  }
  // Zoom completion: the dragged edge moved to the release point.
  const kv::DragKind drag = DragState;
  if (const auto r = kv::ZoomRectFor(drag, Plot(*Chart1), x, y)) Chart1->ZoomToRect(r->L, r->T, r->R, r->B);
  if (drag != kv::DragKind::Cursor && drag != kv::DragKind::Idle) {
    // The repaint below removes the drag line: forget it.
    FCursorX = -1;
    FCursorY = -1;
  }
  DragState = kv::DragKind::Idle;
  // Only the after-draw pass runs again unless the zoom changed the chart.
  Chart1->RepaintAfterDraw();
}

void TFormGraph::Chart1MouseMove(Qt::MouseButtons buttons, int x, int y) {
  const kv::PlotBox plot = Plot(*Chart1);
  if (buttons & Qt::LeftButton) {
    switch (DragState) {
      case kv::DragKind::LeftEdge:
      case kv::DragKind::RightEdge:
        DrawAxis(FCursorX, -1);
        DrawAxis(x, -1);
        FCursorX = x;
        break;
      case kv::DragKind::TopEdge:
      case kv::DragKind::BottomEdge:
        DrawAxis(-1, FCursorY);
        DrawAxis(-1, y);
        FCursorY = y;
        break;
      case kv::DragKind::Cursor:
        if (x >= plot.L && x <= plot.R) {
          FCursorX = x;
          Chart1->RepaintAfterDraw();
        }
        break;
      case kv::DragKind::Idle: break;
    }
    return;
  }
  Chart1->unsetCursor();
  DragState = kv::DragKind::Idle;
  if (ZoomSBtn->isChecked()) {
    DrawAxis(FCursorX, FCursorY);
    FCursorX = -1;
    FCursorY = -1;
    const kv::DragKind edge = kv::EdgeAt(plot, x, y);
    if (edge != kv::DragKind::Idle) {
      DragState = edge;
      const bool vertical = edge == kv::DragKind::LeftEdge || edge == kv::DragKind::RightEdge;
      Chart1->setCursor(vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
      if (vertical)
        FCursorX = edge == kv::DragKind::LeftEdge ? plot.L : plot.R;
      else
        FCursorY = edge == kv::DragKind::TopEdge ? plot.T : plot.B;
      DrawAxis(FCursorX, FCursorY);
    }
  }
  if (TrasSBtn->isChecked() && kv::OnCursorLine(plot, FCursorX, x, y)) {
    DragState = kv::DragKind::Cursor;
    Chart1->setCursor(Qt::SplitHCursor);
  }
}

void TFormGraph::Chart1MouseLeave() {
  // A drag line or an armed edge must not outlive the mouse on the chart.
  if (ZoomSBtn->isChecked()) {
    DrawAxis(FCursorX, FCursorY);
    FCursorX = -1;
    FCursorY = -1;
  }
  DragState = kv::DragKind::Idle;
  Chart1->unsetCursor();
}

void TFormGraph::DrawAxis(int x, int y) {
  QPen pen = Chart1->LeftAxis().AxisPen();
  pen.setColor(QColor(255, 255, 0));
  const QRect r = Chart1->PlotRect();
  if (x >= 0) Chart1->XorLine(x, r.top(), x, r.bottom(), pen);
  if (y >= 0) Chart1->XorLine(r.left(), y, r.right(), y, pen);
}
