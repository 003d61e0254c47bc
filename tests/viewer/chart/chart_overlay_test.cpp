// The after-draw pass over the cached chart: a trace step redraws only what
// the pass draws, leaves no trace of the step before, and looks exactly as a
// complete paint would.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "tests/viewer/chart/chart_fixture.h"
#include "viewer/chart/chart.h"

using namespace kv;

namespace {

class ChartOverlay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    chart.resize(900, 560);
    for (int s = 0; s < 3; ++s) {
      auto* line = chart.AddLineSeries();
      line->SetSeriesColor(QColor::fromHsv(s * 100, 255, 200));
      for (int i = 0; i < 3000; ++i) line->AddPoint(i * 0.02, std::sin(i * 0.01 + s));
      line->AfterDrawValues = [this](ChartSeries&) { ++seriesDrawn; };
    }
    chart.LeftAxis().SetTitleCaption("");
    // What a trace step draws: the cursor line as an axis copy with blanked
    // labels, values and time beside it, a caption on a brush; and a band
    // XOR-ed in the pass.
    chart.OnGetAxisLabel = [this](ChartAxis& a, ChartSeries*, int, QString& text) {
      if (!a.Horizontal() && a.AxisPixelPos() > chart.PlotRect().left()) text.clear();
    };
    chart.OnAfterDraw = [this] {
      ++passes;
      const QRect r = chart.PlotRect();
      const int x = chart.SeriesAt(0)->PointPixelX(index);
      chart.LeftAxis().DrawAxisAt(x - 10, x - 40, x, false);
      QPainter* p = chart.Canvas();
      p->setPen(Qt::black);
      for (int s = 0; s < 3; ++s)
        p->drawText(x + 4, r.top() + 30 + 20 * s, QString::number(chart.SeriesAt(s)->PointY(index), 'f', 3));
      p->setBrush(QColor(255, 255, 200));
      p->drawEllipse(QPoint(x, r.bottom() - 30), 12, 8);
      p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p->setPen(QPen(QColor(255, 255, 0), 2));
      p->drawLine(r.left(), r.top() + 100 + index / 50, r.right(), r.top() + 100 + index / 50);
    };
  }

  // A complete paint of the chart as it stands, straight onto an image.
  QImage Complete() {
    QImage img(chart.size(), QImage::Format_RGB32);
    QPainter p(&img);
    chart.Render(p, chart.size());
    return img;
  }

  Chart chart;
  int index = 200, passes = 0, seriesDrawn = 0;
};

TEST_F(ChartOverlay, StepsRedrawOnlyThePassAndMatchACompletePaint) {
  chart.Image();
  const int drawn = seriesDrawn;
  for (int step : {1, 40, 700, -300, 5, 1600}) {
    index += step;
    chart.RepaintAfterDraw();
    EXPECT_EQ(seriesDrawn, drawn);  // the series come from the cached picture
    const QImage shown = chart.Image();
    const int before = seriesDrawn;
    EXPECT_EQ(shown, Complete()) << "after a step of " << step;
    seriesDrawn = before;
  }
}

TEST_F(ChartOverlay, AStepRemovesXorLinesAndTheLastPass) {
  chart.Image();
  const QRect r = chart.PlotRect();
  chart.XorLine(r.left() + 7, r.top(), r.left() + 7, r.bottom(), QPen(QColor(255, 255, 0), 2));
  chart.XorLine(r.left(), r.center().y(), r.right(), r.center().y(), QPen(QColor(255, 255, 0), 1));
  EXPECT_NE(chart.Image(), Complete());
  index = 2500;
  chart.RepaintAfterDraw();
  EXPECT_EQ(chart.Image(), Complete());
}

TEST_F(ChartOverlay, ChangedDataStillRedrawsTheSeries) {
  chart.Image();
  chart.SeriesAt(1)->SetPointY(100, 5);  // the cached chart is out of date
  const int drawn = seriesDrawn;
  chart.RepaintAfterDraw();
  EXPECT_GT(seriesDrawn, drawn);
  EXPECT_EQ(chart.Image(), Complete());
}

}  // namespace
