#pragma once
// A chart slot as the slot engine sees it: the slot's line series together
// with its companion marker series.
#include <QString>

#include "viewer/chart/chart.h"
#include "viewer/core/type_groups.h"

namespace vistrel {

class ChartSlotSeries final : public kv::SlotSeries {
 public:
  ChartSlotSeries(kv::ChartSeries* line, kv::ChartSeries* marks) : line_(line), marks_(marks) {}

  void AddXY(double x, double y) override { line_->AddPoint(x, y); }
  void TransformY(double mul, double add, double div) override { line_->TransformY(mul, add, div); }
  double SeriesMinY() const override { return line_->SeriesMinY(); }
  double SeriesMaxY() const override { return line_->SeriesMaxY(); }
  double SeriesMaxX() const override { return line_->SeriesMaxX(); }
  void ClearPoints() override { line_->ClearPoints(); }
  void Reserve(int n) override { line_->Reserve(n); }
  bool Active() const override { return line_->Active(); }
  void SetActive(bool on) override {
    line_->SetActive(on);
    if (marks_) marks_->SetActive(on);
  }
  void SetTitle(const std::string& title) override { line_->SetTitle(QString::fromStdString(title)); }
  void ClearMarks() override {
    if (marks_) marks_->ClearPoints();
  }

 private:
  kv::ChartSeries* line_;
  kv::ChartSeries* marks_;
};

}  // namespace vistrel
