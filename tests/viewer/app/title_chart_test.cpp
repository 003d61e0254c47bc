// The titles dialog, its character table and the caret-keeping combo box.
// With VISTREL_SHOT_DIR=<dir> the dialogs and the dressed chart are also
// saved there as PNG pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <optional>

#include "viewer/app/char_set.h"
#include "viewer/app/cmb_box.h"
#include "viewer/app/font_choice.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/title_chart.h"
#include "viewer/app/vistrel_start.h"
#include "forms_fixture.h"

namespace {

using vistrel::TextFont;

// Answers the font dialog: the font given, or a cancel when there is none.
struct FakeChooser : vistrel::FontColorChooser {
  std::optional<TextFont> answer;
  std::optional<TextFont> offered;
  bool Choose(QWidget*, TextFont& font) override {
    offered = font;
    if (!answer) return false;
    font = *answer;
    return true;
  }
};

TextFont Font(const char* face, int pixels, QColor color, bool bold = false) {
  QFont f(QString::fromLatin1(face));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return {f, color};
}

// Pixels of `img` within `rows` close to `c` (text edges are blended).
int CountNear(const QImage& img, const QColor& c, int fromY, int toY) {
  int n = 0;
  for (int y = std::max(0, fromY); y < std::min(img.height(), toY); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor p = img.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) + std::abs(p.blue() - c.blue()) < 30) ++n;
    }
  return n;
}

void SaveShot(const QImage& img, const char* name) {
  const QByteArray dir = qgetenv("VISTREL_SHOT_DIR");
  if (!dir.isEmpty()) img.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

// Types `text` into `w` key by key (any script).
void Type(QWidget* w, const QString& text) {
  for (QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &press);
  }
}

// The chart window is left hidden until a test shows it.
class Titles : public vistrel_test::FormsTest {
 protected:
  void SetUp() override {
    MakeForms();
    w->FontChooser = &chooser;
    w->ExecModal = [this](QDialog& d) {
      ++opened;
      if (auto* t = dynamic_cast<TFormTitle*>(&d)) {
        EXPECT_EQ(FormTitle, t);
        if (onTitle) onTitle(*t);
        return d.result();
      }
      if (auto* c = dynamic_cast<TFormChar*>(&d)) {
        if (onChar) onChar(*c);
        return d.result();
      }
      return 0;
    };
  }

  // Phenomena in slots 0 and 2 (groups "U,кВ" and "I,кА") and 5 (group 0).
  void ShowThree() {
    kv::GraphState& g = w->Graph;
    auto show = [&](int slot, const char* title, int group) {
      kv::LineSeries* s = w->Series[slot];
      for (int i = 0; i < 50; ++i) s->AddPoint(i * 0.02, 0.5);
      s->SetTitle(QString::fromUtf8(title));
      s->SetActive(true);
      g.TypeGroups[group].Slots.push_back(static_cast<std::uint8_t>(slot));
      g.FSlotOfRow[g.FShownRows++] = static_cast<std::uint8_t>(slot);
    };
    g.TypeGroupCount = 2;
    g.TypeGroups[0].Caption = "U,кВ";
    g.TypeGroups[1].Caption = "I,кА";
    show(0, "Ua", 0);
    show(2, "Ib", 1);
    show(5, "Uc", 0);
  }

  QStringList Items(const QComboBox& c) const {
    QStringList r;
    for (int i = 0; i < c.count(); ++i) r << c.itemText(i);
    return r;
  }
  // Runs the titles button with `script` answering the dialog.
  void Open(std::function<void(TFormTitle&)> script) {
    onTitle = std::move(script);
    w->GrhTitlSBtn->click();
    EXPECT_EQ(FormTitle, nullptr);  // freed after its modal run
  }
  // The titles dialog's "Шрифт..." with `script` answering the table.
  void CharTable(TFormTitle& t, std::function<void(TFormChar&)> script) {
    onChar = std::move(script);
    t.Button1->click();
  }

  FakeChooser chooser;
  int opened = 0;
  std::function<void(TFormTitle&)> onTitle;
  std::function<void(TFormChar&)> onChar;
};

TEST_F(Titles, ButtonDoesNothingWithoutATypeGroup) {
  w->GrhTitlSBtn->click();
  EXPECT_EQ(opened, 0);
}

TEST_F(Titles, OpeningShowsTheChartAsItIs) {
  ShowThree();
  kv::Chart& c = *w->Chart1;
  c.Title().SetText({"Опыт", "второй"});
  c.Title().SetAlignment(Qt::AlignLeft);
  c.Foot().SetText({"подпись"});
  c.Foot().SetAlignment(Qt::AlignRight);
  c.LeftAxis().SetTitleFont(Font("DejaVu Serif", 13, Qt::black).Font);
  c.LeftAxis().SetTitleColor(QColor(0, 0, 128));
  w->FCaptionsBelow = true;
  Open([&](TFormTitle& t) {
    EXPECT_EQ(t.windowTitle(), QStringLiteral("Заголовки к графику"));
    for (const char* name : {"GroupBox1", "Factors", "RadioGroup2", "LeftAxis", "StaticText1", "Title", "RadioGroup1",
                             "StaticText2", "Foot", "RadioGroup3", "Button1", "BitBtn1", "OKBtn", "CanselBtn"})
      EXPECT_NE(t.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(Items(*t.LeftAxis), QStringList({"U,кВ", "I,кА"}));
    EXPECT_EQ(Items(*t.Factors), QStringList({"Ua", "Ib", "Uc"}));
    EXPECT_EQ(t.FactorSlots(), (std::vector<int>{0, 2, 5}));
    EXPECT_EQ(t.LeftAxis->currentIndex(), -1);
    EXPECT_EQ(t.Factors->currentIndex(), -1);
    EXPECT_EQ(t.Title->toPlainText(), QStringLiteral("Опыт\nвторой"));
    EXPECT_EQ(t.Foot->toPlainText(), QStringLiteral("подпись"));
    EXPECT_EQ(TFormTitle::ItemIndex(t.RadioGroup1), 0);  // "Влево"
    EXPECT_EQ(TFormTitle::ItemIndex(t.RadioGroup3), 1);  // "Вправо"
    EXPECT_EQ(TFormTitle::ItemIndex(t.RadioGroup2), 0);  // "расположить под осью"
    EXPECT_EQ(vistrel::WidgetFont(*t.LeftAxis), (TextFont{c.LeftAxis().TitleFont(), QColor(0, 0, 128)}));
    EXPECT_EQ(t.FActiveField, TFormTitle::kFieldCaptions);
    EXPECT_EQ(t.FAxisIndex, -1);
    EXPECT_EQ(t.FFactorIndex, -1);
    SaveShot(t.grab().toImage(), "titles-dialog.png");
    t.CanselBtn->click();
  });
  EXPECT_EQ(opened, 1);
}

TEST_F(Titles, EditedItemsLandOnTheirGroupsAndSlotsOnAccept) {
  ShowThree();
  kv::Chart& c = *w->Chart1;
  Open([&](TFormTitle& t) {
    // The second caption, typed into after its third letter.
    t.LeftAxis->setCurrentIndex(1);
    EXPECT_EQ(t.FAxisIndex, 1);
    t.LeftAxis->lineEdit()->setCursorPosition(3);
    QTest::keyClick(t.LeftAxis->lineEdit(), Qt::Key_X);
    EXPECT_EQ(t.LeftAxis->lineEdit()->cursorPosition(), 4);
    QTest::keyClick(t.LeftAxis->lineEdit(), Qt::Key_Y);
    EXPECT_EQ(t.LeftAxis->lineEdit()->cursorPosition(), 5);
    EXPECT_EQ(Items(*t.LeftAxis), QStringList({"U,кВ", "I,кxyА"}));
    EXPECT_EQ(t.LeftAxis->currentIndex(), 1);
    // The second designation (slot 2) rewritten whole.
    t.Factors->setCurrentIndex(1);
    t.Factors->lineEdit()->selectAll();
    Type(t.Factors->lineEdit(), QStringLiteral("Ток"));
    EXPECT_EQ(Items(*t.Factors), QStringList({"Ua", "Ток", "Uc"}));
    EXPECT_EQ(t.FActiveField, TFormTitle::kFieldFactors);

    t.Title->setPlainText("Заголовок\nстрока 2\n");
    TFormTitle::SetItemIndex(t.RadioGroup1, 1);
    t.Foot->setPlainText("Низ");
    TFormTitle::SetItemIndex(t.RadioGroup3, 0);
    TFormTitle::SetItemIndex(t.RadioGroup2, 0);
    // Nothing reaches the chart before "Принять".
    EXPECT_EQ(w->Graph.TypeGroups[1].Caption, "I,кА");
    EXPECT_EQ(w->Series[2]->Title(), QStringLiteral("Ib"));
    t.OKBtn->click();
  });
  EXPECT_EQ(w->Graph.TypeGroups[0].Caption, "U,кВ");
  EXPECT_EQ(w->Graph.TypeGroups[1].Caption, "I,кxyА");
  EXPECT_EQ(w->Series[0]->Title(), QStringLiteral("Ua"));
  EXPECT_EQ(w->Series[2]->Title(), QStringLiteral("Ток"));
  EXPECT_EQ(w->Series[5]->Title(), QStringLiteral("Uc"));
  EXPECT_EQ(w->FFactorLabels[2]->text(), QStringLiteral("Ток"));
  EXPECT_EQ(w->FFactorLabels[5]->text(), QStringLiteral("Uc"));
  EXPECT_TRUE(w->FCaptionsBelow);
  EXPECT_EQ(c.Title().Text(), QStringList({"Заголовок", "строка 2"}));  // the last empty line does not count
  EXPECT_EQ(c.Title().Alignment(), Qt::AlignRight);
  EXPECT_TRUE(c.Title().Visible());
  EXPECT_EQ(c.Foot().Text(), QStringList({"Низ"}));
  EXPECT_EQ(c.Foot().Alignment(), Qt::AlignLeft);
  EXPECT_TRUE(c.Foot().Visible());
}

TEST_F(Titles, ChoosingADesignationOfTheSameTextEditsThatOne) {
  ShowThree();
  w->Series[5]->SetTitle("Ib");  // the same phenomenon from a second file
  Open([&](TFormTitle& t) {
    t.Factors->setCurrentIndex(1);
    t.Factors->setCurrentIndex(2);
    EXPECT_EQ(t.FFactorIndex, 2);
    t.Factors->lineEdit()->end(false);
    QTest::keyClicks(t.Factors->lineEdit(), "2");
    t.OKBtn->click();
  });
  EXPECT_EQ(w->Series[2]->Title(), QStringLiteral("Ib"));
  EXPECT_EQ(w->Series[5]->Title(), QStringLiteral("Ib2"));
}

TEST_F(Titles, TextTypedBeforeAnyItemIsChosenIsNotKept) {
  ShowThree();
  Open([&](TFormTitle& t) {
    QTest::keyClicks(t.LeftAxis->lineEdit(), "abc");
    QTest::keyClicks(t.Factors->lineEdit(), "def");
    EXPECT_EQ(t.FAxisIndex, -1);
    EXPECT_EQ(t.FFactorIndex, -1);
    EXPECT_EQ(Items(*t.LeftAxis), QStringList({"U,кВ", "I,кА"}));
    t.OKBtn->click();
  });
  EXPECT_EQ(w->Graph.TypeGroups[0].Caption, "U,кВ");
  EXPECT_EQ(w->Series[0]->Title(), QStringLiteral("Ua"));
}

TEST_F(Titles, EmptyMemosHideTitleAndFootKeepingTheirLook) {
  ShowThree();
  kv::Chart& c = *w->Chart1;
  c.Title().SetText({"T"});
  c.Title().SetAlignment(Qt::AlignLeft);
  const QFont titleFont = Font("DejaVu Serif", 17, Qt::black).Font;
  c.Title().SetFont(titleFont);
  c.Foot().SetText({"F"});
  c.Foot().SetVisible(true);
  Open([&](TFormTitle& t) {
    TFormTitle::SetItemIndex(t.RadioGroup1, 2);
    t.BitBtn1->click();  // "Очистить все"
    EXPECT_TRUE(t.Title->toPlainText().isEmpty() && t.Foot->toPlainText().isEmpty());
    EXPECT_EQ(Items(*t.LeftAxis), QStringList({"U,кВ", "I,кА"}));
    t.OKBtn->click();
  });
  // The repaint's label hook shows the empty title again: the group captions
  // stand above the axes and need its room.
  EXPECT_EQ(c.Title().Visible(), !w->FCaptionsBelow);
  EXPECT_FALSE(c.Foot().Visible());
  EXPECT_TRUE(c.Title().Text().isEmpty());
  EXPECT_EQ(c.Title().Alignment(), Qt::AlignLeft);
  EXPECT_EQ(c.Title().Font(), titleFont);
  EXPECT_EQ(w->Graph.TypeGroups[1].Caption, "I,кА");
  EXPECT_EQ(w->Series[2]->Title(), QStringLiteral("Ib"));
}

TEST_F(Titles, CancelDropsEverythingAlsoTheCharacterTablesChanges) {
  ShowThree();
  kv::Chart& c = *w->Chart1;
  const QStringList title = c.Title().Text();
  const TextFont label2 = vistrel::WidgetFont(*w->FFactorLabels[2]);
  chooser.answer = Font("DejaVu Serif", 20, Qt::red);
  Open([&](TFormTitle& t) {
    t.Factors->setCurrentIndex(1);
    CharTable(t, [](TFormChar& ch) {
      ch.ChangeFont->click();
      ch.BtnOK->click();
    });
    EXPECT_EQ(t.FFactorFonts[1], *chooser.answer);
    t.Title->setPlainText("новый");
    t.LeftAxis->setCurrentIndex(0);
    QTest::keyClicks(t.LeftAxis->lineEdit(), "z");
    t.CanselBtn->click();
  });
  EXPECT_EQ(c.Title().Text(), title);
  EXPECT_EQ(w->Graph.TypeGroups[0].Caption, "U,кВ");
  EXPECT_EQ(vistrel::WidgetFont(*w->FFactorLabels[2]), label2);
  EXPECT_EQ(c.LeftAxis().TitleColor(), QColor(Qt::black));
}

TEST_F(Titles, DesignationFontsGoToTheirSlotsAndTheCaptionSizeGovernsAll) {
  ShowThree();
  // The designation of slot 2 gets a red serif; the captions a 15-pixel blue.
  const TextFont designation = Font("DejaVu Serif", 20, Qt::red, true);
  const TextFont captions = Font("DejaVu Sans Mono", 15, Qt::blue);
  Open([&](TFormTitle& t) {
    t.Factors->setCurrentIndex(1);
    t.FactorsEnter();
    chooser.answer = designation;
    CharTable(t, [](TFormChar& ch) {
      ch.ChangeFont->click();
      ch.BtnOK->click();
    });
    t.LeftAxisEnter();
    chooser.answer = captions;
    CharTable(t, [](TFormChar& ch) {
      ch.ChangeFont->click();
      ch.BtnOK->click();
    });
    t.OKBtn->click();
  });
  kv::Chart& c = *w->Chart1;
  EXPECT_EQ(c.LeftAxis().TitleFont(), captions.Font);
  EXPECT_EQ(c.LeftAxis().TitleColor(), QColor(Qt::blue));
  EXPECT_EQ(vistrel::FontHeight(c.Legend().Font()), 15);
  const TextFont slot2 = vistrel::WidgetFont(*w->FFactorLabels[2]);
  EXPECT_EQ(slot2.Font.family(), designation.Font.family());
  EXPECT_TRUE(slot2.Font.bold());
  EXPECT_EQ(slot2.Color, QColor(Qt::red));
  for (int slot = 0; slot < kv::kSlotCount; ++slot)
    EXPECT_EQ(vistrel::FontHeight(w->FFactorLabels[slot]->font()), 15) << slot;
  EXPECT_NE(vistrel::WidgetFont(*w->FFactorLabels[0]).Color, QColor(Qt::red));
}

TEST_F(Titles, FontChosenWithNoDesignationGoesToEveryDesignation) {
  ShowThree();
  const TextFont f = Font("DejaVu Serif", 11, QColor(0, 128, 0));
  chooser.answer = f;
  Open([&](TFormTitle& t) {
    t.FactorsEnter();
    CharTable(t, [](TFormChar& ch) {
      EXPECT_FALSE(ch.EditText->isHidden());
      EXPECT_TRUE(ch.EditText->text().isEmpty());
      ch.ChangeFont->click();
      ch.BtnOK->click();
    });
    t.OKBtn->click();
  });
  for (int slot : {0, 2, 5}) EXPECT_EQ(vistrel::WidgetFont(*w->FFactorLabels[slot]).Color, QColor(0, 128, 0)) << slot;
}

TEST_F(Titles, TitleFootCaptionsAndDesignationsAreDrawnInTheirFontColours) {
  ShowThree();
  const QColor brown(150, 75, 0), teal(0, 110, 110), maroon(120, 0, 60), orange(200, 100, 0);
  // The character table's font button on the field entered last.
  auto chooseFont = [&](TFormTitle& t, const TextFont& f) {
    chooser.answer = f;
    CharTable(t, [](TFormChar& ch) {
      ch.ChangeFont->click();
      ch.BtnOK->click();
    });
  };
  Open([&](TFormTitle& t) {
    t.Title->setPlainText("ЗАГОЛОВОК");
    t.Foot->setPlainText("ПОДПИСЬ");
    t.TitleEnter();
    chooseFont(t, Font("DejaVu Sans", 24, brown, true));
    t.FootEnter();
    chooseFont(t, Font("DejaVu Sans", 24, teal, true));
    t.LeftAxisEnter();
    chooseFont(t, Font("DejaVu Sans", 16, maroon, true));
    t.Factors->setCurrentIndex(1);  // slot 2
    t.FactorsEnter();
    chooseFont(t, Font("DejaVu Sans", 20, orange, true));
    t.OKBtn->click();
  });
  kv::Chart& c = *w->Chart1;
  EXPECT_EQ(c.Title().Color(), brown);
  EXPECT_EQ(c.Foot().Color(), teal);
  EXPECT_EQ(c.LeftAxis().TitleColor(), maroon);
  // The picture on the screen, with the plot rectangle it was drawn with.
  w->show();
  QApplication::processEvents();
  const QImage img = c.Image();
  const QRect plot = c.PlotRect();
  SaveShot(img, "titled-chart.png");
  // Title and group captions above the plot; foot and legend below it.
  for (const QColor& above : {brown, maroon}) {
    EXPECT_GT(CountNear(img, above, 0, plot.top()), 20) << above.name().toStdString();
    EXPECT_EQ(CountNear(img, above, plot.top(), img.height()), 0) << above.name().toStdString();
  }
  for (const QColor& below : {teal, orange}) {
    EXPECT_GT(CountNear(img, below, plot.bottom(), img.height()), 20) << below.name().toStdString();
    EXPECT_EQ(CountNear(img, below, 0, plot.bottom()), 0) << below.name().toStdString();
  }
}

// ---- character table

TEST(CharOfCode, CodePage1251RowByRow) {
  EXPECT_EQ(TFormChar::CharOfCode(0x41), QStringLiteral("A"));
  EXPECT_EQ(TFormChar::CharOfCode(0xC0), QStringLiteral("А"));
  EXPECT_EQ(TFormChar::CharOfCode(0xA8), QStringLiteral("Ё"));
  EXPECT_EQ(TFormChar::CharOfCode(0xB9), QStringLiteral("№"));
  EXPECT_EQ(TFormChar::CharOfCode(255), QStringLiteral("я"));
  EXPECT_EQ(TFormChar::CharOfCode(0x98).size(), 1);
  EXPECT_TRUE(TFormChar::CharOfCode(0).isEmpty());
  EXPECT_TRUE(TFormChar::CharOfCode(256).isEmpty());
}

TEST_F(Titles, CharacterTableHoldsCodes1To255AndItsLastCellsInsertNothing) {
  ShowThree();
  Open([&](TFormTitle& t) {
    t.LeftAxis->setCurrentIndex(0);  // "U,кВ"
    t.LeftAxisEnter();
    CharTable(t, [](TFormChar& ch) {
      EXPECT_EQ(ch.windowTitle(), QStringLiteral("Смена шрифта"));
      QTableWidget& g = *ch.StringGrid1;
      ASSERT_EQ(g.columnCount(), 20);
      ASSERT_EQ(g.rowCount(), 13);
      EXPECT_EQ(g.columnWidth(0), 30);
      EXPECT_EQ(g.rowHeight(0), 20);
      EXPECT_EQ(g.item(0, 0)->text(), TFormChar::CharOfCode(1));
      EXPECT_EQ(g.item(3, 4)->text(), QStringLiteral("A"));  // code 65
      EXPECT_EQ(g.item(12, 14)->text(), QStringLiteral("я"));
      for (int col = 15; col < 20; ++col) EXPECT_EQ(g.item(12, col), nullptr) << col;
      EXPECT_EQ(ch.EditText->text(), QStringLiteral("U,кВ"));
      ASSERT_TRUE(ch.InsSymbol->isEnabled());
      SaveShot(ch.grab().toImage(), "character-table.png");

      // Before the edit was ever left, an insertion goes to position 0;
      // repeated insertions follow one another.
      g.setCurrentCell(12, 14);
      ch.InsSymbol->click();
      g.setCurrentCell(9, 12);  // code 193 'Б'
      ch.InsSymbol->click();
      EXPECT_EQ(ch.EditText->text(), QStringLiteral("яБU,кВ"));
      for (int col = 15; col < 20; ++col) {
        g.setCurrentCell(12, col);
        ch.InsSymbol->click();
      }
      EXPECT_EQ(ch.EditText->text(), QStringLiteral("яБU,кВ"));
      ch.BtnOK->click();
    });
    EXPECT_EQ(t.LeftAxis->itemText(0), QStringLiteral("яБU,кВ"));
    t.OKBtn->click();
  });
  EXPECT_EQ(w->Graph.TypeGroups[0].Caption, "яБU,кВ");
}

TEST_F(Titles, InsertButtonStaysOffForAFieldThatWasEmpty) {
  ShowThree();
  Open([&](TFormTitle& t) {
    t.FactorsEnter();  // no designation chosen: empty text
    CharTable(t, [](TFormChar& ch) {
      EXPECT_FALSE(ch.InsSymbol->isEnabled());
      QTest::keyClicks(ch.EditText, "abc");
      EXPECT_FALSE(ch.InsSymbol->isEnabled());
      ch.BtnCancel->click();
    });
    t.CanselBtn->click();
  });
}

// ---- caret kept across focus changes

TEST(CmbBox, RemembersTheCaretWhenItLosesTheFocus) {
  vistrel_test::EnsureApplication();
  TCmbBox box;
  EXPECT_EQ(box.FSavedSelStart, 0);
  box.addItem("abcdef");
  box.setCurrentIndex(0);
  box.lineEdit()->setCursorPosition(4);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(&box, &out);
  EXPECT_EQ(box.FSavedSelStart, 4);
  box.lineEdit()->setSelection(2, 3);  // 2..5, caret at 5
  QApplication::sendEvent(&box, &out);
  EXPECT_EQ(box.FSavedSelStart, 2);  // start of the selection
}

TEST_F(Titles, CaretIsKeptAcrossRealFocusChanges) {
  ShowThree();
  Open([&](TFormTitle& t) {
    t.show();
    QApplication::setActiveWindow(&t);
    ASSERT_EQ(QApplication::activeWindow(), &t);
    t.LeftAxis->setCurrentIndex(1);
    t.LeftAxis->setFocus();
    t.LeftAxis->lineEdit()->setCursorPosition(2);
    t.Title->setFocus();
    EXPECT_EQ(t.FActiveField, TFormTitle::kFieldTitle);
    EXPECT_EQ(t.LeftAxis->FSavedSelStart, 2);
    t.Factors->setFocus();
    EXPECT_EQ(t.FActiveField, TFormTitle::kFieldFactors);
    t.LeftAxis->setFocus();
    EXPECT_EQ(t.FActiveField, TFormTitle::kFieldCaptions);

    // The character table's text line keeps its caret the same way.
    CharTable(t, [](TFormChar& ch) {
      ch.show();
      QApplication::setActiveWindow(&ch);
      ASSERT_EQ(QApplication::activeWindow(), &ch);
      ch.EditText->setFocus();
      ch.EditText->setCursorPosition(1);
      ch.StringGrid1->setFocus();
      EXPECT_EQ(ch.FSavedSelStart, 1);
      ch.StringGrid1->setCurrentCell(3, 4);   // code 65 'A'
      ch.InsSymbol->click();
      EXPECT_EQ(ch.EditText->text(), QStringLiteral("IA,кА"));
      ch.BtnCancel->click();
    });
    t.CanselBtn->click();
  });
}

}  // namespace
