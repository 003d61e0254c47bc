// A whole processing run of the device model (reading and tokenising the
// processing file, resampling, the per-sample step, the sample records and
// the oscillogram) on a transient of 65,535 grid points, the most one
// oscillogram holds, and its three phases: parse, step, write. Items per
// second are grid points per second; on an idle machine the whole run should
// take under 25 ms. Times are wall-clock: the write includes its fsync.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/rtl_file.h"
#include "model/core/dat_mod1.h"
#include "model/core/osc_writer.h"
#include "model/core/processing.h"
#include "model/core/settings.h"
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
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// Phase 1, parse: the processing file read whole, tokenised and resampled
// onto the grid (the points are only counted).
void BM_PhaseParse(benchmark::State& state) {
  const std::string path = (Space().dir() / "long.txt").string();
  std::string text;
  long points = 0;
  for (auto _ : state) {
    kv::RtlFile f;
    f.reset(path);
    f.readAllInto(text);
    f.close();
    points = 0;
    kv::ResampleText(text, "long.txt", [&](const kv::GridPoint&) { ++points; });
  }
  if (points != kPoints) state.SkipWithError("unexpected number of grid points");
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PhaseParse)->Unit(benchmark::kMillisecond)->UseRealTime();

// The grid points of the long transient, resampled once.
const std::vector<kv::GridPoint>& Points() {
  static const std::vector<kv::GridPoint> points = [] {
    std::vector<kv::GridPoint> p;
    kv::ResampleText(kv::ReadWholeFile((Space().dir() / "long.txt").string()), "long.txt",
                     [&](const kv::GridPoint& g) { p.push_back(g); });
    return p;
  }();
  return points;
}

// A model with the example settings read and derived, as a run prepares it.
void Prepare(kv::DatMod1& d) {
  d.ResetForRun();
  kv::ReadSettings(d);
  kv::DeriveThresholds(d);
  d.algo.FirstSample = true;
}

// Phase 2, step: the per-sample step on every grid point, records kept in
// memory (settings read and derived once per run included).
void BM_PhaseStep(benchmark::State& state) {
  const auto& points = Points();
  const fs::path old = fs::current_path();
  fs::current_path(Space().dir());
  kv::DatMod1 d;
  d.SettingsFileName = "ust.txt";
  for (auto _ : state) {
    Prepare(d);
    for (const kv::GridPoint& p : points) kv::ProcessGridPoint(d, p);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
  fs::current_path(old);
}
BENCHMARK(BM_PhaseStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// Phase 3, write: the oscillogram of 65,535 points from the records, "parl"
// read, the file flushed to the disk and renamed into place.
void BM_PhaseWrite(benchmark::State& state) {
  const fs::path old = fs::current_path();
  fs::current_path(Space().dir());
  kv::DatMod1 d;
  d.SettingsFileName = "ust.txt";
  Prepare(d);
  for (const kv::GridPoint& p : Points()) kv::ProcessGridPoint(d, p);
  d.BaseName = "long";
  for (auto _ : state) kv::WriteOscillogramFile(d);
  state.SetItemsProcessed(state.iterations() * kPoints);
  fs::current_path(old);
}
BENCHMARK(BM_PhaseWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// Plain reference for the write phase: the same number of bytes written to a
// new file with one write() and fsync()ed, nothing else.
void BM_ReferenceWriteAndFsync(benchmark::State& state) {
  const std::string bytes(104 + 64 * static_cast<std::size_t>(kPoints) + 1860, 'x');
  const std::string path = (Space().dir() / "reference.bin").string();
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::fsync(fd) != 0)
      state.SkipWithError("write failed");
    if (fd >= 0) ::close(fd);
  }
}
BENCHMARK(BM_ReferenceWriteAndFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

// Plain reference for the parse phase: the processing file's bytes summed.
void BM_ReferenceReadFile(benchmark::State& state) {
  const std::string path = (Space().dir() / "long.txt").string();
  std::string text;
  for (auto _ : state) {
    kv::RtlFile f;
    f.reset(path);
    f.readAllInto(text);
    f.close();
    unsigned sum = 0;
    for (char c : text) sum += static_cast<unsigned char>(c);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReferenceReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
