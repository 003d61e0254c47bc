#include "model/core/sample_store.h"

#include <stdexcept>

namespace kv {

void SampleStore::append(const TSampleRecord& r) {
  if (n_ >= kCapacity) throw std::length_error("more than 65535 sample records");
  if (!data_) data_.reset(new float[kChannels * kCapacity]);  // left uninitialised on purpose
  float* const base = data_.get() + n_;
  for (std::size_t k = 0; k < kChannels; ++k) std::memcpy(base + k * kCapacity, &r.v[k], sizeof(float));
  ++n_;
}

TSampleRecord SampleStore::record(std::size_t i) const {
  TSampleRecord r;
  for (std::size_t k = 0; k < kChannels; ++k) std::memcpy(&r.v[k], channel(k) + i, sizeof(float));
  return r;
}

}  // namespace kv
