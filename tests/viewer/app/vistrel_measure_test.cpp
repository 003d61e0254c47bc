// The chart window's measuring tools drawn for real (offscreen): group axes
// and their labels, the time axis on the zero line, the trace cursor and its
// read-out, zoom by dragging an edge with its XOR line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <map>

#include "common/decimal_format.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/tras.h"
#include "viewer/app/vistrel_start.h"
#include "forms_fixture.h"
#include "viewer/core/group_axes.h"

namespace {

class Measure : public vistrel_test::FormsTest {
 protected:
  static void SetUpTestSuite() {
    FormsTest::SetUpTestSuite();
    kv::SetSystemSeparators(".", "");
  }

  // A phenomenon in `slot` of `points` plotted values f(i) every `step`
  // seconds from 0, in type group `group` (Span, Base), shown in the next row.
  template <class F>
  void Show(int slot, int points, double step, int group, double span, double base, F f) {
    kv::LineSeries* s = w->Series[slot];
    s->ClearPoints();
    for (int i = 0; i < points; ++i) s->AddPoint(i * step, f(i));
    s->SetTitle(QStringLiteral("Явление %1").arg(slot + 1));
    s->SetActive(true);
    kv::GraphState& g = w->Graph;
    kv::TSeriesRec& rec = g.SeriesRecs[slot];
    rec.Scale = span;
    rec.Offset = base;
    rec.TraceIndex = -1;
    while (g.TypeGroupCount <= group) g.TypeGroups[g.TypeGroupCount++] = {};
    kv::TTypeGroupRec& tg = g.TypeGroups[group];
    tg.Span = span;
    tg.Base = base;
    tg.Caption = "Группа " + std::to_string(group + 1);
    tg.Slots.push_back(static_cast<std::uint8_t>(slot));
    g.FSlotOfRow[g.FShownRows++] = static_cast<std::uint8_t>(slot);
  }
  void ShowSine(int slot, int points = 51, double step = 0.02, int group = 0) {
    Show(slot, points, step, group, 2, 1, [slot](int i) { return 0.5 * std::sin(i * 0.1 + slot); });
  }

  QRect Plot() const { return w->Chart1->PlotRect(); }
  QImage Image() const { return w->Chart1->Image(); }
  QString Cell(int col, int row) const { return TrasWin->TrasString->Cells(col, row); }
  QString Value(int slot, int i) const {
    const kv::TSeriesRec& rec = w->Graph.SeriesRecs[slot];
    return kv::ChartAxis::FormatFloat(w->Chart1->LeftAxis().AxisValuesFormat(),
                                      w->Series[slot]->PointY(i) * rec.Scale + rec.Offset);
  }
  static QString Time(double t) { return kv::ChartAxis::FormatFloat(QStringLiteral("##0.######"), t); }
  // Pixels of column x from T to B that differ from the plot background.
  int Marked(const QImage& img, int x) const {
    int n = 0;
    for (int y = Plot().top() + 1; y < Plot().bottom(); ++y) n += img.pixel(x, y) != w->Chart1->BackColor().rgb();
    return n;
  }
  void StartTrace() {
    w->TrasSBtn->click();
    QApplication::processEvents();
  }
};

TEST_F(Measure, GroupAxesStandApartWithLabelsInTheirUnitsAndTheCursorUnlabelled) {
  for (int k = 0; k < 3; ++k)
    Show(k, 51, 0.02, k, std::pow(10.0, k), 100.0 * k, [](int i) { return 0.5 * std::sin(i * 0.1); });
  w->Chart1->SetMarginLeft(30);
  std::map<int, std::vector<std::pair<double, QString>>> labels;  // axis pixel -> (value, text)
  kv::Chart& c = *w->Chart1;
  auto hook = c.OnGetAxisLabel;
  c.OnGetAxisLabel = [&](kv::ChartAxis& a, kv::ChartSeries* s, int i, QString& text) {
    hook(a, s, i, text);
    if (&a == &c.LeftAxis()) labels[a.AxisPixelPos()].push_back({a.LabelValue(), text});
  };
  StartTrace();
  // On the plot edge, while the axis is set off from it, the cursor is unlabelled.
  ASSERT_EQ(w->FCursorX, Plot().left());
  labels.clear();
  c.Repaint();
  for (const auto& [v, text] : labels[w->FCursorX]) EXPECT_TRUE(text.isEmpty());
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(20), Plot().center().y());
  labels.clear();
  c.Repaint();
  const QRect r = Plot();
  const QImage img = Image();
  ASSERT_GT(w->FCursorX, r.left());
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const int x = kv::GroupAxisX(r.left(), r.right() - r.left(), -1, k);
    EXPECT_GT(Marked(img, x) + 0, 0);
    const double span = std::pow(10.0, k), base = 100.0 * k;
    ASSERT_FALSE(labels[x].empty());
    for (const auto& [v, text] : labels[x]) EXPECT_EQ(text, kv::ChartAxis::FormatFloat("#,##0.###", v * span + base));
    // The axis line: black over the whole plot height.
    int black = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) black += img.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GE(black, r.bottom() - r.top());
  }
  // Nothing further left: no fourth axis.
  const int x3 = kv::GroupAxisX(r.left(), r.right() - r.left(), -1, 3);
  EXPECT_TRUE(labels[x3].empty());
  // The trace cursor line carries ticks but no labels.
  ASSERT_FALSE(labels[w->FCursorX].empty());
  for (const auto& [v, text] : labels[w->FCursorX]) EXPECT_TRUE(text.isEmpty());
}

// Whether `text` stands whole in `box` of `img`: black in `font` on `back`,
// as the chart writes labels and captions, nothing drawn over it.
bool Whole(const QImage& img, const QRect& box, const QString& text, const QFont& font, QColor back,
           int flags = Qt::AlignCenter) {
  if (!img.rect().contains(box)) return false;
  QImage alone(box.size(), img.format());
  alone.fill(back);
  {
    QPainter p(&alone);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(QPoint(0, 0), box.size()), flags, text);
  }
  return img.copy(box) == alone;
}

// Captions wider than the 45 pixels between axes, and a record whose last
// time label stands at the axis' end: every caption and every time label
// reads whole, above the plot and below it.
TEST_F(Measure, CaptionsAndTimeLabelsReadWhole) {
  const char* captions[] = {"Угол,град", "Р,МВт", "Q,Мвар"};
  for (int k = 0; k < 3; ++k) {
    Show(k, 401, 0.02, k, 10, 0, [k](int i) { return 0.5 * std::sin(i * 0.05 + k); });
    w->Graph.TypeGroups[k].Caption = captions[k];
  }
  kv::Chart& c = *w->Chart1;
  c.SetMarginLeft(18);
  w->FullSBtnClick();  // time labels 0 .. 8 s, the last at the axis' end
  struct Label {
    QString text;
    int x, y;
  };
  std::vector<Label> labels;
  auto hook = c.OnGetAxisLabel;
  c.OnGetAxisLabel = [&](kv::ChartAxis& a, kv::ChartSeries* s, int i, QString& text) {
    hook(a, s, i, text);
    if (a.Horizontal()) labels.push_back({text, a.LabelPixelPos(), a.LabelsPixelPos()});
  };
  const QFont labelFont = c.BottomAxis().LabelsFont(), captionFont = c.LeftAxis().TitleFont();
  const QFontMetrics lfm(labelFont), cfm(captionFont);
  for (bool below : {false, true}) {
    SCOPED_TRACE(below ? "captions below" : "captions above");
    w->FCaptionsBelow = below;
    labels.clear();
    c.Repaint();
    const QImage img = Image();
    const QRect r = Plot();
    ASSERT_GE(labels.size(), 5u);
    EXPECT_EQ(labels.back().text, "8");
    for (const Label& l : labels) {
      const int tw = lfm.horizontalAdvance(l.text);
      EXPECT_TRUE(Whole(img, QRect(l.x - tw / 2 - 1, l.y, tw + 2, lfm.height()), l.text, labelFont, c.Color()))
          << l.text.toStdString();
    }
    // "t,c." on the labels' row at the axis' right end.
    const QString tc = QStringLiteral("t,c.");
    const QSize tcSize(lfm.horizontalAdvance(tc), lfm.height());
    int tcAt = -1;
    for (int x = r.right() - tcSize.width(); x + tcSize.width() <= img.width() && tcAt < 0; ++x)
      if (Whole(img, QRect(QPoint(x, labels.back().y), tcSize), tc, labelFont, c.Color(), Qt::AlignLeft | Qt::AlignTop))
        tcAt = x;
    EXPECT_GE(tcAt, r.right() - tcSize.width());
    // Each caption centred on its own axis, outside the plot, clear of the time labels.
    const int labelsBottom = labels.back().y + lfm.height() - 1;
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(k);
      const QString text = QString::fromUtf8(captions[k]);
      const int x = kv::GroupAxisX(r.left(), r.right() - r.left(), -1, k);
      QRect box(0, 0, cfm.horizontalAdvance(text) + 2, cfm.height());
      int at = -1;
      for (int y = 0; y < img.height() && at < 0; ++y) {
        box.moveCenter(QPoint(x, y));
        if (Whole(img, box, text, captionFont, c.Color())) at = y;
      }
      ASSERT_GE(at, 0) << "no whole caption on its axis";
      if (below) {
        EXPECT_GT(box.top(), labelsBottom);
      } else {
        EXPECT_LT(box.bottom(), r.top());
        if (k == 0) {
          EXPECT_EQ(at, kv::GroupCaptionY(r.top(), r.bottom(), -11, false));
        }
      }
    }
  }
}

TEST_F(Measure, TimeAxisMovesOntoTheZeroLineAndBack) {
  Show(0, 2, 1, 0, 1, 0, [](int i) { return i == 0 ? -1.0 : 1.0; });
  kv::Chart& c = *w->Chart1;
  c.Repaint();
  FormTool->TimeAxisCheck->click();
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    c.Image();
  }
  const QRect r = Plot();
  const int z = c.LeftAxis().ValueToPixel(0);
  EXPECT_NEAR(c.BottomAxis().PositionPercent(), 100 - 100.0 * (z - r.top()) / (r.bottom() - r.top()), 1e-9);
  EXPECT_NEAR(c.BottomAxis().PositionPercent(), 50, 1);
  // The axis line runs along the zero row left of where the data cross it.
  const QImage img = Image();
  int black = 0;
  for (int x = r.left() + 5; x < r.left() + 40; ++x) black += img.pixel(x, z) == qRgb(0, 0, 0);
  EXPECT_EQ(black, 35);

  FormTool->TimeAxisCheck->click();
  c.Image();
  EXPECT_EQ(c.BottomAxis().PositionPercent(), -2);
  FormTool->PosAxisCheck->click();
  c.Image();
  EXPECT_EQ(c.BottomAxis().PositionPercent(), 0);
  EXPECT_EQ(c.LeftAxis().PositionPercent(), 0);
}

TEST_F(Measure, TraceStartsOnTheFirstPointsAndReadsPhysicalValues) {
  ShowSine(0);
  ShowSine(2);
  ShowSine(5, 3);  // ends at 0.04 s
  StartTrace();
  EXPECT_TRUE(w->TrasSBtn->isChecked());
  EXPECT_TRUE(TrasWin->isVisible());
  EXPECT_TRUE(w->TimeLabel->isVisible() && w->TimeLabel1->isVisible());
  EXPECT_EQ(w->FCursorX, w->Series[0]->PointPixelX(0));
  EXPECT_EQ(Cell(0, 0), QStringLiteral("t, сек."));
  EXPECT_EQ(Cell(0, 1), QStringLiteral("Явление 1"));
  EXPECT_EQ(Cell(0, 2), QStringLiteral("Явление 3"));
  EXPECT_EQ(Cell(0, 3), QStringLiteral("Явление 6"));
  EXPECT_EQ(Cell(0, 4), QString());
  EXPECT_EQ(Cell(1, 0), Time(0));
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(Cell(1, row), Value(row == 1 ? 0 : row == 2 ? 2 : 5, 0));
  const QImage img = Image();
  EXPECT_GT(Marked(img, w->FCursorX), Plot().height() / 2);  // the cursor line

  // Right-clicks step all three together; the short one ends and reads "--".
  for (int i = 1; i <= 3; ++i) {
    QTest::mouseClick(w->Chart1, Qt::RightButton, {}, QPoint(w->FCursorX + 30, Plot().center().y()));
    QApplication::processEvents();
  }
  EXPECT_EQ(w->Graph.SeriesRecs[0].TraceIndex, 3);
  EXPECT_EQ(w->Graph.SeriesRecs[5].TraceIndex, -1);
  EXPECT_EQ(w->FCursorX, w->Series[0]->PointPixelX(3));
  EXPECT_EQ(Cell(1, 0), Time(0.06));
  EXPECT_EQ(w->TimeLabel->text(), Time(0.06));
  EXPECT_EQ(w->TimeLabel->x(), w->FCursorX + w->Chart1->LeftAxis().AxisPen().width());
  EXPECT_EQ(Cell(1, 1), Value(0, 3));
  EXPECT_EQ(Cell(1, 2), Value(2, 3));
  EXPECT_EQ(Cell(1, 3), QStringLiteral("--"));
  // The step redrew only the overlay: the old cursor column is clean again.
  const QImage after = Image();
  EXPECT_LT(Marked(after, w->Series[0]->PointPixelX(0)), Marked(img, w->Series[0]->PointPixelX(0)));

  // A left click places the cursor at the nearest point.
  const int x = w->Series[0]->PointPixelX(10);
  w->Chart1MouseUp(Qt::LeftButton, x + 1, Plot().center().y());
  EXPECT_EQ(w->Graph.SeriesRecs[2].TraceIndex, 10);
  EXPECT_EQ(w->FCursorX, x);
  EXPECT_EQ(Cell(1, 0), Time(0.2));

  // Trace off: window and labels hidden, cursor gone.
  w->TrasSBtn->click();
  EXPECT_FALSE(TrasWin->isVisible());
  EXPECT_FALSE(w->TimeLabel->isVisible());
  EXPECT_EQ(w->FCursorX, -1);
}

TEST_F(Measure, TraceDoesNotStartWithNothingShown) {
  StartTrace();
  EXPECT_FALSE(w->TrasSBtn->isChecked());
  EXPECT_FALSE(TrasWin->isVisible());
  EXPECT_FALSE(w->TimeLabel->isVisible());
}

// Phenomena added, deleted or refilled while tracing: titles follow, rows
// beyond the active ones are empty, stale indices read "--".
TEST_F(Measure, ReadOutFollowsTheActiveSeriesAndStaleIndicesReadNone) {
  ShowSine(0);
  ShowSine(1);
  ShowSine(2);
  StartTrace();
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(40), Plot().center().y());
  EXPECT_EQ(w->Graph.SeriesRecs[1].TraceIndex, 40);
  // Slot 1 deleted, slot 2 refilled with a shorter series.
  w->Series[1]->SetActive(false);
  w->Graph.FSlotOfRow[1] = 2;
  w->Graph.FShownRows = 2;
  w->Series[2]->ClearPoints();
  for (int i = 0; i < 10; ++i) w->Series[2]->AddPoint(i * 0.02, 0.1);
  w->Chart1->Repaint();
  EXPECT_EQ(Cell(0, 1), QStringLiteral("Явление 1"));
  EXPECT_EQ(Cell(0, 2), QStringLiteral("Явление 3"));
  EXPECT_EQ(Cell(0, 3), QString());
  EXPECT_EQ(Cell(1, 1), Value(0, 40));
  EXPECT_EQ(Cell(1, 2), QStringLiteral("--"));
  EXPECT_EQ(Cell(1, 3), QString());
  // Stepping over the stale index reads nothing out of range.
  w->Chart1MouseUp(Qt::RightButton, 0, 0);
  w->Chart1MouseUp(Qt::RightButton, w->width(), 0);
  EXPECT_EQ(Cell(1, 1), Value(0, 40));
  EXPECT_EQ(Cell(1, 2), QStringLiteral("--"));
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(5), Plot().center().y());
  EXPECT_EQ(Cell(1, 2), Value(2, 5));
}

TEST_F(Measure, DraggingAnEdgeShowsAnXorLineAndZooms) {
  ShowSine(0, 101);
  w->ZoomSBtn->click();
  kv::Chart& c = *w->Chart1;
  const QRect r = Plot();
  const QImage clean = Image();
  const int midY = r.top() + 7;  // above the data
  // Hovering the left edge arms it and XORs a line there.
  w->Chart1MouseMove(Qt::NoButton, r.left() + 1, midY);
  EXPECT_EQ(w->DragState, kv::DragKind::LeftEdge);
  EXPECT_EQ(c.cursor().shape(), Qt::SplitHCursor);
  EXPECT_NE(Image().pixel(r.left(), midY), clean.pixel(r.left(), midY));
  // Moving away erases it.
  w->Chart1MouseMove(Qt::NoButton, r.center().x(), r.center().y());
  EXPECT_EQ(w->DragState, kv::DragKind::Idle);
  EXPECT_EQ(Image(), clean);
  // Drag the left edge to L + 200: the line follows.
  w->Chart1MouseMove(Qt::NoButton, r.left(), midY);
  w->Chart1MouseMove(Qt::LeftButton, r.left() + 200, midY);
  EXPECT_EQ(Image().pixel(r.left(), midY), clean.pixel(r.left(), midY));
  EXPECT_NE(Image().pixel(r.left() + 200, midY), clean.pixel(r.left() + 200, midY));
  const double from = c.BottomAxis().PixelToValue(r.left() + 200);
  const double top = c.LeftAxis().Maximum(), bottom = c.LeftAxis().Minimum();
  w->Chart1MouseUp(Qt::LeftButton, r.left() + 200, midY);
  EXPECT_TRUE(c.Zoomed());
  EXPECT_NEAR(c.BottomAxis().Minimum(), from, 1e-9);
  EXPECT_NEAR(c.LeftAxis().Maximum(), top, 1e-9);  // full height
  EXPECT_NEAR(c.LeftAxis().Minimum(), bottom, 1e-9);
  EXPECT_EQ(w->FCursorX, -1);
  EXPECT_EQ(w->DragState, kv::DragKind::Idle);
  // No stray line comes back at the release position on the next move.
  const QImage zoomed = Image();
  w->Chart1MouseMove(Qt::NoButton, r.center().x(), r.center().y());
  EXPECT_EQ(Image(), zoomed);

  // The top edge dragged past the bottom one: no zoom, the line is gone.
  c.ResetZoom();
  w->Chart1MouseMove(Qt::NoButton, r.center().x(), r.top());
  EXPECT_EQ(w->DragState, kv::DragKind::TopEdge);
  w->Chart1MouseMove(Qt::LeftButton, r.center().x(), r.bottom() + 20);
  w->Chart1MouseUp(Qt::LeftButton, r.center().x(), r.bottom() + 20);
  EXPECT_FALSE(c.Zoomed());
  EXPECT_EQ(w->FCursorY, -1);

  // Leaving the chart with an edge armed erases its line and disarms it.
  const QImage before = Image();
  w->Chart1MouseMove(Qt::NoButton, r.right(), r.center().y());
  EXPECT_EQ(w->DragState, kv::DragKind::RightEdge);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&c, &leave);
  EXPECT_EQ(w->DragState, kv::DragKind::Idle);
  EXPECT_EQ(Image(), before);
  // Releasing the zoom button disarms too and undoes the zoom.
  w->Chart1MouseMove(Qt::NoButton, r.left(), r.center().y());
  w->ZoomSBtn->click();
  EXPECT_EQ(w->DragState, kv::DragKind::Idle);
  EXPECT_EQ(w->FCursorX, -1);
}

TEST_F(Measure, DraggingTheCursorLineMovesItAndTheReleasePlacesIt) {
  ShowSine(0, 101);
  StartTrace();
  const int y = Plot().center().y();
  w->Chart1MouseMove(Qt::NoButton, w->FCursorX + 1, y);
  EXPECT_EQ(w->DragState, kv::DragKind::Cursor);
  const QString time = Cell(1, 0);
  const int to = w->Series[0]->PointPixelX(30);
  w->Chart1MouseMove(Qt::LeftButton, to, y);
  EXPECT_EQ(w->FCursorX, to);
  EXPECT_EQ(Cell(1, 0), time);  // the time cell waits for the release
  w->Chart1MouseUp(Qt::LeftButton, to, y);
  EXPECT_EQ(w->Graph.SeriesRecs[0].TraceIndex, 30);
  EXPECT_EQ(Cell(1, 0), Time(w->Series[0]->PointX(30)));
  // Released outside the plot: the line stays where it was dragged.
  w->Chart1MouseMove(Qt::NoButton, to, y);
  w->Chart1MouseMove(Qt::LeftButton, Plot().right(), y);
  w->Chart1MouseUp(Qt::LeftButton, Plot().right() + 5, y);
  EXPECT_EQ(w->FCursorX, Plot().right());
  EXPECT_EQ(w->Graph.SeriesRecs[0].TraceIndex, 30);
}

// The line, its time labels and the read-out show one moment whatever moves
// the time axis: a resize or a zoom takes the line to its point, a page
// change keeps the line's pixel and places the trace there again.
TEST_F(Measure, CursorShowsOneMomentAfterAResizeAZoomAndAPageChange) {
  ShowSine(0, 216);  // 0 .. 4.3 s
  StartTrace();
  kv::Chart& c = *w->Chart1;
  const int y = Plot().center().y();
  auto shows = [&](int i) {
    QApplication::processEvents();
    c.Image();
    const double t = w->Series[0]->PointX(i);
    SCOPED_TRACE(t);
    EXPECT_EQ(w->Graph.SeriesRecs[0].TraceIndex, i);
    EXPECT_EQ(w->FCursorX, w->Series[0]->PointPixelX(i));
    EXPECT_NEAR(c.BottomAxis().PixelToValue(w->FCursorX), t, 0.01);
    for (QLabel* l : {w->TimeLabel, w->TimeLabel1}) {
      EXPECT_EQ(l->text(), Time(t));
      EXPECT_EQ(l->x(), w->FCursorX + c.LeftAxis().AxisPen().width());
    }
    EXPECT_EQ(w->TimeLabel->y(), Plot().bottom() - w->TimeLabel->height());
    EXPECT_EQ(w->TimeLabel1->y(), Plot().top());
    EXPECT_EQ(Cell(1, 0), Time(t));
    EXPECT_EQ(Cell(1, 1), Value(0, i));
  };
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(107), y);  // 2.14 s
  shows(107);
  w->resize(1400, 800);
  shows(107);
  const QRect r = Plot();
  c.ZoomToRect(r.left() + r.width() / 4, r.top(), r.right(), r.bottom());
  shows(107);
  c.ResetZoom();
  shows(107);

  // 1000 ms a screen: the trace placed at 0.5 s, then one screen right.
  w->PageSBtn->setEnabled(true);
  w->PageSBtn->click();
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(25), y);
  shows(25);
  const int x = w->FCursorX;
  w->ButtonNext->click();
  EXPECT_EQ(w->FCursorX, x);
  shows(76);  // 1.52 s
  // Steps go on from the moment shown, both ways.
  QTest::mouseClick(w->Chart1, Qt::RightButton, {}, QPoint(w->FCursorX + 30, y));
  shows(77);
  for (int k = 0; k < 3; ++k) QTest::mouseClick(w->Chart1, Qt::RightButton, {}, QPoint(w->FCursorX - 30, y));
  shows(74);
  w->ButtonPrevious->click();
  shows(23);

  // Print and export lay the chart out at their own size: the line stands on
  // its point there too, and the screen's labels stay where they were.
  const QPoint label = w->TimeLabel->pos();
  const QSize out = c.size() + QSize(331, 127);
  QImage img(out, QImage::Format_RGB32);
  {
    QPainter p(&img);
    c.Render(p, out);
  }
  EXPECT_EQ(w->TimeLabel->pos(), label);
  c.resize(out);  // the same layout as the rendering's
  c.Image();
  EXPECT_GT(Marked(img, w->Series[0]->PointPixelX(23)), Plot().height() * 9 / 10);
}

// A step repaints only what changed: the strips of the old and the new line
// on the chart, the cells whose values changed in the read-out.
TEST_F(Measure, AStepRepaintsTheLineStripsAndTheChangedCells) {
  ShowSine(0);
  Show(1, 51, 0.02, 0, 2, 1, [](int) { return 0.25; });  // the same value at every point
  StartTrace();
  const int y = Plot().center().y();
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(5), y);
  QApplication::processEvents();
  struct Painted : QObject {
    QRegion region;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(e)->region();
      return false;
    }
  } chart, cells;
  w->Chart1->installEventFilter(&chart);
  TTrasGrid& g = *TrasWin->TrasString;
  g.viewport()->installEventFilter(&cells);
  const int from = w->FCursorX;
  w->Chart1MouseUp(Qt::LeftButton, w->Series[0]->PointPixelX(40), y);
  QApplication::processEvents();
  const int to = w->FCursorX;
  ASSERT_GT(to - from, 200);
  EXPECT_TRUE(chart.region.contains(QPoint(from, y)));
  EXPECT_TRUE(chart.region.contains(QPoint(to, y)));
  EXPECT_FALSE(chart.region.contains(QPoint((from + to) / 2, y)));
  EXPECT_EQ(Cell(1, 0), Time(0.8));
  EXPECT_TRUE(cells.region.intersects(g.visualRect(g.model()->index(0, 1))));    // row 1: a new value
  EXPECT_FALSE(cells.region.intersects(g.visualRect(g.model()->index(1, 1))));   // row 2: the same value
  EXPECT_FALSE(cells.region.intersects(g.visualRect(g.model()->index(0, 0))));   // titles
}

TEST_F(Measure, ReadOutTitlesStandWholeAndColumnOneFillsTheWindow) {
  const QString name = QStringLiteral("Акт. мощность Р1");  // 16 characters, as long as a file's names get
  ShowSine(0);
  w->Series[0]->SetTitle(name);
  TTrasGrid& g = *TrasWin->TrasString;
  const int values = g.columnWidth(1);
  StartTrace();
  // The style's text margin on either side of a cell.
  const int margin = g.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &g) + 1;
  EXPECT_GE(g.columnWidth(0), QFontMetrics(g.font()).horizontalAdvance(name) + 2 * margin);
  EXPECT_EQ(g.columnWidth(1), values);  // the window grew instead
  EXPECT_LE(TrasWin->width(), 300);
  const int inner = TrasWin->width() - 2 * g.frameWidth();
  EXPECT_EQ(g.columnWidth(1), inner - g.columnWidth(0));
  g.setColumnWidth(0, 40);  // the user drags the border
  EXPECT_EQ(g.columnWidth(1), inner - 40);
  TrasWin->resize(250, 260);
  QApplication::processEvents();
  EXPECT_EQ(g.columnWidth(1), 250 - 2 * g.frameWidth() - 40);
}

}  // namespace
