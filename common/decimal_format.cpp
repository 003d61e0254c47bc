#include "common/decimal_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kv {

namespace {

std::string g_decimalSep = ".";
std::string g_groupSep = ",";

// Decimal digits of |v| (no leading zeros) and the exponent of the first
// digit: v = 0.d1d2d3... * 10^exp10.
struct Digits {
  std::string d;
  int exp10 = 0;
  bool neg = false;
};

Digits ToDigits(long double v) {
  Digits r;
  r.neg = std::signbit(v) && v != 0;
  if (v == 0) return r;
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.39Le", std::fabs(v));
  // buf: d.ddddde±xx
  std::string s(buf);
  std::size_t e = s.find('e');
  r.d = s.substr(0, 1) + s.substr(2, e - 2);
  r.exp10 = std::atoi(s.c_str() + e + 1) + 1;
  return r;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundDigits(Digits& x, int keep) {
  if (keep < 0) {
    x.d.clear();
    return;
  }
  if (static_cast<int>(x.d.size()) <= keep) return;
  bool up = x.d[keep] >= '5';
  x.d.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && x.d[i] == '9') x.d[i--] = '0';
    if (i < 0) {
      x.d.insert(x.d.begin(), '1');
      x.d.pop_back();
      if (x.d.empty()) x.d = "1";
      ++x.exp10;
    } else {
      ++x.d[i];
    }
  }
  while (!x.d.empty() && x.d.back() == '0') x.d.pop_back();
}

std::string Compose(const Digits& x, int minDec, int maxDec, const std::string& dec, const std::string& grp) {
  std::string intPart, frac;
  if (x.d.empty()) {
    intPart = "0";
  } else {
    for (int i = 0; i < x.exp10; ++i) intPart += i < static_cast<int>(x.d.size()) ? x.d[i] : '0';
    if (intPart.empty()) intPart = "0";
    for (int i = 0; i < maxDec; ++i) {
      int idx = x.exp10 + i;
      frac += (idx >= 0 && idx < static_cast<int>(x.d.size())) ? x.d[idx] : '0';
    }
  }
  if (frac.empty()) frac.assign(static_cast<std::size_t>(maxDec), '0');
  while (static_cast<int>(frac.size()) > minDec && !frac.empty() && frac.back() == '0') frac.pop_back();
  if (!grp.empty()) {
    std::string g;
    int n = static_cast<int>(intPart.size());
    for (int i = 0; i < n; ++i) {
      g += intPart[i];
      int left = n - 1 - i;
      if (left > 0 && left % 3 == 0) g += grp;
    }
    intPart = g;
  }
  std::string out = (x.neg && !x.d.empty()) ? "-" : "";
  out += intPart;
  if (!frac.empty()) out += dec + frac;
  return out;
}

}  // namespace

std::string FormatDecimal(long double v, const DecimalStyle& style) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  Digits x = ToDigits(v);
  RoundDigits(x, 18);
  RoundDigits(x, x.exp10 + style.maxDecimals);
  return Compose(x, style.minDecimals, style.maxDecimals, style.decimalSep, style.groupSep);
}

std::string FormatFixed(long double v, int precision, int decimals, const std::string& decimalSep) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  Digits x = ToDigits(v);
  RoundDigits(x, 18);
  RoundDigits(x, std::min(precision, x.exp10 + decimals));
  if (x.exp10 > precision) {
    // Too many integer digits for the precision: exponent form d.ddde+XX.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, v);
    std::string s(buf);
    std::size_t p = s.find('.');
    if (p != std::string::npos) s.replace(p, 1, decimalSep);
    return s;
  }
  return Compose(x, decimals, decimals, decimalSep, std::string());
}

std::string FormatPattern(std::string_view pattern, long double v) {
  pattern = pattern.substr(0, pattern.find(';'));
  DecimalStyle style;
  const std::size_t dot = pattern.find('.');
  if (pattern.substr(0, dot).find(',') != std::string_view::npos) style.groupSep = g_groupSep;
  if (dot != std::string_view::npos) {
    for (char c : pattern.substr(dot + 1)) {
      if (c == '0') ++style.minDecimals;
      if (c == '0' || c == '#') ++style.maxDecimals;
    }
  }
  style.decimalSep = g_decimalSep;
  return FormatDecimal(v, style);
}

const std::string& SystemDecimalSeparator() { return g_decimalSep; }
const std::string& SystemGroupSeparator() { return g_groupSep; }
void SetSystemSeparators(const std::string& decimalSep, const std::string& groupSep) {
  g_decimalSep = decimalSep;
  g_groupSep = groupSep;
}

}  // namespace kv
