#pragma once
// Numbers in the few display patterns the viewer uses.
#include <string>
#include <string_view>

#include "common/decimal_format.h"

namespace kv {

// The display patterns of the viewer. Digits are rounded at the last "#"/"0"
// place after the point, ties away from zero; the separators are the
// system's (SystemDecimalSeparator / SystemGroupSeparator).
inline constexpr std::string_view kPatternDuration = "#0.##";        // file duration
inline constexpr std::string_view kPatternStep = "#0.######";        // sampling step
inline constexpr std::string_view kPatternTime = "##0.######";       // trace time read-out
inline constexpr std::string_view kPatternAxisValue = "#,##0.###";   // chart's axis-value default

// The patterns, named after their use (common/decimal_format.h: FormatPattern).
inline std::string FormatDuration(double seconds) { return FormatPattern(kPatternDuration, seconds); }
inline std::string FormatStep(double seconds) { return FormatPattern(kPatternStep, seconds); }
inline std::string FormatTime(double seconds) { return FormatPattern(kPatternTime, seconds); }
inline std::string FormatAxisValue(double v) { return FormatPattern(kPatternAxisValue, v); }

}  // namespace kv
