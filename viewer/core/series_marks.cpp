#include "viewer/core/series_marks.h"

namespace kv {

std::vector<int> MarkerIndices(int first, int last) {
  std::vector<int> out;
  if (first < 0 || last < first) return out;
  const long long n = static_cast<long long>(last) - first + 1;
  const int q = static_cast<int>(n / 4);
  if (q >= 1) return {first, first + q, first + 2 * q, first + 3 * q, last};
  for (int i = first; i <= last; ++i) out.push_back(i);
  return out;
}

int LegendItemSlot(const std::array<bool, kSlotCount>& active, int index) {
  if (index < 0) return -1;
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (active[static_cast<std::size_t>(slot)] && index-- == 0) return slot;
  return -1;
}

}  // namespace kv
