// One step of the trace cursor in the real chart window: ten oscillograms of
// 65,535 points in five type groups at 1920 x 1080, the trace on, a right
// click stepping every phenomenon one point. The step runs the cursor's
// arithmetic and the window's after-draw pass (four further group axes, the
// cursor line, time labels, read-out) over the cached chart. Reference of the
// same run: a full repaint of that window's chart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "viewer/app/graph_mode.h"
#include "viewer/app/vistrel_start.h"

namespace {

constexpr int kSeries = 10;
constexpr int kPoints = 65535;

double Least(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// The window with ten phenomena, two per group, and the trace on.
TFormGraph& TracingWindow() {
  vistrel::CreateForms();
  TFormGraph& w = *FormGraph;
  w.resize(1920, 1080);
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

}  // namespace

#include "offscreen_main.h"
