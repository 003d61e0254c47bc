#include "viewer/app/title_chart.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <memory>

#include "viewer/app/char_set.h"
#include "viewer/app/cmb_box.h"
#include "viewer/app/graph_mode.h"

TFormTitle* FormTitle = nullptr;

namespace {

// Radio group items in the order of the form: "Влево", "Вправо", "По центру".
constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};

int AlignmentItem(Qt::Alignment a) {
  const Qt::Alignment h = a & Qt::AlignHorizontal_Mask;
  for (int i = 0; i < 3; ++i)
    if (h == kAlignments[i]) return i;
  return 2;
}

QGroupBox* RadioGroup(QWidget* parent, const char* name, const QString& caption, const QStringList& items,
                      const QRect& geometry, bool horizontal) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(geometry);
  auto* group = new QButtonGroup(box);
  group->setExclusive(true);
  QHBoxLayout* row = horizontal ? new QHBoxLayout(box) : nullptr;
  if (row) row->setContentsMargins(8, 2, 4, 2);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], box);
    group->addButton(b, i);
    if (row) row->addWidget(b);
  }
  return box;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, const QRect& geometry) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(QString::fromLatin1(name));
  m->setGeometry(geometry);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m->setTabChangesFocus(true);
  return m;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  b->setAutoDefault(false);
  return b;
}

// Title or foot of the chart from a memo and its alignment group.
void WriteTitle(kv::ChartTitle& t, const QPlainTextEdit& memo, const QGroupBox* alignGroup) {
  const QStringList lines = TFormTitle::Lines(memo);
  t.SetText({});
  if (!lines.isEmpty()) {
    const int item = TFormTitle::ItemIndex(alignGroup);
    if (item >= 0 && item < 3) t.SetAlignment(kAlignments[item]);
    const vistrel::TextFont f = vistrel::WidgetFont(memo);
    t.SetFont(f.Font);
    t.SetColor(f.Color);
    t.SetText(lines);
  }
  t.SetVisible(!lines.isEmpty());
}

void ReadTitle(const kv::ChartTitle& t, QPlainTextEdit& memo, QGroupBox* alignGroup) {
  vistrel::SetWidgetFont(memo, {t.Font(), t.Color()});
  memo.setPlainText(t.Text().join(QLatin1Char('\n')));
  TFormTitle::SetItemIndex(alignGroup, AlignmentItem(t.Alignment()));
}

}  // namespace

TFormTitle::TFormTitle(TFormGraph& owner) : QDialog(&owner), graph_(owner) {
  setObjectName(QStringLiteral("FormTitle"));
  setWindowTitle(QStringLiteral("Заголовки к графику"));
  setFixedSize(511, 358);
  setFont(vistrel::FormFont(11));
  ExecModal = owner.ExecModal;
  BuildControls();
  FormCreate();

  // Typed or chosen: choosing an item whose text equals the edit's text
  // changes no text, but must still become the item being edited.
  for (TCmbBox* combo : {LeftAxis, Factors}) {
    auto changed = [this, combo] { combo == LeftAxis ? LeftAxisChange() : FactorsChange(); };
    connect(combo, &QComboBox::editTextChanged, this, changed);
    connect(combo, &QComboBox::currentIndexChanged, this, changed);
  }
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    OKBtnClick();
    accept();
  });
  connect(CanselBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TFormTitle::~TFormTitle() {
  if (FormTitle == this) FormTitle = nullptr;
}

void TFormTitle::BuildControls() {
  GroupBox1 = new QGroupBox(QStringLiteral("Обозначение явлений"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(8, 8, 241, 60);
  Factors = new TCmbBox(GroupBox1);
  Factors->setObjectName(QStringLiteral("Factors"));
  Factors->setGeometry(8, 24, 225, 26);

  RadioGroup2 = RadioGroup(this, "RadioGroup2", QStringLiteral("Подписи к осям"),
                           {QStringLiteral("расположить под осью"), QStringLiteral("расположить над осью")},
                           QRect(8, 76, 241, 112), false);
  LeftAxis = new TCmbBox(RadioGroup2);
  LeftAxis->setObjectName(QStringLiteral("LeftAxis"));
  LeftAxis->setGeometry(8, 24, 225, 26);
  const QList<QAbstractButton*> places = RadioGroup2->findChild<QButtonGroup*>()->buttons();
  for (int i = 0; i < places.size(); ++i) places[i]->setGeometry(8, 58 + 24 * i, 225, 20);

  StaticText1 = new QLabel(QStringLiteral("Заголовок"), this);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  StaticText1->setGeometry(262, 8, 241, 16);
  Title = Memo(this, "Title", QRect(262, 26, 241, 66));
  const QStringList aligns{QStringLiteral("Влево"), QStringLiteral("Вправо"), QStringLiteral("По центру")};
  RadioGroup1 = RadioGroup(this, "RadioGroup1", QStringLiteral("Выравнивание"), aligns, QRect(262, 96, 241, 44), true);

  StaticText2 = new QLabel(QStringLiteral("Подпись"), this);
  StaticText2->setObjectName(QStringLiteral("StaticText2"));
  StaticText2->setGeometry(262, 148, 241, 16);
  Foot = Memo(this, "Foot", QRect(262, 166, 241, 66));
  RadioGroup3 = RadioGroup(this, "RadioGroup3", QStringLiteral("Выравнивание"), aligns, QRect(262, 236, 241, 44), true);
  // Design default of both alignments: "По центру".
  SetItemIndex(RadioGroup1, 2);
  SetItemIndex(RadioGroup3, 2);

  Button1 = Button(this, "Button1", QStringLiteral("Шрифт..."), QRect(8, 200, 115, 28));
  BitBtn1 = Button(this, "BitBtn1", QStringLiteral("Очистить все"), QRect(131, 200, 118, 28));
  OKBtn = Button(this, "OKBtn", QStringLiteral("Принять"), QRect(318, 318, 88, 30));
  OKBtn->setDefault(true);
  CanselBtn = Button(this, "CanselBtn", QStringLiteral("Отмена"), QRect(415, 318, 88, 30));

  for (QWidget* w : std::initializer_list<QWidget*>{LeftAxis, Title, Foot, Factors}) w->installEventFilter(this);
  for (TCmbBox* c : {LeftAxis, Factors}) c->lineEdit()->installEventFilter(this);
}

bool TFormTitle::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::FocusIn) {
    if (watched == LeftAxis || watched == LeftAxis->lineEdit())
      LeftAxisEnter();
    else if (watched == Title)
      TitleEnter();
    else if (watched == Foot)
      FootEnter();
    else if (watched == Factors || watched == Factors->lineEdit())
      FactorsEnter();
  }
  return QDialog::eventFilter(watched, e);
}

int TFormTitle::ItemIndex(const QGroupBox* radioGroup) {
  const auto* g = radioGroup ? radioGroup->findChild<QButtonGroup*>() : nullptr;
  return g ? g->checkedId() : -1;
}

void TFormTitle::SetItemIndex(QGroupBox* radioGroup, int item) {
  auto* g = radioGroup ? radioGroup->findChild<QButtonGroup*>() : nullptr;
  if (!g) return;
  if (QAbstractButton* b = g->button(item)) {
    b->setChecked(true);
    return;
  }
  g->setExclusive(false);
  for (QAbstractButton* b : g->buttons()) b->setChecked(false);
  g->setExclusive(true);
}

QStringList TFormTitle::Lines(const QPlainTextEdit& memo) {
  const QString text = memo.toPlainText();
  if (text.isEmpty()) return {};
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void TFormTitle::FormCreate() {
  kv::Chart& chart = *graph_.Chart1;
  const kv::GraphState& g = graph_.Graph;

  const kv::ChartAxis& axis = chart.LeftAxis();
  vistrel::SetWidgetFont(*LeftAxis, {axis.TitleFont(), axis.TitleColor()});
  for (int k = 0; k < g.TypeGroupCount && k < kv::kMaxTypeGroups; ++k)
    LeftAxis->addItem(QString::fromStdString(g.TypeGroups[static_cast<std::size_t>(k)].Caption));
  LeftAxis->setCurrentIndex(-1);

  SetItemIndex(RadioGroup2, graph_.FCaptionsBelow ? 0 : 1);
  ReadTitle(chart.Title(), *Title, RadioGroup1);
  ReadTitle(chart.Foot(), *Foot, RadioGroup3);

  FActiveField = kFieldCaptions;
  FAxisIndex = -1;
  FFactorIndex = -1;

  factorSlots_.clear();
  for (int slot = 0; slot < kv::kSlotCount; ++slot) {
    const kv::ChartSeries* s = graph_.Series[static_cast<std::size_t>(slot)];
    if (!s || !s->Active()) continue;
    Factors->addItem(s->Title());
    factorSlots_.push_back(slot);
  }
  Factors->setCurrentIndex(-1);

  // Unused working fonts start as the legend's.
  const vistrel::TextFont legend{chart.Legend().Font(), Qt::black};
  FFactorFonts.fill(legend);
  for (std::size_t k = 0; k < factorSlots_.size(); ++k)
    FFactorFonts[k] = vistrel::WidgetFont(*graph_.FFactorLabels[static_cast<std::size_t>(factorSlots_[k])]);
}

// ---- editing

void TFormTitle::LeftAxisEnter() { FActiveField = kFieldCaptions; }
void TFormTitle::TitleEnter() { FActiveField = kFieldTitle; }
void TFormTitle::FootEnter() { FActiveField = kFieldFoot; }
void TFormTitle::FactorsEnter() { FActiveField = kFieldFactors; }

void TFormTitle::LeftAxisChange() { EditItemInPlace(*LeftAxis, FAxisIndex, kFieldCaptions); }
void TFormTitle::FactorsChange() { EditItemInPlace(*Factors, FFactorIndex, kFieldFactors); }

void TFormTitle::EditItemInPlace(TCmbBox& combo, std::int32_t& index, std::uint8_t field) {
  if (rewriting_) return;
  // The caret as a loss of focus would record it; the field is the one
  // being edited.
  combo.FSavedSelStart = combo.SelStart();
  FActiveField = field;
  if (combo.currentIndex() >= 0) index = combo.currentIndex();
  if (index < 0 || index >= combo.count()) return;  // text typed before any item was chosen is not kept
  rewriting_ = true;
  if (&combo == Factors) vistrel::SetWidgetFont(combo, FFactorFonts[static_cast<std::size_t>(index)]);
  combo.setItemText(index, combo.currentText());
  combo.setCurrentIndex(index);
  combo.SetCaret(combo.FSavedSelStart);
  rewriting_ = false;
}

void TFormTitle::BitBtn1Click() {
  Title->clear();
  Foot->clear();
}

void TFormTitle::Button1Click() {
  TFormChar dlg(*this);
  if (ExecModal)
    ExecModal(dlg);
  else
    dlg.exec();
}

// ---- accepting

void TFormTitle::OKBtnClick() {
  kv::Chart& chart = *graph_.Chart1;
  kv::GraphState& g = graph_.Graph;

  const vistrel::TextFont captions = vistrel::WidgetFont(*LeftAxis);
  const int height = vistrel::FontHeight(captions.Font);
  chart.LeftAxis().SetTitleFont(captions.Font);
  chart.LeftAxis().SetTitleColor(captions.Color);
  chart.Legend().SetFont(vistrel::WithHeight(chart.Legend().Font(), height));

  for (int k = 0; k < g.TypeGroupCount && k < kv::kMaxTypeGroups && k < LeftAxis->count(); ++k)
    g.TypeGroups[static_cast<std::size_t>(k)].Caption = LeftAxis->itemText(k).toStdString();
  graph_.FCaptionsBelow = ItemIndex(RadioGroup2) == 0;

  WriteTitle(chart.Title(), *Title, RadioGroup1);
  WriteTitle(chart.Foot(), *Foot, RadioGroup3);

  const int n = std::min(static_cast<int>(factorSlots_.size()), Factors->count());
  for (int k = 0; k < n; ++k) {
    QLabel& label = *graph_.FFactorLabels[static_cast<std::size_t>(factorSlots_[static_cast<std::size_t>(k)])];
    vistrel::SetWidgetFont(label, FFactorFonts[static_cast<std::size_t>(k)]);
    label.setText(Factors->itemText(k));
  }
  // The captions' size governs the legend and every designation; each
  // designation keeps its face, style and colour.
  for (auto& label : graph_.FFactorLabels) label->setFont(vistrel::WithHeight(label->font(), height));
  for (int k = 0; k < n; ++k)
    graph_.Series[static_cast<std::size_t>(factorSlots_[static_cast<std::size_t>(k)])]->SetTitle(Factors->itemText(k));
  chart.Repaint();
}
