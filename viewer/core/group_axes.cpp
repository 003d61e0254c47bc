#include "viewer/core/group_axes.h"

#include <cmath>

namespace kv {

int GroupAxisX(int L, int W, double positionPercent, int group) {
  return L + static_cast<int>(std::lrint(W * positionPercent / 100)) - kGroupAxisSpacing * group;
}

AxisLabelOwner LabelOwner(int p, int L, int W, double positionPercent, int groupCount) {
  if (groupCount <= 0) return {};
  if (p > L || (p == L && positionPercent != 0)) return {AxisLabelOwner::Blank, -1};
  for (int k = 0; k < groupCount; ++k)
    if (GroupAxisX(L, W, positionPercent, k) == p) return {AxisLabelOwner::Group, k};
  return {};
}

int GroupCaptionY(int T, int B, int fontHeight, bool below) { return below ? B - 2 * fontHeight : T + 2 * fontHeight; }

std::optional<double> ZeroLinePercent(int zeroPx, int T, int B) {
  if (B <= T) return std::nullopt;
  return 100 - static_cast<double>(zeroPx - T) / (B - T) * 100;
}

}  // namespace kv
