// Reads arbitrary bytes as a settings file and derives the thresholds: a
// result, error 106 naming the line, or a floating-point error, nothing else.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/io_error.h"
#include "model/core/dat_mod1.h"
#include "model/core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kv::DatMod1 d;
  try {
    kv::ReadSettingsText(d.settings, text, "ust.txt");
  } catch (const kv::IoError& e) {
    if (e.code() != kv::kInvalidNumeric || std::string(e.what()).find("ust.txt, line ") == std::string::npos)
      std::abort();
    return 0;
  } catch (const kv::FpError&) {
    return 0;  // a value that does not fit float32
  }
  try {
    kv::DeriveThresholds(d);
  } catch (const kv::FpError&) {
  }
  return 0;
}
