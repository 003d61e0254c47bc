// One step of the trace cursor in the real chart window: ten oscillograms of
// 65,535 points in five type groups, the trace on, a right click stepping
// every phenomenon one point. The step runs the cursor's arithmetic and the
// window's after-draw pass (four further group axes, the cursor line, time
// labels, read-out) over the cached chart. References of the same run: a full
// repaint of that window's chart; and, for the painted step (the chart's and
// the read-out's paint events run as the event loop would run them), a blit
// of the whole cached chart with one XOR line over it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "viewer/app/graph_mode.h"
#include "viewer/app/tras.h"
#include "viewer/app/vistrel_start.h"

namespace {

constexpr int kSeries = 10;
constexpr int kPoints = 65535;

double Least(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

QSize SizeOf(const benchmark::State& state) {
  return {static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
}

// The window of `size` with ten phenomena, two per group, and the trace on.
TFormGraph& TracingWindow(QSize size = {1920, 1080}) {
  vistrel::CreateForms();
  TFormGraph& w = *FormGraph;
  w.resize(size);
  w.show();
  kv::GraphState& g = w.Graph;
  for (int slot = 0; slot < kSeries; ++slot) {
    kv::LineSeries* s = w.Series[static_cast<std::size_t>(slot)];
    s->Reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) s->AddPoint(i * 0.02, 0.5 * std::sin(i * 0.013 + slot));
    s->SetTitle(QStringLiteral("Явление %1").arg(slot + 1));
    s->SetActive(true);
    const int group = slot / 2;
    kv::TSeriesRec& rec = g.SeriesRecs[static_cast<std::size_t>(slot)];
    rec.Scale = 100;
    rec.Offset = 0;
    kv::TTypeGroupRec& tg = g.TypeGroups[static_cast<std::size_t>(group)];
    tg.Span = 100;
    tg.Caption = "Группа";
    tg.Slots.push_back(static_cast<std::uint8_t>(slot));
    g.FSlotOfRow[static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(slot);
  }
  g.TypeGroupCount = 5;
  g.FShownRows = kSeries;
  w.Chart1->SetMarginLeft(15);
  QApplication::processEvents();
  w.TrasSBtn->click();
  QApplication::processEvents();
  return w;
}

// Counts the paint events a widget receives.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget* w) { w->installEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++count;
    return QObject::eventFilter(o, e);
  }
  std::int64_t count = 0;
};

// What the event loop runs after a step until it is idle again: the posted
// events and due timers, among them the update requests that paint.
void RunPaints() { QCoreApplication::processEvents(QEventLoop::AllEvents, 1000); }

// Everything the windows had pending at the start, done.
void Settle() {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 100) QCoreApplication::processEvents();
}

void BM_WindowTraceStep(benchmark::State& state) {
  TFormGraph& w = TracingWindow();
  const int y = w.Chart1->PlotRect().center().y();
  int steps = 0;
  for (auto _ : state) {
    // Right steps across the record; back to the start now and then.
    if (++steps % 20000 == 0) {
      state.PauseTiming();
      w.Chart1MouseUp(Qt::LeftButton, w.Chart1->PlotRect().left(), y);
      state.ResumeTiming();
    }
    w.Chart1MouseUp(Qt::RightButton, w.FCursorX + 1, y);
    benchmark::DoNotOptimize(w.Chart1->Image().constBits());
  }
  vistrel::DestroyForms();
}
BENCHMARK(BM_WindowTraceStep)->ComputeStatistics("min", Least)->Unit(benchmark::kMillisecond);

void BM_WindowFullRepaint(benchmark::State& state) {
  TFormGraph& w = TracingWindow();
  for (auto _ : state) {
    w.Chart1->Repaint();
    benchmark::DoNotOptimize(w.Chart1->Image().constBits());
  }
  vistrel::DestroyForms();
}
BENCHMARK(BM_WindowFullRepaint)->ComputeStatistics("min", Least)->Unit(benchmark::kMillisecond);

// The step as the user waits for it: the step, then the chart's and the
// read-out's paint events.
void BM_PaintedTraceStep(benchmark::State& state) {
  TFormGraph& w = TracingWindow(SizeOf(state));
  PaintCount chart(w.Chart1), readOut(TrasWin->TrasString->viewport());
  Settle();
  const int y = w.Chart1->PlotRect().center().y();
  const std::int64_t chartBefore = chart.count, readOutBefore = readOut.count;
  int steps = 0;
  for (auto _ : state) {
    if (++steps % 20000 == 0) {
      state.PauseTiming();
      w.Chart1MouseUp(Qt::LeftButton, w.Chart1->PlotRect().left(), y);
      RunPaints();
      state.ResumeTiming();
    }
    w.Chart1MouseUp(Qt::RightButton, w.FCursorX + 1, y);
    RunPaints();
  }
  if (chart.count - chartBefore < state.iterations() || readOut.count - readOutBefore < state.iterations())
    state.SkipWithError("a step did not paint the chart and the read-out");
  vistrel::DestroyForms();
}
BENCHMARK(BM_PaintedTraceStep)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);

// Reference for the painted step: the chart's cached picture blitted whole
// to the window, with one XOR line over it (alternating between two places,
// so the picture stays as it was).
void BM_PaintedReferenceBlitXor(benchmark::State& state) {
  TFormGraph& w = TracingWindow(SizeOf(state));
  PaintCount chart(w.Chart1);
  Settle();
  const QRect r = w.Chart1->PlotRect();
  const QPen pen(QColor(255, 255, 0), 2);
  const std::int64_t before = chart.count;
  int x = r.center().x();
  for (auto _ : state) {
    w.Chart1->XorLine(x, r.top(), x, r.bottom(), pen);
    x = x == r.center().x() ? x + 1 : r.center().x();
    w.Chart1->update();
    RunPaints();
  }
  if (chart.count - before < state.iterations()) state.SkipWithError("the chart did not paint");
  vistrel::DestroyForms();
}
BENCHMARK(BM_PaintedReferenceBlitXor)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);

}  // namespace

#include "offscreen_main.h"
