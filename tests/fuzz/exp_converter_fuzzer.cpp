// Converts arbitrary bytes as an exponent-format export: either a data line
// is named as malformed, or every converted line reads back as a processing
// file without a number error.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/io_error.h"
#include "model/core/exp_convert.h"
#include "model/core/processing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string output;
  std::size_t badLine = 0;
  if (!kv::ConvertExpText(input, output, &badLine)) {
    if (badLine <= 7) std::abort();  // the header is never judged
    return 0;
  }
  try {
    kv::ResampleText(output, "run.txt", [](const kv::GridPoint&) {});
  } catch (const kv::IoError&) {
    std::abort();  // the converter wrote something that is no number
  } catch (const kv::FpError&) {
  } catch (const kv::SampleLimitError&) {
  }
  return 0;
}
