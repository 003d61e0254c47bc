#pragma once
// Solid one-pixel lines written straight into an RGB32/ARGB32 image: the
// screen's lines without the per-segment cost of the general painter.
//
// Each series is a layer of vertical spans per pixel column. Layers are kept
// until Flush, which writes them in narrow column strips: per column, each
// pixel takes the colour of the last layer covering it, exactly as series
// drawn one after another would leave it, and is written once; the strip's
// part of the image stays in cache however many series there are.
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <vector>

class QPainter;
class QPen;

namespace kv {
namespace chart_detail {

class Raster {
 public:
  // Starts a layer in `pen` within `clip` (painter coordinates); false when
  // the pen or the painter's device does not allow writing pixels directly.
  // Layers of another image or clip are flushed first.
  bool Begin(QPainter& p, const QPen& pen, const QRect& clip);

  // Pixels (x, a..b) of the current layer.
  void AddSpan(int x, int a, int b);
  // The line from one column's last point to the next column's first.
  void Step(int x0, int y0, int x1, int y1);

  bool Pending() const { return used_ > 0; }
  // Writes the gathered layers into the image and forgets them.
  void Flush();

 private:
  struct Piece {
    int x, a, b;
  };
  struct Layer {
    uint32_t color = 0;
    std::vector<int> lo, hi;   // main span per column of the clip, empty when lo > hi
    std::vector<Piece> extra;  // further pieces: separate spans, long steps
  };

  struct Run {
    int a, b;  // rows a..b of a column
    uint32_t color;
  };

  void Extra(int x, int a, int b);
  void Line(int x0, int y0, int x1, int y1);
  void Uncover(int a, int b, uint32_t color);

  uint32_t* bits_ = nullptr;
  ptrdiff_t stride_ = 0;
  int ox_ = 0, oy_ = 0;
  QRect clip_;
  std::vector<Layer> layers_;  // the first used_ are gathered
  size_t used_ = 0;
  std::vector<Run> covered_, shown_;  // scratch of Flush
};

}  // namespace chart_detail
}  // namespace kv
