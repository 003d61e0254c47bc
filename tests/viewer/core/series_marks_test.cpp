#include <gtest/gtest.h>

#include <climits>

#include "viewer/core/series_marks.h"

using kv::LegendItemSlot;
using kv::MarkerIndices;

TEST(MarkerIndices, FiveSpreadOverFourOrMoreEveryPointBelowNoneWithout) {
  const struct {
    int first, last;
    std::vector<int> want;
  } cases[] = {
      {0, 999, {0, 250, 500, 750, 999}},
      {10, 16, {10, 11, 12, 13, 16}},
      {3, 6, {3, 4, 5, 6, 6}},  // exactly four: the last twice
      {5, 7, {5, 6, 7}},
      {8, 8, {8}},
      {4, 3, {}},  // the chart found no point in view
      {-1, -1, {}},
      {0, INT_MAX, {0, 536870912, 1073741824, 1610612736, INT_MAX}},  // no overflow of the count
  };
  for (const auto& c : cases) EXPECT_EQ(MarkerIndices(c.first, c.last), c.want) << c.first << ".." << c.last;
}

TEST(LegendItemSlot, CountsActiveSlotsInSlotOrder) {
  std::array<bool, kv::kSlotCount> active{};
  EXPECT_EQ(LegendItemSlot(active, 0), -1);
  active[3] = true;
  EXPECT_EQ(LegendItemSlot(active, 0), 3);  // slot 3 alone is the first item
  active[1] = active[9] = true;
  EXPECT_EQ(LegendItemSlot(active, 0), 1);
  EXPECT_EQ(LegendItemSlot(active, 1), 3);
  EXPECT_EQ(LegendItemSlot(active, 2), 9);
  EXPECT_EQ(LegendItemSlot(active, 3), -1);
  EXPECT_EQ(LegendItemSlot(active, -1), -1);
}
