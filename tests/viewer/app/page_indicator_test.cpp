// The page indicator keeps one width from the start, so the toolbar never
// jumps, and always shows its page numbers whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QToolButton>
#include <cmath>
#include <vector>

#include "viewer/app/graph_mode.h"
#include "viewer/app/vistrel_start.h"

namespace {
int argc_ = 1;
char arg0_[] = "page_indicator_test";
char* argv_[] = {arg0_, nullptr};
}  // namespace

TEST(PageIndicator, OneWidthFromTheStartAndEveryTextWhole) {
  if (!qApp) new QApplication(argc_, argv_);
  vistrel::CreateForms();
  TFormGraph* w = FormGraph;
  w->resize(900, 600);
  w->show();
  QApplication::processEvents();

  const std::vector<QWidget*> row = {w->StaticText1, w->ButtonNext, w->BLastPage, w->SpinEdit1, w->Label1};
  auto geometry = [&] {
    std::vector<QRect> g;
    for (QWidget* c : row) g.push_back(c->geometry());
    return g;
  };
  auto whole = [&] {
    const QLabel* l = w->StaticText1;
    return QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->contentsRect().width();
  };
  const std::vector<QRect> start = geometry();
  EXPECT_EQ(w->StaticText1->text(), "00/00");
  EXPECT_TRUE(whole());
  EXPECT_EQ(start[0].left(), 362);
  EXPECT_GE(start[0].width(), 35);
  EXPECT_LE(start[0].right(), start[1].left()) << "nothing overlaps the indicator";

  // A whole model run: 65,535 points every 0.02 s; 51 points a second.
  kv::LineSeries* s = w->Series[0];
  for (int i = 0; i < 65535; ++i) s->AddPoint(i * 0.02, std::sin(i * 0.01));
  s->SetActive(true);
  kv::GraphState& g = w->Graph;
  g.TypeGroupCount = 1;
  g.TypeGroups[0].Slots = {0};
  g.FSlotOfRow[g.FShownRows++] = 0;
  w->PageSBtn->setEnabled(true);

  const int pixelSize = w->StaticText1->font().pixelSize();
  struct Step {
    int ms;
    bool last;
    const char* text;
    bool smaller;  // than the usual font
  };
  for (const Step& step : {Step{1000, false, "1/1285", false}, Step{1000, true, "1285/1285", false},
                           Step{0, true, "65535/65535", true}, Step{0, false, "1/65535", false}}) {
    w->SpinEdit1->setValue(step.ms);
    w->PageSBtn->click();
    if (step.last) w->BLastPage->click();
    QApplication::processEvents();
    EXPECT_EQ(w->StaticText1->text(), step.text);
    EXPECT_TRUE(whole()) << step.text;
    EXPECT_EQ(geometry(), start) << step.text;
    EXPECT_EQ(w->StaticText1->font().pixelSize() < pixelSize, step.smaller) << step.text;
  }
  w->FullSBtn->click();
  EXPECT_EQ(w->StaticText1->text(), "1/1");
  EXPECT_EQ(w->StaticText1->font().pixelSize(), pixelSize);
  EXPECT_EQ(geometry(), start);
  vistrel::DestroyForms();
}
