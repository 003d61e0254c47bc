#pragma once
// Texts the viewer shows: stored OEM (code page 866) names and comments, and
// numbers in the few display patterns the viewer uses.
#include <string>
#include <string_view>

namespace kv {

// A file's comment: up to its first NUL, at most 64 characters, as UTF-8.
std::string OemComment(std::string_view field);
// A channel or section name: up to its first NUL, at most 16 characters, as
// UTF-8.
std::string OemName(std::string_view field);

// The display patterns of the viewer. Digits are rounded at the last "#"/"0"
// place after the point, ties away from zero; the separators are the
// system's (SystemDecimalSeparator / SystemGroupSeparator).
inline constexpr std::string_view kPatternDuration = "#0.##";        // file duration
inline constexpr std::string_view kPatternStep = "#0.######";        // sampling step
inline constexpr std::string_view kPatternTime = "##0.######";       // trace time read-out
inline constexpr std::string_view kPatternAxisValue = "#,##0.###";   // chart's axis-value default

// Formats v with a pattern made of "#", "0", one optional "," in the integer
// part (thousands grouping) and one optional "." followed by "0" (always
// shown) and "#" (shown when not zero) places, as the patterns above.
// NaN and infinities give "NAN", "INF", "-INF".
std::string FormatFloat(std::string_view pattern, double v);

// The same, named after their use.
inline std::string FormatDuration(double seconds) { return FormatFloat(kPatternDuration, seconds); }
inline std::string FormatStep(double seconds) { return FormatFloat(kPatternStep, seconds); }
inline std::string FormatTime(double seconds) { return FormatFloat(kPatternTime, seconds); }
inline std::string FormatAxisValue(double v) { return FormatFloat(kPatternAxisValue, v); }

}  // namespace kv
