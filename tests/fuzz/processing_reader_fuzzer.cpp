// Reads arbitrary bytes as a processing file, resamples it onto the 0.02 s
// grid and runs the per-sample step on every point with the example
// settings: a result or a clear error of the model, nothing else.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/processing.h"
#include "model/core/settings.h"
#include "tools/transient_gen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string settings = kv::transients::ExampleSettingsText();
  const std::string text(reinterpret_cast<const char*>(data), size);
  static kv::DatMod1 d;  // its record storage is kept from input to input, as from run to run
  d.ResetForRun();
  kv::ReadSettingsText(d.settings, settings, "ust.txt");
  kv::DeriveThresholds(d);
  std::int64_t points = 0;
  try {
    kv::ResampleText(text, "run.txt", [&](const kv::GridPoint& p) {
      if (!std::isfinite(p.SampleTime) || !std::isfinite(p.Uph) || !std::isfinite(p.I) || !std::isfinite(p.Pa) ||
          !std::isfinite(p.Qa))
        std::abort();
      ++points;
      kv::ProcessGridPoint(d, p);
    });
  } catch (const kv::IoError& e) {
    if (e.code() != kv::kInvalidNumeric || std::string(e.what()).find("run.txt, line ") == std::string::npos)
      std::abort();
  } catch (const kv::FpError&) {
  } catch (const kv::SampleLimitError&) {
    if (points != kv::kMaxSamples) std::abort();
  }
  if (points > kv::kMaxSamples || d.Records.size() > static_cast<std::size_t>(points) ||
      d.SampleCount != static_cast<std::int64_t>(d.Records.size()))
    std::abort();
  return 0;
}
