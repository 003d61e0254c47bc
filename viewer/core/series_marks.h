#pragma once
// Where a phenomenon's markers go and which chart slot a legend item shows.
// Qt-free: the chart window asks these on every paint.
#include <array>
#include <vector>

#include "viewer/core/graph_state.h"

namespace kv {

// Indices of the points that carry markers, for the visible points
// first..last of a series: five spread over them (first, a quarter, half,
// three quarters, last) when four or more are visible, every visible point
// when fewer, none when there is none. For exactly four the last index
// comes twice.
std::vector<int> MarkerIndices(int first, int last);

// Slot of legend item `index`: the legend lists the active slots in slot
// order. -1 when no slot matches.
int LegendItemSlot(const std::array<bool, kSlotCount>& active, int index);

}  // namespace kv
