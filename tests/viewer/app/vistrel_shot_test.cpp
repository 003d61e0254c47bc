// The chart window with ten full series (65,535 points each), drawn for real.
// With VISTREL_SHOT_PNG=<file> it also saves the window as a PNG, the paging
// and zoomed views as <file> with "-page" and "-zoom" before ".png", and the
// chart's own export as "-export.png", ".svg" and ".pdf" and its printed page
// as "-print.pdf"; with
// VISTREL_SHOT_HOLD_MS=<ms> it keeps the window on the screen that long.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPrinter>
#include <QRegularExpression>
#include <QToolButton>
#include <cmath>

#include "viewer/app/graph_mode.h"
#include "viewer/chart/chart_output.h"
#include "viewer/app/vistrel_start.h"
#include "viewer/core/round_maximum.h"

namespace {

int argc_ = 1;
char arg0_[] = "vistrel_shot_test";
char* argv_[] = {arg0_, nullptr};

constexpr int kPoints = 65535;
constexpr double kStep = 0.02;

struct Phenomenon {
  const char* name;
  int group;
  double (*f)(double t);
};

// Slow swings with faster beats on top, as an out-of-step transient gives them.
const Phenomenon kPhenomena[10] = {
    {"Uф", 0, [](double t) { return 110 + 25 * std::cos(2 * M_PI * t / 300) * std::cos(2 * M_PI * t / 1.7); }},
    {"U", 0, [](double t) { return 105 - 40 * std::exp(-t / 200) * std::fabs(std::sin(2 * M_PI * t / 90)); }},
    {"I", 1, [](double t) { return 1.2 + 0.9 * std::fabs(std::sin(2 * M_PI * t / 240)); }},
    {"I2", 1, [](double t) { return 0.4 * std::sin(2 * M_PI * t / 500) + 0.05 * std::sin(2 * M_PI * t / 3.1); }},
    {"Угол", 2, [](double t) { return std::fmod(t * 0.9, 360.0) - 180; }},
    {"Xeck", 2, [](double t) { return 60 * std::sin(2 * M_PI * t / 400) * std::exp(-t / 900); }},
    {"Pa", 3, [](double t) { return 300 * std::sin(2 * M_PI * t / 150) + 80 * std::sin(2 * M_PI * t / 2.3); }},
    {"Qa", 3, [](double t) { return -120 + 60 * std::cos(2 * M_PI * t / 700); }},
    {"Пуск", 4, [](double t) { return t > 400 ? 5.0 : 0.0; }},
    {"Откл", 4, [](double t) { return t > 900 ? 7.0 : 0.0; }},
};
const char* kCaptions[5] = {"U,kV", "I,kA", "Angle,deg", "P,MW", "Flag,-"};

void Fill(TFormGraph& w) {
  kv::GraphState& g = w.Graph;
  double absMax[5] = {};
  std::vector<std::vector<double>> values(10);
  for (int slot = 0; slot < 10; ++slot) {
    values[slot].resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      values[slot][i] = kPhenomena[slot].f(i * kStep);
      absMax[kPhenomena[slot].group] = std::max(absMax[kPhenomena[slot].group], std::fabs(values[slot][i]));
    }
  }
  g.TypeGroupCount = 5;
  for (int k = 0; k < 5; ++k) {
    double span = absMax[k];
    if (!kv::RoundMaximum(span)) span = 0.1;
    g.TypeGroups[k].Span = span;
    g.TypeGroups[k].Base = 0;
    g.TypeGroups[k].Caption = kCaptions[k];
    g.TypeGroups[k].Slots.clear();
  }
  for (int slot = 0; slot < 10; ++slot) {
    const int k = kPhenomena[slot].group;
    kv::LineSeries* s = w.Series[slot];
    s->Reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) s->AddPoint(i * kStep, values[slot][i] / g.TypeGroups[k].Span);
    s->SetTitle(QString::fromUtf8(kPhenomena[slot].name));
    s->SetActive(true);
    w.FMarkSeries[slot]->SetActive(true);
    g.SeriesRecs[slot].Name = kPhenomena[slot].name;
    g.SeriesRecs[slot].Scale = g.TypeGroups[k].Span;
    g.TypeGroups[k].Slots.push_back(static_cast<std::uint8_t>(slot));
    g.FSlotOfRow[g.FShownRows++] = static_cast<std::uint8_t>(slot);
  }
  // The left axis spans the groups' limits in whole tenths, with 0.
  double lo = 0, hi = 0;
  for (int slot = 0; slot < 10; ++slot) {
    lo = std::min(lo, std::floor(w.Series[slot]->SeriesMinY() * 10) / 10);
    hi = std::max(hi, std::ceil(w.Series[slot]->SeriesMaxY() * 10) / 10);
  }
  w.Chart1->LeftAxis().FixAxisRange(lo, hi);
  w.Chart1->SetMarginLeft(6 * g.TypeGroupCount);
  w.PageSBtn->setEnabled(true);
  w.FullSBtnClick();
}

QString Beside(const QString& png, const QString& tail) {
  QString name = png;
  name.replace(QRegularExpression("\\.png$"), QString());
  return name + tail;
}

void Hold() {
  const int ms = qEnvironmentVariableIntValue("VISTREL_SHOT_HOLD_MS");
  QElapsedTimer t;
  t.start();
  do QApplication::processEvents(QEventLoop::AllEvents, 50);
  while (t.elapsed() < ms);
}

// Whether some pixel of the chart area has exactly this colour.
bool HasColour(const QImage& img, const QRect& area, QColor c) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (img.pixelColor(x, y) == c) return true;
  return false;
}

TEST(VistrelShot, TenFullSeriesAreDrawnInTheirSlotColours) {
  if (!qApp) new QApplication(argc_, argv_);
  vistrel::SetApplicationName();
  vistrel::CreateForms();
  TFormGraph& w = *FormGraph;
  w.setGeometry(0, 0, 1280, 1000);
  w.showMaximized();
  Fill(w);
  Hold();

  const QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect plot = w.Chart1->PlotRect().translated(w.Chart1->mapTo(&w, QPoint(0, 0)));
  ASSERT_FALSE(plot.isEmpty());
  for (int slot = 0; slot < 10; ++slot)
    EXPECT_TRUE(HasColour(img, plot, TFormGraph::SlotColor(slot))) << "slot " << slot;
  EXPECT_EQ(w.StaticText1->text(), "1/1");

  const QString png = qEnvironmentVariable("VISTREL_SHOT_PNG");
  if (!png.isEmpty()) {
    EXPECT_TRUE(img.save(png));
    for (auto [format, tail] : {std::pair{kv::ExportFormat::Png, "-export.png"}, std::pair{kv::ExportFormat::Svg, ".svg"},
                                std::pair{kv::ExportFormat::Pdf, ".pdf"}}) {
      QString error;
      EXPECT_TRUE(kv::ExportChart(*w.Chart1, {format, false, Beside(png, QString::fromLatin1(tail))}, &error)) << error.toStdString();
    }
    // The page the print preview shows, as a file.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Beside(png, "-print.pdf"));
    kv::PrintChart(*w.Chart1, printer);
  }

  // A zoom into the middle: curves stay inside the plot.
  const QRect r = w.Chart1->PlotRect();
  w.Chart1->ZoomToRect(r.left() + r.width() / 3, r.top() + r.height() / 4, r.left() + r.width() / 2, r.top() + r.height() / 2);
  Hold();
  if (!png.isEmpty()) {
    EXPECT_TRUE(w.grab().save(Beside(png, "-zoom.png")));
  }
  w.Chart1->ResetZoom();

  // Paging at the default 1000 ms per screen.
  w.PageSBtn->click();
  w.ButtonNext->click();
  Hold();
  EXPECT_EQ(w.StaticText1->text(), QStringLiteral("2/%1").arg(w.Chart1->PageCount()));
  if (!png.isEmpty()) {
    EXPECT_TRUE(w.grab().save(Beside(png, "-page.png")));
  }
  vistrel::DestroyForms();
}

}  // namespace
