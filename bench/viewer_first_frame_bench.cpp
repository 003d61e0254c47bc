// From a click on "Добавить" to the first frame: Kelvotin's largest
// oscillogram (16 channels of 65,535 points, written by the model's own
// writer with the shipped "parl") opened through the phenomena dialog's
// engine, ten phenomena of four quantity types added, and the chart drawn
// at 1920 x 1080. Beside it, the plain reference of the same data: the file
// read in one go and the ten channels drawn with QPainter::drawPolyline.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/osc31.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"
#include "viewer/app/chart_slot_series.h"
#include "viewer/chart/chart.h"
#include "viewer/core/phenomena_choice.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kPoints = 65535;
constexpr unsigned kChannels = 16;
const QSize kSize(1920, 1080);
// Of the shipped "parl": I (type 4), U (3), P (1), and seven of type 9.
constexpr int kItems[] = {0, 1, 2, 5, 6, 8, 9, 11, 12, 13};

float Sample(unsigned k, unsigned i) {
  const double t = i * 0.02;
  return static_cast<float>((k + 1) * (std::sin(2 * M_PI * t / (3 + k)) + 0.2 * std::sin(t * 7.1 + k)));
}

// big.31 in a folder of its own, removed at the end of the program.
struct KelvotinFile {
  KelvotinFile() {
    dir = (fs::temp_directory_path() / "kv_frame_XXXXXX").string();
    if (!::mkdtemp(dir.data())) std::abort();
    fs::copy_file(fs::path(KV_SOURCE_DIR) / "examples" / "parl", fs::path(dir) / "parl");
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    kv::DatMod1 d;  // the run's records, as the model keeps them
    for (unsigned i = 0; i < kPoints; ++i) {
      kv::TSampleRecord r;
      for (unsigned k = 0; k < kChannels; ++k) r.v[k] = Sample(k, i);
      d.Records.append(r);
    }
    d.BaseName = "big";
    kv::WriteOscillogramFile(d);
    fs::current_path(old);
    path = dir + "/big.31";
  }
  ~KelvotinFile() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string dir, path;
};

const KelvotinFile& File() {
  static const KelvotinFile f;
  return f;
}

// The chart window's chart: ten line series, their ten marker companions.
struct Window {
  Window() {
    chart.resize(kSize);
    for (int q = 0; q < kv::kSlotCount; ++q) {
      kv::LineSeries* line = chart.AddLineSeries();
      line->SetActive(false);
      line->SetSeriesColor(QColor::fromHsv(q * 36, 255, 200));
      lines.push_back(line);
    }
    for (int q = 0; q < kv::kSlotCount; ++q) {
      kv::PointSeries* marks = chart.AddPointSeries();
      marks->SetActive(false);
      marks->SetShowInLegend(false);
      slotSeries.push_back(std::make_unique<vistrel::ChartSlotSeries>(lines[static_cast<std::size_t>(q)], marks));
      set[static_cast<std::size_t>(q)] = slotSeries.back().get();
    }
    chart.LeftAxis().SetIncrement(0.1);
    choice = std::make_unique<kv::PhenomenaChoice>(graph, set);
    choice->ApplyAxes = [this](const kv::ChartAxesSettings& a) {
      if (a.fixLeft) chart.LeftAxis().FixAxisRange(a.leftMin, a.leftMax);
      chart.SetMarginLeft(a.marginLeft);
      if (a.setIncrement) chart.BottomAxis().SetIncrement(a.increment);
    };
  }
  kv::Chart chart;
  std::vector<kv::LineSeries*> lines;
  std::vector<std::unique_ptr<vistrel::ChartSlotSeries>> slotSeries;
  kv::SlotSeriesSet set{};
  kv::GraphState graph;
  std::unique_ptr<kv::PhenomenaChoice> choice;
};

// Open, tick ten items, add; true when all ten are on the chart.
bool OpenAndAdd(Window& w) {
  if (!w.choice->OpenFile(File().path, kv::kKindOscillogram)) return false;
  if (w.choice->Chosen().CountPoints != std::to_string(kPoints)) return false;
  for (int i : kItems) w.choice->SetChecked(kv::PickList::Factors, i, true);
  w.choice->AddChecked(kv::PickList::Factors);
  return w.graph.FShownRows == 10 && w.graph.TypeGroupCount == 4;
}

void BM_OpenAddAndFirstFrame(benchmark::State& state) {
  QImage img(kSize, QImage::Format_RGB32);
  for (auto _ : state) {
    Window w;
    if (!OpenAndAdd(w)) state.SkipWithError("adding failed");
    QPainter p(&img);
    w.chart.Render(p, kSize);
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_OpenAddAndFirstFrame)->Unit(benchmark::kMillisecond);

// The plain reference: one read of the file, the ten channels decoded and
// every point drawn with drawPolyline.
void BM_PlainReadAndPolyline(benchmark::State& state) {
  QImage img(kSize, QImage::Format_RGB32);
  const double w = kSize.width() - 100, h = kSize.height() - 100;
  for (auto _ : state) {
    std::ifstream in(File().path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QPainter p(&img);
    p.fillRect(img.rect(), Qt::white);
    std::vector<QPointF> line(kPoints);
    int s = 0;
    for (int item : kItems) {
      const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.data()) +
                        kv::osc31::SampleOffset(kPoints, static_cast<unsigned>(item) + 1, 0);
      for (unsigned i = 0; i < kPoints; ++i)
        line[i] = QPointF(50 + i * w / (kPoints - 1), 50 + (1 - (kv::osc31::GetF32(src + 4 * i) / 20 + 1) / 2) * h);
      p.setPen(QPen(QColor::fromHsv(s++ * 36, 255, 200), 1));
      p.drawPolyline(line.data(), static_cast<int>(kPoints));
    }
    p.end();
    benchmark::DoNotOptimize(img.constBits());
  }
}
BENCHMARK(BM_PlainReadAndPolyline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  File();  // written once, before any timing
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
