#include "viewer/core/group_axes.h"

#include <algorithm>
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

std::vector<int> GroupCaptionRows(const std::vector<int>& widths, int gap) {
  const int n = static_cast<int>(widths.size());
  std::vector<int> rows(static_cast<std::size_t>(n), 0);
  for (int k = 0; k < n; ++k) {
    if (widths[static_cast<std::size_t>(k)] <= 0) continue;  // nothing to write
    for (int row = 0;; ++row) {
      bool free = true;
      for (int j = 0; j < k && free; ++j) {
        if (rows[static_cast<std::size_t>(j)] != row || widths[static_cast<std::size_t>(j)] <= 0) continue;
        // Half widths rounded up: each box reaches that far from its axis.
        const int need = (widths[static_cast<std::size_t>(j)] + 1) / 2 + (widths[static_cast<std::size_t>(k)] + 1) / 2 + gap;
        free = kGroupAxisSpacing * (k - j) >= need;
      }
      if (free) {
        rows[static_cast<std::size_t>(k)] = row;
        break;
      }
    }
  }
  return rows;
}

int GroupCaptionRowY(const CaptionRowsGeometry& g, bool below, int row) {
  const int first = GroupCaptionY(g.T, g.B, g.fontHeight, below);
  if (!below) return first - row * g.step;
  // A box of `height` centred on y starts (height - 1) / 2 above it.
  return std::max(first, g.freeBelow + (g.height - 1) / 2) + row * g.step;
}

int GroupCaptionRoom(const CaptionRowsGeometry& g, bool below, int rows) {
  if (rows <= 0) return 0;
  if (below) return g.height + (rows - 1) * g.step;
  return -2 * g.fontHeight + (rows - 1) * g.step + (g.height - 1) / 2;
}

std::optional<double> ZeroLinePercent(int zeroPx, int T, int B) {
  if (B <= T) return std::nullopt;
  return 100 - static_cast<double>(zeroPx - T) / (B - T) * 100;
}

}  // namespace kv
