#include "viewer/app/tras.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "viewer/app/label_fit.h"

TTrasWin* TrasWin = nullptr;

TTrasGrid::TTrasGrid(QWidget* parent) : QTableWidget(kRowCount - 1, kColCount, parent) {
  setObjectName(QStringLiteral("TrasString"));
  QHeaderView* h = horizontalHeader();
  h->setFixedHeight(20);
  h->setSectionResizeMode(QHeaderView::Interactive);
  h->setHighlightSections(false);
  h->setMinimumSectionSize(1);
  h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(20);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  for (int c = 0; c < kColCount; ++c) {
    setColumnWidth(c, kDefaultColWidth);
    setHorizontalHeaderItem(c, new QTableWidgetItem());
    for (int r = 1; r < kRowCount; ++r) setItem(r - 1, c, new QTableWidgetItem());
  }
}

QString TTrasGrid::Cells(int col, int row) const {
  if (col < 0 || col >= kColCount || row < 0 || row >= kRowCount) return {};
  const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
  return it ? it->text() : QString();
}

void TTrasGrid::SetCells(int col, int row, const QString& text) {
  if (col < 0 || col >= kColCount || row < 0 || row >= kRowCount) return;
  QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
  if (!it || it->text() == text) return;
  if (row > 0) {
    it->setText(text);  // repaints that cell alone
    return;
  }
  // A header text that the model announces makes the view lay out and
  // repaint every cell; the fixed row keeps its size, so only its header
  // section is told.
  {
    const QSignalBlocker quiet(model());
    it->setText(text);
  }
  horizontalHeader()->headerDataChanged(Qt::Horizontal, col, col);
}

TTrasWin::TTrasWin(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("TrasWin"));
  setWindowTitle(QStringLiteral("Трассировка"));
  setGeometry(423, 193, 142, 260);
  setMinimumSize(142, 260);
  setMaximumSize(300, 260);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  TrasString = new TTrasGrid(this);
  // The grid takes the window's colour.
  QPalette pal = TrasString->palette();
  pal.setColor(QPalette::Base, palette().color(QPalette::Window));
  TrasString->setPalette(pal);
  lay->addWidget(TrasString);
  // A drag of a column border ends with column 1 filling the rest again.
  connect(TrasString->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
    if (section == 0) TrasStringMouseUp();
  });
  FormResize();
}

void TTrasWin::FormResize() {
  QHeaderView* h = TrasString->horizontalHeader();
  const QSignalBlocker block(h);
  // The grid fills the window; its layout may not have followed a resize yet.
  const int inner = width() - 2 * TrasString->frameWidth();
  TrasString->setColumnWidth(1, std::max(1, inner - TrasString->columnWidth(0)));
}

void TTrasWin::FitTitleColumn() {
  TTrasGrid& g = *TrasString;
  int need = std::max(TTrasGrid::kDefaultColWidth, g.horizontalHeader()->sectionSizeHint(0));
  for (int row = 1; row < TTrasGrid::kRowCount; ++row) need = std::max(need, vistrel::CellWidthFor(g, g.Cells(0, row)));
  const int frames = 2 * g.frameWidth();
  // The values keep the room they have, within the window's widest.
  const int values = std::max(TTrasGrid::kDefaultColWidth, g.columnWidth(1));
  const int widest = std::max(TTrasGrid::kDefaultColWidth, maximumWidth() - frames - values);
  g.setColumnWidth(0, std::min(need, widest));
  const int wanted = frames + g.columnWidth(0) + values;
  if (wanted > width()) resize(std::min(wanted, maximumWidth()), height());
  FormResize();
}

void TTrasWin::TrasStringMouseUp() { FormResize(); }

void TTrasWin::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  FormResize();
}
