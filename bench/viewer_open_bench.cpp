// Opening the largest ".31" (32 channels of 65,535 points) as the phenomena
// dialog does (open, list, close) and filling channels into series, beside a
// plain reference: one read of the whole file and the same fills decoded
// straight from its bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
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

const std::string& LargestPath() {
  static const LargestFile file;
  return file.path;
}

// Arg: channels filled.
void BM_OpenAndFill(benchmark::State& state) {
  const std::string& path = LargestPath();
  const auto fills = static_cast<unsigned>(state.range(0));
  kv::RzsReader rzs;
  for (auto _ : state) {
    kv::OscReader osc;
    if (!osc.OpenOscFile(path)) state.SkipWithError("open failed");
    osc.Close();
    for (unsigned index = 1; index <= fills; ++index) {
      Series s;
      kv::FillSeries(kv::kKindOscillogram, s, static_cast<std::uint8_t>(index), osc, rzs);
      benchmark::DoNotOptimize(s.last);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPoints) * fills);
}
BENCHMARK(BM_OpenAndFill)->Arg(kChannels)->Arg(10)->Unit(benchmark::kMillisecond);

// The plain reference: one read of the (cached) file, the same points.
void BM_PlainReadAndFill(benchmark::State& state) {
  using namespace kv::osc31;
  const std::string& path = LargestPath();
  const auto fills = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    kv::RtlFile f;
    f.reset(path);
    const auto size = static_cast<std::size_t>(f.size());
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    f.blockRead(bytes.get(), size);
    f.close();
    const std::uint8_t* base = bytes.get();
    for (unsigned k = 1; k <= fills; ++k) {
      Series s;
      for (unsigned i = 0; i < kPoints; ++i)
        s.AddXY(static_cast<double>(i) * 0.001f, GetF32(base + SampleOffset(kPoints, k, i)));
      benchmark::DoNotOptimize(s.last);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPoints) * fills);
}
BENCHMARK(BM_PlainReadAndFill)->Arg(kChannels)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
