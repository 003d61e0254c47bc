// One full paint of ten oscillograms of 65,535 points at 1920 x 1080 and at
// 3840 x 2160: the chart's own routine against plain QPainter::drawPolyline
// of every point; and one trace-cursor step over that chart against a full
// repaint.
#include <benchmark/benchmark.h>
// The chart is a widget, so the application is a QApplication (a QGuiApplication
// with widgets) on the offscreen platform.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "viewer/chart/chart.h"

namespace {

constexpr int kSeries = 10;
constexpr int kPoints = 65535;

double Sample(int s, int i) {
  const double t = i * 0.02;
  return std::sin(2 * M_PI * 50 * t * 0.0201 + s) * (1 + 0.3 * std::sin(t * 0.7)) + 0.05 * std::sin(i * 1.7 + s);
}

// The least of the repetitions: the figure least disturbed by other work on
// the machine (run with --benchmark_repetitions=N).
double Least(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

QSize SizeOf(const benchmark::State& state) { return {static_cast<int>(state.range(0)), static_cast<int>(state.range(1))}; }

// Ten oscillograms on a chart of `size`.
void Fill(kv::Chart& chart, QSize size) {
  chart.resize(size);
  chart.Title().SetText({QStringLiteral("Осциллограмма")});
  for (int s = 0; s < kSeries; ++s) {
    auto* line = chart.AddLineSeries();
    line->SetTitle(QStringLiteral("Явление %1").arg(s + 1));
    line->SetSeriesColor(QColor::fromHsv(s * 36, 255, 200));
    line->Reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) line->AddPoint(i * 0.02, Sample(s, i) / 2);
  }
  chart.LeftAxis().FixAxisRange(-1, 1);
  chart.LeftAxis().SetIncrement(0.1);
}

void BM_ChartRender(benchmark::State& state) {
  const QSize kSize = SizeOf(state);
  kv::Chart chart;
  Fill(chart, kSize);
  QImage img(kSize, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    chart.Render(p, kSize);
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_ChartRender)->Args({1920, 1080})->Args({3840, 2160})->ComputeStatistics("min", Least)->Unit(benchmark::kMillisecond);

// One step of the trace cursor: what the after-draw pass draws for it (the
// cursor line as an axis copy with ticks and blanked labels, ten values and
// the time) over the cached chart, against a full repaint of the same chart.
// The series must not be drawn again by a step.
void TraceStep(benchmark::State& state, bool full) {
  const QSize kSize = SizeOf(state);
  kv::Chart chart;
  Fill(chart, kSize);
  int seriesDrawn = 0;
  chart.SeriesAt(0)->AfterDrawValues = [&](kv::ChartSeries&) { ++seriesDrawn; };
  int index = 100;
  chart.OnGetAxisLabel = [&](kv::ChartAxis& axis, kv::ChartSeries*, int, QString& text) {
    if (!axis.Horizontal() && axis.AxisPixelPos() > chart.PlotRect().left()) text.clear();
  };
  chart.OnAfterDraw = [&] {
    const int x = chart.SeriesAt(0)->PointPixelX(index);
    chart.LeftAxis().DrawAxisAt(x - 10, x - 40, x, false);
    QPainter* p = chart.Canvas();
    p->setPen(Qt::black);
    const QRect r = chart.PlotRect();
    p->drawText(x + 4, r.top() + 14, kv::ChartAxis::FormatFloat(QStringLiteral("##0.######"), chart.SeriesAt(0)->PointX(index)));
    for (int s = 0; s < kSeries; ++s)
      p->drawText(x + 4, r.top() + 40 + 20 * s, kv::ChartAxis::FormatFloat(QStringLiteral("#,##0.###"), chart.SeriesAt(s)->PointY(index)));
  };
  chart.Image();
  const int drawnBefore = seriesDrawn;
  for (auto _ : state) {
    index = index + 37 < kPoints ? index + 37 : 100;
    if (full)
      chart.Repaint();
    else
      chart.RepaintAfterDraw();
    benchmark::DoNotOptimize(chart.Image().constBits());
  }
  if (!full && seriesDrawn != drawnBefore) state.SkipWithError("a trace step drew the series again");
}

void BM_TraceStep(benchmark::State& state) { TraceStep(state, false); }
BENCHMARK(BM_TraceStep)->Args({1920, 1080})->Args({3840, 2160})->ComputeStatistics("min", Least)->Unit(benchmark::kMillisecond);

void BM_TraceStepFullRepaint(benchmark::State& state) { TraceStep(state, true); }
BENCHMARK(BM_TraceStepFullRepaint)->Args({1920, 1080})->ComputeStatistics("min", Least)->Unit(benchmark::kMillisecond);

void BM_PlainPolyline(benchmark::State& state) {
  const QSize kSize = SizeOf(state);
  std::vector<std::vector<QPointF>> lines(kSeries);
  const double w = kSize.width() - 100, h = kSize.height() - 100;
  for (int s = 0; s < kSeries; ++s) {
    lines[s].reserve(kPoints);
    for (int i = 0; i < kPoints; ++i)
      lines[s].emplace_back(50 + i * w / (kPoints - 1), 50 + (1 - (Sample(s, i) / 2 + 1) / 2) * h);
  }
  QImage img(kSize, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    p.fillRect(img.rect(), Qt::white);
    for (int s = 0; s < kSeries; ++s) {
      p.setPen(QPen(QColor::fromHsv(s * 36, 255, 200), 1));
      p.drawPolyline(lines[s].data(), kPoints);
    }
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_PlainPolyline)->Args({1920, 1080})->Args({3840, 2160})->ComputeStatistics("min", Least)->Unit(benchmark::kMillisecond);

}  // namespace

#include "offscreen_main.h"
