#include "viewer/chart/chart_raster.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "viewer/chart/chart_internal.h"

namespace kv {
namespace chart_detail {

namespace {
constexpr int kStrip = 16;  // columns per strip: one 64-byte cache line of a row
}  // namespace

bool Raster::Begin(QPainter& p, const QPen& pen, const QRect& clip) {
  if (pen.style() != Qt::SolidLine || pen.widthF() > 1 || pen.brush().style() != Qt::SolidPattern ||
      pen.color().alpha() != 255 || p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1)
    return false;
  QPaintDevice* dev = p.device();
  if (!dev || dev->devType() != QInternal::Image) return false;
  auto* img = static_cast<QImage*>(dev);
  const auto f = img->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) return false;
  if (!img->isDetached() || img->devicePixelRatio() != 1) return false;
  const QTransform t = p.deviceTransform();
  if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy())) return false;
  const int ox = static_cast<int>(t.dx()), oy = static_cast<int>(t.dy());
  // The clip in the painter's coordinates, within the image.
  const QRect c = clip.intersected(QRect(-ox, -oy, img->width(), img->height()));
  if (c.isEmpty()) return false;
  auto* bits = reinterpret_cast<uint32_t*>(img->bits());
  const ptrdiff_t stride = img->bytesPerLine() / 4;
  if (Pending() && (bits != bits_ || stride != stride_ || ox != ox_ || oy != oy_ || c != clip_)) Flush();
  bits_ = bits, stride_ = stride, ox_ = ox, oy_ = oy, clip_ = c;
  if (used_ == layers_.size()) layers_.emplace_back();
  Layer& l = layers_[used_++];
  l.color = 0xff000000u | pen.color().rgb();
  l.lo.assign(clip_.width(), std::numeric_limits<int>::max());
  l.hi.assign(clip_.width(), std::numeric_limits<int>::min());
  l.extra.clear();
  return true;
}

void Raster::AddSpan(int x, int a, int b) {
  if (x < clip_.left() || x > clip_.right()) return;
  if (a > b) std::swap(a, b);
  a = std::max(a, clip_.top());
  b = std::min(b, clip_.bottom());
  if (a > b) return;
  Layer& l = layers_[used_ - 1];
  int& lo = l.lo[x - clip_.left()];
  int& hi = l.hi[x - clip_.left()];
  if (lo > hi) {
    lo = a, hi = b;
  } else if (a <= hi + 1 && b >= lo - 1) {
    lo = std::min(lo, a), hi = std::max(hi, b);
  } else {
    l.extra.push_back({x, a, b});  // a second, separate piece of the column
  }
}

void Raster::Extra(int x, int a, int b) {
  if (x < clip_.left() || x > clip_.right()) return;
  a = std::max(a, clip_.top());
  b = std::min(b, clip_.bottom());
  if (a <= b) layers_[used_ - 1].extra.push_back({x, a, b});
}

void Raster::Step(int x0, int y0, int x1, int y1) {
  if (x0 == x1) return AddSpan(x0, y0, y1);
  if (std::abs(x1 - x0) == 1) {
    // Each column takes its half of the rise.
    if (y0 <= y1) {
      int m = y0 + (y1 - y0) / 2;
      AddSpan(x0, y0, m);
      AddSpan(x1, std::min(m + 1, y1), y1);
    } else {
      int m = y0 - (y0 - y1) / 2;
      AddSpan(x0, m, y0);
      AddSpan(x1, y1, std::max(m - 1, y1));
    }
    return;
  }
  Line(x0, y0, x1, y1);
}

// Bresenham's line, kept as one vertical run per column it crosses.
void Raster::Line(int x0, int y0, int x1, int y1) {
  QPointF a(x0, y0), b(x1, y1);
  if (!ClipSegment(a, b, QRectF(clip_.left(), clip_.top(), clip_.width() - 1, clip_.height() - 1))) return;
  int ax = static_cast<int>(std::lround(a.x())), ay = static_cast<int>(std::lround(a.y()));
  const int bx = static_cast<int>(std::lround(b.x())), by = static_cast<int>(std::lround(b.y()));
  const int dx = std::abs(bx - ax), dy = -std::abs(by - ay), stx = ax < bx ? 1 : -1, sty = ay < by ? 1 : -1;
  int err = dx + dy;
  int runX = ax, runLo = ay, runHi = ay;
  for (;;) {
    if (ax != runX) {
      Extra(runX, runLo, runHi);
      runX = ax, runLo = runHi = ay;
    } else {
      runLo = std::min(runLo, ay), runHi = std::max(runHi, ay);
    }
    if (ax == bx && ay == by) break;
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, ax += stx;
    if (e2 <= dx) err += dx, ay += sty;
  }
  Extra(runX, runLo, runHi);
}

// Per column, the topmost layer owns a pixel: the layers are taken from the
// last down, each giving only what the ones above left uncovered, so every
// pixel is given its colour once however many series overlap.
void Raster::Flush() {
  if (!Pending()) return;
  const int w = clip_.width();
  for (size_t i = 0; i < used_; ++i) {
    auto& e = layers_[i].extra;
    std::sort(e.begin(), e.end(), [](const Piece& a, const Piece& b) { return a.x < b.x; });
  }
  std::vector<size_t> next(used_, 0);  // first piece of each layer not yet passed
  for (int c0 = 0; c0 < w; c0 += kStrip) {
    const int c1 = std::min(c0 + kStrip, w);
    shown_.clear();
    int top = std::numeric_limits<int>::max(), bottom = std::numeric_limits<int>::min();
    int starts[kStrip + 1];
    for (int c = c0; c < c1; ++c) {
      starts[c - c0] = static_cast<int>(shown_.size());
      const int x = clip_.left() + c;
      covered_.clear();
      for (size_t i = used_; i-- > 0;) {
        const Layer& l = layers_[i];
        if (l.lo[c] <= l.hi[c]) Uncover(l.lo[c], l.hi[c], l.color);
        size_t& k = next[i];
        for (; k < l.extra.size() && l.extra[k].x == x; ++k) Uncover(l.extra[k].a, l.extra[k].b, l.color);
      }
      if (!covered_.empty()) top = std::min(top, covered_.front().a), bottom = std::max(bottom, covered_.back().b);
    }
    starts[c1 - c0] = static_cast<int>(shown_.size());
    // Columns are gathered in a block of rows held in the cache (0: no
    // colour, as every colour is opaque), which then goes to the image row
    // by row: the image is only touched along rows, and a row the lines
    // cover whole is stored without being read.
    constexpr int kRows = 64;
    alignas(64) uint32_t block[kRows][kStrip];
    const int n = c1 - c0;
    uint32_t* const origin = bits_ + (clip_.left() + c0 + ox_);
    for (int y0 = top; y0 <= bottom; y0 += kRows) {
      const int y1 = std::min(y0 + kRows - 1, bottom);
      std::memset(block, 0, sizeof(block[0]) * static_cast<size_t>(y1 - y0 + 1));
      for (int c = 0; c < n; ++c)
        for (int k = starts[c]; k < starts[c + 1]; ++k) {
          const Run& r = shown_[k];
          const int a = std::max(r.a, y0), b = std::min(r.b, y1);
          for (int y = a; y <= b; ++y) block[y - y0][c] = r.color;
        }
      for (int y = y0; y <= y1; ++y) {
        const uint32_t* from = block[y - y0];
        uint32_t* to = origin + static_cast<ptrdiff_t>(y + oy_) * stride_;
#if defined(__x86_64__)
        if (n == kStrip) {
          const auto* f = reinterpret_cast<const __m128i*>(from);
          const __m128i zero = _mm_setzero_si128();
          const __m128i v0 = _mm_load_si128(f), v1 = _mm_load_si128(f + 1), v2 = _mm_load_si128(f + 2),
                        v3 = _mm_load_si128(f + 3);
          const __m128i empty = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(v0, zero), _mm_cmpeq_epi32(v1, zero)),
                                             _mm_or_si128(_mm_cmpeq_epi32(v2, zero), _mm_cmpeq_epi32(v3, zero)));
          if (_mm_movemask_epi8(empty) == 0) {
            auto* t = reinterpret_cast<__m128i*>(to);
            _mm_storeu_si128(t, v0), _mm_storeu_si128(t + 1, v1), _mm_storeu_si128(t + 2, v2), _mm_storeu_si128(t + 3, v3);
            continue;
          }
        }
#endif
        for (int c = 0; c < n; ++c)
          if (from[c]) to[c] = from[c];
      }
    }
  }
  used_ = 0;
}

// The parts of a..b not yet covered in the column go to shown_; a..b is
// covered from then on. covered_ stays sorted, its runs apart.
void Raster::Uncover(int a, int b, uint32_t color) {
  size_t k = 0;
  while (k < covered_.size() && covered_[k].b < a - 1) ++k;
  int y = a;
  size_t m = k;
  for (; m < covered_.size() && covered_[m].a <= b + 1; ++m) {
    if (covered_[m].a > y) shown_.push_back({y, std::min(covered_[m].a - 1, b), color});
    y = std::max(y, covered_[m].b + 1);
  }
  if (y <= b) shown_.push_back({y, b, color});
  // Runs k..m-1 touch a..b: one run takes their place.
  if (k < m) {
    const Run merged{std::min(a, covered_[k].a), std::max(b, covered_[m - 1].b), 0};
    covered_.erase(covered_.begin() + static_cast<ptrdiff_t>(k) + 1, covered_.begin() + static_cast<ptrdiff_t>(m));
    covered_[k] = merged;
  } else {
    covered_.insert(covered_.begin() + static_cast<ptrdiff_t>(k), Run{a, b, 0});
  }
}

}  // namespace chart_detail
}  // namespace kv
