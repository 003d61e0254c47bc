#pragma once
// Turns one phenomenon of the current file into the points of one chart
// series: a stored channel or a section (sum of channels) of a ".31", or one
// column of a ".rzs".
#include <cstdint>

namespace kv {

class OscReader;
class RzsReader;

// What a chart series offers FillSeries: points appended in order, X the
// time in seconds, Y the value, each in the series' own colour.
class PointSink {
 public:
  virtual ~PointSink() = default;
  virtual void AddXY(double x, double y) = 0;
};

// The open dialog's filter index of an oscillogram file; any other kind is a
// result file.
inline constexpr int kKindOscillogram = 1;

// X := 0 when X is NaN or infinite; any other value is left as it is.
void ZeroIfNotNumber(float& X);

// Adds every point of phenomenon `Index` of the current file to `Series`
// (without clearing it first) and closes the file.
//   Kind 1: Index 1..C is stored channel Index; C+1..C+16 is section
//           Index - C, of the file as the reader's last successful
//           OpenOscFile read it. NaN and infinite samples count as 0.
//   other:  Index 1..G is group Index of the result file assigned to `rzs`;
//           values are passed as read, NaN included.
// Throws IoError (FileFormatError for a file that is not what it claims):
// no file opened, a result file that cannot be opened or is shorter than
// its header says, or no such phenomenon adds no point at all.
void FillSeries(int Kind, PointSink& Series, std::uint8_t Index, OscReader& osc, RzsReader& rzs);

}  // namespace kv
