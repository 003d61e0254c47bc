#include "viewer/app/char_set.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <string>

#include "common/codepage.h"
#include "viewer/app/cmb_box.h"
#include "viewer/app/title_chart.h"

namespace {

constexpr int kCellWidth = 30, kCellHeight = 20;
constexpr int kEditPixels = 24;  // 18 points: the text shows large in the chosen face

// Codes 1..255 of code page 1251 as one character each.
const std::array<QString, 256>& CodeTable() {
  static const std::array<QString, 256> table = [] {
    std::string bytes;
    for (int c = 1; c <= 255; ++c) bytes.push_back(static_cast<char>(c));
    const QString text = QString::fromStdString(kv::Cp1251ToUtf8(bytes));
    std::array<QString, 256> t;
    for (int c = 1; c <= 255 && c <= text.size(); ++c) t[static_cast<std::size_t>(c)] = text.at(c - 1);
    // The one code the code page leaves undefined keeps its own value, as
    // the system's conversion gives it.
    if (t[0x98] == QLatin1String("?")) t[0x98] = QChar(0x98);
    return t;
  }();
  return table;
}

}  // namespace

QString TFormChar::CharOfCode(int code) {
  if (code < 1 || code > 255) return {};
  return CodeTable()[static_cast<std::size_t>(code)];
}

TFormChar::TFormChar(TFormTitle& owner) : QDialog(&owner), title_(owner) {
  setObjectName(QStringLiteral("FormChar"));
  setWindowTitle(QStringLiteral("Смена шрифта"));
  setFont(vistrel::FormFont(11));
  BuildControls();
  FormCreate();

  EditText->installEventFilter(this);
  connect(InsSymbol, &QPushButton::clicked, this, [this] { InsSymbolClick(); });
  connect(ChangeFont, &QPushButton::clicked, this, [this] { ChangeFontClick(); });
  connect(BtnOK, &QPushButton::clicked, this, [this] {
    BtnOKClick();
    accept();
  });
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  BtnOK->setFocus();
}

void TFormChar::BuildControls() {
  StringGrid1 = new QTableWidget(kRows, kColumns, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->horizontalHeader()->hide();
  StringGrid1->verticalHeader()->hide();
  StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
  StringGrid1->verticalHeader()->setMinimumSectionSize(1);
  StringGrid1->horizontalHeader()->setDefaultSectionSize(kCellWidth);
  StringGrid1->verticalHeader()->setDefaultSectionSize(kCellHeight);
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The whole table in view: 20 x 13 cells and the frame.
  const int frame = 2 * StringGrid1->frameWidth();
  StringGrid1->setGeometry(8, 8, kColumns * kCellWidth + frame + 1, kRows * kCellHeight + frame + 1);
  vistrel::SetWidgetFont(*StringGrid1, {vistrel::FormFont(11), Qt::black});

  const int below = StringGrid1->geometry().bottom() + 8;
  Label2 = new QLabel(QStringLiteral("Текст"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(8, below, 100, 16);
  EditText = new QLineEdit(this);
  EditText->setObjectName(QStringLiteral("EditText"));
  EditText->setGeometry(8, below + 18, 257, 37);
  EditText->setFont(vistrel::FormFont(kEditPixels));

  auto button = [this](QPushButton*& b, const char* name, const QString& caption, const QRect& r) {
    b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    b->setAutoDefault(false);
  };
  const int right = StringGrid1->geometry().right();
  button(InsSymbol, "InsSymbol", QStringLiteral("Вставить символ"), QRect(275, below + 22, 130, 28));
  button(ChangeFont, "ChangeFont", QStringLiteral("Шрифт"), QRect(413, below + 22, 80, 28));
  button(BtnOK, "BtnOK", QStringLiteral("Принять"), QRect(right - 196, below + 66, 96, 28));
  button(BtnCancel, "BtnCancel", QStringLiteral("Отмена"), QRect(right - 96, below + 66, 96, 28));
  setFixedSize(right + 9, below + 102);
}

void TFormChar::FormCreate() {
  for (int c = 1; c <= 255; ++c) {
    auto* item = new QTableWidgetItem(CharOfCode(c));
    item->setTextAlignment(Qt::AlignCenter);
    StringGrid1->setItem((c - 1) / kColumns, (c - 1) % kColumns, item);
  }
  StringGrid1->setCurrentCell(0, 0);

  vistrel::TextFont table = vistrel::WidgetFont(*StringGrid1);
  switch (title_.FActiveField) {
    case TFormTitle::kFieldCaptions:
      EditText->setText(title_.LeftAxis->currentText());
      table = vistrel::WidgetFont(*title_.LeftAxis);
      break;
    case TFormTitle::kFieldTitle:
      table = vistrel::WidgetFont(*title_.Title);
      break;
    case TFormTitle::kFieldFoot:
      table = vistrel::WidgetFont(*title_.Foot);
      break;
    default:
      if (title_.FFactorIndex >= 0 && title_.FFactorIndex < static_cast<int>(title_.FFactorFonts.size())) {
        EditText->setText(title_.Factors->currentText());
        table = title_.FFactorFonts[static_cast<std::size_t>(title_.FFactorIndex)];
      }
      break;
  }
  vistrel::SetWidgetFont(*StringGrid1, table);
  // Nothing to insert into: the button stays off while the dialog lives.
  if (EditText->text().isEmpty()) InsSymbol->setEnabled(false);
  FontDialog1 = table;
  const bool textField = title_.FActiveField == TFormTitle::kFieldCaptions || title_.FActiveField == TFormTitle::kFieldFactors;
  if (textField) {
    SetEditFont(table);
  } else {
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, EditText, InsSymbol}) w->hide();
  }
}

void TFormChar::SetEditFont(const vistrel::TextFont& f) {
  vistrel::SetWidgetFont(*EditText, {vistrel::WithHeight(f.Font, kEditPixels), f.Color});
}

bool TFormChar::eventFilter(QObject* watched, QEvent* e) {
  if (watched == EditText && e->type() == QEvent::FocusOut) EditTextExit();
  return QDialog::eventFilter(watched, e);
}

void TFormChar::EditTextExit() { FSavedSelStart = SelStartOf(*EditText); }

void TFormChar::InsSymbolClick() {
  const int code = kColumns * StringGrid1->currentRow() + StringGrid1->currentColumn() + 1;
  const QString ch = CharOfCode(code);
  if (ch.isEmpty()) return;  // the cells after code 255
  EditText->setFocus();
  EditText->deselect();
  EditText->setCursorPosition(std::clamp(FSavedSelStart, 0, static_cast<int>(EditText->text().size())));
  EditText->insert(ch);
  // Where the next insertion goes, also when the focus never leaves the edit.
  FSavedSelStart = EditText->cursorPosition();
}

void TFormChar::ChangeFontClick() {
  vistrel::TextFont f = FontDialog1;
  vistrel::FontColorChooser& chooser = title_.FontChooser ? *title_.FontChooser : vistrel::DefaultFontColorChooser();
  if (!chooser.Choose(this, f)) return;
  FontDialog1 = f;
  SetEditFont(f);
  vistrel::SetWidgetFont(*StringGrid1, f);
}

void TFormChar::BtnOKClick() {
  const vistrel::TextFont& f = FontDialog1;
  // Written as the user's own edits would be, without running the titles
  // dialog's change handlers. Returns whether an item was chosen.
  auto writeCombo = [&](TCmbBox& combo, int index) {
    const QSignalBlocker block(combo);
    vistrel::SetWidgetFont(combo, f);
    if (index < 0 || index >= combo.count()) return false;
    combo.setItemText(index, EditText->text());
    combo.setCurrentIndex(index);
    return true;
  };
  switch (title_.FActiveField) {
    case TFormTitle::kFieldCaptions:
      writeCombo(*title_.LeftAxis, title_.FAxisIndex);
      break;
    case TFormTitle::kFieldTitle:
      vistrel::SetWidgetFont(*title_.Title, f);
      break;
    case TFormTitle::kFieldFoot:
      vistrel::SetWidgetFont(*title_.Foot, f);
      break;
    default:
      if (writeCombo(*title_.Factors, title_.FFactorIndex))
        title_.FFactorFonts[static_cast<std::size_t>(title_.FFactorIndex)] = f;
      else
        title_.FFactorFonts.fill(f);  // one font for every designation
      break;
  }
}
