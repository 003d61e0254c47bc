// A whole processing run of the device model (reading and tokenising the
// processing file, resampling, the per-sample step, the sample records and
// the oscillogram) on a transient of 65,535 grid points, the most one
// oscillogram holds. Items per second are grid points per second; the whole
// run should take well under 50 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "model/core/torvin_1.h"
#include "tools/transient_gen.h"

namespace {

namespace fs = std::filesystem;

constexpr long kPoints = 65535;

// A temporary folder with the example settings, a long slipping transient
// on the grid and a blank parameter block; removed at exit.
class Workspace {
 public:
  Workspace() {
    std::string tmpl = (fs::temp_directory_path() / "model-run-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("no temporary folder");
    dir_ = tmpl;
    using namespace kv::transients;
    kv::WriteFileAtomically((dir_ / "ust.txt").string(), ExampleSettingsText());
    kv::WriteFileAtomically((dir_ / "long.txt").string(),
                            Transient(TwoSources{}, (kPoints - 1) * 0.02, 0.02,
                                      [](double t) { return AsyncAngle(t, 40.0, 1.0, 0.7, 1.5); }));
    kv::WriteFileAtomically((dir_ / "parl").string(), std::string(1860, '\0'));
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
};

const Workspace& Space() {
  static Workspace w;
  return w;
}

void BM_WholeRun(benchmark::State& state) {
  const fs::path old = fs::current_path();
  fs::current_path(Space().dir());
  kv::DatMod1 d;
  d.SettingsFileName = "ust.txt";
  d.ProcessingFileName = "long.txt";
  for (auto _ : state) {
    d.RunStatus = 1;
    kv::RunProcessing(d);
    if (d.SampleCount != kPoints) state.SkipWithError("unexpected number of grid points");
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
  fs::current_path(old);
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond);

// The per-sample step alone, records included, on the same grid points.
void BM_ProcessSampleOnly(benchmark::State& state) {
  std::vector<kv::GridPoint> points;
  kv::ResampleText(kv::ReadWholeFile((Space().dir() / "long.txt").string()), "long.txt",
                   [&](const kv::GridPoint& p) { points.push_back(p); });
  const fs::path old = fs::current_path();
  fs::current_path(Space().dir());
  kv::DatMod1 d;
  d.SettingsFileName = "ust.txt";
  for (auto _ : state) {
    d.ResetForRun();
    kv::ReadSettings(d);
    kv::DeriveThresholds(d);
    d.emaTip.rewrite("ema.tip");
    for (const kv::GridPoint& p : points) kv::ProcessGridPoint(d, p);
    d.emaTip.close();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
  fs::current_path(old);
}
BENCHMARK(BM_ProcessSampleOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
