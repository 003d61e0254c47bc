// The chart window: start-up, toolbar groups, paging, scroll veto, zoom increments.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "common/decimal_format.h"
#include "viewer/app/chang_axis_new.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/inf_osc.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/tras.h"
#include "viewer/app/vistrel_start.h"
#include "forms_fixture.h"

namespace {

class Window : public vistrel_test::FormsTest {
 protected:
  // A phenomenon in `slot` of `points` samples every `step` seconds from 0,
  // in type group 0, shown in the next row of the phenomena dialog.
  void Show(int slot, int points, double step) {
    kv::LineSeries* s = w->Series[slot];
    s->ClearPoints();
    for (int i = 0; i < points; ++i) s->AddPoint(i * step, 0.5 * std::sin(i * 0.1));
    s->SetActive(true);
    w->FMarkSeries[slot]->SetActive(true);
    kv::GraphState& g = w->Graph;
    if (g.TypeGroupCount == 0) g.TypeGroups[0].Slots.clear();
    g.TypeGroupCount = 1;
    g.TypeGroups[0].Slots.push_back(static_cast<std::uint8_t>(slot));
    g.FSlotOfRow[g.FShownRows++] = static_cast<std::uint8_t>(slot);
    w->PageSBtn->setEnabled(true);
  }

  QString Indicator() const { return w->StaticText1->text(); }
  // The screen indicator and whether first, previous, next, last are enabled.
  std::string Paging() const {
    std::string r = Indicator().toStdString() + " ";
    for (QToolButton* b : {w->BFirstPage, w->ButtonPrevious, w->ButtonNext, w->BLastPage})
      r += b->isEnabled() ? '1' : '0';
    return r;
  }
};

TEST_F(Window, StartCreatesTheWindowsWithTheirControlsAndAnEmptyChart) {
  for (QWidget* form : std::initializer_list<QWidget*>{Form1, FormAxis, FormTool, TrasWin}) ASSERT_NE(form, nullptr);
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

  EXPECT_EQ(Paging(), "00/00 0000");
  EXPECT_TRUE(w->FullSBtn->isChecked());
  for (QToolButton* b : {w->ZoomSBtn, w->TrasSBtn, w->GridSBtn}) EXPECT_FALSE(b->isChecked());
  EXPECT_FALSE(w->PageSBtn->isEnabled());
  EXPECT_FALSE(w->SpinEdit1->isEnabled());
  EXPECT_EQ(w->SpinEdit1->value(), 1000);
  EXPECT_EQ(w->SpinEdit1->singleStep(), 20);
  EXPECT_FALSE(w->TimeLabel->isVisible() || w->TimeLabel1->isVisible());
  EXPECT_EQ(w->FCursorX, -1);

  kv::Chart& c = *w->Chart1;
  ASSERT_EQ(c.SeriesCount(), 20);
  EXPECT_FALSE(c.AllowZoom());  // zooming is by dragging a plot edge
  EXPECT_DOUBLE_EQ(c.LeftAxis().Increment(), 0.1);
  EXPECT_FALSE(c.LeftAxis().GridVisible());
  // Ten line series, then a companion marker series for each.
  const QColor colors[10] = {{244, 0, 0},   {0, 128, 0}, {0, 0, 255},   {0, 128, 255},   {255, 128, 0},
                             {0, 0, 0},     {255, 0, 255}, {72, 183, 183}, {128, 128, 128}, {128, 0, 255}};
  using S = kv::PointerStyle;
  const struct { S style; int h, v; } marks[10] = {
      {S::Rectangle, 3, 3}, {S::Circle, 3, 3},    {S::Triangle, 3, 3}, {S::DownTriangle, 3, 3}, {S::Diamond, 3, 3},
      {S::Rectangle, 2, 5}, {S::Rectangle, 5, 2}, {S::Diamond, 2, 5},  {S::Diamond, 5, 2},      {S::Star, 3, 3}};
  for (int slot = 0; slot < 10; ++slot) {
    SCOPED_TRACE(slot);
    auto* line = dynamic_cast<kv::LineSeries*>(c.SeriesAt(slot));
    auto* mark = dynamic_cast<kv::PointSeries*>(c.SeriesAt(10 + slot));
    ASSERT_TRUE(line && mark);
    EXPECT_EQ(w->Series[slot], line);
    EXPECT_EQ(w->FMarkSeries[slot], mark);
    EXPECT_FALSE(line->Active() || mark->Active() || mark->ShowInLegend());
    EXPECT_EQ(line->SeriesColor(), colors[slot]);
    EXPECT_EQ(mark->SeriesColor(), slot == 9 ? QColor(Qt::black) : colors[slot]);  // the star starts black
    EXPECT_EQ(mark->Style(), marks[slot].style);
    EXPECT_EQ(mark->HorizSize(), marks[slot].h);
    EXPECT_EQ(mark->VertSize(), marks[slot].v);
    ASSERT_NE(w->FFactorLabels[slot], nullptr);
    EXPECT_FALSE(w->FFactorLabels[slot]->isVisible());
  }
}

// Zoom and trace form a group whose buttons may both be up.
TEST_F(Window, ZoomAndTraceButtons) {
  auto down = [&] { return std::string{w->ZoomSBtn->isChecked() ? 'Z' : '-', w->TrasSBtn->isChecked() ? 'T' : '-'}; };
  w->TrasSBtn->click();  // nothing shown: the trace springs back
  EXPECT_EQ(down(), "--");
  EXPECT_FALSE(TrasWin->isVisible());

  Show(0, 216, 0.02);
  w->FullSBtnClick();
  kv::Chart& c = *w->Chart1;
  w->ZoomSBtn->click();
  EXPECT_EQ(down(), "Z-");
  const QRect r = c.PlotRect();
  c.ZoomToRect(r.left() + r.width() / 4, r.top(), r.right(), r.bottom());
  ASSERT_TRUE(c.Zoomed());
  w->TrasSBtn->click();  // raises zoom without running its handler: the zoom stays
  EXPECT_EQ(down(), "-T");
  EXPECT_TRUE(c.Zoomed());
  w->FCursorX = 100;
  w->ZoomSBtn->click();  // raises the trace and switches it off
  EXPECT_EQ(down(), "Z-");
  EXPECT_EQ(w->FCursorX, -1);
  EXPECT_EQ(w->FCursorY, -1);
  EXPECT_TRUE(c.Zoomed());
  w->ZoomSBtn->click();  // raising zoom undoes the zoom
  EXPECT_EQ(down(), "--");
  EXPECT_FALSE(c.Zoomed());

  w->TrasSBtn->click();
  ASSERT_EQ(down(), "-T");
  w->AddDelSBtn->click();  // the phenomena dialog switches the trace off
  EXPECT_EQ(down(), "--");
  EXPECT_TRUE(FormAxis->isVisible());
  EXPECT_FALSE(FormAxis->isModal());
}

TEST_F(Window, PagingWalksFivePagesOf51Points) {
  w->PageSBtn->setEnabled(true);
  w->PageSBtn->click();  // nothing shown yet: one screen
  EXPECT_EQ(Paging() + " " + std::to_string(w->Chart1->MaxPointsPerPage()), "1/1 0000 0");

  Show(0, 216, 0.02);  // 0 .. 4.3 s
  w->PageSBtn->click();
  kv::Chart& c = *w->Chart1;
  EXPECT_TRUE(w->PageSBtn->isChecked() && !w->FullSBtn->isChecked() && w->SpinEdit1->isEnabled());
  // The first point beyond 1 s is the 52nd: a page holds the points up to 1 s.
  EXPECT_EQ(c.MaxPointsPerPage(), 51);
  EXPECT_DOUBLE_EQ(c.BottomAxis().Increment(), 0.1);
  const std::pair<QToolButton*, const char*> walk[] = {
      {nullptr, "1/5 0011"}, {w->ButtonNext, "2/5 1111"},    {w->BLastPage, "5/5 1100"},
      {w->ButtonPrevious, "4/5 1111"}, {w->BFirstPage, "1/5 0011"}};
  for (auto [button, shows] : walk) {
    if (button) button->click();
    EXPECT_EQ(Paging(), shows);
  }
  w->ButtonNext->click();
  EXPECT_DOUBLE_EQ(c.BottomAxis().Minimum(), 1.02);

  // A page change undoes a zoom.
  const QRect r = c.PlotRect();
  c.ZoomToRect(r.left() + 10, r.top(), r.right(), r.bottom());
  ASSERT_TRUE(c.Zoomed());
  w->ButtonNext->click();
  EXPECT_FALSE(c.Zoomed());

  // Enter applies a typed length; only digits are taken.
  TSpinEdit* se = w->SpinEdit1;
  se->setFocus();
  se->selectAll();
  QTest::keyClicks(se, "2000");
  for (Qt::Key k : {Qt::Key_A, Qt::Key_Minus, Qt::Key_Backspace, Qt::Key_Comma}) QTest::keyClick(se, k);
  QTest::keyClick(se, Qt::Key_Y, Qt::ShiftModifier);
  EXPECT_EQ(se->text(), "2000");
  EXPECT_EQ(Indicator(), "3/5");  // nothing applied before Enter
  QTest::keyClick(se, Qt::Key_Return);
  EXPECT_EQ(c.MaxPointsPerPage(), 101);
  EXPECT_EQ(Indicator(), "1/3");
  EXPECT_DOUBLE_EQ(c.BottomAxis().Increment(), 0.2);

  // A screen longer than the record becomes whole seconds past its end.
  se->setValue(9000);
  w->PageSBtn->click();
  EXPECT_EQ(se->value(), 5000);
  EXPECT_EQ(c.MaxPointsPerPage(), 216);
  EXPECT_EQ(Paging(), "1/1 0000");

  // One screen again: everything on one page, page controls dead.
  w->FullSBtn->click();
  EXPECT_EQ(c.MaxPointsPerPage(), 0);
  EXPECT_EQ(Paging(), "1/1 0000");
  EXPECT_FALSE(se->isEnabled());
  EXPECT_DOUBLE_EQ(c.BottomAxis().Increment(), 0.5);  // a tenth of 4.3 s, rounded up

  // Whole seconds that do not fit in milliseconds stop at the spin range's ends.
  kv::LineSeries* series = w->Series[0];
  for (double t : {2147483.5, -2e38}) {
    series->ClearPoints();
    series->AddPoint(std::min(0.0, 1.5 * t), 0);
    series->AddPoint(t, 0.5);  // the end of the time axis
    se->setValue(std::numeric_limits<int>::max() - 5);
    w->PageSBtnClick();
    EXPECT_EQ(se->value(), t > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min());
    EXPECT_EQ(Indicator(), "1/1");
  }
}

TEST_F(Window, NonPositiveScreenLengthsAndOnePointRecordsKeepTheTimeIncrement) {
  Show(0, 216, 0.02);
  w->FullSBtnClick();
  kv::ChartAxis& bottom = w->Chart1->BottomAxis();
  ASSERT_DOUBLE_EQ(bottom.Increment(), 0.5);
  w->PageSBtn->click();
  const std::pair<int, int> lengths[] = {{0, 1}, {-40, 0}};  // ms, points per page (the point at 0 is within 0 s)
  for (auto [ms, points] : lengths) {
    w->SpinEdit1->setValue(ms);
    w->PageSBtnClick();
    EXPECT_DOUBLE_EQ(bottom.Increment(), 0.1) << ms;  // from the earlier 1000 ms
    EXPECT_EQ(w->Chart1->MaxPointsPerPage(), points) << ms;
  }
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

TEST_F(Window, ScrollVeto) {
  Show(0, 216, 0.02);
  kv::Chart& c = *w->Chart1;
  auto allow = [&](kv::ChartAxis& axis, double mn, double mx) {
    bool a = true;
    w->Chart1AllowScroll(axis, mn, mx, a);
    return a;
  };
  kv::ChartAxis *left = &c.LeftAxis(), *bottom = &c.BottomAxis();
  // Data: x 0 .. 4.3, y about -0.5 .. 0.5; the new range must lie strictly
  // inside. Paging: after the start and before the end of the last screen.
  // While tracing nothing scrolls.
  const struct { kv::ChartAxis* axis; double mn, mx; bool full, paging, tracing; } cases[] = {
      {left, -0.4, 0.4, true, true, false},    {left, -0.6, 0.4, false, false, false},
      {bottom, 0.5, 4.0, true, true, false},   {bottom, 0.0, 4.0, false, false, false},
      {bottom, 1.0, 4.3, false, true, false},  {bottom, 0.1, 4.9, false, true, false},
      {bottom, 0.1, 5.0, false, false, false}, {bottom, 0.0, 1.0, false, false, false}};
  for (const auto& k : cases) EXPECT_EQ(allow(*k.axis, k.mn, k.mx), k.full) << k.mn << " " << k.mx;
  w->PageSBtn->click();
  ASSERT_EQ(c.PageCount(), 5);
  for (const auto& k : cases) EXPECT_EQ(allow(*k.axis, k.mn, k.mx), k.paging) << k.mn << " " << k.mx;
  w->TrasSBtn->click();
  ASSERT_TRUE(w->TrasSBtn->isChecked());
  for (const auto& k : cases) EXPECT_EQ(allow(*k.axis, k.mn, k.mx), k.tracing) << k.mn << " " << k.mx;
}

TEST_F(Window, ZoomAdjustsIncrementsThatFitFewerThanFiveTimes) {
  Show(0, 216, 0.02);
  w->FullSBtnClick();
  kv::Chart& c = *w->Chart1;
  kv::ChartAxis& bottom = c.BottomAxis();
  kv::ChartAxis& left = c.LeftAxis();
  ASSERT_DOUBLE_EQ(bottom.Increment(), 0.5);
  auto fits = [](kv::ChartAxis& a) { return (a.Maximum() - a.Minimum()) / a.Increment(); };

  // Whole height, about a tenth of the time: only the time axis changes.
  const QRect r = c.PlotRect();
  c.ZoomToRect(r.left(), r.top(), r.left() + r.width() / 10, r.bottom());
  EXPECT_GE(fits(bottom), 5);
  EXPECT_LE(fits(bottom), 10);
  EXPECT_DOUBLE_EQ(left.Increment(), 0.1);

  // Undo: the time increment from the first row's phenomenon, 0.1 on the left.
  left.SetIncrement(0.05);
  c.ResetZoom();
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.5);
  EXPECT_DOUBLE_EQ(left.Increment(), 0.1);

  // A thin slice of the height: only the left axis changes.
  c.ZoomToRect(r.left(), r.top() + r.height() / 2 - 5, r.right(), r.top() + r.height() / 2 + 5);
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.5);
  EXPECT_GE(fits(left), 5);
  EXPECT_LE(fits(left), 10);

  // While paging, undoing the zoom leaves the increments alone.
  w->PageSBtn->click();
  left.SetIncrement(0.02);
  c.ResetZoom();
  EXPECT_DOUBLE_EQ(left.Increment(), 0.02);
  EXPECT_DOUBLE_EQ(bottom.Increment(), 0.1);
}

struct RecordingExportUi : kv::ChartExportUi {
  bool Ask(QWidget*, kv::ExportRequest&) override { ++asked; return false; }
  void ShowError(QWidget*, const QString&) override {}
  int asked = 0;
};

TEST_F(Window, DialogButtons) {
  std::vector<QDialog*> modal;
  int previews = 0;
  w->ExecModal = [&](QDialog& d) { modal.push_back(&d); return 0; };
  w->PrintPreview = [&](kv::Chart& c, QWidget* owner) { if (&c == w->Chart1 && owner == w) ++previews; };
  RecordingExportUi ui;
  w->ExportUi = &ui;
  w->SpeedButton3->click();
  w->PrintSBtn->click();
  w->ImportSBtn->click();
  w->GrhTitlSBtn->click();   // titles and line styles need something shown:
  w->SpeedButton1->click();  // nothing happens without it
  EXPECT_EQ(modal, std::vector<QDialog*>{FormTool});
  EXPECT_EQ(previews, 1);
  EXPECT_EQ(ui.asked, 1);

  for (bool on : {true, false}) {
    w->GridSBtn->click();
    EXPECT_EQ(w->Chart1->LeftAxis().GridVisible(), on);
    EXPECT_EQ(w->Chart1->BottomAxis().GridVisible(), on);
  }
}

// At the design width the label after the screen length is read whole (on
// two lines); a wider window has it on one line at its place.
TEST_F(Window, TheScreenLengthLabelIsWholeAtTheDesignWidth) {
  for (int width : {636, 900}) {
    w->resize(width, 510);
    QApplication::processEvents();
    const QLabel* l = w->Label1;
    const QRect text = l->fontMetrics().boundingRect(l->contentsRect(), Qt::TextWordWrap, l->text());
    EXPECT_LE(text.width(), l->contentsRect().width()) << width;
    EXPECT_LE(text.height(), l->contentsRect().height()) << width;
    EXPECT_LT(l->geometry().right(), w->Panel1->width()) << width;
    EXPECT_LT(l->geometry().bottom(), w->Panel1->height()) << width;
    EXPECT_GT(l->x(), w->SpinEdit1->geometry().right()) << width;
  }
  EXPECT_EQ(w->Label1->y(), 9);
}

// The title the window system shows: Qt's platform windows append the
// application's display name whenever one was set (a set one does not follow
// the application name), and fall back to the application name for none.
QString PlatformTitle(QWidget* window) {
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name + QStringLiteral(" probe"));
  const bool displayNameSet = QGuiApplication::applicationDisplayName() != QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name);
  QString title = window->windowHandle() ? window->windowHandle()->title() : QString();
  const QString display = QGuiApplication::applicationDisplayName();
  if (displayNameSet && !title.endsWith(display))
    title += (title.isEmpty() ? QString() : QStringLiteral(" \u2014 ")) + display;
  else if (title.isEmpty())
    title = name;
  return title;
}

TEST_F(Window, EveryWindowIsTitledExactlyByItsCaption) {
  vistrel::SetApplicationName();
  const std::pair<QWidget*, QString> windows[] = {{w, QStringLiteral("Сводный график")},
                                                  {Form1, QStringLiteral("Комментарий к осциллограмме")},
                                                  {FormAxis, QStringLiteral("Добавить/Удалить явления")},
                                                  {FormTool, QStringLiteral("Опции")},
                                                  {TrasWin, QStringLiteral("Трассировка")}};
  for (const auto& [window, caption] : windows) {
    window->show();
    EXPECT_EQ(PlatformTitle(window).toStdString(), caption.toStdString());
    window->hide();
  }
}

TEST(VistrelStart, SeparatorsComeFromTheSystemLocale) {
  kv::SetSystemSeparators("#", "#");
  vistrel::SetSeparatorsFromLocale();
  EXPECT_EQ(kv::SystemDecimalSeparator(), QLocale::system().decimalPoint().toStdString());
  EXPECT_EQ(kv::SystemGroupSeparator(), QLocale::system().groupSeparator().toStdString());
}

}  // namespace
