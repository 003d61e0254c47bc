#pragma once
// Solid one-pixel lines written straight into an RGB32/ARGB32 image: the
// screen's lines without the per-segment cost of the general painter.
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "viewer/chart/chart_internal.h"

namespace kv {
namespace chart_detail {

class Raster {
 public:
  bool Begin(QPainter& p, const QPen& pen, const QRect& clip) {
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
    ox_ = static_cast<int>(t.dx());
    oy_ = static_cast<int>(t.dy());
    // The clip in the painter's coordinates, within the image.
    clip_ = clip.intersected(QRect(-ox_, -oy_, img->width(), img->height()));
    if (clip_.isEmpty()) return false;
    bits_ = reinterpret_cast<uint32_t*>(img->bits());
    stride_ = img->bytesPerLine() / 4;
    color_ = 0xff000000u | pen.color().rgb();
    return true;
  }

  void VSpan(int x, int y0, int y1) {
    if (x < clip_.left() || x > clip_.right()) return;
    if (y0 > y1) std::swap(y0, y1);
    y0 = std::max(y0, clip_.top());
    y1 = std::min(y1, clip_.bottom());
    if (y0 > y1) return;
    uint32_t* d = bits_ + static_cast<ptrdiff_t>(y0 + oy_) * stride_ + (x + ox_);
    for (int y = y0; y <= y1; ++y, d += stride_) *d = color_;
  }

  // Spans gathered per column and written row by row, a few columns at a
  // time, so each cache line of the image is touched once per series.
  void BeginSpans() {
    lo_.assign(clip_.width(), std::numeric_limits<int>::max());
    hi_.assign(clip_.width(), std::numeric_limits<int>::min());
  }

  void AddSpan(int x, int a, int b) {
    if (x < clip_.left() || x > clip_.right()) return;
    if (a > b) std::swap(a, b);
    a = std::max(a, clip_.top());
    b = std::min(b, clip_.bottom());
    if (a > b) return;
    int& lo = lo_[x - clip_.left()];
    int& hi = hi_[x - clip_.left()];
    if (lo > hi) {
      lo = a, hi = b;
    } else if (a <= hi + 1 && b >= lo - 1) {
      lo = std::min(lo, a), hi = std::max(hi, b);
    } else {
      VSpan(x, a, b);  // a second, separate piece of the column
    }
  }

  // The line from one column's last point to the next column's first.
  void Step(int x0, int y0, int x1, int y1) {
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

  void FlushSpans() {
    const int w = clip_.width();
    // Four columns (one 16-byte store) at a time, four such groups per
    // block of 16 columns, row by row: a group's rows that all its columns
    // cover are stored without a test, the rest of its span with one.
    constexpr int kBig = std::numeric_limits<int>::max(), kSmall = std::numeric_limits<int>::min();
    for (int c0 = 0; c0 < w; c0 += 16) {
      const int c1 = std::min(c0 + 16, w);
      int uTop[4], uBottom[4], aTop[4], aBottom[4];
      int top = kBig, bottom = kSmall;
      for (int g = 0; g < 4; ++g) {
        uTop[g] = kBig, uBottom[g] = kSmall, aTop[g] = kSmall, aBottom[g] = kBig;
        const int ca = c0 + 4 * g, cb = std::min(ca + 4, c1);
        bool full = cb - ca == 4;
        for (int c = ca; c < cb; ++c) {
          if (lo_[c] > hi_[c]) {
            full = false;
            continue;
          }
          uTop[g] = std::min(uTop[g], lo_[c]), uBottom[g] = std::max(uBottom[g], hi_[c]);
          aTop[g] = std::max(aTop[g], lo_[c]), aBottom[g] = std::min(aBottom[g], hi_[c]);
        }
        if (!full) aTop[g] = 1, aBottom[g] = 0;
        top = std::min(top, uTop[g]), bottom = std::max(bottom, uBottom[g]);
      }
      if (top > bottom) continue;
      for (int y = top; y <= bottom; ++y) {
        uint32_t* row = bits_ + static_cast<ptrdiff_t>(y + oy_) * stride_ + (clip_.left() + ox_);
        for (int g = 0; g < 4; ++g) {
          if (y < uTop[g] || y > uBottom[g]) continue;
          const int c = c0 + 4 * g;
#if defined(__x86_64__)
          auto* d = reinterpret_cast<__m128i*>(row + c);
          const __m128i col = _mm_set1_epi32(static_cast<int>(color_));
          if (y >= aTop[g] && y <= aBottom[g]) {
            _mm_storeu_si128(d, col);
            continue;
          }
          if (c + 4 <= c1) {
            const __m128i yy = _mm_set1_epi32(y);
            const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&lo_[c]));
            const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&hi_[c]));
            const __m128i out = _mm_or_si128(_mm_cmpgt_epi32(lo, yy), _mm_cmpgt_epi32(yy, hi));
            _mm_storeu_si128(d, _mm_or_si128(_mm_and_si128(out, _mm_loadu_si128(d)), _mm_andnot_si128(out, col)));
            continue;
          }
#endif
          for (int k = c; k < std::min(c + 4, c1); ++k)
            if (lo_[k] <= y && y <= hi_[k]) row[k] = color_;
        }
      }
    }
  }

  void Line(int x0, int y0, int x1, int y1) {
    if (x0 == x1) return VSpan(x0, y0, y1);
    QPointF a(x0, y0), b(x1, y1);
    if (!ClipSegment(a, b, QRectF(clip_.left(), clip_.top(), clip_.width() - 1, clip_.height() - 1))) return;
    int ax = static_cast<int>(std::lround(a.x())), ay = static_cast<int>(std::lround(a.y()));
    const int bx = static_cast<int>(std::lround(b.x())), by = static_cast<int>(std::lround(b.y()));
    const int dx = std::abs(bx - ax), dy = -std::abs(by - ay), stx = ax < bx ? 1 : -1, sty = ay < by ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      Plot(ax, ay);
      if (ax == bx && ay == by) break;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, ax += stx;
      if (e2 <= dx) err += dx, ay += sty;
    }
  }

 private:
  void Plot(int x, int y) {
    if (clip_.contains(x, y)) bits_[static_cast<ptrdiff_t>(y + oy_) * stride_ + (x + ox_)] = color_;
  }
  uint32_t* bits_ = nullptr;
  std::vector<int> lo_, hi_;  // span per column of the clip, empty when lo > hi
  ptrdiff_t stride_ = 0;
  uint32_t color_ = 0;
  int ox_ = 0, oy_ = 0;
  QRect clip_;
};

}  // namespace chart_detail
}  // namespace kv
