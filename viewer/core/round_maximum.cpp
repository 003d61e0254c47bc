#include "viewer/core/round_maximum.h"

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace kv {

namespace {

// The ladder in tenths, so that every candidate is an integer times a power
// of ten and can be turned into the nearest double by one exact conversion.
constexpr int kLadderTenths[] = {10, 15, 20, 25, 30, 50, 75};

// m * 10^e as the nearest double; false when it does not fit.
bool LadderValue(int m, int e, double& out) {
  char text[32];
  int n = std::snprintf(text, sizeof text, "%de%d", m, e);
  double v = 0;
  auto r = std::from_chars(text, text + n, v);
  if (r.ec != std::errc() || !std::isfinite(v) || v == 0) return false;
  out = v;
  return true;
}

}  // namespace

bool RoundMaximum(double& X) {
  if (!std::isfinite(X) || !(X >= DBL_MIN)) return false;
  // Start one decade below X's own so that rounding of log10 cannot skip the
  // answer; the ladder of decade d is m/10 * 10^d.
  int d = static_cast<int>(std::floor(std::log10(X))) - 1;
  for (int decade = d; decade <= d + 3; ++decade) {
    for (int m : kLadderTenths) {
      double v;
      if (!LadderValue(m, decade - 1, v)) {
        if (decade > 0) return false;  // beyond the largest double
        continue;
      }
      if (v >= X) {
        X = v;
        return true;
      }
    }
  }
  return false;
}

}  // namespace kv
