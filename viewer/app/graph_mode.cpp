#include "viewer/app/graph_mode.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "viewer/app/chang_axis_new.h"
#include "viewer/app/chang_line_pen.h"
#include "viewer/app/glyphs.h"
#include "viewer/app/label_fit.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/tras.h"
#include "viewer/core/round_maximum.h"

TFormGraph* FormGraph = nullptr;

namespace {

// The class library's "MS Sans Serif" and "Arial" are not on Linux.
QFont UiFont(int pixelHeight, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixelHeight);
  f.setBold(bold);
  return f;
}

// Width the page indicator needs to show `text` whole in font `f`.
int IndicatorTextWidth(const QLabel* label, const QFont& f, const QString& text) {
  return QFontMetrics(f).horizontalAdvance(text) + 2 * label->frameWidth() + 4;
}

const QColor kSilver(192, 192, 192);
const QColor kBtnFace(240, 240, 240);
const QColor kScrollBar(200, 200, 200);

struct MarkerLook {
  kv::PointerStyle style;
  int horiz, vert;
};

constexpr std::array<MarkerLook, kv::kSlotCount> kMarkerLooks{{
    {kv::PointerStyle::Rectangle, 3, 3},
    {kv::PointerStyle::Circle, 3, 3},
    {kv::PointerStyle::Triangle, 3, 3},
    {kv::PointerStyle::DownTriangle, 3, 3},
    {kv::PointerStyle::Diamond, 3, 3},
    {kv::PointerStyle::Rectangle, 2, 5},
    {kv::PointerStyle::Rectangle, 5, 2},
    {kv::PointerStyle::Diamond, 2, 5},
    {kv::PointerStyle::Diamond, 5, 2},
    {kv::PointerStyle::Star, 3, 3},
}};

// Sets `inc` from RoundMaximum(x); a value it has no result for leaves the
// increment as it was.
void SetIncrementRounded(kv::ChartAxis& axis, double x) {
  if (kv::RoundMaximum(x)) axis.SetIncrement(x);
}

}  // namespace

// ---- TSpinEdit

void TSpinEdit::keyPressEvent(QKeyEvent* e) {
  if (OnKeyDown) OnKeyDown(e->key());
  // Keys that type no character (arrows, Delete, ...) go straight through.
  const QString text = e->text();
  if (OnKeyPress && !text.isEmpty() && e->key() != Qt::Key_Delete) {
    QChar ch = text.at(0);
    OnKeyPress(ch);
    if (ch.isNull()) {
      e->accept();
      return;
    }
  }
  QSpinBox::keyPressEvent(e);
}

// ---- TFormGraph

QColor TFormGraph::SlotColor(int slot) {
  static const std::array<QColor, kv::kSlotCount> colours{{
      QColor(244, 0, 0), QColor(0, 128, 0), QColor(0, 0, 255), QColor(0, 128, 255), QColor(255, 128, 0),
      QColor(0, 0, 0), QColor(255, 0, 255), QColor(72, 183, 183), QColor(128, 128, 128), QColor(128, 0, 255),
  }};
  return colours.at(static_cast<std::size_t>(slot));
}

TFormGraph::TFormGraph(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FormGraph"));
  setWindowTitle(QStringLiteral("Сводный график"));
  resize(636, 510);
  if (const QScreen* scr = QGuiApplication::primaryScreen()) {
    QRect r(QPoint(0, 0), size());
    r.moveCenter(scr->availableGeometry().center());
    move(r.topLeft());
  }

  ExecModal = [](QDialog& d) { return d.exec(); };
  PrintPreview = [](kv::Chart& c, QWidget* owner) { kv::ShowChartPrintPreview(c, owner); };
  ExportUi = &defaultExportUi_;

  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(0);
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  static_cast<QFrame*>(Panel1)->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setFixedHeight(33);
  lay->addWidget(Panel1);
  // The chart's single border: a sunken edge around it on the screen only
  // (printing and export draw the chart without it).
  auto* border = new QFrame(this);
  border->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  auto* borderLay = new QVBoxLayout(border);
  borderLay->setContentsMargins(0, 0, 0, 0);
  Chart1 = new kv::Chart(border);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  borderLay->addWidget(Chart1);
  lay->addWidget(border, 1);

  BuildToolbar();
  SetDesignSettings();
  FormCreate();
  WireMeasuring();
}

TFormGraph::~TFormGraph() {
  // The designation labels go first, then the chart with its companions.
  for (auto& l : FFactorLabels) l.reset();
}

void TFormGraph::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (e->isAccepted()) emit closed();
}

void TFormGraph::BuildToolbar() {
  auto speed = [this](QToolButton*& b, const char* name, int left, int width, vistrel::Glyph g, const QString& hint) {
    b = new QToolButton(Panel1);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, 4, width, 25);
    b->setIcon(vistrel::GlyphIcon(g));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
  };
  using vistrel::Glyph;
  speed(AddDelSBtn, "AddDelSBtn", 8, 25, Glyph::AddDel, QStringLiteral("Добавить, удалить явление"));
  speed(ImportSBtn, "ImportSBtn", 33, 24, Glyph::Export, QStringLiteral("Импорт графика"));
  speed(PrintSBtn, "PrintSBtn", 57, 25, Glyph::Print, QStringLiteral("Распечатать график"));
  speed(SpeedButton3, "SpeedButton3", 94, 25, Glyph::Options, QStringLiteral("Опции"));
  speed(SpeedButton1, "SpeedButton1", 119, 25, Glyph::Colours, QStringLiteral("Настройка цветов"));
  speed(GrhTitlSBtn, "GrhTitlSBtn", 144, 24, Glyph::Titles, QStringLiteral("Заголовки к графику"));
  speed(GridSBtn, "GridSBtn", 168, 25, Glyph::Grid, QStringLiteral("Сетка"));
  speed(ZoomSBtn, "ZoomSBtn", 198, 24, Glyph::Zoom, QStringLiteral("Детальный просмотр"));
  speed(TrasSBtn, "TrasSBtn", 222, 25, Glyph::Trace, QStringLiteral("Трассировка"));
  speed(FullSBtn, "FullSBtn", 254, 25, Glyph::OneScreen, QStringLiteral("Один экран"));
  speed(PageSBtn, "PageSBtn", 279, 25, Glyph::Pages, QStringLiteral("Постраничный просмотр"));
  speed(BFirstPage, "BFirstPage", 311, 25, Glyph::FirstPage, QStringLiteral("К первому экрану"));
  speed(ButtonPrevious, "ButtonPrevious", 336, 25, Glyph::PreviousPage, QStringLiteral("На экран влево"));
  speed(ButtonNext, "ButtonNext", 398, 25, Glyph::NextPage, QStringLiteral("На экран вправо"));
  speed(BLastPage, "BLastPage", 423, 25, Glyph::LastPage, QStringLiteral("К последнему экрану"));

  StaticText1 = new QLabel(Panel1);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  StaticText1->setAlignment(Qt::AlignCenter);
  StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StaticText1->setFont(UiFont(13));
  StaticText1->setToolTip(QStringLiteral("Индикатор экранов"));
  // One width from the start, room for four-digit page numbers (a whole
  // model run at 1000 ms per screen has 1285 pages), so that the controls
  // to its right never move.
  const int shift = std::max(35, IndicatorTextWidth(StaticText1, StaticText1->font(), QStringLiteral("0000/0000"))) - 35;
  StaticText1->setGeometry(362, 7, 35 + shift, 19);
  ButtonNext->move(398 + shift, ButtonNext->y());
  BLastPage->move(423 + shift, BLastPage->y());

  SpinEdit1 = new TSpinEdit(Panel1);
  SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
  SpinEdit1->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());  // no limits
  SpinEdit1->setSingleStep(20);
  SpinEdit1->setValue(1000);
  SpinEdit1->setFont(UiFont(13));
  SpinEdit1->setGeometry(452 + shift, 5, 56, 23);
  SpinEdit1->setEnabled(false);
  SpinEdit1->OnKeyDown = [this](int key) { SpinEdit1KeyDown(key); };
  SpinEdit1->OnKeyPress = [this](QChar& ch) { SpinEdit1KeyPress(ch); };

  Label1 = new QLabel(QStringLiteral("(млсек. в экране)"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(UiFont(11));
  vistrel::KeepLabelWhole(Label1, QPoint(515 + shift, 9));

  SetIndicator(QStringLiteral("00/00"));

  // Group 3: the grid button toggles by itself.
  GridSBtn->setCheckable(true);
  // Group 2: at most one of zoom and trace is down, both may be up. Pressing
  // one raises the other without running the other's handler.
  for (QToolButton* b : {ZoomSBtn, TrasSBtn}) b->setCheckable(true);
  auto group2 = [this](QToolButton* pressed, QToolButton* other) {
    if (pressed->isChecked()) other->setChecked(false);
  };
  connect(ZoomSBtn, &QToolButton::clicked, this, [this, group2] {
    group2(ZoomSBtn, TrasSBtn);
    ZoomSBtnClick();
  });
  connect(TrasSBtn, &QToolButton::clicked, this, [this, group2] {
    group2(TrasSBtn, ZoomSBtn);
    TrasSBtnClick();
  });
  // Group 1: exactly one of one screen and paging is down.
  auto* group1 = new QButtonGroup(this);
  group1->setExclusive(true);
  for (QToolButton* b : {FullSBtn, PageSBtn}) {
    b->setCheckable(true);
    group1->addButton(b);
  }
  FullSBtn->setChecked(true);
  PageSBtn->setEnabled(false);
  for (QToolButton* b : {BFirstPage, ButtonPrevious, ButtonNext, BLastPage}) b->setEnabled(false);

  connect(AddDelSBtn, &QToolButton::clicked, this, [this] { AddDelSBtnClick(); });
  connect(ImportSBtn, &QToolButton::clicked, this, [this] { ImportSBtnClick(); });
  connect(PrintSBtn, &QToolButton::clicked, this, [this] { PrintSBtnClick(); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(GrhTitlSBtn, &QToolButton::clicked, this, [this] { GrhTitlSBtnClick(); });
  connect(GridSBtn, &QToolButton::clicked, this, [this] { GridSBtnClick(); });
  connect(FullSBtn, &QToolButton::clicked, this, [this] { FullSBtnClick(); });
  connect(PageSBtn, &QToolButton::clicked, this, [this] { PageSBtnClick(); });
  connect(BFirstPage, &QToolButton::clicked, this, [this] { BFirstPageClick(); });
  connect(ButtonPrevious, &QToolButton::clicked, this, [this] { ButtonPreviousClick(); });
  connect(ButtonNext, &QToolButton::clicked, this, [this] { ButtonNextClick(); });
  connect(BLastPage, &QToolButton::clicked, this, [this] { BLastPageClick(); });
}

void TFormGraph::SetDesignSettings() {
  kv::Chart& c = *Chart1;
  c.SetAllowZoom(false);  // zooming is by dragging a plot edge
  c.SetColor(kSilver);
  c.SetBackColor(kSilver);
  c.SetBackWallPenVisible(false);
  c.SetClipPoints(false);

  c.Title().SetText({QString()});
  c.Title().SetFont(UiFont(11));
  c.Foot().SetVisible(false);

  c.Legend().SetColor(kSilver);
  c.Legend().SetColorWidth(30);
  c.Legend().SetFont(UiFont(11));

  kv::ChartAxis& left = c.LeftAxis();
  left.SetPositionPercent(-1.0);
  left.SetIncrement(0.1);
  left.SetGridVisible(false);
  left.SetMinorTickCount(1);
  left.SetTitleFont(UiFont(11));
  left.SetLabelsFont(UiFont(11));
  kv::ChartAxis& bottom = c.BottomAxis();
  bottom.SetPositionPercent(-2.0);
  bottom.SetGridVisible(false);
  bottom.SetMinorTickCount(1);
  bottom.SetLabelsSeparation(100);
  bottom.SetLabelsFont(UiFont(11));

  for (int slot = 0; slot < kv::kSlotCount; ++slot) {
    kv::LineSeries* s = c.AddLineSeries();
    s->SetActive(false);
    s->SetSeriesColor(SlotColor(slot));
    Series[static_cast<std::size_t>(slot)] = s;
  }

  c.OnAllowScroll = [this](kv::ChartAxis& axis, double& mn, double& mx, bool& allow) {
    Chart1AllowScroll(axis, mn, mx, allow);
  };
  c.OnZoom = [this] { Chart1Zoom(); };
  c.OnUndoZoom = [this] { Chart1UndoZoom(); };
  c.OnPageChange = [this] { Chart1PageChange(); };

  auto timeLabel = [this](QLabel*& l, const char* name, int top) {
    l = new QLabel(Chart1);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(8, top, 58, 17);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, kScrollBar);
    pal.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(pal);
    l->setFont(UiFont(11, true));
    l->hide();
  };
  timeLabel(TimeLabel, "TimeLabel", 296);
  timeLabel(TimeLabel1, "TimeLabel1", 328);
}

void TFormGraph::FormCreate() {
  FZoomCursor = vistrel::ZoomCursor();
  FCursorX = -1;
  Graph.TypeGroupCount = 0;
  FCaptionsBelow = false;

  for (int slot = 0; slot < kv::kSlotCount; ++slot) {
    auto label = std::make_unique<QLabel>();
    label->setFont(Chart1->Legend().Font());
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, kBtnFace);
    label->setPalette(pal);
    FFactorLabels[static_cast<std::size_t>(slot)] = std::move(label);
  }

  // The chart then holds 20 series: line series 0..9, their companions 10..19.
  for (int slot = 0; slot < kv::kSlotCount; ++slot) {
    kv::PointSeries* m = Chart1->AddPointSeries();
    m->SetShowInLegend(false);
    m->SetSeriesColor(slot == 9 ? QColor(Qt::black) : Chart1->SeriesAt(slot)->SeriesColor());
    m->SetInflateMargins(false);
    const MarkerLook& look = kMarkerLooks[static_cast<std::size_t>(slot)];
    m->SetStyle(look.style);
    m->SetSize(look.horiz, look.vert);
    m->SetActive(false);
    FMarkSeries[static_cast<std::size_t>(slot)] = m;
  }
  ConnectMarks();
}

void TFormGraph::SetIndicator(const QString& text) {
  StaticText1->setText(text);
  // A longer page number takes a smaller font rather than more room.
  QFont f = UiFont(13);
  while (f.pixelSize() > 7 && IndicatorTextWidth(StaticText1, f, text) > StaticText1->width())
    f.setPixelSize(f.pixelSize() - 1);
  StaticText1->setFont(f);
}

// ---- toolbar

void TFormGraph::AddDelSBtnClick() {
  if (TrasSBtn->isChecked()) {
    TrasSBtn->setChecked(false);
    TrasSBtnClick();
  }
  if (FormAxis) {
    FormAxis->show();
    FormAxis->raise();
    FormAxis->activateWindow();
  }
}

void TFormGraph::ZoomSBtnClick() {
  if (ZoomSBtn->isChecked())
    TrasSBtnClick();  // the group has raised the trace button: this switches the trace off
  else {
    ResetDrag();
    Chart1->ResetZoom();
  }
}

void TFormGraph::PrintSBtnClick() {
  if (PrintPreview) PrintPreview(*Chart1, this);
}

void TFormGraph::ImportSBtnClick() {
  if (ExportUi) kv::RunChartExport(*Chart1, this, *ExportUi);
}

void TFormGraph::SpeedButton1Click() {
  if (Graph.FShownRows == 0) return;
  TFormBrush dlg(*this);
  if (ExecModal) ExecModal(dlg);
}

void TFormGraph::SpeedButton3Click() {
  if (FormTool && ExecModal) ExecModal(*FormTool);  // its changes act at once; the result is not used
  ApplyMarkOptions();
  Chart1->Repaint();
}

void TFormGraph::GridSBtnClick() {
  const bool on = GridSBtn->isChecked();
  Chart1->LeftAxis().SetGridVisible(on);
  Chart1->BottomAxis().SetGridVisible(on);
}

// ---- one screen and paging

void TFormGraph::TimeIncrementFromFirstRow() {
  if (Graph.FShownRows <= 0) return;
  const kv::ChartSeries* s = Chart1->SeriesAt(Graph.FSlotOfRow[0]);
  if (s) SetIncrementRounded(Chart1->BottomAxis(), s->SeriesMaxX() / 10);
}

void TFormGraph::Chart1PageChange() {
  Chart1->ResetZoom();
  const int page = Chart1->Page(), count = Chart1->PageCount();
  SetIndicator(QString::number(page) + QLatin1Char('/') + QString::number(count));
  ButtonPrevious->setEnabled(page > 1);
  ButtonNext->setEnabled(page < count);
  BLastPage->setEnabled(ButtonNext->isEnabled());
  BFirstPage->setEnabled(ButtonPrevious->isEnabled());
  PlaceTraceAtLine();
}

void TFormGraph::FullSBtnClick() {
  Chart1->ResetZoom();
  Chart1->SetMaxPointsPerPage(0);
  Chart1PageChange();
  TimeIncrementFromFirstRow();
  for (QWidget* w : std::initializer_list<QWidget*>{BFirstPage, ButtonPrevious, ButtonNext, BLastPage, SpinEdit1})
    w->setEnabled(false);
}

void TFormGraph::PageSBtnClick() {
  Chart1->SetMaxPointsPerPage(0);
  Chart1PageChange();
  Chart1->Repaint();
  SpinEdit1->setEnabled(true);

  // A screen longer than the record becomes the record's length in whole
  // seconds, rounded up past its end.
  const double maxT = Chart1->BottomAxis().Maximum();
  if (SpinEdit1->value() / 1000.0 > maxT) {
    // Kept within the spin edit's range (a record of huge times).
    const double ms = (std::trunc(maxT) + 1) * 1000;
    SpinEdit1->setValue(static_cast<int>(
        std::clamp(ms, static_cast<double>(SpinEdit1->minimum()), static_cast<double>(SpinEdit1->maximum()))));
  }
  const double s = SpinEdit1->value() / 1000.0;  // seconds per screen

  // The page is a count of points of the first slot of the first type group;
  // all phenomena of one file share one time step.
  int n = 0;
  if (Graph.TypeGroupCount > 0 && !Graph.TypeGroups[0].Slots.empty()) {
    if (const kv::ChartSeries* ref = Chart1->SeriesAt(Graph.TypeGroups[0].Slots[0])) {
      const int count = ref->PointCount();
      n = count;  // no point beyond one screen: one page holds everything
      for (int i = 0; i < count; ++i) {
        if (ref->PointX(i) > s) {
          SetIncrementRounded(Chart1->BottomAxis(), s / 10);
          n = i;
          break;
        }
      }
    }
  }
  Chart1->SetMaxPointsPerPage(n);
  Chart1PageChange();
}

void TFormGraph::BFirstPageClick() { Chart1->SetPage(1); }
void TFormGraph::ButtonPreviousClick() { Chart1->ShowPreviousPage(); }
void TFormGraph::ButtonNextClick() { Chart1->ShowNextPage(); }
void TFormGraph::BLastPageClick() { Chart1->SetPage(Chart1->PageCount()); }

void TFormGraph::SpinEdit1KeyPress(QChar& key) {
  if (key < QLatin1Char('0') || key > QLatin1Char('9')) key = QChar();
}

void TFormGraph::SpinEdit1KeyDown(int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) PageSBtnClick();
}

// ---- scrolling and zoom

void TFormGraph::Chart1AllowScroll(kv::ChartAxis& axis, double& aMin, double& aMax, bool& allowScroll) {
  kv::Chart& c = *Chart1;
  if (&axis == &c.LeftAxis()) {
    allowScroll = c.AxisDataMinY(axis) < aMin && c.AxisDataMaxY(axis) > aMax;
  } else if (&axis == &c.BottomAxis()) {
    if (PageSBtn->isChecked())
      allowScroll = aMin > 0 && c.PageCount() * (SpinEdit1->value() / 1000.0) > aMax;
    else
      allowScroll = c.AxisDataMinX(axis) < aMin && c.AxisDataMaxX(axis) > aMax;
  }
  if (TrasSBtn->isChecked()) allowScroll = false;
}

void TFormGraph::Chart1Zoom() {
  for (kv::ChartAxis* axis : {&Chart1->BottomAxis(), &Chart1->LeftAxis()}) {
    const double range = axis->Maximum() - axis->Minimum(), inc = axis->Increment();
    // An axis without an increment or a range keeps its settings.
    if (!(range > 0) || !(inc > 0)) continue;
    if (range / inc < 5) SetIncrementRounded(*axis, range / 10);
  }
}

void TFormGraph::Chart1UndoZoom() {
  if (PageSBtn->isChecked()) return;
  TimeIncrementFromFirstRow();
  Chart1->LeftAxis().SetIncrement(0.1);
}
