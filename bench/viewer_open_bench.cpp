// Opening the largest ".31" (32 channels of 65,535 points) and filling every
// channel into a series, in points per second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/osc31.h"
#include "common/rtl_file.h"
#include "viewer/core/read_osc.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"

namespace {

constexpr unsigned kPoints = 65535;
constexpr unsigned kChannels = 32;

struct Series : kv::PointSink {
  void AddXY(double x, double y) override {
    last = x + y;
    ++n;
  }
  double last = 0;
  long n = 0;
};

std::string MakeLargestFile() {
  using namespace kv::osc31;
  std::string dir = (std::filesystem::temp_directory_path() / "kv_bench_XXXXXX").string();
  if (!::mkdtemp(dir.data())) std::abort();
  TOscHeader h;
  h.ChannelFlags.fill(1);
  h.N = kPoints;
  h.C = kChannels;
  h.step = 0.001f;
  std::string bytes = EncodeHeader(h);
  bytes.resize(FileSize(h.N, h.C));
  auto* p = reinterpret_cast<std::uint8_t*>(bytes.data()) + kSamplesOffset;
  for (unsigned k = 0; k < kChannels; ++k)
    for (unsigned i = 0; i < kPoints; ++i, p += 4) PutF32(p, static_cast<float>(k) + 0.001f * static_cast<float>(i));
  TOscParameterBlock block;
  for (auto& c : block.channels) c.stored = 1;
  std::string pb = EncodeParameterBlock(block);
  bytes.replace(ParameterBlockOffset(h.N, h.C), pb.size(), pb);
  std::string path = dir + "/big.31";
  kv::RtlFile f;
  f.rewrite(path);
  f.blockWrite(bytes.data(), bytes.size());
  f.close();
  return path;
}

// The file lives as long as the program; its folder goes with it.
struct LargestFile {
  std::string path = MakeLargestFile();
  ~LargestFile() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ec);
  }
};

void BM_OpenAndFillAllChannels(benchmark::State& state) {
  static const LargestFile file;
  const std::string& path = file.path;
  kv::RzsReader rzs;
  for (auto _ : state) {
    kv::OscReader osc;
    if (!osc.OpenOscFile(path)) state.SkipWithError("open failed");
    osc.Close();
    for (unsigned index = 1; index <= kChannels; ++index) {
      Series s;
      kv::FillSeries(kv::kKindOscillogram, s, static_cast<std::uint8_t>(index), osc, rzs);
      benchmark::DoNotOptimize(s.last);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPoints) * kChannels);
  state.counters["file_MB"] = static_cast<double>(kv::osc31::FileSize(kPoints, kChannels)) / 1e6;
}
BENCHMARK(BM_OpenAndFillAllChannels)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
