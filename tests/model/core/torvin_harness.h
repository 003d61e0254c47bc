#pragma once
// Drives the per-sample step directly: a model, inputs set per step, records
// read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "model/core/dat_mod1.h"
#include "model/core/settings.h"
#include "model/core/torvin_1.h"

namespace torvin_test {

using kv::DatMod1;

// Channels of the sample record.
enum Ch { kI, kUline, kP3, kQ3, kAngle, kModeInd, kDirOrPicked, kSlipsOrSwings, kTripAngle1, kTripAngle2, kXeck,
          kUxLine, kTripCycle1, kTripCycle2, kApnu1, kApnu2 };

// A small system: UphNom = 100, X1 = 10, X3 = 0, no resistance, every
// criterion off. Tests switch on what they exercise.
inline kv::TSettings BaseSettings() {
  kv::TSettings s;
  s.Unom = 173.205081f;
  s.Inom = 1;
  s.X1 = 10;
  s.Zone1Percent = s.Zone2Percent = 80;
  s.MaxSlipsPos = s.MaxSlipsNeg = 100;
  s.GenKzPower = 300;
  s.GenKzInertia = s.GenKzReactance = 1;
  return s;
}

// Program-start state with the settings `s` and their thresholds.
inline void Prepare(DatMod1& d, const kv::TSettings& s) {
  d.ResetForRun();
  kv::InitResultsGrid(d);
  d.settings = s;
  kv::DeriveThresholds(d);
}
inline DatMod1 Prepared(const kv::TSettings& s) {
  DatMod1 d;
  Prepare(d, s);
  return d;
}

// Trip rows written so far (header excluded), one "time|type|parameter|value" line each.
inline std::string RowsText(const DatMod1& d) {
  std::string out;
  for (std::size_t i = 1; i < d.results.ResultRow && i < d.results.cells.size(); ++i) {
    const auto& r = d.results.cells[i];
    out += r[0] + "|" + r[1] + "|" + r[2] + "|" + r[3] + "\n";
  }
  return out;
}

struct In {
  float I = 0, Uph = 0, Pa = 0, Qa = 0;
};

// Inputs whose measured angle is `deg` (X1 = 10, X3 = 0, K1 = 0) at phase
// voltage `uph`, with a large current so that Xeck is small and positive.
inline In AtAngle(double deg, float uph) {
  const double r = 0.5 * uph * uph, th = deg * M_PI / 180.0;
  return {100, uph, static_cast<float>(r * std::sin(th) / 10),
          static_cast<float>((r * std::cos(th) - static_cast<double>(uph) * uph) / 10)};
}

class Harness {
 public:
  explicit Harness(const kv::TSettings& s = BaseSettings()) { StartRun(s); }

  // A new run on the same model: program-start state, no records.
  void StartRun(const kv::TSettings& s) {
    Prepare(d, s);
    t_ = 0;
  }

  void Step(const In& in) {
    d.SampleTime = t_;
    std::tie(d.I, d.Uph, d.Pa, d.Qa) = std::tie(in.I, in.Uph, in.Pa, in.Qa);
    kv::ProcessSample(d);
    t_ = static_cast<double>(static_cast<long double>(t_) + 0.02L);
  }
  void Steps(const In& in, int n) {
    for (int k = 0; k < n; ++k) Step(in);
  }
  double time() const { return t_; }

  // The records of the run, record after record.
  std::string Bytes() const {
    std::string out;
    for (std::size_t i = 0; i < d.Records.size(); ++i) {
      const kv::TSampleRecord r = d.Records.record(i);
      out.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return out;
  }
  std::size_t Records() const { return d.Records.size(); }
  // One channel over the run's records.
  std::vector<float> Channel(int ch) const {
    const float* c = d.Records.size() ? d.Records.channel(static_cast<std::size_t>(ch)) : nullptr;
    return std::vector<float>(c, c + d.Records.size());
  }
  float Last(int ch) const { return d.Records.size() ? d.Records.at(static_cast<std::size_t>(ch), d.Records.size() - 1) : NAN; }
  std::string Rows() const { return RowsText(d); }

  DatMod1 d;

 private:
  double t_ = 0;
};

}  // namespace torvin_test
