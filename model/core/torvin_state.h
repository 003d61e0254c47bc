#pragma once
// State of the device algorithm: measurement, slip tracking and criteria.
// Default member values are the state of a freshly started program.

#include <cstdint>

namespace kv {

// One sample of "ema.tip": 16 float32 values in oscillogram channel order.
struct TSampleRecord {
  float v[16] = {};
};

struct AlgoState {
  // Read by the results writers.
  float Xeck = 0;
  std::int16_t SlipCount = 0;
  std::int32_t SwingCount = 0;  // widened from 8 bits: no wrapped swings
};

}  // namespace kv
