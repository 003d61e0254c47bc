#include "viewer/app/chang_axis_new.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "viewer/app/graph_mode.h"
#include "viewer/app/inf_osc.h"
#include "viewer/app/label_fit.h"
#include "viewer/app/vistrel_start.h"

TFormAxis* FormAxis = nullptr;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBtnFace(240, 240, 240);

// Bold underlined navy, 13 pixels: the captions of the two halves.
void Caption(QLabel* l, bool underline = true) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(13);
  f.setBold(true);
  f.setUnderline(underline);
  l->setFont(f);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, kNavy);
  l->setPalette(pal);
}

QLabel* ReadOut(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setMinimumWidth(90);
  return l;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Rows of the pick lists tall enough for the whole check box: the font's
// own height leaves it clipped by the row below.
class CheckRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    const QWidget* view = option.widget;
    const QStyle* style = view ? view->style() : QApplication::style();
    s.setHeight(std::max(s.height(), style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, view) + 4));
    return s;
  }
};

// The grid of shown phenomena as designed: its width and the widths of
// the row numbers and the name column; the file column takes what they
// leave.
constexpr int kGridWidth = 193;
constexpr int kRowNumberWidth = 25;
constexpr int kDefaultColWidth = 64;
constexpr int kFileColWidth = kGridWidth - kRowNumberWidth - 6 - kDefaultColWidth;

// The user sizes a column of the grid by dragging its right grid line, as
// the grid has no header row to drag it in.
class GridLineSizer : public QObject {
 public:
  explicit GridLineSizer(QTableView* grid) : QObject(grid), grid_(grid), viewport_(grid->viewport()) {
    grid->viewport()->setMouseTracking(true);
    viewport_->installEventFilter(this);
  }

  // The viewport still sends events while the grid is being destroyed: the
  // grid is asked nothing before the event is known to be the user's.
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o != viewport_) return false;
    switch (e->type()) {
      case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        const int c = LineAt(m->position().toPoint().x());
        if (m->button() != Qt::LeftButton || c < 0) return false;
        column_ = c;
        startX_ = m->position().toPoint().x();
        startWidth_ = grid_->columnWidth(c);
        return true;
      }
      case QEvent::MouseMove: {
        const int x = static_cast<QMouseEvent*>(e)->position().toPoint().x();
        if (column_ >= 0) {
          grid_->setColumnWidth(column_, std::max(kMinWidth, startWidth_ + x - startX_));
          return true;
        }
        if (LineAt(x) >= 0)
          grid_->viewport()->setCursor(Qt::SplitHCursor);
        else
          grid_->viewport()->unsetCursor();
        return false;
      }
      case QEvent::MouseButtonRelease:
        if (column_ < 0) return false;
        column_ = -1;
        return true;
      default:
        return false;
    }
  }

  static constexpr int kMinWidth = 4;

 private:
  // The column whose right grid line is within two pixels of x; -1 if none.
  int LineAt(int x) const {
    for (int c = 0; c < grid_->model()->columnCount(); ++c) {
      const int right = grid_->columnViewportPosition(c) + grid_->columnWidth(c) - 1;
      if (std::abs(x - right) <= 2) return c;
    }
    return -1;
  }

  QTableView* grid_;
  QObject* viewport_;
  int column_ = -1;  // being sized
  int startX_ = 0, startWidth_ = 0;
};

// The frame metrics the comment window is placed by.
constexpr int kDlgFrame = 3;
constexpr int kCommentWidth = 426;

}  // namespace

TFormAxis::TFormAxis(TFormGraph* graph) : QDialog(graph), graph_(graph) {
  setObjectName(QStringLiteral("FormAxis"));
  setWindowTitle(QStringLiteral("Добавить/Удалить явления"));
  setModal(false);

  kv::SlotSeriesSet set{};
  for (int q = 0; q < kv::kSlotCount; ++q) {
    const auto k = static_cast<std::size_t>(q);
    slots_[k] = std::make_unique<vistrel::ChartSlotSeries>(graph->Series[k], graph->FMarkSeries[k]);
    set[k] = slots_[k].get();
  }
  choice_ = std::make_unique<kv::PhenomenaChoice>(graph->Graph, set);
  // A message stops adding half-way: the lists and rows show how far it got.
  choice_->ShowMessage = [this](const std::string& text) {
    ShowLists();
    ShowRows();
    if (ShowMessage) ShowMessage(Q(text));
  };
  choice_->ApplyAxes = [this](const kv::ChartAxesSettings& a) { ApplyAxes(a); };
  choice_->SelectItem = [this](kv::PickList l, int i) {
    (l == kv::PickList::Factors ? FactorList : ListOfSum)->setCurrentRow(i);
  };

  OpenDialog1 = std::make_unique<QtOpenDialog>();
  ShowMessage = [this](const QString& text) {
    const bool limit = text == Q(kv::kTenPhenomenaMessage) || text == Q(kv::kFiveTypesMessage);
    QMessageBox box(limit ? QMessageBox::Information : QMessageBox::Warning, vistrel::kApplicationTitle,
                    text, QMessageBox::Ok, this);
    box.exec();
  };

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* halves = new QHBoxLayout;
  halves->setContentsMargins(8, 8, 8, 4);
  halves->setSpacing(12);
  auto* left = new QWidget(this);
  auto* right = new QWidget(this);
  BuildLeftHalf(left);
  BuildRightHalf(right);
  halves->addWidget(left);
  halves->addWidget(right, 1);
  outer->addLayout(halves, 1);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusPanels[0] = new QLabel(QStringLiteral("Полный путь к файлу :"), StatusBar1);
  StatusPanels[0]->setMinimumWidth(120);
  StatusPanels[1] = new QLabel(StatusBar1);
  StatusPanels[1]->setMinimumWidth(50);
  StatusPanels[1]->setTextInteractionFlags(Qt::TextSelectableByMouse);
  StatusBar1->addWidget(StatusPanels[0]);
  StatusBar1->addWidget(StatusPanels[1], 1);
  outer->addWidget(StatusBar1);

  FormCreate();
  resize(660, 440);
}

TFormAxis::~TFormAxis() = default;

void TFormAxis::BuildLeftHalf(QWidget* host) {
  auto* lay = new QVBoxLayout(host);
  lay->setContentsMargins(0, 0, 0, 0);
  Label1 = new QLabel(QStringLiteral("График") + QString(30, QLatin1Char(' ')), host);
  Label1->setObjectName(QStringLiteral("Label1"));
  Caption(Label1);
  lay->addWidget(Label1);

  PageControl1 = new QTabWidget(host);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  auto* page = new QVBoxLayout(TabSheet1);
  page->setContentsMargins(2, 2, 2, 2);
  ListLeftAxis = new QTableWidget(kv::kSlotCount, 3, TabSheet1);
  ListLeftAxis->setObjectName(QStringLiteral("ListLeftAxis"));
  ListLeftAxis->horizontalHeader()->hide();
  ListLeftAxis->verticalHeader()->hide();
  ListLeftAxis->verticalHeader()->setDefaultSectionSize(20);
  ListLeftAxis->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListLeftAxis->setSelectionMode(QAbstractItemView::ContiguousSelection);
  ListLeftAxis->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListLeftAxis->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListLeftAxis->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListLeftAxis->setFixedSize(kGridWidth, kv::kSlotCount * 20 + 2 * ListLeftAxis->frameWidth());
  // The grid takes the dialog's colour.
  QPalette pal = ListLeftAxis->palette();
  pal.setColor(QPalette::Base, palette().color(QPalette::Window));
  ListLeftAxis->setPalette(pal);
  ListLeftAxis->horizontalHeader()->setMinimumSectionSize(GridLineSizer::kMinWidth);
  new GridLineSizer(ListLeftAxis);
  // Without scroll bars the grid grows with its columns, so that every
  // column stays in view.
  connect(ListLeftAxis->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
    int columns = 0;
    for (int c = 0; c < ListLeftAxis->columnCount(); ++c) columns += ListLeftAxis->columnWidth(c);
    ListLeftAxis->setFixedWidth(std::max(kGridWidth, columns + 2 * ListLeftAxis->frameWidth()));
  });
  page->addWidget(ListLeftAxis, 0, Qt::AlignLeft);
  PageControl1->addTab(TabSheet1, QStringLiteral("Отображаемые на графике явления"));
  PageControl1->setUsesScrollButtons(false);  // the page's caption whole
  lay->addWidget(PageControl1);

  Label2 = new QLabel(QStringLiteral("Удалить явление(я) из графика"), host);
  Label2->setObjectName(QStringLiteral("Label2"));
  lay->addWidget(Label2);
  auto* del = new QHBoxLayout;
  DeleteFactor = new QPushButton(QStringLiteral("Удалить"), host);
  DeleteFactor->setObjectName(QStringLiteral("DeleteFactor"));
  DeleteAll = new QPushButton(QStringLiteral("Удалить все"), host);
  DeleteAll->setObjectName(QStringLiteral("DeleteAll"));
  del->addWidget(DeleteFactor);
  del->addWidget(DeleteAll);
  lay->addLayout(del);

  Label3 = new QLabel(QStringLiteral("Добавить явление(я) к графику"), host);
  Label3->setObjectName(QStringLiteral("Label3"));
  lay->addWidget(Label3);
  auto* add = new QHBoxLayout;
  AddFactor = new QPushButton(QStringLiteral("Добавить"), host);
  AddFactor->setObjectName(QStringLiteral("AddFactor"));
  AddAllFactor = new QPushButton(QStringLiteral("Добавить все"), host);
  AddAllFactor->setObjectName(QStringLiteral("AddAllFactor"));
  add->addWidget(AddFactor);
  add->addWidget(AddAllFactor);
  lay->addLayout(add);
  lay->addStretch(1);

  ButtonOK = new QPushButton(QStringLiteral("Закрыть"), host);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  lay->addWidget(ButtonOK);

  for (QPushButton* b : {DeleteFactor, DeleteAll, AddFactor, AddAllFactor}) b->setEnabled(false);
  connect(DeleteFactor, &QPushButton::clicked, this, [this] { DeleteFactorClick(); });
  connect(DeleteAll, &QPushButton::clicked, this, [this] { DeleteAllClick(); });
  connect(AddFactor, &QPushButton::clicked, this, [this] { AddFactorClick(); });
  connect(AddAllFactor, &QPushButton::clicked, this, [this] { AddAllFactorClick(); });
  connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
}

void TFormAxis::BuildRightHalf(QWidget* host) {
  auto* lay = new QVBoxLayout(host);
  lay->setContentsMargins(0, 0, 0, 0);
  auto* head = new QHBoxLayout;
  StaticText1 = new QLabel(QStringLiteral("Файл осциллограммы:") + QString(39, QLatin1Char(' ')), host);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  Caption(StaticText1);
  FileNameLabel = new QLabel(host);
  FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
  FileNameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Caption(FileNameLabel);
  head->addWidget(StaticText1);
  head->addWidget(FileNameLabel, 1);
  lay->addLayout(head);

  ChangFile = new QPushButton(QStringLiteral("Открыть осциллограмму"), host);
  ChangFile->setObjectName(QStringLiteral("ChangFile"));
  lay->addWidget(ChangFile, 0, Qt::AlignLeft);
  connect(ChangFile, &QPushButton::clicked, this, [this] { ChangFileClick(); });

  lay->addWidget(new QLabel(QStringLiteral("Комментарий к файлу :"), host));
  Memo1 = new QPlainTextEdit(host);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setFixedHeight(44);
  lay->addWidget(Memo1);

  auto* grid = new QGridLayout;
  TimeOsc = ReadOut(host, "TimeOsc");
  TimeOpr = ReadOut(host, "TimeOpr");
  CountPoints = ReadOut(host, "CountPoints");
  grid->addWidget(new QLabel(QStringLiteral("Время опроса :"), host), 0, 0);
  grid->addWidget(TimeOsc, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Шаг опроса :"), host), 1, 0);
  grid->addWidget(TimeOpr, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Число точек :"), host), 2, 0);
  grid->addWidget(CountPoints, 2, 1);
  grid->setColumnStretch(2, 1);
  lay->addLayout(grid);

  PageControl2 = new QTabWidget(host);
  PageControl2->setObjectName(QStringLiteral("PageControl2"));
  FactorList = new QListWidget;
  FactorList->setObjectName(QStringLiteral("FactorList"));
  ListOfSum = new QListWidget;
  ListOfSum->setObjectName(QStringLiteral("ListOfSum"));
  PageControl2->addTab(FactorList, QStringLiteral("Явления"));
  PageControl2->addTab(ListOfSum, QStringLiteral("Сечения"));
  lay->addWidget(PageControl2, 1);
  for (QListWidget* l : {FactorList, ListOfSum}) {
    l->setItemDelegate(new CheckRowDelegate(l));
    connect(l, &QListWidget::itemChanged, this, [this, l](QListWidgetItem* it) {
      if (!syncing_) FactorListClickCheck(l, l->row(it));
    });
  }
}

void TFormAxis::FormCreate() {
  ListLeftAxis->setColumnWidth(0, kRowNumberWidth);
  ListLeftAxis->setColumnWidth(1, kDefaultColWidth);
  ListLeftAxis->setColumnWidth(2, kFileColWidth);
  for (int r = 0; r < kv::kSlotCount; ++r) {
    auto* number = new QTableWidgetItem(QString::number(r + 1));
    number->setFlags(Qt::ItemIsEnabled);
    number->setBackground(kBtnFace);
    number->setTextAlignment(Qt::AlignCenter);
    ListLeftAxis->setItem(r, 0, number);
    for (int c = 1; c < 3; ++c) ListLeftAxis->setItem(r, c, new QTableWidgetItem);
  }
  ShowRows();
}

// ---- right half: the file

void TFormAxis::ChangFileClick() {
  TOpenDialog& d = *OpenDialog1;
  d.OnShow = [this] { OpenDialog1Show(); };
  d.OnSelectionChange = [this] { OpenDialog1SelectionChange(); };
  d.OnTypeChange = [this] { OpenDialog1TypeChange(); };
  d.OnClose = [this] { OpenDialog1Close(); };
  if (!d.Execute(this)) return;
  const QString path = d.FileName;
  const bool ok = choice_->OpenFile(path.toStdString(), d.FilterIndex);
  StatusPanels[1]->setText(ok ? path : QString());
  if (ok && graph_) graph_->setWindowTitle(path);
  ShowFile();
}

void TFormAxis::PlaceComment() {
  if (!Form1) return;
  const QRect r = OpenDialog1->WindowRect();
  Form1->move(r.left() - kDlgFrame, r.bottom() + 1 + kDlgFrame);
}

void TFormAxis::OpenDialog1Show() {
  if (!Form1 || OpenDialog1->FilterIndex == kv::kKindResults) return;
  PlaceComment();
  Form1->SetOuterWidth(kCommentWidth);
  Form1->Memo1->clear();
  Form1->show();
}

void TFormAxis::OpenDialog1SelectionChange() {
  const QString name = OpenDialog1->FileName;
  if (!Form1 || name.isEmpty() || OpenDialog1->FilterIndex != kv::kKindOscillogram) return;
  PlaceComment();
  Form1->setWindowTitle(QStringLiteral("Комментарий к осциллограмме ") + Q(kv::NameWithoutFolder(name.toStdString())));
  Form1->Memo1->setPlainText(Q(kv::PreviewComment(preview_, name.toStdString())));
}

void TFormAxis::OpenDialog1TypeChange() {
  OpenDialog1->SetFileName(QString());
  if (!Form1) return;
  if (OpenDialog1->FilterIndex == kv::kKindResults)
    Form1->hide();
  else
    Form1->show();
}

void TFormAxis::OpenDialog1Close() {
  if (Form1) Form1->hide();
}

void TFormAxis::ShowFile() {
  const kv::ChosenFile& f = choice_->Chosen();
  FileNameLabel->setText(Q(f.FileName));
  Memo1->setPlainText(Q(f.Comment));
  TimeOsc->setText(Q(f.TimeOsc));
  TimeOpr->setText(Q(f.TimeOpr));
  CountPoints->setText(Q(f.CountPoints));
  AddFactor->setEnabled(choice_->AddEnabled());
  AddAllFactor->setEnabled(choice_->AddEnabled());
  ShowLists();
}

void TFormAxis::ShowLists() {
  syncing_ = true;
  for (kv::PickList which : {kv::PickList::Factors, kv::PickList::Sums}) {
    QListWidget* l = which == kv::PickList::Factors ? FactorList : ListOfSum;
    const std::vector<kv::PickItem>& items = choice_->Items(which);
    if (l->count() != static_cast<int>(items.size())) {
      l->clear();
      for (std::size_t i = 0; i < items.size(); ++i) l->addItem(new QListWidgetItem);
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
      QListWidgetItem* it = l->item(static_cast<int>(i));
      it->setText(Q(items[i].Text));
      it->setFlags(items[i].Enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                                    : Qt::ItemIsUserCheckable);
      it->setCheckState(items[i].State == kv::ItemState::Checked   ? Qt::Checked
                        : items[i].State == kv::ItemState::Grayed ? Qt::PartiallyChecked
                                                                  : Qt::Unchecked);
    }
  }
  syncing_ = false;
}

// ---- left half: adding and deleting

kv::PickList TFormAxis::ActiveList() const {
  return PageControl2->currentIndex() == 0 ? kv::PickList::Factors : kv::PickList::Sums;
}

void TFormAxis::FactorListClickCheck(QListWidget* list, int item) {
  const kv::PickList which = list == FactorList ? kv::PickList::Factors : kv::PickList::Sums;
  QListWidgetItem* it = list->item(item);
  if (!it) return;
  list->setCurrentRow(item);
  choice_->SetChecked(which, item, it->checkState() == Qt::Checked);
  ShowLists();
}

void TFormAxis::AddFactorClick() {
  choice_->AddChecked(ActiveList());
  ShowLists();
  ShowRows();
}

void TFormAxis::AddAllFactorClick() {
  choice_->AddAll(ActiveList());
  ShowLists();
  ShowRows();
}

void TFormAxis::DeleteFactorClick() {
  const QList<QTableWidgetSelectionRange> ranges = ListLeftAxis->selectedRanges();
  int top = ListLeftAxis->currentRow(), bottom = top;
  if (!ranges.isEmpty()) {
    top = ranges.first().topRow();
    bottom = ranges.first().bottomRow();
  }
  if (top < 0) return;
  choice_->DeleteRows(top, bottom);
  ShowLists();
  ShowReleased();
  ShowRows();
}

void TFormAxis::DeleteAllClick() {
  ListLeftAxis->setCurrentCell(0, 1);
  choice_->DeleteAll();
  ShowLists();
  ShowReleased();
  ShowRows();
}

void TFormAxis::ShowReleased() {
  if (choice_->ReleasedItem() < 0) return;
  QListWidget* l = choice_->ReleasedList() == kv::PickList::Factors ? FactorList : ListOfSum;
  l->setCurrentRow(choice_->ReleasedItem());
}

void TFormAxis::ButtonOKClick() { hide(); }

void TFormAxis::ShowRows() {
  const auto& rows = choice_->Rows();
  for (int r = 0; r < kv::kSlotCount; ++r) {
    ListLeftAxis->item(r, 1)->setText(Q(rows[static_cast<std::size_t>(r)].Name));
    ListLeftAxis->item(r, 2)->setText(Q(rows[static_cast<std::size_t>(r)].File));
  }
  // A column widens to its longest text (it never narrows here: the user
  // may have widened it).
  for (int c = 0; c < ListLeftAxis->columnCount(); ++c) {
    int need = 0;
    for (int r = 0; r < ListLeftAxis->rowCount(); ++r)
      need = std::max(need, vistrel::CellWidthFor(*ListLeftAxis, ListLeftAxis->item(r, c)->text()));
    if (need > ListLeftAxis->columnWidth(c)) ListLeftAxis->setColumnWidth(c, need);
  }
  ListLeftAxisDrawCell();
}

void TFormAxis::ListLeftAxisDrawCell() {
  const bool on = choice_->DeleteEnabled();
  DeleteFactor->setEnabled(on);
  DeleteAll->setEnabled(on);
  if (graph_) graph_->PageSBtn->setEnabled(on);
}

void TFormAxis::ApplyAxes(const kv::ChartAxesSettings& a) {
  if (!graph_) return;
  kv::Chart& c = *graph_->Chart1;
  if (a.fixLeft) c.LeftAxis().FixAxisRange(a.leftMin, a.leftMax);
  c.SetMarginLeft(a.marginLeft);
  if (a.setIncrement) c.BottomAxis().SetIncrement(a.increment);
}
