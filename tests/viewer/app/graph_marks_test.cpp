// Phenomenon markers, the legend's shapes and numbers, the line-style
// dialog, and printing and export carrying all of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <functional>

#include "viewer/app/chang_axis_new.h"
#include "viewer/app/chang_line_pen.h"
#include "viewer/app/color_chooser.h"
#include "viewer/app/font_choice.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/vistrel_start.h"
#include "viewer/chart/chart_output.h"
#include "forms_fixture.h"

namespace {

// Answers the colour dialog: records where it opened and what custom colours
// it had, then confirms `answer` or cancels when it is invalid.
class FakeChooser : public vistrel::ColorChooser {
 public:
  bool Choose(QWidget*, QColor& color, std::vector<QColor>& custom) override {
    openedAt.push_back(color);
    customSeen = custom;
    if (!answer.isValid()) return false;
    color = answer;
    return true;
  }
  QColor answer;
  std::vector<QColor> openedAt, customSeen;
};

class Marks : public vistrel_test::FormsTest {
 protected:
  // A phenomenon of `points` samples 0.01 s apart in `slot`, the next row.
  void Show(int slot, int points, const char* name = "Uф") {
    kv::LineSeries* s = w->Series[slot];
    s->ClearPoints();
    for (int i = 0; i < points; ++i) s->AddPoint(i * 0.01, 0.5 * std::sin(i * 0.05));
    s->SetTitle(QString::fromUtf8(name));
    s->SetActive(true);
    w->FMarkSeries[slot]->SetActive(true);
    kv::GraphState& g = w->Graph;
    FormAxis->ListLeftAxis->item(g.FShownRows, 1)->setText(QString::fromUtf8(name));
    FormAxis->ListLeftAxis->item(g.FShownRows, 2)->setText(QStringLiteral("Файл: run%1.31").arg(slot));
    g.FSlotOfRow[g.FShownRows++] = static_cast<std::uint8_t>(slot);
  }

  // Sets the options dialog's marker controls.
  static void Options(bool on, int kind, bool clip) {
    FormTool->MarksCheck->setChecked(on);
    FormTool->TypeMarks->SetItemIndex(kind);
    FormTool->ClipPoint->setChecked(clip);
  }

  std::vector<std::pair<double, double>> MarkPoints(int slot) const {
    std::vector<std::pair<double, double>> r;
    const kv::PointSeries* m = w->FMarkSeries[slot];
    for (int i = 0; i < m->PointCount(); ++i) r.emplace_back(m->PointX(i), m->PointY(i));
    return r;
  }
  std::vector<std::pair<double, double>> At(int slot, std::initializer_list<int> indices) const {
    std::vector<std::pair<double, double>> r;
    for (int i : indices) r.emplace_back(w->Series[slot]->PointX(i), w->Series[slot]->PointY(i));
    return r;
  }
};

TEST_F(Marks, FigureMarkersFollowTheVisiblePointsAndVanishWhenSwitchedOff) {
  Show(0, 1000);
  Show(4, 3);
  Options(true, 0, false);
  w->Chart1->Repaint();
  EXPECT_EQ(MarkPoints(0), At(0, {0, 250, 500, 750, 999}));
  EXPECT_EQ(MarkPoints(4), At(4, {0, 1, 2}));  // fewer than four: every point

  // Zoomed to points 100..106: the markers move there at the next paint.
  w->Chart1->BottomAxis().FixAxisRange(0.995, 1.065);
  w->Chart1->Repaint();
  EXPECT_EQ(MarkPoints(0), At(0, {100, 101, 102, 103, 106}));

  // Markers off: the figures go when the options close, also those of a
  // phenomenon out of view.
  Options(false, 0, false);
  w->ExecModal = [](QDialog&) { return 0; };
  w->SpeedButton3Click();
  EXPECT_TRUE(MarkPoints(0).empty());
  EXPECT_TRUE(MarkPoints(4).empty());
  // Number markers are no figures either.
  Options(true, 0, false);
  w->Chart1->Repaint();
  EXPECT_EQ(MarkPoints(0).size(), 5u);
  Options(true, 1, false);
  w->Chart1->Repaint();
  EXPECT_TRUE(MarkPoints(0).empty());
}

TEST_F(Marks, FigureMarkersAreDrawnOnTheChart) {
  Show(0, 1000);
  const QImage img = w->Chart1->Image();
  // The first marker's square sits on the first point, in the line colour.
  const int x = w->Chart1->BottomAxis().ValueToPixel(0.0), y = w->Chart1->LeftAxis().ValueToPixel(0.0);
  EXPECT_EQ(img.pixelColor(x + 2, y - 2), QColor(244, 0, 0));
  EXPECT_EQ(img.pixelColor(x - 3, y - 3), QColor(Qt::black));
}

// Non-background pixels of `img` in `r`.
int Inked(const QImage& img, const QRect& r, const QColor& back) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixelColor(x, y) != back) ++n;
  return n;
}

TEST_F(Marks, NumberMarkersOutsideThePlotAreSkippedInClipMode) {
  Show(3, 1000);
  kv::Chart& c = *w->Chart1;
  // Every value above the plot: 0.5 plotted on an axis that ends at 0.4.
  for (int i = 0; i < 1000; ++i) w->Series[3]->SetPointY(i, 0.5);
  c.LeftAxis().FixAxisRange(-1, 0.4);
  c.Repaint();
  const QRect plot = c.PlotRect();
  const QRect above(plot.left() + 20, 0, plot.width() - 40, plot.top() - 1);

  Options(true, 1, true);
  c.Repaint();
  EXPECT_EQ(Inked(c.Image(), above, c.Color()), 0);
  Options(true, 1, false);  // written over whatever lies there
  c.Repaint();
  EXPECT_GT(Inked(c.Image(), above, c.Color()), 20);

  // On the plot's edge a number is written even in clip mode: black digits
  // by the first point.
  for (int i = 0; i < 1000; ++i) w->Series[3]->SetPointY(i, 0.4);
  Options(false, 1, true);
  c.Repaint();
  const QImage none = c.Image();
  Options(true, 1, false);
  c.Repaint();
  const QImage unclipped = c.Image();
  Options(true, 1, true);
  c.Repaint();
  const QImage img = c.Image();
  EXPECT_EQ(img, unclipped);
  EXPECT_NE(img, none);
  const int px = c.BottomAxis().ValueToPixel(0.0);
  int black = 0;
  for (int y = plot.top() - 5; y < plot.top() + 10; ++y)
    for (int x = px; x < px + 10; ++x) black += img.pixelColor(x, y) == QColor(Qt::black);
  EXPECT_GT(black, 5);
}

TEST_F(Marks, LegendTextsCarryTheSlotNumberInNumberMode) {
  Show(3, 10, "Ток");
  QString text = QStringLiteral("Ток");
  Options(true, 0, false);
  w->Chart1GetLegendText(0, text);
  EXPECT_EQ(text, QStringLiteral("Ток"));
  Options(false, 1, false);  // whether or not markers are on
  w->Chart1GetLegendText(0, text);
  EXPECT_EQ(text, QStringLiteral("4. Ток"));  // the slot's number, not the position
  text = QStringLiteral("x");
  w->Chart1GetLegendText(1, text);  // no such item
  EXPECT_EQ(text, QStringLiteral("x"));

  Show(1, 10, "U");
  text = QStringLiteral("Ток");
  w->Chart1GetLegendText(1, text);
  EXPECT_EQ(text, QStringLiteral("4. Ток"));
  // The chart asks through its hook while it lays the legend out.
  QStringList seen;
  auto hook = w->Chart1->OnGetLegendText;
  w->Chart1->OnGetLegendText = [&](int i, QString& t) {
    hook(i, t);
    seen << t;
  };
  w->Chart1->Repaint();
  EXPECT_EQ(seen, (QStringList{QStringLiteral("2. U"), QStringLiteral("4. Ток")}));

  // Each item is written in its designation's font and colour.
  QFont big = w->FFactorLabels[3]->font();
  big.setPixelSize(20);
  vistrel::SetWidgetFont(*w->FFactorLabels[3], {big, QColor(0, 0, 200)});
  w->Chart1->OnGetLegendText = hook;
  w->Chart1->Repaint();
  const QImage img = w->Chart1->Image();
  const QRect box1 = w->Chart1->LegendColorRect(1);
  EXPECT_GE(box1.height(), 20);  // the row grows to the larger font
  int blue = 0;
  for (int y = box1.top(); y <= box1.bottom(); ++y)
    for (int x = box1.right(); x < std::min(img.width(), box1.right() + 100); ++x)
      blue += img.pixelColor(x, y) == QColor(0, 0, 200);
  EXPECT_GT(blue, 20);
}

TEST_F(Marks, LegendShowsTheSlotShapeUnderTheLineSampleInFigureMode) {
  Show(0, 10);
  Show(6, 10);
  for (bool on : {true, false}) {
    Options(on, 0, false);
    w->Chart1->Repaint();
    const QImage img = w->Chart1->Image();
    for (int item : {0, 1}) {
      SCOPED_TRACE(item);
      const QRect box = w->Chart1->LegendColorRect(item);
      ASSERT_FALSE(box.isEmpty());
      const int x = box.left() + box.width() / 2, y = box.top() + box.height() / 2;
      // Square of slot 0 (x-3..x+2, y-3..y+3), wide rectangle of slot 6
      // (x-6..x+5, y-1..y+3): black corners, inside filled, the line across.
      const int l = item == 0 ? -3 : -6, t = item == 0 ? -3 : -1, r = item == 0 ? 2 : 5, b = 3;
      const QColor line = item == 0 ? QColor(244, 0, 0) : QColor(255, 0, 255);
      EXPECT_EQ(img.pixelColor(x + l, y + t), QColor(Qt::black));
      EXPECT_EQ(img.pixelColor(x + r, y + b), QColor(Qt::black));
      EXPECT_EQ(img.pixelColor(x + r + 1, y + b + 1), w->Chart1->Legend().Color());
      EXPECT_EQ(img.pixelColor(x + 1, y + 2), line);
      EXPECT_EQ(img.pixelColor(x, y), line);
    }
  }
  // Number mode: no shape, only the line sample.
  Options(true, 1, false);
  w->Chart1->Repaint();
  const QRect box = w->Chart1->LegendColorRect(0);
  EXPECT_EQ(w->Chart1->Image().pixelColor(box.left() + box.width() / 2 - 3, box.top() + box.height() / 2 - 3),
            w->Chart1->Legend().Color());
}

// ---- line-style dialog

class LineStyles : public Marks {
 protected:
  // Opens the dialog through its toolbar button; `act` works it.
  void Open(const std::function<void(TFormBrush&)>& act) {
    w->ExecModal = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TFormBrush*>(&d);
      EXPECT_NE(dlg, nullptr);
      if (dlg) {
        dlg->ColorDialog1 = &chooser;
        act(*dlg);
      }
      return d.result();
    };
    w->SpeedButton1->click();
  }
  static void Item(TFormBrush& d, int item) { d.RadioGroup1->findChildren<QRadioButton*>().at(item)->click(); }

  FakeChooser chooser;
};

TEST_F(LineStyles, OpensWithTheShownPhenomenaAndRowOnesPen) {
  Show(9, 10, "Пуск");
  Show(2, 10, "I");
  w->Series[9]->SetLinePen(QPen(QColor(128, 0, 255), 3, Qt::DashDotLine));
  int opened = 0;
  Open([&](TFormBrush& d) {
    ++opened;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Изменить параметры линий на графике"));
    EXPECT_EQ(d.size(), QSize(499, 283));
    for (const char* name : {"Label3", "StringGrid1", "RadioGroup1", "Label2", "SpinEdit1", "Button1", "Button4", "Button2",
                             "Button3"})
      EXPECT_NE(d.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    const QStringList header{"N", "Обозначение", "Явление", "Файл"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(d.Cells(c, 0), header[c]);
    EXPECT_EQ(d.Cells(0, 1), "1");
    EXPECT_EQ(d.Cells(2, 1), QStringLiteral("Пуск"));
    EXPECT_EQ(d.Cells(3, 1), QStringLiteral("Файл: run9.31"));
    EXPECT_EQ(d.Cells(2, 2), "I");
    EXPECT_EQ(d.Cells(1, 1), "");
    EXPECT_EQ(d.Cells(0, 3), "");  // rows past the shown ones stay empty
    EXPECT_NE(d.FSampleBoxes[2], nullptr);
    EXPECT_EQ(d.FSampleBoxes[3], nullptr);
    EXPECT_EQ(d.Row(), 1);
    EXPECT_EQ(d.RadioGroup1->ItemIndex(), 3);  // "Тире Точка"
    EXPECT_EQ(d.SpinEdit1->value(), 3);
    d.SetRow(2);
    EXPECT_EQ(d.RadioGroup1->ItemIndex(), 0);
    EXPECT_EQ(d.SpinEdit1->value(), 1);
  });
  EXPECT_EQ(opened, 1);
}

TEST_F(LineStyles, CancelLeavesTheChartAsItWas) {
  Show(0, 10);
  Show(9, 10);
  const QImage before = w->Chart1->Image();
  Open([&](TFormBrush& d) {
    chooser.answer = QColor(10, 20, 30);
    Item(d, 2);
    d.SpinEdit1->setValue(7);
    d.Button1->click();
    d.Button4->click();
    EXPECT_EQ(d.FSampleBoxes[1]->Pen, QPen(QBrush(QColor(10, 20, 30)), 7, Qt::DotLine));
    d.Button3->click();
  });
  EXPECT_EQ(w->Series[0]->LinePen(), QPen(QColor(244, 0, 0), 1));
  EXPECT_EQ(w->FMarkSeries[9]->SeriesColor(), QColor(Qt::black));
  EXPECT_EQ(w->Chart1->BackColor(), QColor(192, 192, 192));
  EXPECT_EQ(w->Chart1->Image(), before);
}

TEST_F(LineStyles, AcceptWritesEveryRowAndTheBackground) {
  Show(0, 10);
  Show(9, 10);
  Show(5, 10);
  Open([&](TFormBrush& d) {
    chooser.answer = QColor(0, 200, 0);
    d.SetRow(3);
    Item(d, 1);
    d.SpinEdit1->setValue(4);
    d.Button1->click();
    chooser.answer = QColor(250, 250, 240);
    d.Button4->click();
    d.Button2->click();
  });
  // The edited row, and the others with their own pens; the star's
  // companion leaves black for the line colour.
  EXPECT_EQ(w->Series[5]->LinePen(), QPen(QBrush(QColor(0, 200, 0)), 4, Qt::DashLine));
  EXPECT_EQ(w->Series[5]->SeriesColor(), QColor(0, 200, 0));
  EXPECT_EQ(w->FMarkSeries[5]->SeriesColor(), QColor(0, 200, 0));
  EXPECT_EQ(w->Series[0]->LinePen(), QPen(QColor(244, 0, 0), 1));
  EXPECT_EQ(w->FMarkSeries[9]->SeriesColor(), QColor(128, 0, 255));
  const QColor back(250, 250, 240);
  EXPECT_EQ(w->Chart1->BackColor(), back);
  EXPECT_EQ(w->Chart1->Color(), back);
  EXPECT_EQ(w->Chart1->Legend().Color(), back);
  EXPECT_EQ(w->TimeLabel->palette().color(QPalette::Window), back);
  EXPECT_EQ(w->TimeLabel1->palette().color(QPalette::Window), back);
}

TEST_F(LineStyles, ColourDialogOpensAtTheChartsBackgroundWithTheTwoCustomColours) {
  Show(1, 10);
  Open([&](TFormBrush& d) {
    chooser.answer = QColor(1, 2, 3);
    d.Button4->click();
    EXPECT_EQ(d.FSampleBoxes[1]->Color, QColor(1, 2, 3));
    chooser.answer = QColor();  // cancelled: nothing changes
    d.Button4->click();
    EXPECT_EQ(d.FSampleBoxes[1]->Color, QColor(1, 2, 3));
    d.Button1->click();
    EXPECT_EQ(d.FSampleBoxes[1]->Pen.color(), QColor(0, 128, 0));
  });
  const QColor silver(192, 192, 192);
  EXPECT_EQ(chooser.openedAt, (std::vector<QColor>{silver, silver, QColor(0, 128, 0)}));
  // "ColorA=C6D7D5" and "ColorB=9DBB44", blue first.
  EXPECT_EQ(chooser.customSeen, (std::vector<QColor>{QColor(0xD5, 0xD7, 0xC6), QColor(0x44, 0xBB, 0x9D)}));
  EXPECT_EQ(w->Chart1->BackColor(), silver);  // the dialog was not accepted
}

TEST_F(LineStyles, EmptyRowsChangeNoPen) {
  Show(1, 10);
  Open([&](TFormBrush& d) {
    chooser.answer = QColor(1, 2, 3);
    d.SetRow(5);
    d.SpinEdit1->setValue(9);
    Item(d, 4);
    d.Button1->click();
    EXPECT_TRUE(chooser.openedAt.empty());
    EXPECT_EQ(d.FSampleBoxes[1]->Pen, QPen(QColor(0, 128, 0), 1));
    d.Button2->click();
  });
  EXPECT_EQ(w->Series[1]->LinePen(), QPen(QColor(0, 128, 0), 1));
}

TEST_F(LineStyles, SampleIsTheLineWithTheSlotMarkerOnTheBackground) {
  auto sample = [](int slot, const QPen& pen) {
    QImage img(94, 20, QImage::Format_RGB32);
    QPainter p(&img);
    vistrel::DrawLineSample(p, 94, 20, pen, QColor(192, 192, 192), slot);
    return img;
  };
  const QColor red(244, 0, 0), silver(192, 192, 192);
  const QImage a = sample(0, QPen(red, 1));
  EXPECT_EQ(a.pixelColor(5, 10), red);
  EXPECT_EQ(a.pixelColor(88, 10), red);
  EXPECT_EQ(a.pixelColor(89, 10), silver);  // the end point is not painted
  EXPECT_EQ(a.pixelColor(4, 10), silver);
  EXPECT_EQ(a.pixelColor(44, 7), QColor(Qt::black));  // square: x-3, y-3
  EXPECT_EQ(a.pixelColor(46, 8), red);
  // A wide line keeps a one-pixel black outline round the marker; the star
  // stays black whatever the line colour.
  const QImage b = sample(6, QPen(QColor(0, 0, 255), 5));
  EXPECT_EQ(b.pixelColor(41, 9), QColor(Qt::black));
  EXPECT_EQ(b.pixelColor(42, 10), QColor(0, 0, 255));
  const QImage star = sample(9, QPen(QColor(0, 200, 0), 1));
  EXPECT_EQ(star.pixelColor(47, 6), QColor(Qt::black));
  EXPECT_EQ(star.pixelColor(47, 10), QColor(Qt::black));
}

// ---- printing and export

TEST_F(LineStyles, ExportAndPrintCarryMarkersLineStylesAndColoursAsOnScreen) {
  Show(0, 1000);
  Show(6, 1000);
  Show(9, 1000);
  Open([&](TFormBrush& d) {
    chooser.answer = QColor(255, 255, 224);
    d.Button4->click();
    d.SetRow(2);
    Item(d, 1);
    d.SpinEdit1->setValue(3);
    d.Button2->click();
  });
  QTemporaryDir dir;
  for (int kind : {0, 1}) {
    SCOPED_TRACE(kind);
    Options(true, kind, false);
    w->Chart1->Repaint();
    const QImage screen = w->Chart1->Image();
    const QString png = dir.filePath(QStringLiteral("chart%1.png").arg(kind));
    QString error;
    ASSERT_TRUE(kv::ExportChart(*w->Chart1, {kv::ExportFormat::Png, false, png}, &error)) << error.toStdString();
    EXPECT_EQ(QImage(png).convertToFormat(screen.format()), screen);
    // The print path: the same routine on a painter of its own.
    QImage printed(screen.size(), screen.format());
    {
      QPainter p(&printed);
      w->Chart1->Render(p, screen.size());
    }
    EXPECT_EQ(printed, screen);
    // SVG drawn back: the same picture up to smoothing of edges.
    const QString svg = dir.filePath(QStringLiteral("chart%1.svg").arg(kind));
    ASSERT_TRUE(kv::ExportChart(*w->Chart1, {kv::ExportFormat::Svg, false, svg}, &error)) << error.toStdString();
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    QImage back(screen.size(), screen.format());
    back.fill(Qt::white);
    {
      QPainter p(&back);
      renderer.render(&p);
    }
    // Each pixel of the screen is found within one pixel in the SVG.
    auto close = [](const QColor& a, const QColor& b) {
      return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <= 96;
    };
    int differ = 0;
    for (int y = 1; y + 1 < screen.height(); ++y)
      for (int x = 1; x + 1 < screen.width(); ++x) {
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
          for (int dx = -1; dx <= 1 && !found; ++dx) found = close(screen.pixelColor(x, y), back.pixelColor(x + dx, y + dy));
        differ += !found;
      }
    EXPECT_LT(differ, screen.width() * screen.height() / 500);
    const QString pdf = dir.filePath(QStringLiteral("chart%1.pdf").arg(kind));
    ASSERT_TRUE(kv::ExportChart(*w->Chart1, {kv::ExportFormat::Pdf, false, pdf}, &error)) << error.toStdString();
  }
}

}  // namespace
