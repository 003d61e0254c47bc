#pragma once
// The run's sample records, kept in memory channel after channel, the order
// in which the oscillogram stores them: each record is transposed once, as
// it arrives, and the file is written straight from here.
#include <cstddef>
#include <cstring>
#include <memory>

#include "model/core/torvin_state.h"

namespace kv {

class SampleStore {
 public:
  static constexpr std::size_t kChannels = 16;
  // The oscillogram's point count is 16 bits.
  static constexpr std::size_t kCapacity = 65535;

  // Forgets the records; the storage stays for the next run, so a run does
  // not map and fault its buffers again.
  void clear() { n_ = 0; }
  std::size_t size() const { return n_; }

  // Throws std::length_error beyond kCapacity records (a run stops before).
  void append(const TSampleRecord& r);

  // Channel k (0..15): size() values; the stored bit patterns, never
  // reinterpreted.
  const float* channel(std::size_t k) const { return data_.get() + k * kCapacity; }
  float at(std::size_t k, std::size_t i) const { return channel(k)[i]; }
  TSampleRecord record(std::size_t i) const;

 private:
  // kChannels x kCapacity values, allocated on the first record; pages a
  // short run never reaches are never touched.
  std::unique_ptr<float[]> data_;
  std::size_t n_ = 0;
};

}  // namespace kv
