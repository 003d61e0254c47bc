#include "viewer/app/chang_line_pen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>

#include "viewer/app/chang_axis_new.h"
#include "viewer/app/color_chooser.h"
#include "viewer/app/draw_series_marks.h"
#include "viewer/app/font_choice.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/tool_form.h"

namespace vistrel {

namespace {
constexpr Qt::PenStyle kStyles[5] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
}

Qt::PenStyle PenStyleOfItem(int item) { return item >= 0 && item < 5 ? kStyles[item] : Qt::SolidLine; }

int ItemOfPenStyle(Qt::PenStyle style) {
  for (int i = 0; i < 5; ++i)
    if (kStyles[i] == style) return i;
  return -1;
}

void DrawLineSample(QPainter& p, int w, int h, const QPen& pen, const QColor& back, int slot) {
  p.fillRect(QRect(0, 0, w, h), back);
  p.setPen(pen);
  GdiLine(p, 5, 10, w - 5, 10);
  // The marker always one pixel wide with a black outline, filled in the
  // line's colour.
  if (slot >= 0 && slot < kv::kSlotCount) SeriesMarkDrawers[static_cast<std::size_t>(slot)](w / 2, 10, p, pen.color());
  p.setPen(pen);
}

}  // namespace vistrel

// ---- TPaintBox

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
  // Clicks go through to the grid, which selects the row.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (OnPaint) OnPaint(p);
}

// ---- TFormBrush

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(left, top);
  l->adjustSize();
  return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  b->setAutoDefault(false);
  return b;
}

// The standard custom colours of the dialog, as the class library writes
// them ("ColorA=C6D7D5", "ColorB=9DBB44": blue, green, red).
std::vector<QColor> StartCustomColors() { return {vistrel::FromBgr(0xC6D7D5), vistrel::FromBgr(0x9DBB44)}; }

// Text of the phenomena dialog's grid of shown phenomena.
QString ShownRowText(int c, int r) {
  const QTableWidgetItem* item = FormAxis && FormAxis->ListLeftAxis ? FormAxis->ListLeftAxis->item(r, c) : nullptr;
  return item ? item->text() : QString();
}

vistrel::QtColorChooser& DefaultChooser() {
  static vistrel::QtColorChooser chooser;
  return chooser;
}

}  // namespace

TFormBrush::TFormBrush(TFormGraph& owner) : QDialog(&owner), graph_(owner) {
  setObjectName(QStringLiteral("FormBrush"));
  setWindowTitle(QStringLiteral("Изменить параметры линий на графике"));
  setFixedSize(499, 283);
  setFont(vistrel::FormFont(11));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  if (const QScreen* scr = QGuiApplication::primaryScreen()) {  // centred on the screen, not on the owner
    QRect r(QPoint(0, 0), size());
    r.moveCenter(scr->availableGeometry().center());
    move(r.topLeft());
  }
  ColorDialog1 = &DefaultChooser();
  CustomColors = StartCustomColors();

  Label3 = MakeLabel(this, "Label3", QStringLiteral("Список кривых на графике"), 8, 16);

  StringGrid1 = new QTableWidget(10, 4, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(8, 40, 320, 235);
  StringGrid1->verticalHeader()->hide();
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->setDefaultSectionSize(20);
  StringGrid1->horizontalHeader()->setFixedHeight(20);
  StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->horizontalHeader()->setHighlightSections(false);
  const int widths[4] = {30, 94, 91, 97};
  for (int c = 0; c < 4; ++c) StringGrid1->setColumnWidth(c, widths[c]);
  StringGrid1->setShowGrid(false);  // lines on the fixed cells only
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this] { StringGrid1Click(); });

  RadioGroup1 = new TRadioGroup(QStringLiteral("Тип линии"),
                                {QStringLiteral("Непрерывная"), QStringLiteral("Пунктирная"), QStringLiteral("Точки"),
                                 QStringLiteral("Тире Точка"), QStringLiteral("Тире Точка Точка")},
                                this);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(352, 8, 137, 140);
  for (QRadioButton* rb : RadioGroup1->findChildren<QRadioButton*>())
    connect(rb, &QRadioButton::clicked, this, [this] { RadioGroup1Click(); });

  Label2 = MakeLabel(this, "Label2", QStringLiteral("Толщина линии"), 352, 155);
  SpinEdit1 = new QSpinBox(this);
  SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
  SpinEdit1->setGeometry(444, 152, 45, 22);  // the label is wider here than in its old face
  SpinEdit1->setRange(1, 10);
  SpinEdit1->setValue(1);
  connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { SpinEdit1Change(); });

  Button1 = MakeButton(this, "Button1", QStringLiteral("Цвет линии..."), {336, 184, 153, 25});
  Button4 = MakeButton(this, "Button4", QStringLiteral("Цвет фона..."), {336, 216, 153, 25});
  Button2 = MakeButton(this, "Button2", QStringLiteral("Принять"), {336, 248, 73, 25});
  Button3 = MakeButton(this, "Button3", QStringLiteral("Отменить"), {424, 248, 65, 25});
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] {
    Button2Click();
    accept();
  });
  connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

  FormCreate();
}

void TFormBrush::FormCreate() {
  StringGrid1->setHorizontalHeaderLabels(
      {QStringLiteral("N"), QStringLiteral("Обозначение"), QStringLiteral("Явление"), QStringLiteral("Файл")});
  const kv::GraphState& g = graph_.Graph;
  n_ = std::clamp(g.FShownRows, 0, kv::kSlotCount);
  const QColor fixedColor = palette().color(QPalette::Button);
  for (int r = 1; r <= 10; ++r) {
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem();
      item->setFlags(Qt::ItemIsEnabled | (c == 0 ? Qt::NoItemFlags : Qt::ItemIsSelectable));
      if (c == 0) item->setBackground(fixedColor);
      StringGrid1->setItem(r - 1, c, item);
    }
  }
  for (int i = 1; i <= n_; ++i) {
    const int slot = g.FSlotOfRow[static_cast<std::size_t>(i - 1)];
    StringGrid1->item(i - 1, 0)->setText(QString::number(i));
    StringGrid1->item(i - 1, 2)->setText(ShownRowText(1, i - 1));
    StringGrid1->item(i - 1, 3)->setText(ShownRowText(2, i - 1));
    auto* box = new TPaintBox();
    if (slot < kv::kSlotCount) box->Pen = graph_.Series[static_cast<std::size_t>(slot)]->LinePen();
    box->Color = graph_.Chart1->BackColor();
    box->OnPaint = [this, i](QPainter& p) { StringGrid1DrawCell(1, i, p); };
    StringGrid1->setCellWidget(i - 1, 1, box);
    FSampleBoxes[static_cast<std::size_t>(i)] = box;
  }
  SetRow(1);
  ShowRowPen(1);
}

QString TFormBrush::Cells(int c, int r) const {
  if (r == 0) {
    const QTableWidgetItem* h = StringGrid1->horizontalHeaderItem(c);
    return h ? h->text() : QString();
  }
  const QTableWidgetItem* item = StringGrid1->item(r - 1, c);
  return item ? item->text() : QString();
}

int TFormBrush::Row() const { return StringGrid1->currentRow() + 1; }

void TFormBrush::SetRow(int r) { StringGrid1->setCurrentCell(r - 1, 2); }

void TFormBrush::ShowRowPen(int r) {
  if (r < 1 || r > n_) return;
  const QPen& pen = FSampleBoxes[static_cast<std::size_t>(r)]->Pen;
  const int item = vistrel::ItemOfPenStyle(pen.style());
  if (item >= 0) RadioGroup1->SetItemIndex(item);
  SpinEdit1->setValue(pen.width());
}

void TFormBrush::RepaintGrid() {
  for (TPaintBox* box : FSampleBoxes)
    if (box) box->update();
  StringGrid1->viewport()->update();
}

void TFormBrush::StringGrid1DrawCell(int ACol, int ARow, QPainter& canvas) {
  if (ACol != 1 || ARow < 1 || ARow > n_) return;
  const TPaintBox* box = FSampleBoxes[static_cast<std::size_t>(ARow)];
  const int slot = graph_.Graph.FSlotOfRow[static_cast<std::size_t>(ARow - 1)];
  vistrel::DrawLineSample(canvas, box->width(), box->height(), box->Pen, box->Color, slot);
}

void TFormBrush::StringGrid1Click() { ShowRowPen(Row()); }

void TFormBrush::RadioGroup1Click() {
  const int item = RadioGroup1->ItemIndex();
  if (RowValid() && item >= 0) FSampleBoxes[static_cast<std::size_t>(Row())]->Pen.setStyle(vistrel::PenStyleOfItem(item));
  RepaintGrid();
}

void TFormBrush::SpinEdit1Change() {
  if (!RowValid()) return;
  FSampleBoxes[static_cast<std::size_t>(Row())]->Pen.setWidth(SpinEdit1->value());
  RepaintGrid();
}

void TFormBrush::Button1Click() {
  if (!RowValid()) return;
  QPen& pen = FSampleBoxes[static_cast<std::size_t>(Row())]->Pen;
  QColor c = pen.color();
  if (ColorDialog1 && ColorDialog1->Choose(this, c, CustomColors)) pen.setColor(c);
  RepaintGrid();
}

void TFormBrush::Button4Click() {
  // Opens at the chart's colour, not at one chosen earlier here.
  QColor c = graph_.Chart1->BackColor();
  if (ColorDialog1 && ColorDialog1->Choose(this, c, CustomColors))
    for (int i = 1; i <= n_; ++i) FSampleBoxes[static_cast<std::size_t>(i)]->Color = c;
  RepaintGrid();
}

void TFormBrush::Button2Click() {
  const kv::GraphState& g = graph_.Graph;
  for (int i = 1; i <= n_; ++i) {
    const int slot = g.FSlotOfRow[static_cast<std::size_t>(i - 1)];
    if (slot >= kv::kSlotCount) continue;
    const QPen& pen = FSampleBoxes[static_cast<std::size_t>(i)]->Pen;
    kv::LineSeries* s = graph_.Series[static_cast<std::size_t>(slot)];
    s->SetSeriesColor(pen.color());
    s->SetLinePen(pen);
    graph_.FMarkSeries[static_cast<std::size_t>(slot)]->SetSeriesColor(pen.color());
  }
  if (n_ == 0) return;
  const QColor c = FSampleBoxes[1]->Color;
  kv::Chart& chart = *graph_.Chart1;
  chart.SetBackColor(c);
  chart.Legend().SetColor(c);
  chart.SetColor(c);
  for (QLabel* l : {graph_.TimeLabel, graph_.TimeLabel1}) {
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, c);
    l->setPalette(pal);
  }
}
