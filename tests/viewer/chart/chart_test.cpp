// The chart widget, offscreen: paging, pixel mapping, zoom, XOR lines, hooks,
// drawing and export.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <numeric>

#include "tests/viewer/chart/chart_fixture.h"
#include "viewer/chart/chart.h"
#include "viewer/chart/chart_output.h"

using namespace kv;

namespace {

class ChartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test::EnsureApplication();
  }
  void SetUp() override { chart.resize(800, 600); }

  // A record on the viewer's 0.02 s grid.
  LineSeries* Record(int n, double (*f)(int) = [](int i) { return std::sin(i * 0.1); }) {
    auto* s = chart.AddLineSeries();
    for (int i = 0; i < n; ++i) s->AddPoint(i * 0.02, f(i));
    return s;
  }

  Chart chart;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST_F(ChartTest, PagingByPointCount) {
  Record(216);
  int changes = 0;
  chart.OnPageChange = [&] { ++changes; };
  EXPECT_EQ(chart.PageCount(), 1);
  chart.SetMaxPointsPerPage(51);
  EXPECT_EQ(chart.PageCount(), 5);
  EXPECT_EQ(chart.Page(), 1);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), 0);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 50 * 0.02);

  chart.ShowNextPage();
  EXPECT_EQ(chart.Page(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), 51 * 0.02);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 101 * 0.02);

  chart.SetPage(chart.PageCount());  // the last page holds the rest
  EXPECT_EQ(chart.Page(), 5);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), 204 * 0.02);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 215 * 0.02);
  EXPECT_EQ(changes, 2);
  chart.ShowNextPage();
  chart.SetPage(99);
  EXPECT_EQ(chart.Page(), 5);
  EXPECT_EQ(changes, 2);  // no change, no event

  // Fewer pages move the page without an event; a negative size is none.
  chart.SetMaxPointsPerPage(108);
  EXPECT_EQ(chart.PageCount(), 2);
  EXPECT_EQ(chart.Page(), 2);
  chart.SetMaxPointsPerPage(-5);
  EXPECT_EQ(chart.MaxPointsPerPage(), 0);
  EXPECT_EQ(chart.Page(), 1);
  EXPECT_EQ(changes, 2);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 215 * 0.02);
  chart.ShowPreviousPage();
  EXPECT_EQ(chart.Page(), 1);
}

TEST_F(ChartTest, ValuePixelRoundTripsAndClamps) {
  Record(216);
  chart.LeftAxis().FixAxisRange(-0.7, 0.9);
  const QRect r = chart.PlotRect();
  ASSERT_GT(r.right(), r.left());
  ASSERT_GT(r.bottom(), r.top());
  const ChartAxis& b = chart.BottomAxis();
  const ChartAxis& l = chart.LeftAxis();
  EXPECT_EQ(b.ValueToPixel(b.Minimum()), r.left());
  EXPECT_EQ(b.ValueToPixel(b.Maximum()), r.right());
  EXPECT_EQ(l.ValueToPixel(-0.7), r.bottom());
  EXPECT_EQ(l.ValueToPixel(0.9), r.top());
  for (int px = r.left(); px <= r.right(); ++px) EXPECT_EQ(b.ValueToPixel(b.PixelToValue(px)), px);
  for (int py = r.top(); py <= r.bottom(); ++py) EXPECT_EQ(l.ValueToPixel(l.PixelToValue(py)), py);
  // A huge or missing value gives a pixel, never an overflow.
  EXPECT_GT(b.ValueToPixel(1e300), r.right());
  EXPECT_LT(b.ValueToPixel(-1e300), r.left());
  (void)b.ValueToPixel(kNaN);
}

TEST_F(ChartTest, ZoomAndUndoZoom) {
  Record(216);
  int zooms = 0, undos = 0;
  chart.OnZoom = [&] { ++zooms; };
  chart.OnUndoZoom = [&] { ++undos; };
  const double bMin = chart.BottomAxis().Minimum(), bMax = chart.BottomAxis().Maximum();
  const double lMin = chart.LeftAxis().Minimum(), lMax = chart.LeftAxis().Maximum();
  const QRect r = chart.PlotRect();
  const int x0 = r.left() + 100, x1 = r.left() + 300, y0 = r.top() + 50, y1 = r.top() + 150;

  // Nothing for a rectangle without width or height.
  chart.ZoomToRect(x0, y0, x0, y1);
  chart.ZoomToRect(x0, y0, x1, y0);
  EXPECT_EQ(zooms, 0);
  EXPECT_FALSE(chart.Zoomed());

  // Sides in any order.
  chart.ZoomToRect(x1, y1, x0, y0);
  EXPECT_EQ(zooms, 1);
  EXPECT_TRUE(chart.Zoomed());
  EXPECT_NEAR(chart.BottomAxis().Minimum(), bMin + (bMax - bMin) * 100 / (r.right() - r.left()), 1e-9);
  EXPECT_NEAR(chart.BottomAxis().Maximum(), bMin + (bMax - bMin) * 300 / (r.right() - r.left()), 1e-9);
  EXPECT_NEAR(chart.LeftAxis().Maximum(), lMax - (lMax - lMin) * 50 / (r.bottom() - r.top()), 1e-9);
  EXPECT_NEAR(chart.LeftAxis().Minimum(), lMax - (lMax - lMin) * 150 / (r.bottom() - r.top()), 1e-9);
  // Visible indices follow the zoomed range.
  chart.Image();
  auto* s = chart.SeriesAt(0);
  EXPECT_GE(s->PointX(s->FirstVisibleIndex()), chart.BottomAxis().Minimum());
  EXPECT_LT(s->PointX(s->FirstVisibleIndex() - 1), chart.BottomAxis().Minimum());
  EXPECT_LE(s->PointX(s->LastVisibleIndex()), chart.BottomAxis().Maximum());
  EXPECT_GT(s->PointX(s->LastVisibleIndex() + 1), chart.BottomAxis().Maximum());

  chart.ResetZoom();
  EXPECT_EQ(undos, 1);
  EXPECT_FALSE(chart.Zoomed());
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), bMin);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), bMax);
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Maximum(), lMax);
  chart.ResetZoom();  // every time, zoomed or not
  EXPECT_EQ(undos, 2);

  // A fixed range is fixed again after the undo; the other axis automatic.
  chart.LeftAxis().FixAxisRange(-0.7, 0.9);
  chart.ZoomToRect(r.left() + 10, r.top() + 10, r.right() - 10, r.bottom() - 10);
  EXPECT_GT(chart.LeftAxis().Minimum(), -0.7);
  chart.ResetZoom();
  EXPECT_FALSE(chart.LeftAxis().Automatic());
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Minimum(), -0.7);
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Maximum(), 0.9);
  EXPECT_TRUE(chart.BottomAxis().Automatic());
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), bMax);
}

TEST_F(ChartTest, ScrollAsksTheVetoAndMouseHooksSeeChartPixels) {
  Record(216);
  chart.Image();
  int moves = 0, upX = -1, upY = -1;
  Qt::MouseButton upButton = Qt::NoButton;
  chart.OnMouseMove = [&](Qt::MouseButtons held, Qt::KeyboardModifiers, int, int) { moves += held == Qt::RightButton; };
  chart.OnMouseUp = [&](Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) { upButton = b, upX = x, upY = y; };
  const double bMin = chart.BottomAxis().Minimum(), lMin = chart.LeftAxis().Minimum();
  int asked = 0;
  chart.OnAllowScroll = [&](ChartAxis& a, double& mn, double& mx, bool& allow) {
    ++asked;
    EXPECT_TRUE(allow);
    EXPECT_GT(mx, mn);
    allow = a.Horizontal();  // the left axis may not scroll
  };
  const QPoint from(400, 300), to(350, 330);
  auto send = [&](QEvent::Type t, QPoint p, Qt::MouseButtons held) {
    QMouseEvent e(t, p, chart.mapToGlobal(p), Qt::RightButton, held, Qt::NoModifier);
    QApplication::sendEvent(&chart, &e);
  };
  send(QEvent::MouseButtonPress, from, Qt::RightButton);
  send(QEvent::MouseMove, to, Qt::RightButton);
  send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(upButton, Qt::RightButton);
  EXPECT_EQ(QPoint(upX, upY), to);
  int left = 0;
  chart.OnMouseLeave = [&] { ++left; };
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&chart, &leave);
  EXPECT_EQ(left, 1);
  EXPECT_GT(chart.BottomAxis().Minimum(), bMin);  // dragged left: later times come in
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Minimum(), lMin);
  chart.ResetZoom();
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), bMin);
}

TEST_F(ChartTest, XorLineDrawnTwiceRestoresThePicture) {
  Record(216);
  const QImage before = chart.Image();
  const QRect r = chart.PlotRect();
  const QPen pen(QColor(255, 255, 0), 2);
  chart.XorLine(r.left() + 40, r.top(), r.left() + 40, r.bottom(), pen);
  chart.XorLine(r.left(), r.top() + 30, r.right(), r.top() + 30, pen);
  const QImage once = chart.Image();
  EXPECT_NE(once, before);
  EXPECT_EQ(QColor(once.pixel(r.left() + 40, r.top() + 100)).rgb() ^ QColor(before.pixel(r.left() + 40, r.top() + 100)).rgb(),
            QColor(255, 255, 0).rgb() & 0xffffff);
  chart.XorLine(r.left(), r.top() + 30, r.right(), r.top() + 30, pen);
  chart.XorLine(r.left() + 40, r.top(), r.left() + 40, r.bottom(), pen);
  EXPECT_EQ(chart.Image(), before);
}

TEST_F(ChartTest, AxisLinesAndCopiesCallTheLabelHookAtTheirPositions) {
  Record(216);
  chart.LeftAxis().FixAxisRange(-0.7, 0.9);
  chart.LeftAxis().SetIncrement(0.1);
  chart.LeftAxis().SetPositionPercent(-1);
  chart.BottomAxis().SetPositionPercent(-2);
  std::vector<int> axisPos, labelsPos;
  std::vector<QString> texts;
  int copyAt = 0, bottomAt = 0;
  chart.OnGetAxisLabel = [&](ChartAxis& a, ChartSeries* s, int index, QString& text) {
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(index, -1);
    if (a.Horizontal()) {
      bottomAt = a.AxisPixelPos();
      return;
    }
    axisPos.push_back(a.AxisPixelPos());
    labelsPos.push_back(a.LabelsPixelPos());
    texts.push_back(text);
    // The number and the place come with the label, not from its text.
    EXPECT_NEAR(a.LabelValue(), text.toDouble(), 1e-12);
    EXPECT_EQ(a.LabelPixelPos(), a.ValueToPixel(a.LabelValue()));
    if (a.AxisPixelPos() == copyAt) text = "x" + text;
  };
  chart.OnAfterDraw = [&] {
    ASSERT_NE(chart.Canvas(), nullptr);
    copyAt = chart.PlotRect().left() - 45;
    chart.LeftAxis().DrawAxisAt(copyAt - 10, copyAt - 40, copyAt, false);
  };
  chart.Repaint();
  EXPECT_EQ(chart.Canvas(), nullptr);
  ASSERT_EQ(axisPos.size(), 34u);  // 17 labels -0.7 .. 0.9, on the axis and on its copy
  for (size_t i = 17; i < 34; ++i) {
    EXPECT_EQ(axisPos[i], copyAt);
    EXPECT_EQ(labelsPos[i], copyAt - 10);
  }
  // The axis lines stand where the viewer's extra axes expect them.
  const QRect r = chart.PlotRect();
  EXPECT_EQ(axisPos[0], r.left() + static_cast<int>(std::lrint((r.right() - r.left()) * -1 / 100.0)));
  EXPECT_EQ(bottomAt, r.bottom() + static_cast<int>(std::lrint((r.bottom() - r.top()) * 2 / 100.0)));
  EXPECT_EQ(texts.front(), "-0.7");
  EXPECT_EQ(texts[7], "0");
  EXPECT_EQ(texts[16], "0.9");

  // Printed wide (a page of thousands of pixels), the axis and its copies
  // still stand exactly where the hook looks for them.
  for (int width : {4449, 4451, 9001, 12345}) {
    int own = 0;
    bool copies = false;
    std::vector<int> copyPos;
    QRect plot;
    chart.OnGetAxisLabel = [&](ChartAxis& a, ChartSeries*, int, QString&) {
      if (a.Horizontal()) return;
      plot = chart.PlotRect();  // the printed layout while it is drawn
      (copies ? copyPos.push_back(a.AxisPixelPos()) : void(own = a.AxisPixelPos()));
    };
    chart.OnAfterDraw = [&] {
      copies = true;
      for (int k = 1; k <= 4; ++k) {
        chart.LeftAxis().DrawAxisAt(own - 45 * k - 10, own - 45 * k - 40, own - 45 * k, false);
        EXPECT_EQ(chart.LeftAxis().AxisPixelPos(), own);  // a copy leaves the axis' own position
      }
    };
    QPicture page;
    QPainter p(&page);
    chart.Render(p, QSize(width, 3000));
    p.end();
    EXPECT_EQ(own, plot.left() + static_cast<int>(std::lrint((plot.right() - plot.left()) * -1 / 100.0))) << width;
    ASSERT_EQ(copyPos.size(), 4u * 17);
    EXPECT_EQ(copyPos.back(), own - 180);
  }
}

TEST_F(ChartTest, LegendListsActiveSeriesOnly) {
  for (int i = 0; i < 4; ++i) {
    auto* s = Record(50);
    s->SetTitle(QString("S%1").arg(i + 1));
    s->SetActive(i != 1);
  }
  auto* marks = chart.AddPointSeries();
  marks->SetShowInLegend(false);
  std::vector<QString> seen;
  std::vector<int> posIndex;
  chart.OnGetLegendText = [&](int index, QString& text) {
    EXPECT_EQ(index, static_cast<int>(seen.size()));
    seen.push_back(text);
    text = QString::number(index + 1) + ". " + text;
  };
  chart.OnGetLegendPos = [&](int index, int& x, int& y, int& xColor) {
    posIndex.push_back(index);
    EXPECT_EQ(chart.LegendColorRect(index).left(), xColor);
    EXPECT_EQ(chart.LegendColorRect(index).right() + 1, x - 4);
    EXPECT_EQ(chart.LegendColorRect(index).top(), y);
  };
  chart.Repaint();
  EXPECT_EQ(seen, (std::vector<QString>{"S1", "S3", "S4"}));
  EXPECT_EQ(posIndex, (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(chart.LegendColorRect(2).isEmpty());
  EXPECT_TRUE(chart.LegendColorRect(3).isEmpty());
  EXPECT_GT(chart.LegendColorRect(0).top(), chart.PlotRect().bottom());
}

// Pixels of the hue of `color` (text is smoothed) inside `r` of `img`.
int CountIn(const QImage& img, const QRect& r, QColor color) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor c = img.pixelColor(x, y);
      n += c.hsvSaturation() > 100 && std::abs(c.hsvHue() - color.hsvHue()) < 10;
    }
  return n;
}

TEST_F(ChartTest, TextsTakeTheirColours) {
  const QColor titleC(200, 0, 0), legendC(0, 150, 0), captionC(0, 0, 210);
  Record(50)->SetTitle("Ua");
  chart.Title().SetText({"ЗАГОЛОВОК"});
  chart.Title().SetColor(titleC);
  chart.OnGetLegendText = [&](int, QString&) { chart.Canvas()->setPen(legendC); };
  QRect caption;
  chart.OnAfterDraw = [&] {
    ChartAxis& left = chart.LeftAxis();
    left.SetTitleCaption("кВ");
    left.SetTitleColor(captionC);
    caption = QRect(chart.PlotRect().left() + 100 - 20, 100 - 20, 40, 40);
    left.DrawAxisTitleAt(chart.PlotRect().left() + 100, 100);
    left.SetTitleCaption("");
  };
  const QImage img = chart.Image();
  const QRect r = chart.PlotRect();
  EXPECT_GT(CountIn(img, QRect(0, 0, img.width(), r.top()), titleC), 10);
  EXPECT_GT(CountIn(img, QRect(0, r.bottom() + 20, img.width(), img.height() - r.bottom() - 20), legendC), 5);
  EXPECT_GT(CountIn(img, caption, captionC), 5);
}

// Pixels of `color` in column x of the plot.
int CountInColumn(const QImage& img, int x, QRgb color, int* top = nullptr) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    if ((img.pixel(x, y) & 0xffffff) == (color & 0xffffff)) {
      if (n++ == 0 && top) *top = y;
    }
  return n;
}

TEST_F(ChartTest, DrawsLinesInColourOrderAndPosition) {
  auto* a = chart.AddLineSeries();
  auto* b = chart.AddLineSeries();
  a->SetSeriesColor(QColor(244, 0, 0));
  b->SetSeriesColor(QColor(0, 0, 255));
  for (int i = 0; i <= 100; ++i) {
    a->AddPoint(i, 0.5);
    b->AddPoint(i, i < 50 ? 0.5 : 0.25);  // over the red line on the left half
  }
  chart.LeftAxis().FixAxisRange(0, 1);
  const QImage img = chart.Image();
  const QRect r = chart.PlotRect();
  const int y = chart.LeftAxis().ValueToPixel(0.5);
  const int xl = chart.BottomAxis().ValueToPixel(20), xr = chart.BottomAxis().ValueToPixel(80);
  EXPECT_EQ(img.pixel(xl, y) & 0xffffff, 0x0000ffu);  // later series on top
  EXPECT_EQ(img.pixel(xr, y) & 0xffffff, QColor(244, 0, 0).rgb() & 0xffffff);
  EXPECT_EQ(img.pixel(xr, chart.LeftAxis().ValueToPixel(0.25)) & 0xffffff, 0x0000ffu);
  EXPECT_EQ(img.pixel(xr, y - 3) & 0xffffff, 0xffffffu);  // plot background
  EXPECT_LT(r.left(), xl);
}

TEST_F(ChartTest, MarkersFromTheAfterDrawHookAndClipping) {
  // A curve twice as high as the fixed range, seen a page at a time.
  auto* line = Record(216, [](int i) { return 2 * std::sin(i * 0.3); });
  line->SetSeriesColor(QColor(0, 0, 255));
  auto* marks = chart.AddPointSeries();
  marks->SetSeriesColor(QColor(0, 255, 0));
  marks->SetInflateMargins(false);
  marks->SetStyle(PointerStyle::Rectangle);
  marks->SetSize(3, 3);
  marks->AddPoint(100, 100);  // does not widen the axes
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 215 * 0.02);
  chart.LeftAxis().FixAxisRange(-1, 1);
  chart.Legend().SetVisible(false);  // its line samples lie outside the plot
  chart.SetMaxPointsPerPage(51);
  chart.SetPage(2);
  int calls = 0;
  line->AfterDrawValues = [&](ChartSeries& s) {
    ++calls;
    EXPECT_EQ(&s, line);
    // Companion points filled while drawing are drawn in the same pass: one
    // on the plot's top left corner, one inside; the hook itself may write
    // beyond the plot.
    marks->ClearPoints();
    marks->AddPoint(chart.BottomAxis().Minimum(), 1);
    marks->AddPoint(s.PointX(s.FirstVisibleIndex() + 10), 0.5);
    chart.Canvas()->fillRect(QRect(chart.PlotRect().topLeft() - QPoint(8, 8), QSize(2, 2)), QColor(255, 0, 255));
  };
  for (bool clip : {false, true}) {
    chart.SetClipPoints(clip);
    // The screen's own rasteriser and the general painter alike.
    for (auto format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
      QImage img(chart.size(), format);
      QPainter p(&img);
      chart.Render(p, chart.size());
      p.end();
      const QRect r = chart.PlotRect();
      int blueOutside = 0, blueInside = 0, greenOutside = 0;
      for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
          const QRgb c = img.pixel(x, y) & 0xffffff;
          const bool in = r.contains(x, y);
          (c == 0x0000ff ? (in ? blueInside : blueOutside) : c == 0x00ff00 && !in ? greenOutside : x) += 1;
        }
      EXPECT_GT(blueInside, 0);
      EXPECT_EQ(blueOutside, 0) << clip << " " << format;
      EXPECT_EQ(greenOutside > 0, !clip) << format;
      EXPECT_EQ(img.pixel(r.left() - 8, r.top() - 8) & 0xffffff, 0xff00ffu);
      const int x = line->PointPixelX(61), y = chart.LeftAxis().ValueToPixel(0.5);
      EXPECT_EQ(img.pixel(x + 2, y + 2) & 0xffffff, 0x00ff00u);
      EXPECT_EQ(img.pixel(x + 3, y + 3) & 0xffffff, 0x000000u);  // black outline
    }
  }
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(line->FirstVisibleIndex(), 51);
  EXPECT_EQ(line->LastVisibleIndex(), 101);

  line->SetActive(false);
  chart.Repaint();
  EXPECT_EQ(calls, 4);  // an inactive series is not drawn
  line->SetActive(true);
  line->ClearPoints();
  chart.Repaint();
  EXPECT_EQ(calls, 4);  // no visible point, no hook
  EXPECT_EQ(line->FirstVisibleIndex(), -1);
}

TEST_F(ChartTest, ColumnReductionKeepsSinglePointPeaks) {
  auto* s = chart.AddLineSeries();
  s->SetSeriesColor(QColor(0, 128, 0));
  for (int i = 0; i < 65535; ++i) s->AddPoint(i * 0.02, i == 30001 ? 1.0 : i == 40001 ? -1.0 : 0.0);
  chart.LeftAxis().FixAxisRange(-1, 1);
  chart.Image();
  const QRgb green = QColor(0, 128, 0).rgb() & 0xffffff;
  // The screen's own rasteriser (RGB32) and the general painter (other formats,
  // vector output) both keep the peaks.
  for (auto format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
    QImage img(chart.size(), format);
    QPainter p(&img);
    chart.Render(p, chart.size());
    p.end();
    int top = img.height(), bottom = -1;
    for (int px : {chart.BottomAxis().ValueToPixel(30001 * 0.02), chart.BottomAxis().ValueToPixel(40001 * 0.02)})
      for (int x = px - 1; x <= px + 1; ++x)
        for (int y = chart.PlotRect().top(); y <= chart.PlotRect().bottom(); ++y)
          if ((img.pixel(x, y) & 0xffffff) == green) top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_EQ(top, chart.LeftAxis().ValueToPixel(1.0)) << format;
    EXPECT_EQ(bottom, chart.LeftAxis().ValueToPixel(-1.0)) << format;
  }
}

TEST_F(ChartTest, PointsKeepAscendingTime) {
  auto* s = chart.AddLineSeries();
  s->SetSeriesColor(QColor(0, 0, 255));
  const double xs[] = {0, 4, 2, kNaN, 3, 2, 1}, ys[] = {0, 4, 2, 9, 3, 2.5, 1};
  for (int i = 0; i < 7; ++i) s->AddPoint(xs[i], ys[i]);
  // Equal times in the order added; a point without a time last.
  const double wantX[] = {0, 1, 2, 2, 3, 4}, wantY[] = {0, 1, 2, 2.5, 3, 4};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(s->PointX(i), wantX[i]) << i;
    EXPECT_EQ(s->PointY(i), wantY[i]) << i;
  }
  EXPECT_TRUE(std::isnan(s->PointX(6)));
  s->SetPointY(1, -1);  // by index in time order
  EXPECT_EQ(s->PointY(1), -1);
  EXPECT_EQ(s->SeriesMinY(), -1);
  s->TransformY(2, 1, 4);  // every point rewritten, the extremes with them
  EXPECT_EQ(s->PointY(1), -0.25);
  EXPECT_EQ(s->SeriesMaxY(), 2.25);
  s->AddPoint(0.5, 0.5);  // a later point out of order finds its place too
  EXPECT_EQ(s->PointX(1), 0.5);

  // Pages and visible indices count in time order.
  chart.SetMaxPointsPerPage(3);
  EXPECT_EQ(chart.PageCount(), 3);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 1);
  chart.SetPage(2);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum(), 2);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 3);
  const QImage img = chart.Image();
  EXPECT_EQ(s->FirstVisibleIndex(), 3);
  EXPECT_EQ(s->LastVisibleIndex(), 5);
  EXPECT_GT(CountInColumn(img, chart.BottomAxis().ValueToPixel(2.5), 0x0000ff), 0);
}

TEST_F(ChartTest, NonFinitePointsAreSkipped) {
  auto* s = chart.AddLineSeries();
  EXPECT_EQ(s->SeriesMaxY(), 0);  // no points
  EXPECT_EQ(s->SeriesMinY(), 0);
  EXPECT_EQ(s->SeriesMaxX(), 0);
  s->AddPoint(0, 1);
  s->AddPoint(1, kNaN);
  s->AddPoint(2, kInf);
  s->AddPoint(3, -kInf);
  s->AddPoint(4, -2);
  s->AddPoint(kNaN, 100);
  EXPECT_EQ(s->SeriesMaxY(), 1);
  EXPECT_EQ(s->SeriesMinY(), -2);
  EXPECT_EQ(s->SeriesMaxX(), 4);
  EXPECT_EQ(chart.LeftAxis().Maximum(), 1);
  EXPECT_EQ(chart.BottomAxis().Maximum(), 4);
  s->SetPointY(4, kNaN);
  EXPECT_EQ(s->SeriesMinY(), 1);
  s->SetPointY(4, -2);
  s->SetSeriesColor(QColor(255, 0, 255));
  const QImage img = chart.Image();  // the line runs from the first point to the last over the missing ones
  for (double x : {0.5, 2.0, 3.5})
    EXPECT_GT(CountInColumn(img, chart.BottomAxis().ValueToPixel(x), QColor(255, 0, 255).rgb()), 0) << x;
  auto* all = chart.AddLineSeries();
  all->AddPoint(kNaN, kNaN);
  EXPECT_EQ(all->SeriesMaxX(), 0);
  chart.Repaint();
}

TEST_F(ChartTest, DegenerateAxesNeitherHangNorDivideByZero) {
  auto* s = chart.AddLineSeries();
  s->AddPoint(0, 5);  // one point: no range on either axis
  chart.BottomAxis().SetIncrement(0.1);
  chart.BottomAxis().SetIncrement(-1);
  chart.BottomAxis().SetIncrement(kNaN);
  EXPECT_EQ(chart.BottomAxis().Increment(), 0.1);
  chart.Repaint();
  EXPECT_EQ(chart.LeftAxis().Minimum(), 5);
  EXPECT_EQ(chart.LeftAxis().Maximum(), 5);
  const QRect r = chart.PlotRect();
  chart.ZoomToRect(r.left(), r.top(), r.right(), r.bottom());
  EXPECT_FALSE(std::isnan(chart.LeftAxis().Minimum()));
  // A tiny increment over a wide range, and a fixed range of no extent.
  chart.ResetZoom();
  chart.LeftAxis().FixAxisRange(-1e12, 1e12);
  chart.LeftAxis().SetIncrement(1e-12);
  chart.Repaint();
  chart.LeftAxis().FixAxisRange(3, 3);
  chart.Repaint();
  EXPECT_EQ(chart.LeftAxis().Minimum(), 3);
  EXPECT_EQ(chart.LeftAxis().Maximum(), 3);
  // A huge value draws.
  s->AddPoint(1, 1e300);
  chart.LeftAxis().SetAutomatic(true);
  chart.Repaint();
  chart.resize(0, 0);
  chart.Repaint();
}

TEST_F(ChartTest, SettingChangedByAfterDrawPaintsOnceMore) {
  Record(216);
  int passes = 0;
  chart.OnAfterDraw = [&] {
    ++passes;
    chart.BottomAxis().SetPositionPercent(50);  // same value from the second pass on
    chart.LeftAxis().SetTitleCaption("U, кВ");
    chart.LeftAxis().DrawAxisTitleAt(100, 20);
    chart.LeftAxis().SetTitleCaption("");
  };
  chart.show();
  chart.Repaint();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  EXPECT_EQ(passes, 2);
  EXPECT_EQ(chart.BottomAxis().PositionPercent(), 50);
  // The after-draw pass alone runs over the cached chart.
  chart.RepaintAfterDraw();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  EXPECT_EQ(passes, 3);
}

TEST_F(ChartTest, LabelSeparationAndMinorTicks) {
  Record(216);
  ChartAxis& b = chart.BottomAxis();
  b.FixAxisRange(0, 100);
  std::vector<double> values;
  chart.OnGetAxisLabel = [&](ChartAxis& a, ChartSeries*, int, QString& text) {
    if (a.Horizontal()) values.push_back(text.toDouble());
  };
  // Labels at multiples of the increment, thinned until a label's width of
  // room (100 %) stands between neighbours.
  b.SetIncrement(1);
  b.SetLabelsSeparation(100);
  chart.Repaint();
  ASSERT_GE(values.size(), 3u);
  const int w = QFontMetrics(b.LabelsFont()).horizontalAdvance("100");
  for (size_t i = 1; i < values.size(); ++i)
    EXPECT_GE(b.ValueToPixel(values[i]) - b.ValueToPixel(values[i - 1]), 2 * w) << values[i];
  const size_t wide = values.size();
  values.clear();
  b.SetLabelsSeparation(10);
  chart.Repaint();
  EXPECT_GT(values.size(), wide);

  // Ticks hang below the axis line: the major ones reach further.
  b.SetIncrement(10);
  const int y0 = chart.PlotRect().bottom() + 1;  // under the line of width 2
  auto ticksInRow = [&](int y) {
    const QImage img = chart.Image();
    int n = 0;
    for (int x = chart.PlotRect().left(); x <= chart.PlotRect().right(); ++x) n += (img.pixel(x, y) & 0xffffff) == 0;
    return n;
  };
  for (int minor : {1, 3}) {
    b.SetMinorTickCount(minor);
    EXPECT_EQ(ticksInRow(y0 + 3), 11);
    EXPECT_EQ(ticksInRow(y0 + 1), 11 + 10 * minor);
  }
}

TEST_F(ChartTest, FormatFloatFollowsTheAxisFormat) {
  EXPECT_EQ(ChartAxis::FormatFloat("#,##0.###", 0.30000000000000004), "0.3");
  EXPECT_EQ(ChartAxis::FormatFloat("#,##0.###", -0.7000000000000001), "-0.7");
  EXPECT_EQ(ChartAxis::FormatFloat("##0.######", 1.02), "1.02");
  EXPECT_EQ(ChartAxis::FormatFloat("0.00", 2), "2.00");
  EXPECT_EQ(ChartAxis::FormatFloat("#,##0.###", -0.0), "0");
}

class FakeExportUi : public ChartExportUi {
 public:
  ExportRequest answer;
  bool cancel = false;
  QString error;
  bool Ask(QWidget*, ExportRequest& r) override {
    r = answer;
    return !cancel;
  }
  void ShowError(QWidget*, const QString& text) override { error = text; }
};

TEST_F(ChartTest, ExportsPngSvgAndPdfOfTheChartsSize) {
  Record(216)->SetSeriesColor(QColor(244, 0, 0));
  chart.Title().SetText({"Осциллограмма"});
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  FakeExportUi ui;

  ui.answer = {ExportFormat::Png, false, dir.filePath("chart.png")};
  ASSERT_TRUE(RunChartExport(chart, nullptr, ui));
  QImage png(dir.filePath("chart.png"));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.size(), chart.size());
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), chart.Image());  // the same paint routine

  ui.answer = {ExportFormat::Svg, false, dir.filePath("chart.svg")};
  ASSERT_TRUE(RunChartExport(chart, nullptr, ui));
  QSvgRenderer svg(dir.filePath("chart.svg"));
  ASSERT_TRUE(svg.isValid());
  EXPECT_EQ(svg.viewBox(), QRect(QPoint(0, 0), chart.size()));

  ui.answer = {ExportFormat::Pdf, false, dir.filePath("chart.pdf")};
  ASSERT_TRUE(RunChartExport(chart, nullptr, ui));
  QFile pdf(dir.filePath("chart.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_TRUE(bytes.contains("/MediaBox [0 0 600.000000 450.000000]")) << "800 x 600 pixels at 96 dpi";

  // A failure is reported and leaves no file; a cancel does nothing.
  ui.answer = {ExportFormat::Png, false, dir.filePath("no/such/dir/chart.png")};
  EXPECT_FALSE(RunChartExport(chart, nullptr, ui));
  EXPECT_FALSE(ui.error.isEmpty());
  EXPECT_FALSE(QFile::exists(ui.answer.fileName));
  ui.cancel = true;
  ui.error.clear();
  ui.answer = {ExportFormat::Png, false, dir.filePath("cancelled.png")};
  EXPECT_FALSE(RunChartExport(chart, nullptr, ui));
  EXPECT_TRUE(ui.error.isEmpty());
  EXPECT_FALSE(QFile::exists(ui.answer.fileName));
  // The screen's geometry is kept.
  EXPECT_EQ(chart.Image().size(), chart.size());
}

// A maximised chart printed across A4 at 300 dpi: a chart pixel becomes
// 1.85 device pixels where a screen pixel is 3.125, so dashes drawn to the
// chart's scale came out short, with their gaps closed by the pen's ends.
// On the page each dash and gap is as long as on a 96-dpi screen.
TEST_F(ChartTest, PrintedDashesAndDotsKeepTheirScreenLength) {
  chart.resize(1900, 950);
  chart.LeftAxis().FixAxisRange(-1, 1);
  struct Line {
    Qt::PenStyle style;
    QColor color;
    double y;
    double on, off;  // screen pixels
  };
  const Line lines[] = {{Qt::DashLine, QColor(0, 0, 255), 0.5, 4, 2}, {Qt::DotLine, QColor(255, 0, 0), -0.5, 1, 2}};
  for (const Line& l : lines) {
    auto* s = chart.AddLineSeries();
    s->AddPoint(0, l.y);
    s->AddPoint(10, l.y);
    s->SetLinePen(QPen(l.color, 1, l.style));
  }
  QImage page(3508, 2480, QImage::Format_RGB32);
  page.setDotsPerMeterX(11811);  // 300 dpi
  page.setDotsPerMeterY(11811);
  page.fill(Qt::white);
  PrintChart(chart, page);
  const double k = 3508.0 / 1900, perScreenPixel = 300.0 / 96;
  for (const Line& l : lines) {
    SCOPED_TRACE(l.style);
    // The page row through the middle of the line.
    const int around = static_cast<int>(chart.LeftAxis().ValueToPixel(l.y) * k);
    int row = -1, best = 0;
    for (int y = around - 4; y <= around + 4; ++y) {
      int n = 0;
      for (int x = 0; x < page.width(); ++x) n += page.pixelColor(x, y) == l.color;
      if (n > best) best = n, row = y;
    }
    ASSERT_GT(best, page.width() / 10);
    // Along its middle: runs of ink and of gaps.
    std::vector<int> runs[2];
    int len = 0;
    bool ink = false;
    for (int x = page.width() / 4; x < page.width() * 3 / 4; ++x) {
      const bool here = page.pixelColor(x, row) == l.color;
      if (here != ink && len > 0) runs[ink].push_back(len), len = 0;
      ink = here;
      ++len;
    }
    ASSERT_GT(runs[0].size(), 50u);
    auto mean = [](const std::vector<int>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / v.size(); };
    EXPECT_NEAR(mean(runs[1]), l.on * perScreenPixel, 0.6);
    EXPECT_NEAR(mean(runs[0]), l.off * perScreenPixel, 0.6);
  }
}

}  // namespace
