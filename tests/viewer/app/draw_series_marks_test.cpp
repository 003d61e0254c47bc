// Marker shapes pixel by pixel on a white image, in GDI geometry.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "viewer/app/draw_series_marks.h"

namespace {

const QColor kFill(0, 128, 255);

// The 15 x 15 pixels around a shape drawn at the centre: "." white, "#"
// black, "o" the fill colour, "?" anything else.
std::string Picture(TSeriesMarkDrawer draw, const QColor& fill = kFill) {
  QImage img(15, 15, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    draw(7, 7, p, fill);
    // The drawer leaves its pen and brush behind.
    EXPECT_EQ(p.pen().color(), QColor(Qt::black));
    EXPECT_EQ(p.pen().width(), 1);
    EXPECT_EQ(p.pen().style(), Qt::SolidLine);
    EXPECT_EQ(p.brush().color(), fill);
  }
  std::string s;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = img.pixel(x, y);
      s += c == qRgb(255, 255, 255) ? '.' : c == qRgb(0, 0, 0) ? '#' : c == fill.rgb() ? 'o' : '?';
    }
    s += '\n';
  }
  return s;
}

TEST(SeriesMarkDrawers, RectanglesLeaveOutTheirRightAndBottomEdges) {
  // Square: columns X-3..X+2, rows Y-3..Y+3 (one taller than wide).
  EXPECT_EQ(Picture(DrawMarkSquare),
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n"
            "....######.....\n"
            "....#oooo#.....\n"
            "....#oooo#.....\n"
            "....#oooo#.....\n"
            "....#oooo#.....\n"
            "....#oooo#.....\n"
            "....######.....\n"
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n");
  // Wide rectangle: columns X-6..X+5, rows Y-1..Y+3.
  EXPECT_EQ(Picture(DrawMarkWideRect),
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n"
            ".############..\n"
            ".#oooooooooo#..\n"
            ".#oooooooooo#..\n"
            ".#oooooooooo#..\n"
            ".############..\n"
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n");
  // Tall rectangle: columns X-3..X+1, rows Y-5..Y+5.
  EXPECT_EQ(Picture(DrawMarkTallRect),
            "...............\n"
            "...............\n"
            "....#####......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#ooo#......\n"
            "....#####......\n"
            "...............\n"
            "...............\n");
}

TEST(SeriesMarkDrawers, StarIsBlackLinesWithoutTheirEndPoints) {
  EXPECT_EQ(Picture(DrawMarkStar),
            "...............\n"
            "...............\n"
            "...............\n"
            ".......#.......\n"
            "....#..#..#....\n"
            ".....#.#.#.....\n"
            "......###......\n"
            "...########....\n"
            "......###......\n"
            ".....#.#.#.....\n"
            "....#..#..#....\n"
            "...............\n"
            "...............\n"
            "...............\n"
            "...............\n");
}

TEST(SeriesMarkDrawers, FilledShapesStayInsideTheirBoxesAndTableFollowsSlots) {
  const TSeriesMarkDrawer order[kv::kSlotCount] = {DrawMarkSquare,      DrawMarkCircle,      DrawMarkTriangle,
                                                   DrawMarkDownTriangle, DrawMarkDiamond,     DrawMarkTallRect,
                                                   DrawMarkWideRect,     DrawMarkTallDiamond, DrawMarkFlatDiamond,
                                                   DrawMarkStar};
  for (int slot = 0; slot < kv::kSlotCount; ++slot) EXPECT_EQ(SeriesMarkDrawers[slot], order[slot]) << slot;
  // Half-extents (left, up, right, down) of each filled shape's pixels.
  const struct {
    TSeriesMarkDrawer draw;
    int l, u, r, d;
  } boxes[] = {{DrawMarkCircle, 3, 3, 2, 2},      {DrawMarkTriangle, 3, 3, 3, 3},   {DrawMarkDownTriangle, 3, 3, 3, 3},
               {DrawMarkDiamond, 3, 3, 3, 3},     {DrawMarkTallDiamond, 2, 5, 2, 5}, {DrawMarkFlatDiamond, 5, 2, 5, 2}};
  for (const auto& b : boxes) {
    const std::string pic = Picture(b.draw);
    int l = -99, u = -99, r = -99, d = -99;
    bool filled = false;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 15; ++x) {
        const char ch = pic[static_cast<std::size_t>(y * 16 + x)];
        EXPECT_NE(ch, '?');
        if (ch == '.') continue;
        filled |= ch == 'o';
        l = std::max(l, 7 - x), r = std::max(r, x - 7), u = std::max(u, 7 - y), d = std::max(d, y - 7);
      }
    EXPECT_TRUE(filled) << pic;
    EXPECT_EQ(std::vector<int>({l, u, r, d}), std::vector<int>({b.l, b.u, b.r, b.d})) << pic;
  }
}

}  // namespace
