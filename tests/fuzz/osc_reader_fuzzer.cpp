// Opens arbitrary bytes as a ".31" and fills every channel and section it
// offers.
#include <cstdint>
#include <cstdlib>

#include "common/io_error.h"
#include "fuzz_input_file.h"
#include "viewer/core/read_osc.h"
#include "viewer/core/rzd.h"
#include "viewer/core/un_osc.h"

namespace {
struct Sink : kv::PointSink {
  void AddXY(double x, double y) override { sum += x + y; }
  double sum = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = FuzzScratchPath(".31");
  if (!WriteFuzzInput(path, data, size)) return 0;
  kv::OscReader osc;
  kv::RzsReader rzs;
  if (!osc.OpenOscFile(path)) {
    if (osc.LastError().empty() || osc.IsOpen()) std::abort();
    return 0;
  }
  Sink sink;
  for (unsigned index = 0; index <= osc.C() + 17 && index < 256; ++index) {
    try {
      kv::FillSeries(kv::kKindOscillogram, sink, static_cast<std::uint8_t>(index), osc, rzs);
    } catch (const kv::IoError& e) {
      // Only indexes outside the file may fail: the file does not change.
      if (index >= 1 && index <= osc.C() + 16) std::abort();
    }
  }
  return 0;
}
