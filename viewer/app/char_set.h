#pragma once
// The character table "Смена шрифта", opened from the titles dialog: it
// chooses the font of the field of the titles dialog entered last and, for
// the two combo fields, inserts any character of code page 1251 into the
// text. It writes into the titles dialog on "Принять", never into the chart.
#include <QDialog>
#include <QString>
#include <cstdint>

#include "viewer/app/font_choice.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TFormTitle;

class TFormChar : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kColumns = 20, kRows = 13;

  explicit TFormChar(TFormTitle& owner);

  // The character of a code 1..255 of code page 1251; an empty string for
  // any other code.
  static QString CharOfCode(int code);

  // Controls, named as in the form.
  QTableWidget* StringGrid1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* EditText = nullptr;
  QPushButton* InsSymbol = nullptr;
  QPushButton* ChangeFont = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;
  // What the font dialog holds: the field's font until another is chosen.
  vistrel::TextFont FontDialog1;

  // Caret in EditText when it was last left; 0 at creation.
  std::int32_t FSavedSelStart = 0;

  // Handlers.
  void InsSymbolClick();
  void EditTextExit();
  void ChangeFontClick();
  void BtnOKClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildControls();
  void FormCreate();
  // EditText shows the text large, in the chosen face.
  void SetEditFont(const vistrel::TextFont& f);

  TFormTitle& title_;
};
