#pragma once
// Drives the per-sample step directly: a model with its sample file open on
// a temporary file, inputs set per step, records read back.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/core/dat_mod1.h"
#include "model/core/settings.h"
#include "model/core/torvin_1.h"

namespace torvin_test {

using kv::DatMod1;
using kv::TSampleRecord;

// Channel numbers of the sample record.
enum Ch {
  kI = 0, kUline = 1, kP3 = 2, kQ3 = 3, kAngle = 4, kModeInd = 5, kDirOrPicked = 6, kSlipsOrSwings = 7,
  kTripAngle1 = 8, kTripAngle2 = 9, kXeck = 10, kUxLine = 11, kTripCycle1 = 12, kTripCycle2 = 13,
  kApnu1 = 14, kApnu2 = 15,
};

// Settings of a small system: UphNom = 100, X1 = 10, X3 = 0, no resistance,
// every criterion off. Tests switch on what they exercise.
inline kv::TSettings BaseSettings() {
  kv::TSettings s;
  s.Unom = 173.205081f;
  s.Inom = 1;
  s.X1 = 10;
  s.R1 = 0;
  s.X3 = 0;
  s.R3 = 0;
  s.Zone1Percent = 80;
  s.Zone2Percent = 80;
  s.MaxSlipsPos = 100;
  s.MaxSlipsNeg = 100;
  s.GenKzPower = 300;
  s.GenKzInertia = 1;
  s.GenKzReactance = 1;
  return s;
}

// Inputs of one step.
struct In {
  float I = 0, Uph = 0, Pa = 0, Qa = 0;
  char marker = ' ';
};

// Inputs whose measured angle is `deg` (X3 = 0, K1 = 0) at phase voltage
// `uph`, with a large current so that Xeck is small and positive.
inline In AtAngle(double deg, float uph, float x1 = 10, float current = 100) {
  const double r = 0.5 * uph * uph;
  const double th = deg * M_PI / 180.0;
  In in;
  in.Uph = uph;
  in.I = current;
  in.Pa = static_cast<float>(r * std::sin(th) / x1);
  in.Qa = static_cast<float>((r * std::cos(th) - static_cast<double>(uph) * uph) / x1);
  return in;
}

class Harness {
 public:
  explicit Harness(const kv::TSettings& s = BaseSettings()) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "torvin-XXXXXX").string();
    const int fd = mkstemp(tmpl.data());
    if (fd >= 0) close(fd);
    path_ = tmpl;
    StartRun(s);
  }
  ~Harness() {
    try {
      d.emaTip.close();
    } catch (...) {
    }
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }

  // A new run on the same model: program-start state, fresh sample file.
  void StartRun(const kv::TSettings& s) {
    if (d.emaTip.isOpen()) d.emaTip.close();
    d.ResetForRun();
    kv::InitResultsGrid(d);
    d.settings = s;
    kv::DeriveThresholds(d);
    d.emaTip.rewrite(path_);
    t_ = 0;
  }

  void Step(const In& in) {
    d.SampleTime = t_;
    d.I = in.I;
    d.Uph = in.Uph;
    d.Pa = in.Pa;
    d.Qa = in.Qa;
    d.LineMarker = in.marker;
    kv::ProcessSample(d);
    t_ = static_cast<double>(static_cast<long double>(t_) + 0.02L);
  }
  void Steps(const In& in, int n) {
    for (int k = 0; k < n; ++k) Step(in);
  }
  double time() const { return t_; }

  std::vector<TSampleRecord> Records() {
    std::fflush(d.emaTip.handle());
    std::ifstream f(path_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<TSampleRecord> out(bytes.size() / sizeof(TSampleRecord));
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * sizeof(TSampleRecord));
    return out;
  }
  std::string Bytes() {
    std::fflush(d.emaTip.handle());
    std::ifstream f(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  }
  float Last(int ch) {
    auto r = Records();
    return r.empty() ? NAN : r.back().v[ch];
  }
  // Trip rows written so far (the header row excluded).
  std::vector<std::array<std::string, 4>> Rows() const {
    std::vector<std::array<std::string, 4>> rows;
    for (std::size_t i = 1; i < d.results.ResultRow && i < d.results.cells.size(); ++i) rows.push_back(d.results.cells[i]);
    return rows;
  }

  DatMod1 d;

 private:
  std::string path_;
  double t_ = 0;
};

}  // namespace torvin_test
