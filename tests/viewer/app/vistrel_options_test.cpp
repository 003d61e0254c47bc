// The options dialog "Опции": defaults, effects at once, buttons that only
// close it, and states kept from one showing to the next.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>

#include "viewer/app/graph_mode.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/vistrel_start.h"
#include "forms_fixture.h"

namespace {

class Options : public vistrel_test::FormsTest {
 protected:
  // Shows the dialog through the toolbar; `act` runs while it is "open",
  // then the given button closes it.
  template <class F>
  int ShowOptions(F act, QPushButton* TFormTool::*button) {
    int result = -1;
    w->ExecModal = [&](QDialog& d) {
      EXPECT_EQ(&d, FormTool);
      act();
      (FormTool->*button)->click();
      result = d.result();
      return result;
    };
    w->SpeedButton3->click();
    return result;
  }
};

TEST_F(Options, ControlsAndDefaultsAgreeWithTheChart) {
  TFormTool& t = *FormTool;
  EXPECT_EQ(t.windowTitle(), QStringLiteral("Опции"));
  // Designed places; a caption wider than its box in this font widens it
  // (and the dialog) until it is read whole.
  EXPECT_EQ(t.height(), 215);
  EXPECT_GE(t.width(), 214);
  const int box = t.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, t.MarksCheck) +
                  t.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, t.MarksCheck);
  const struct { QCheckBox* c; int top, width; } checks[] = {{t.MarksCheck, 8, 201}, {t.TimeAxisCheck, 88, 177},
      {t.PosAxisCheck, 112, 113}, {t.FrameOn, 136, 169}, {t.ClipPoint, 160, 89}};
  for (const auto& [c, top, width] : checks) {
    EXPECT_EQ(c->pos(), QPoint(8, top)) << c->text().toStdString();
    EXPECT_GE(c->width(), width);
    EXPECT_LE(box + c->fontMetrics().horizontalAdvance(c->text()), c->width()) << c->text().toStdString();
    EXPECT_LE(c->geometry().right(), t.width() - 1);
  }
  EXPECT_EQ(t.MarksCheck->text(), QStringLiteral("Показывать маркеры к явлениям"));
  EXPECT_EQ(t.TypeMarks->title(), QStringLiteral("Маркер"));
  const auto radios = t.TypeMarks->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 2);
  EXPECT_EQ(radios[0]->text(), QStringLiteral("фигура"));
  EXPECT_EQ(radios[1]->text(), QStringLiteral("цифра"));
  EXPECT_EQ(t.TimeAxisCheck->text(), QStringLiteral("Ось времени от '0' ординаты"));
  EXPECT_EQ(t.PosAxisCheck->text(), QStringLiteral("Положение осей"));
  EXPECT_EQ(t.FrameOn->text(), QStringLiteral("Рамка вокруг графика"));
  EXPECT_EQ(t.ClipPoint->text(), QStringLiteral("Режим Clip"));
  EXPECT_EQ(t.Button1->text(), QStringLiteral("Применить"));
  EXPECT_EQ(t.Button2->text(), QStringLiteral("Отмена"));

  EXPECT_TRUE(t.MarksCheck->isChecked());
  EXPECT_EQ(t.TypeMarks->ItemIndex(), 0);
  EXPECT_FALSE(t.TimeAxisCheck->isChecked());
  EXPECT_TRUE(t.PosAxisCheck->isChecked());
  EXPECT_FALSE(t.FrameOn->isChecked());
  EXPECT_FALSE(t.ClipPoint->isChecked());
  const kv::Chart& c = *w->Chart1;
  EXPECT_EQ(c.LeftAxis().PositionPercent(), -1);
  EXPECT_EQ(c.BottomAxis().PositionPercent(), -2);
  EXPECT_FALSE(c.BackWallPenVisible());
  EXPECT_FALSE(c.ClipPoints());
}

TEST_F(Options, ChecksActAtOnceAndNeitherButtonUndoes) {
  kv::Chart& c = *w->Chart1;
  // Ticked while open: the chart changes before the dialog closes.
  ShowOptions(
      [&] {
        FormTool->FrameOn->click();
        EXPECT_TRUE(c.BackWallPenVisible());
        FormTool->ClipPoint->click();
        EXPECT_TRUE(c.ClipPoints());
        FormTool->PosAxisCheck->click();
        EXPECT_EQ(c.LeftAxis().PositionPercent(), 0);
        EXPECT_EQ(c.BottomAxis().PositionPercent(), 0);
        FormTool->TypeMarks->SetItemIndex(1);
        FormTool->MarksCheck->click();
      },
      &TFormTool::Button2);  // "Отмена"
  EXPECT_TRUE(c.BackWallPenVisible());
  EXPECT_TRUE(c.ClipPoints());
  EXPECT_EQ(c.LeftAxis().PositionPercent(), 0);

  // The next showing finds every control as it was left.
  ShowOptions(
      [&] {
        EXPECT_TRUE(FormTool->FrameOn->isChecked());
        EXPECT_TRUE(FormTool->ClipPoint->isChecked());
        EXPECT_FALSE(FormTool->PosAxisCheck->isChecked());
        EXPECT_FALSE(FormTool->MarksCheck->isChecked());
        EXPECT_EQ(FormTool->TypeMarks->ItemIndex(), 1);
        FormTool->PosAxisCheck->click();
        FormTool->FrameOn->click();
      },
      &TFormTool::Button1);  // "Применить"
  EXPECT_FALSE(c.BackWallPenVisible());
  EXPECT_EQ(c.LeftAxis().PositionPercent(), -1);
  EXPECT_EQ(c.BottomAxis().PositionPercent(), -2);
}

TEST_F(Options, ATimeAxisOnTheZeroLineStaysWhenTheAxesMove) {
  kv::Chart& c = *w->Chart1;
  FormTool->TimeAxisCheck->click();  // the repaint lifts it onto the zero line
  const double onZero = c.BottomAxis().PositionPercent();
  EXPECT_GT(onZero, 0);
  FormTool->PosAxisCheck->click();  // unticked: only the left axis moves
  EXPECT_EQ(c.BottomAxis().PositionPercent(), onZero);
  EXPECT_EQ(c.LeftAxis().PositionPercent(), 0);
  // Unticking the time axis puts it on the plot edge (axes not set off) ...
  FormTool->TimeAxisCheck->click();
  EXPECT_EQ(c.BottomAxis().PositionPercent(), 0);
  // ... or 2 % below it.
  FormTool->PosAxisCheck->click();
  FormTool->TimeAxisCheck->click();
  EXPECT_GT(c.BottomAxis().PositionPercent(), 0);
  FormTool->TimeAxisCheck->click();
  EXPECT_EQ(c.BottomAxis().PositionPercent(), -2);
}

}  // namespace
