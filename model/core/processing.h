#pragma once
// One processing run: settings, processing file, resampling onto the grid.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/core/grid_point.h"

namespace kv {
struct DatMod1;

// Throws IoError / FpError / SampleLimitError on a failed run (RunStatus then
// stays as it was, and no oscillogram or temporary file is left); sets
// d.RunStatus from 1 to 0 when the run completes or ends with an open-failure
// warning. A folder that cannot be written is IoError naming the folder,
// raised before any sample is processed.
void RunProcessing(DatMod1& d);

// The oscillogram holds at most this many samples (its point count is 16 bits).
inline constexpr std::int64_t kMaxSamples = 65535;

// A run whose grid would pass kMaxSamples points; the message is Russian.
class SampleLimitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a processing file's text line by line and resamples it onto the
// 0.02 s grid, calling `onPoint` once per grid point in time order. `name`
// is used in error messages. Throws IoError 106 for a number that does not
// convert, FpError for a value that does not fit its width, SampleLimitError
// before the (kMaxSamples + 1)-th point.
void ResampleText(std::string_view text, const std::string& name,
                  const std::function<void(const GridPoint&)>& onPoint);

// Makes `p` the sample inputs of `d` and runs the per-sample step on them.
void ProcessGridPoint(DatMod1& d, const GridPoint& p);

// The oscillogram's base name: the file's own name (after the last '/' or
// '\') up to its first dot; the whole name when it has no dot.
std::string BaseNameOf(const std::string& processingFileName);

// Text of the warning for a failed open of the processing file: the fixed
// texts for codes 2 to 5, otherwise the name and the system's reason `err`
// (an errno value; 0 when unknown).
std::string OpenFailureMessage(int code, const std::string& fileName, int err);

}  // namespace kv
