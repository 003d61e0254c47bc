#pragma once
// Chart slots without a chart: points in a vector, extremes over the finite
// ones, as the chart keeps them.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "viewer/core/type_groups.h"

namespace kvtest {

struct FakeSlot : kv::SlotSeries {
  void AddXY(double x, double y) override { xy.emplace_back(x, y); }
  void TransformY(double mul, double add, double div) override {
    for (auto& p : xy) p.second = (p.second * mul + add) / div;
  }
  double Extreme(bool wantY, bool wantMax) const {
    bool any = false;
    double v = 0;
    for (auto [x, y] : xy) {
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      const double c = wantY ? y : x;
      v = !any ? c : wantMax ? std::max(v, c) : std::min(v, c);
      any = true;
    }
    return v;
  }
  double SeriesMinY() const override { return Extreme(true, false); }
  double SeriesMaxY() const override { return Extreme(true, true); }
  double SeriesMaxX() const override { return Extreme(false, true); }
  void ClearPoints() override { xy.clear(); }
  bool Active() const override { return active; }
  void SetActive(bool on) override { active = on; }
  void SetTitle(const std::string& t) override { title = t; }
  void ClearMarks() override { marks = 0; }

  std::vector<std::pair<double, double>> xy;
  bool active = false;
  std::string title;
  int marks = 0;  // stands for the companion's points
};

// Ten fake slots and the set the engine takes.
struct FakeSlots {
  FakeSlots() {
    for (std::size_t q = 0; q < set.size(); ++q) set[q] = &slot[q];
  }
  FakeSlot slot[kv::kSlotCount];
  kv::SlotSeriesSet set{};
};

}  // namespace kvtest
