#pragma once
// Number-to-text as the original class library did it: the value is first
// taken to 18 significant decimal digits, then rounded at the wanted place
// with ties away from zero (so 0.0625 with 3 decimals gives 0.063).
#include <string>
#include <string_view>

namespace kv {

struct DecimalStyle {
  int minDecimals = 0;      // "0" places after the separator
  int maxDecimals = 0;      // "0" and "#" places after the separator
  std::string decimalSep = ".";
  std::string groupSep;     // empty: no thousands grouping (UTF-8 text)
};

std::string FormatDecimal(long double v, const DecimalStyle& style);

// Fixed notation with exactly `decimals` places and at most `precision`
// significant digits; exponent form when the integer part needs more digits
// than `precision` (the class library's fixed format).
std::string FormatFixed(long double v, int precision, int decimals, const std::string& decimalSep);

// A number through a display pattern such as "#,##0.###": "," in the
// integer part asks for thousands grouping, after "." each "0" is a place
// always shown and each "#" one shown when not zero. Only the part before a
// ";" counts. The separators are the system's.
std::string FormatPattern(std::string_view pattern, long double v);

// The process-wide separators the windows set from the system locale at start
// (tests pin them); the Qt-free code reads them from here.
const std::string& SystemDecimalSeparator();
const std::string& SystemGroupSeparator();
void SetSystemSeparators(const std::string& decimalSep, const std::string& groupSep);

}  // namespace kv
