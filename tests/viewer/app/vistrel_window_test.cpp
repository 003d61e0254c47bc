// The chart window: start-up, toolbar groups, paging, scroll veto, zoom increments.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <limits>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "common/decimal_format.h"
#include "viewer/app/chang_axis_new.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/inf_osc.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/tras.h"
#include "viewer/app/vistrel_start.h"
#include "viewer/core/round_maximum.h"

namespace {

int argc_ = 1;
char arg0_[] = "vistrel_window_test";
char* argv_[] = {arg0_, nullptr};

class Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!qApp) new QApplication(argc_, argv_);
  }
  void SetUp() override {
    vistrel::CreateForms();
    w = FormGraph;
    w->resize(900, 600);
    w->show();
    QApplication::processEvents();
  }
  void TearDown() override { vistrel::DestroyForms(); }

  // A phenomenon in `slot` of `points` samples every `step` seconds from 0,
  // in type group 0, shown in the next row of the phenomena dialog.
  void Show(int slot, int points, double step) {
    kv::LineSeries* s = w->Series[slot];
    s->ClearPoints();
    for (int i = 0; i < points; ++i) s->AddPoint(i * step, 0.5 * std::sin(i * 0.1));
    s->SetActive(true);
    w->FMarkSeries[slot]->SetActive(true);
    kv::GraphState& g = w->Graph;
    if (g.TypeGroupCount == 0) {
      g.TypeGroupCount = 1;
      g.TypeGroups[0].Slots.clear();
    }
    g.TypeGroups[0].Slots.push_back(static_cast<std::uint8_t>(slot));
    g.FSlotOfRow[g.FShownRows++] = static_cast<std::uint8_t>(slot);
    w->PageSBtn->setEnabled(true);
  }

  QString Indicator() const { return w->StaticText1->text(); }
  // First, previous, next, last enabled.
  std::string PageButtons() const {
    std::string r;
    for (QToolButton* b : {w->BFirstPage, w->ButtonPrevious, w->ButtonNext, w->BLastPage})
      r += b->isEnabled() ? '1' : '0';
    return r;
  }

  TFormGraph* w = nullptr;
};

TEST_F(Window, StartCreatesTheWindowsInOrderWithAnEmptyChart) {
  ASSERT_NE(Form1, nullptr);
  ASSERT_NE(FormAxis, nullptr);
  ASSERT_NE(FormTool, nullptr);
  ASSERT_NE(TrasWin, nullptr);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Сводный график"));
  EXPECT_FALSE(FormAxis->isVisible());
  EXPECT_FALSE(TrasWin->isVisible());

  for (const char* name : {"Panel1", "AddDelSBtn", "ImportSBtn", "PrintSBtn", "SpeedButton3", "SpeedButton1",
                           "GrhTitlSBtn", "GridSBtn", "ZoomSBtn", "TrasSBtn", "FullSBtn", "PageSBtn", "BFirstPage",
                           "ButtonPrevious", "StaticText1", "ButtonNext", "BLastPage", "SpinEdit1", "Label1", "Chart1",
                           "TimeLabel", "TimeLabel1"})
    EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;

  EXPECT_EQ(w->AddDelSBtn->toolTip(), QStringLiteral("Добавить, удалить явление"));
  EXPECT_EQ(w->PageSBtn->toolTip(), QStringLiteral("Постраничный просмотр"));
  EXPECT_EQ(w->StaticText1->toolTip(), QStringLiteral("Индикатор экранов"));
  EXPECT_EQ(w->Label1->text(), QStringLiteral("(млсек. в экране)"));
  EXPECT_EQ(Indicator(), "00/00");
  EXPECT_TRUE(w->FullSBtn->isChecked());
  EXPECT_FALSE(w->PageSBtn->isEnabled());
  EXPECT_FALSE(w->ZoomSBtn->isChecked());
  EXPECT_FALSE(w->TrasSBtn->isChecked());
  EXPECT_FALSE(w->GridSBtn->isChecked());
  EXPECT_EQ(PageButtons(), "0000");
  EXPECT_FALSE(w->SpinEdit1->isEnabled());
  EXPECT_EQ(w->SpinEdit1->value(), 1000);
  EXPECT_EQ(w->SpinEdit1->singleStep(), 20);
  EXPECT_FALSE(w->TimeLabel->isVisible());
  EXPECT_FALSE(w->TimeLabel1->isVisible());
  EXPECT_EQ(w->FCursorX, -1);
  EXPECT_FALSE(w->FCaptionsBelow);
  EXPECT_EQ(w->Graph.TypeGroupCount, 0);
}

TEST_F(Window, ChartHoldsTenLineSeriesThenTheirCompanions) {
  kv::Chart& c = *w->Chart1;
  ASSERT_EQ(c.SeriesCount(), 20);
  EXPECT_FALSE(c.AllowZoom());
  EXPECT_FALSE(c.ClipPoints());
  EXPECT_FALSE(c.BackWallPenVisible());
  EXPECT_FALSE(c.Foot().Visible());
  EXPECT_DOUBLE_EQ(c.LeftAxis().PositionPercent(), -1.0);
  EXPECT_DOUBLE_EQ(c.BottomAxis().PositionPercent(), -2.0);
  EXPECT_DOUBLE_EQ(c.LeftAxis().Increment(), 0.1);
  EXPECT_FALSE(c.LeftAxis().GridVisible());
  EXPECT_EQ(c.LeftAxis().MinorTickCount(), 1);
  EXPECT_EQ(c.BottomAxis().MinorTickCount(), 1);
  EXPECT_EQ(c.BottomAxis().LabelsSeparation(), 100);
  EXPECT_EQ(c.Legend().ColorWidth(), 30);
  EXPECT_EQ(c.Color(), QColor(192, 192, 192));
  EXPECT_EQ(c.BackColor(), QColor(192, 192, 192));
  EXPECT_EQ(c.Legend().Color(), QColor(192, 192, 192));
  EXPECT_EQ(c.Title().Text(), QStringList{QString()});

  const QColor expected[10] = {QColor(244, 0, 0),   QColor(0, 128, 0),   QColor(0, 0, 255),     QColor(0, 128, 255),
                               QColor(255, 128, 0), QColor(0, 0, 0),     QColor(255, 0, 255),   QColor(72, 183, 183),
                               QColor(128, 128, 128), QColor(128, 0, 255)};
  const kv::PointerStyle styles[10] = {kv::PointerStyle::Rectangle, kv::PointerStyle::Circle,
                                       kv::PointerStyle::Triangle,  kv::PointerStyle::DownTriangle,
                                       kv::PointerStyle::Diamond,   kv::PointerStyle::Rectangle,
                                       kv::PointerStyle::Rectangle, kv::PointerStyle::Diamond,
                                       kv::PointerStyle::Diamond,   kv::PointerStyle::Star};
  const int sizes[10][2] = {{3, 3}, {3, 3}, {3, 3}, {3, 3}, {3, 3}, {2, 5}, {5, 2}, {2, 5}, {5, 2}, {3, 3}};
  for (int slot = 0; slot < 10; ++slot) {
    SCOPED_TRACE(slot);
    auto* line = dynamic_cast<kv::LineSeries*>(c.SeriesAt(slot));
    auto* mark = dynamic_cast<kv::PointSeries*>(c.SeriesAt(10 + slot));
    ASSERT_NE(line, nullptr);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(w->Series[slot], line);
    EXPECT_EQ(w->FMarkSeries[slot], mark);
    EXPECT_FALSE(line->Active());
    EXPECT_FALSE(mark->Active());
    EXPECT_EQ(line->SeriesColor(), expected[slot]);
    EXPECT_EQ(line->LinePen().color(), expected[slot]);
    // The star of slot 9 starts black; every other companion takes the line colour.
    EXPECT_EQ(mark->SeriesColor(), slot == 9 ? QColor(Qt::black) : expected[slot]);
    EXPECT_FALSE(mark->ShowInLegend());
    EXPECT_FALSE(mark->InflateMargins());
    EXPECT_EQ(mark->Style(), styles[slot]);
    EXPECT_EQ(mark->HorizSize(), sizes[slot][0]);
    EXPECT_EQ(mark->VertSize(), sizes[slot][1]);
    ASSERT_NE(w->FFactorLabels[slot], nullptr);
    EXPECT_EQ(w->FFactorLabels[slot]->font(), c.Legend().Font());
    EXPECT_FALSE(w->FFactorLabels[slot]->isVisible());
  }
}

TEST_F(Window, ZoomAndTraceButtonsAreExclusiveButMayBothBeUp) {
  Show(0, 216, 0.02);
  w->FullSBtnClick();
  kv::Chart& c = *w->Chart1;

  w->ZoomSBtn->click();
  EXPECT_TRUE(w->ZoomSBtn->isChecked());
  const QRect r = c.PlotRect();
  c.ZoomToRect(r.left() + r.width() / 4, r.top(), r.right(), r.bottom());
  ASSERT_TRUE(c.Zoomed());

  // Pressing the trace raises zoom without running zoom's handler: the zoom stays.
  w->TrasSBtn->click();
  EXPECT_TRUE(w->TrasSBtn->isChecked());
  EXPECT_FALSE(w->ZoomSBtn->isChecked());
  EXPECT_TRUE(c.Zoomed());

  // Pressing zoom raises the trace and switches it off.
  w->FCursorX = 100;
  w->ZoomSBtn->click();
  EXPECT_TRUE(w->ZoomSBtn->isChecked());
  EXPECT_FALSE(w->TrasSBtn->isChecked());
  EXPECT_EQ(w->FCursorX, -1);
  EXPECT_EQ(w->FCursorY, -1);
  EXPECT_TRUE(c.Zoomed());

  // Raising zoom undoes the zoom; both buttons are then up.
  w->ZoomSBtn->click();
  EXPECT_FALSE(w->ZoomSBtn->isChecked());
  EXPECT_FALSE(w->TrasSBtn->isChecked());
  EXPECT_FALSE(c.Zoomed());
}

TEST_F(Window, TraceSpringsBackWithNothingShownAndAddDelSwitchesItOff) {
  w->TrasSBtn->click();
  EXPECT_FALSE(w->TrasSBtn->isChecked());
  EXPECT_FALSE(TrasWin->isVisible());

  Show(0, 50, 0.02);
  w->TrasSBtn->click();
  ASSERT_TRUE(w->TrasSBtn->isChecked());
  w->AddDelSBtn->click();
  EXPECT_FALSE(w->TrasSBtn->isChecked());
  EXPECT_TRUE(FormAxis->isVisible());
  EXPECT_FALSE(FormAxis->isModal());
}

TEST_F(Window, PagingWalksFivePagesOf51Points) {
  Show(0, 216, 0.02);  // 0 .. 4.3 s
  w->PageSBtn->click();
  kv::Chart& c = *w->Chart1;
  EXPECT_TRUE(w->PageSBtn->isChecked());
  EXPECT_FALSE(w->FullSBtn->isChecked());
  EXPECT_TRUE(w->SpinEdit1->isEnabled());
  // The first point beyond 1 s is the 52nd: a page holds the points up to 1 s.
  EXPECT_EQ(c.MaxPointsPerPage(), 51);
  EXPECT_DOUBLE_EQ(c.BottomAxis().Increment(), 0.1);
  EXPECT_EQ(Indicator(), "1/5");
  EXPECT_EQ(PageButtons(), "0011");

  w->ButtonNext->click();
  EXPECT_EQ(Indicator(), "2/5");
  EXPECT_EQ(PageButtons(), "1111");
  EXPECT_DOUBLE_EQ(c.BottomAxis().Minimum(), 1.02);

  w->BLastPage->click();
  EXPECT_EQ(Indicator(), "5/5");
  EXPECT_EQ(PageButtons(), "1100");
  w->ButtonPrevious->click();
  EXPECT_EQ(Indicator(), "4/5");
  w->BFirstPage->click();
  EXPECT_EQ(Indicator(), "1/5");
  EXPECT_EQ(PageButtons(), "0011");

  // A page change undoes a zoom.
  w->ButtonNext->click();
  const QRect r = c.PlotRect();
  c.ZoomToRect(r.left() + 10, r.top(), r.right(), r.bottom());
  ASSERT_TRUE(c.Zoomed());
  w->ButtonNext->click();
  EXPECT_FALSE(c.Zoomed());

  // One screen again: everything on one page, page controls dead.
  w->FullSBtn->click();
  EXPECT_EQ(c.MaxPointsPerPage(), 0);
  EXPECT_EQ(Indicator(), "1/1");
  EXPECT_EQ(PageButtons(), "0000");
  EXPECT_FALSE(w->SpinEdit1->isEnabled());
  EXPECT_DOUBLE_EQ(c.BottomAxis().Increment(), 0.5);  // RoundMaximum(4.3 / 10)
}

TEST_F(Window, AScreenLongerThanTheRecordBecomesWholeSecondsPastItsEnd) {
  Show(0, 216, 0.02);
  w->SpinEdit1->setValue(9000);
  w->PageSBtn->click();
  EXPECT_EQ(w->SpinEdit1->value(), 5000);
  EXPECT_EQ(w->Chart1->MaxPointsPerPage(), 216);
  EXPECT_EQ(Indicator(), "1/1");
  EXPECT_EQ(PageButtons(), "0000");

  // Whole seconds that do not fit in milliseconds stop at the spin range's ends.
  kv::LineSeries* s = w->Series[0];
  for (double t : {2147483.5, -2e38}) {
    s->ClearPoints();
    s->AddPoint(std::min(0.0, 1.5 * t), 0);
    s->AddPoint(t, 0.5);  // the end of the time axis
    w->SpinEdit1->setValue(std::numeric_limits<int>::max() - 5);
    w->PageSBtnClick();
    EXPECT_EQ(w->SpinEdit1->value(), t > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min());
    EXPECT_EQ(Indicator(), "1/1");
  }
}

TEST_F(Window, NonPositiveScreenLengthsAndOnePointRecordsKeepTheTimeIncrement) {
  Show(0, 216, 0.02);
  w->FullSBtnClick();
  kv::ChartAxis& bottom = w->Chart1->BottomAxis();
  ASSERT_DOUBLE_EQ(bottom.Increment(), 0.5);

  w->PageSBtn->click();
  w->SpinEdit1->setValue(0);
  w->PageSBtnClick();
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.1);  // from the earlier 1000 ms
  EXPECT_EQ(w->Chart1->MaxPointsPerPage(), 1);  // only the point at 0 is within 0 s

  w->SpinEdit1->setValue(-40);
  w->PageSBtnClick();
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.1);
  EXPECT_EQ(w->Chart1->MaxPointsPerPage(), 0);
  EXPECT_EQ(Indicator(), "1/1");

  // A record of one point (largest time 0) keeps it on one screen and undo.
  Show(0, 1, 0.02);
  bottom.SetIncrement(0.25);
  w->FullSBtn->click();
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.25);
  w->Chart1->ResetZoom();
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.25);
  EXPECT_DOUBLE_EQ(w->Chart1->LeftAxis().Increment(), 0.1);
}

TEST_F(Window, PagingWithoutATypeGroupIsOneScreen) {
  w->PageSBtn->setEnabled(true);
  w->PageSBtn->click();
  EXPECT_EQ(w->Chart1->MaxPointsPerPage(), 0);
  EXPECT_EQ(Indicator(), "1/1");
  EXPECT_TRUE(w->SpinEdit1->isEnabled());
}

TEST_F(Window, SpinEditTakesOnlyDigitsAndEnterAppliesPaging) {
  Show(0, 216, 0.02);
  w->PageSBtn->click();
  TSpinEdit* se = w->SpinEdit1;
  se->setFocus();
  se->selectAll();
  QTest::keyClicks(se, "2000");
  EXPECT_EQ(se->value(), 2000);
  for (Qt::Key k : {Qt::Key_A, Qt::Key_Minus, Qt::Key_Backspace, Qt::Key_Comma})
    QTest::keyClick(se, k);
  QTest::keyClick(se, Qt::Key_Y, Qt::ShiftModifier);
  EXPECT_EQ(se->text(), "2000");
  EXPECT_EQ(Indicator(), "1/5");  // nothing applied before Enter
  QTest::keyClick(se, Qt::Key_Return);
  EXPECT_EQ(w->Chart1->MaxPointsPerPage(), 101);
  EXPECT_EQ(Indicator(), "1/3");
  EXPECT_DOUBLE_EQ(w->Chart1->BottomAxis().Increment(), 0.2);
}

TEST_F(Window, ScrollVeto) {
  Show(0, 216, 0.02);
  kv::Chart& c = *w->Chart1;
  kv::ChartAxis& left = c.LeftAxis();
  kv::ChartAxis& bottom = c.BottomAxis();
  auto allow = [&](kv::ChartAxis& axis, double mn, double mx) {
    bool a = true;
    w->Chart1AllowScroll(axis, mn, mx, a);
    return a;
  };
  // Data: x 0 .. 4.3, y about -0.5 .. 0.5; the new range must lie strictly inside.
  EXPECT_TRUE(allow(left, -0.4, 0.4));
  EXPECT_FALSE(allow(left, -0.6, 0.4));
  EXPECT_TRUE(allow(bottom, 0.5, 4.0));
  EXPECT_FALSE(allow(bottom, 0.0, 4.0));
  EXPECT_FALSE(allow(bottom, 1.0, 4.3));

  // Paging: after the start and before the end of the last screen.
  w->PageSBtn->click();
  ASSERT_EQ(c.PageCount(), 5);
  EXPECT_TRUE(allow(bottom, 0.1, 4.9));
  EXPECT_FALSE(allow(bottom, 0.1, 5.0));
  EXPECT_FALSE(allow(bottom, 0.0, 1.0));

  // While tracing nothing scrolls.
  w->TrasSBtn->click();
  ASSERT_TRUE(w->TrasSBtn->isChecked());
  EXPECT_FALSE(allow(left, -0.4, 0.4));
  EXPECT_FALSE(allow(bottom, 0.1, 1.0));
}

TEST_F(Window, ZoomAdjustsIncrementsThatFitFewerThanFiveTimes) {
  Show(0, 216, 0.02);
  w->FullSBtnClick();
  kv::Chart& c = *w->Chart1;
  kv::ChartAxis& bottom = c.BottomAxis();
  kv::ChartAxis& left = c.LeftAxis();
  ASSERT_DOUBLE_EQ(bottom.Increment(), 0.5);

  // Whole height, about a tenth of the time: only the time axis changes.
  const QRect r = c.PlotRect();
  c.ZoomToRect(r.left(), r.top(), r.left() + r.width() / 10, r.bottom());
  double range = bottom.Maximum() - bottom.Minimum();
  double expected = range / 10;
  ASSERT_TRUE(kv::RoundMaximum(expected));
  EXPECT_DOUBLE_EQ(bottom.Increment(), expected);
  EXPECT_DOUBLE_EQ(left.Increment(), 0.1);

  // Undo: the time increment from the first row's phenomenon, 0.1 on the left.
  left.SetIncrement(0.05);
  c.ResetZoom();
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.5);
  EXPECT_DOUBLE_EQ(left.Increment(), 0.1);

  // A thin slice of the height: only the left axis changes.
  c.ZoomToRect(r.left(), r.top() + r.height() / 2 - 5, r.right(), r.top() + r.height() / 2 + 5);
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.5);
  range = left.Maximum() - left.Minimum();
  expected = range / 10;
  ASSERT_TRUE(kv::RoundMaximum(expected));
  EXPECT_DOUBLE_EQ(left.Increment(), expected);

  // An axis without an increment keeps its settings.
  c.ResetZoom();
  left.SetIncrement(0);
  c.ZoomToRect(r.left(), r.top() + r.height() / 2 - 5, r.right(), r.top() + r.height() / 2 + 5);
  EXPECT_DOUBLE_EQ(left.Increment(), 0);

  // While paging, undoing the zoom leaves the increments alone.
  w->PageSBtn->click();
  left.SetIncrement(0.02);
  c.ResetZoom();
  EXPECT_DOUBLE_EQ(left.Increment(), 0.02);
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.1);
}

class RecordingExportUi : public kv::ChartExportUi {
 public:
  bool Ask(QWidget*, kv::ExportRequest&) override {
    ++asked;
    return false;
  }
  void ShowError(QWidget*, const QString&) override {}
  int asked = 0;
};

TEST_F(Window, DialogButtons) {
  int modal = 0, previews = 0;
  QDialog* shown = nullptr;
  w->ExecModal = [&](QDialog& d) {
    ++modal;
    shown = &d;
    return 0;
  };
  w->PrintPreview = [&](kv::Chart& c, QWidget* owner) {
    ++previews;
    EXPECT_EQ(&c, w->Chart1);
    EXPECT_EQ(owner, w);
  };
  RecordingExportUi ui;
  w->ExportUi = &ui;

  w->SpeedButton3->click();
  EXPECT_EQ(modal, 1);
  EXPECT_EQ(shown, FormTool);
  w->PrintSBtn->click();
  EXPECT_EQ(previews, 1);
  w->ImportSBtn->click();
  EXPECT_EQ(ui.asked, 1);

  // Titles and line styles need something shown; nothing happens without it.
  w->GrhTitlSBtn->click();
  w->SpeedButton1->click();
  EXPECT_EQ(modal, 1);

  w->GridSBtn->click();
  EXPECT_TRUE(w->Chart1->LeftAxis().GridVisible());
  EXPECT_TRUE(w->Chart1->BottomAxis().GridVisible());
  w->GridSBtn->click();
  EXPECT_FALSE(w->Chart1->LeftAxis().GridVisible());
  EXPECT_FALSE(w->Chart1->BottomAxis().GridVisible());
}

TEST(VistrelStart, SeparatorsComeFromTheSystemLocale) {
  kv::SetSystemSeparators("#", "#");
  vistrel::SetSeparatorsFromLocale();
  EXPECT_EQ(kv::SystemDecimalSeparator(), QLocale::system().decimalPoint().toStdString());
  EXPECT_EQ(kv::SystemGroupSeparator(), QLocale::system().groupSeparator().toStdString());
}

}  // namespace
