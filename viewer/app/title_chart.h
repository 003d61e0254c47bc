#pragma once
// The titles dialog "Заголовки к графику": chart title and foot (lines,
// alignment, font), the caption of every type group's axis with the
// captions' font and place, and the designation of every shown phenomenon
// with a font of its own. Every change stays in the dialog until "Принять".
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "viewer/app/font_choice.h"
#include "viewer/core/graph_state.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TCmbBox;
class TFormGraph;

class TFormTitle : public QDialog {
  Q_OBJECT
 public:
  // Reads the chart window's chart, records and designation labels.
  explicit TFormTitle(TFormGraph& owner);
  ~TFormTitle() override;

  // Controls, named as in the form.
  QGroupBox* GroupBox1 = nullptr;
  TCmbBox* Factors = nullptr;
  QGroupBox* RadioGroup2 = nullptr;  // "Подписи к осям"
  TCmbBox* LeftAxis = nullptr;
  QLabel* StaticText1 = nullptr;
  QPlainTextEdit* Title = nullptr;
  QGroupBox* RadioGroup1 = nullptr;  // title alignment
  QLabel* StaticText2 = nullptr;
  QPlainTextEdit* Foot = nullptr;
  QGroupBox* RadioGroup3 = nullptr;  // foot alignment
  QPushButton* Button1 = nullptr;    // "Шрифт..."
  QPushButton* BitBtn1 = nullptr;    // "Очистить все"
  QPushButton* OKBtn = nullptr;
  QPushButton* CanselBtn = nullptr;

  // Field entered last, the one the character table works on.
  enum : std::uint8_t { kFieldCaptions = 0, kFieldTitle = 1, kFieldFoot = 2, kFieldFactors = 3 };
  std::uint8_t FActiveField = kFieldCaptions;
  std::int32_t FAxisIndex = -1;    // item of LeftAxis being edited; -1 = none
  std::int32_t FFactorIndex = -1;  // item of Factors being edited; -1 = none
  // Working fonts: font k belongs to designation k.
  std::array<vistrel::TextFont, kv::kSlotCount> FFactorFonts{};

  // Item chosen in a radio group; -1 = none.
  static int ItemIndex(const QGroupBox* radioGroup);
  static void SetItemIndex(QGroupBox* radioGroup, int item);
  // A memo's lines; a last empty line does not count, so an empty memo has none.
  static QStringList Lines(const QPlainTextEdit& memo);

  // Chart slot of each designation (the active series in slot order).
  const std::vector<int>& FactorSlots() const { return factorSlots_; }

  // How the character table runs and how it chooses fonts; tests answer both.
  std::function<int(QDialog&)> ExecModal;
  vistrel::FontColorChooser* FontChooser = nullptr;

  // Handlers.
  void OKBtnClick();
  void BitBtn1Click();
  void Button1Click();
  void LeftAxisEnter();
  void TitleEnter();
  void FootEnter();
  void FactorsEnter();
  void LeftAxisChange();
  void FactorsChange();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void FormCreate();
  void BuildControls();
  // Algorithm of both change handlers: the chosen item follows the text.
  void EditItemInPlace(TCmbBox& combo, std::int32_t& index, std::uint8_t field);

  TFormGraph& graph_;
  std::vector<int> factorSlots_;
  bool rewriting_ = false;  // an item is being rewritten from its own text
};

// The titles dialog while it is shown.
extern TFormTitle* FormTitle;
