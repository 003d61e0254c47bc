// The series' pixels against stored pictures made by the chart before its
// line drawing moved to column strips: many series, zoom, gaps, spikes,
// pens the painter draws, markers and hooks drawing between the series.
// Only the plot's inside is compared (no text there), so fonts play no part.
//
// KV_WRITE_CHART_PIXELS=1 writes the pictures anew instead of comparing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "tests/viewer/chart/chart_fixture.h"
#include "viewer/chart/chart.h"
#include "viewer/chart/chart_raster.h"

using namespace kv;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct PixelCase {
  const char* name;
  QSize size;
  std::function<void(Chart&)> setUp;
};

void PrintTo(const PixelCase& c, std::ostream* os) { *os << c.name; }

double Wave(int s, int i) {
  const double t = i * 0.02;
  return std::sin(2 * M_PI * 50 * t * 0.0201 + s) * (1 + 0.3 * std::sin(t * 0.7)) + 0.05 * std::sin(i * 1.7 + s);
}

void Oscillograms(Chart& c, int series, int points) {
  for (int s = 0; s < series; ++s) {
    auto* line = c.AddLineSeries();
    line->SetSeriesColor(QColor::fromHsv(s * 36, 255, 200));
    for (int i = 0; i < points; ++i) line->AddPoint(i * 0.02, Wave(s, i) / 2);
  }
  c.LeftAxis().FixAxisRange(-1, 1);
}

const PixelCase kCases[] = {
    {"ten_records", {1013, 611}, [](Chart& c) { Oscillograms(c, 10, 65535); }},
    {"zoomed_steep", {777, 509},
     [](Chart& c) {
       Oscillograms(c, 6, 4000);
       c.BottomAxis().FixAxisRange(10.013, 11.7);  // a few points a column: long steps, lines cut at the sides
       c.LeftAxis().FixAxisRange(-0.3, 0.45);      // and at the top and bottom
       c.LeftAxis().SetGridVisible(true);
       c.BottomAxis().SetGridVisible(true);
     }},
    {"gaps_spikes_steps", {1201, 433},
     [](Chart& c) {
       auto* a = c.AddLineSeries();
       auto* b = c.AddLineSeries();
       auto* d = c.AddLineSeries();
       a->SetSeriesColor(QColor(10, 120, 250));
       b->SetSeriesColor(QColor(250, 0, 30));
       d->SetSeriesColor(QColor(0, 140, 0));
       for (int i = 0; i < 30000; ++i) {
         const double x = i * 0.001;
         a->AddPoint(x, i % 997 == 0 ? 5.0 : (i / 3000) % 2 ? 1.0 : -1.0);  // spikes, steps
         b->AddPoint(x, (i / 700) % 5 == 2 ? kNaN : std::sin(x * 3) * 0.8);  // gaps
         d->AddPoint(x * 0.5 + 7, i % 2 ? 0.9 : -0.9);                       // every column full
       }
       c.LeftAxis().FixAxisRange(-1.5, 1.5);
       c.BottomAxis().FixAxisRange(-0.7, 22);
     }},
    {"pens_markers_hooks", {900, 640},
     [](Chart& c) {
       Oscillograms(c, 2, 20000);
       auto* marks = c.AddPointSeries();  // between lines: drawn in order
       marks->SetSeriesColor(Qt::darkMagenta);
       for (int i = 0; i < 40; ++i) marks->AddPoint(i * 10.0, Wave(0, i * 500) / 2);
       auto* dashed = c.AddLineSeries();
       dashed->SetLinePen(QPen(QColor(30, 30, 30), 1, Qt::DashLine));
       auto* wide = c.AddLineSeries();
       wide->SetLinePen(QPen(QColor(0, 160, 160), 2));
       auto* last = c.AddLineSeries();
       last->SetSeriesColor(QColor(255, 128, 0));
       for (int i = 0; i < 20000; ++i) {
         dashed->AddPoint(i * 0.02, 0.3 * std::cos(i * 0.003));
         wide->AddPoint(i * 0.02, -0.4 + 0.1 * std::sin(i * 0.01));
         last->AddPoint(i * 0.02, 0.6 + 0.3 * std::sin(i * 0.002) + 0.02 * Wave(4, i));
       }
       // A hook drawing on the canvas after the first line: the later lines go over it.
       c.SeriesAt(0)->AfterDrawValues = [&c](ChartSeries&) {
         const QRect r = c.PlotRect();
         c.Canvas()->fillRect(QRect(r.left() + 100, r.top() + 100, 200, 120), QColor(250, 240, 160));
       };
       c.SeriesAt(1)->AfterDrawValues = [&c](ChartSeries& s) {
         QPainter* p = c.Canvas();
         p->setPen(QPen(Qt::black, 1));
         p->setBrush(QColor(200, 220, 255));
         const int x = s.HorizAxis().ValueToPixel(s.PointX(s.FirstVisibleIndex() + 3000));
         p->drawEllipse(QPoint(x, c.PlotRect().center().y()), 40, 60);
       };
     }},
};

class ChartPixels : public ::testing::TestWithParam<PixelCase> {
 protected:
  static void SetUpTestSuite() {
    test::EnsureApplication();
  }
};

QString StoredPath(const char* name) {
  return QStringLiteral(KV_SOURCE_DIR "/tests/viewer/chart/data/%1.png").arg(QLatin1String(name));
}

TEST_P(ChartPixels, SeriesPixelsMatchTheStoredPicture) {
  const PixelCase& pc = GetParam();
  Chart chart;
  chart.resize(pc.size);
  pc.setUp(chart);
  // The screen's picture and a rendering of the same size through Render.
  const QImage screen = chart.Image();
  QImage rendered(pc.size, QImage::Format_RGB32);
  {
    QPainter p(&rendered);
    chart.Render(p, pc.size);
  }
  const QRect inside = chart.PlotRect().adjusted(1, 1, 0, 0);  // without the frame
  const QImage got = screen.copy(inside);
  EXPECT_EQ(rendered.copy(inside), got);
  if (qEnvironmentVariableIntValue("KV_WRITE_CHART_PIXELS") == 1) {
    QDir().mkpath(QStringLiteral(KV_SOURCE_DIR "/tests/viewer/chart/data"));
    ASSERT_TRUE(got.save(StoredPath(pc.name)));
    return;
  }
  QImage want(StoredPath(pc.name));
  ASSERT_FALSE(want.isNull()) << StoredPath(pc.name).toStdString();
  want = want.convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(want.size(), got.size());
  int differ = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < got.height(); ++y)
    for (int x = 0; x < got.width(); ++x)
      if ((got.pixel(x, y) & 0xffffff) != (want.pixel(x, y) & 0xffffff) && differ++ == 0) firstX = x, firstY = y;
  EXPECT_EQ(differ, 0) << "first at " << firstX << "," << firstY;
  if (differ) got.save(QDir::temp().filePath(QStringLiteral("%1_got.png").arg(QLatin1String(pc.name))));
}

// Many series at once give each pixel the colour of the last series that
// covers it, as series written one by one would.
TEST(ChartRaster, LayersTogetherEqualLayersOneByOne) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    const QSize size(37 + round * 7, 50 + round % 9 * 13);
    const QRect clip(3, 2, size.width() - 5 - round % 4, size.height() - 4);
    const int layers = 1 + round % 9;
    struct Op {
      bool step;
      int x0, y0, x1, y1;
    };
    std::vector<std::vector<Op>> ops(layers);
    std::uniform_int_distribution<int> x(-5, size.width() + 5), y(-20, size.height() + 20), kind(0, 9), near(-3, 3);
    for (auto& l : ops)
      for (int k = 0; k < 60; ++k) {
        const int x0 = x(rng), x1 = kind(rng) < 6 ? x0 + near(rng) : x(rng);
        l.push_back({kind(rng) < 5, x0, y(rng), x1, y(rng)});
      }
    auto draw = [&](QImage& img, int from, int to) {
      QPainter p(&img);
      p.translate(round % 3, -(round % 5));  // a page offset, as printing may set
      chart_detail::Raster r;
      for (int i = from; i < to; ++i) {
        ASSERT_TRUE(r.Begin(p, QPen(QColor::fromHsv(i * 40, 255, 230), 1), clip));
        for (const Op& o : ops[i]) o.step ? r.Step(o.x0, o.y0, o.x1, o.y1) : r.AddSpan(o.x0, o.y0, o.y1);
      }
      r.Flush();
    };
    QImage together(size, QImage::Format_RGB32), oneByOne(size, QImage::Format_RGB32);
    together.fill(Qt::white);
    oneByOne.fill(Qt::white);
    draw(together, 0, layers);
    for (int i = 0; i < layers; ++i) draw(oneByOne, i, i + 1);
    ASSERT_EQ(together, oneByOne) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ChartPixels, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
