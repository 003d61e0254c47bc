#pragma once
// Example transients of a two-source system for Kelvotin: the sending source
// E1 behind R1 + jX1 on side 1 of the device, the receiving source E2 behind
// R3 + jX3 on side 2, and the angle between them as a function of time. The
// device sees the voltage at its point, the current from side 1 to side 2 and
// the power carried by it, written in the processing file's columns (line
// voltage, current, three-phase P and Q with the recorder's sign: power
// towards side 2 is negative, so that Pa = -column 4 / 3 is positive).
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <string>

namespace kv::transients {

struct TwoSources {
  double E1 = 300;  // phase voltage behind side 1, kV
  double E2 = 295;  // phase voltage behind side 2, kV
  double X1 = 100, R1 = 5;  // ohm
  double X3 = 80, R3 = 4;
};

struct Point {
  double uLine, current, p3, q3;
};

// The device's quantities with E1 leading E2 by `deg` degrees.
inline Point Evaluate(const TwoSources& s, double deg) {
  using C = std::complex<double>;
  const C e1 = std::polar(s.E1, deg * M_PI / 180.0);
  const C e2(s.E2, 0.0);
  const C z1(s.R1, s.X1), z3(s.R3, s.X3);
  const C i = (e1 - e2) / (z1 + z3);
  const C v = e1 - z1 * i;
  const C power = v * std::conj(i);
  return {std::abs(v) * std::sqrt(3.0), std::abs(i), -3.0 * power.real(), -3.0 * power.imag()};
}

inline std::string Line(double t, const Point& p) {
  char buf[128];
  std::snprintf(buf, sizeof buf, " %.3f %.3f %.5f %.3f %.3f\n", t, p.uLine, p.current, p.p3, p.q3);
  return buf;
}

// Samples every `step` seconds for `seconds`, the angle given by `angle(t)`.
inline std::string Transient(const TwoSources& s, double seconds, double step,
                             const std::function<double(double)>& angle) {
  std::string text;
  const long n = std::lround(seconds / step);
  for (long k = 0; k <= n; ++k) {
    const double t = k * step;
    text += Line(t, Evaluate(s, angle(t)));
  }
  return text;
}

// Angle of an asynchronous run: steady at `start` degrees until `t0`, then
// the slip frequency rises linearly to `slipHz` within `rampSeconds` and stays.
inline double AsyncAngle(double t, double start, double t0, double slipHz, double rampSeconds) {
  if (t <= t0) return start;
  const double tau = t - t0;
  const double turns = tau < rampSeconds ? 0.5 * slipHz * tau * tau / rampSeconds
                                         : 0.5 * slipHz * rampSeconds + slipHz * (tau - rampSeconds);
  return std::remainder(start + 360.0 * turns, 360.0);
}

// A damped swing around `start` degrees after a disturbance at `t0`.
inline double SwingAngle(double t, double start, double t0, double amplitude, double hz, double decaySeconds) {
  if (t <= t0) return start;
  const double tau = t - t0;
  return start + amplitude * std::exp(-tau / decaySeconds) * std::sin(2 * M_PI * hz * tau);
}

// ---------------------------------------------------------------------------
// The shipped examples: a settings file and two processing files of a
// 500 kV two-source system.

// The 41 settings, one per line, each followed by a short note.
inline const char* const kExampleSettings[41][2] = {
    {"500", "Unom, kV"},
    {"2", "Inom, kA"},
    {"100", "X1, ohm"},
    {"5", "R1, ohm"},
    {"80", "X3, ohm"},
    {"4", "R3, ohm"},
    {"80", "zone 1, % of X1 and X3"},
    {"80", "zone 2, % of X1 and X3"},
    {"100", "angle 1 delay inside zone 1, ms"},
    {"100", "angle 2 delay inside zone 2, ms"},
    {"300", "angle 1 delay outside zone 1, ms"},
    {"300", "angle 2 delay outside zone 2, ms"},
    {"4", "slip limit, positive"},
    {"4", "slip limit, negative"},
    {"2", "cycle 1: slips inside zone 1"},
    {"1", "cycle 1 mode"},
    {"2", "cycle 2: slips inside zone 2"},
    {"1", "cycle 2 mode"},
    {"3", "current pick-up, kA"},
    {"2.5", "current drop-out, kA"},
    {"3", "current swings to trip"},
    {"5", "current swing window, s"},
    {"1000", "GEN_KZ power"},
    {"8", "GEN_KZ inertia"},
    {"30", "GEN_KZ reactance"},
    {"1", "APNU1 angle sign"},
    {"0", "APNU1 power sign"},
    {"0", "APNU2 angle sign"},
    {"0", "APNU2 power sign"},
    {"1", "APNU1 slip speed sign"},
    {"0", "APNU1 power trend sign"},
    {"0", "APNU2 slip speed sign"},
    {"0", "APNU2 power trend sign"},
    {"150", "APNU1 angle, deg"},
    {"150", "APNU2 angle, deg"},
    {"0", "APNU1 power, MW"},
    {"0", "APNU2 power, MW"},
    {"1", "angle criteria on"},
    {"1", "cycle criteria on"},
    {"1", "GEN_KZ on"},
    {"1", "APNU on"},
};

inline std::string ExampleSettingsText() {
  std::string text;
  for (const auto& line : kExampleSettings) {
    std::string value = line[0];
    text += value + std::string(value.size() < 8 ? 8 - value.size() : 1, ' ') + line[1] + "\n";
  }
  return text;
}

inline const char* const kColumns = "% time, s; line voltage, kV; current, kA; P, MW; Q, MVAr (3 phases)\n";

inline std::string AsyncExampleText() {
  const TwoSources system;
  std::string text =
      "% Asynchronous run: from 1 s the sending side slips away, the slip rising\n"
      "% to 0.7 Hz within 1.5 s; the voltage dips at every pass through 180 degrees.\n";
  text += kColumns;
  text += Transient(system, 8.0, 0.01, [](double t) { return AsyncAngle(t, 40.0, 1.0, 0.7, 1.5); });
  return text;
}

inline std::string SwingExampleText() {
  const TwoSources system;
  std::string text =
      "% Stable swing: after a disturbance at 1 s the angle swings from 40 degrees\n"
      "% up to about 110 degrees and settles at 0.8 Hz.\n";
  text += kColumns;
  text += Transient(system, 6.0, 0.01, [](double t) { return SwingAngle(t, 40.0, 1.0, 85.0, 0.8, 1.5); });
  return text;
}

}  // namespace kv::transients
