// Reads arbitrary bytes as a ".rzs": header, rows and every group's series.
#include <cstdint>
#include <cstdlib>

#include "common/io_error.h"
#include "fuzz_input_file.h"
#include "viewer/core/read_osc.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"

namespace {
struct Sink : kv::PointSink {
  void AddXY(double x, double y) override { sum += x + y; ++n; }
  double sum = 0;
  long n = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = FuzzScratchPath(".rzs");
  if (!WriteFuzzInput(path, data, size)) return 0;
  kv::OscReader osc;
  kv::RzsReader rzs;
  rzs.Assign(path);
  try {
    rzs.ReadRzsHeader();
  } catch (const kv::IoError& e) {
    if (*e.what() == '\0' || rzs.IsOpen()) std::abort();
    return 0;
  }
  long rows = 0;
  try {
    while (rzs.ReadRzsRow() == 0) ++rows;
  } catch (const kv::IoError&) {
  }
  if (rows > rzs.RzsRowCount) std::abort();
  const int groups = rzs.RzsGroupCount;
  const bool complete = rows == rzs.RzsRowCount;
  rzs.Close();
  for (int g = 0; g <= groups + 1; ++g) {
    Sink sink;
    try {
      kv::FillSeries(2, sink, static_cast<std::uint8_t>(g), osc, rzs);
      if (sink.n != rows) std::abort();
    } catch (const kv::IoError&) {
      // A short file or a group outside the file: no point at all.
      if (sink.n != 0) std::abort();
      if (complete && g >= 1 && g <= groups) std::abort();
    }
  }
  return 0;
}
