#include "viewer/core/viewer_text.h"

#include "common/codepage.h"
#include "common/decimal_format.h"
#include "common/osc31.h"

namespace kv {

std::string OemComment(std::string_view field) { return OemFieldToUtf8(field, osc31::kCommentShownChars); }
std::string OemName(std::string_view field) { return OemFieldToUtf8(field, osc31::kNameShownChars); }

std::string FormatFloat(std::string_view pattern, double v) {
  DecimalStyle style;
  std::size_t dot = pattern.find('.');
  std::string_view intPart = pattern.substr(0, dot);
  if (intPart.find(',') != std::string_view::npos) style.groupSep = SystemGroupSeparator();
  if (dot != std::string_view::npos) {
    for (char c : pattern.substr(dot + 1)) {
      if (c == '0') {
        ++style.minDecimals;
        ++style.maxDecimals;
      } else if (c == '#') {
        ++style.maxDecimals;
      }
    }
  }
  style.decimalSep = SystemDecimalSeparator();
  return FormatDecimal(static_cast<long double>(v), style);
}

}  // namespace kv
