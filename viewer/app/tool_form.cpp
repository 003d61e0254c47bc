#include "viewer/app/tool_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <algorithm>

#include "viewer/chart/chart.h"

TFormTool* FormTool = nullptr;

namespace {
// The client area as designed, and the room it leaves right of the widest check box.
constexpr int kClientWidth = 214;
constexpr int kClientHeight = 215;
constexpr int kRightMargin = 5;
}  // namespace

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
  int top = 16;
  for (int i = 0; i < items.size(); ++i, top += 17) {
    auto* b = new QRadioButton(items[i], this);
    b->setGeometry(8, top, 160, 17);
    group_->addButton(b, i);
  }
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int i) {
  if (QAbstractButton* b = group_->button(i)) b->setChecked(true);
}

TFormTool::TFormTool(QWidget* owner, kv::Chart* chart) : QDialog(owner, Qt::Tool), chart_(chart) {
  setObjectName(QStringLiteral("FormTool"));
  setWindowTitle(QStringLiteral("Опции"));
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(11);
  setFont(f);

  // A caption wider than its designed box in this font widens the box, and
  // the dialog with it, so that it is read whole.
  int clientWidth = kClientWidth;
  auto check = [&](QCheckBox*& c, const char* name, const QString& caption, int top, int width, bool on) {
    c = new QCheckBox(caption, this);
    c->setObjectName(QString::fromLatin1(name));
    c->setFont(f);
    width = std::max(width, c->sizeHint().width());
    c->setGeometry(8, top, width, 17);
    c->setChecked(on);
    clientWidth = std::max(clientWidth, 8 + width + kRightMargin);
  };
  check(MarksCheck, "MarksCheck", QStringLiteral("Показывать маркеры к явлениям"), 8, 201, true);
  TypeMarks = new TRadioGroup(QStringLiteral("Маркер"), {QStringLiteral("фигура"), QStringLiteral("цифра")}, this);
  TypeMarks->setObjectName(QStringLiteral("TypeMarks"));
  TypeMarks->setGeometry(24, 24, 177, 57);
  TypeMarks->SetItemIndex(0);
  check(TimeAxisCheck, "TimeAxisCheck", QStringLiteral("Ось времени от '0' ординаты"), 88, 177, false);
  check(PosAxisCheck, "PosAxisCheck", QStringLiteral("Положение осей"), 112, 113, true);
  check(FrameOn, "FrameOn", QStringLiteral("Рамка вокруг графика"), 136, 169, false);
  check(ClipPoint, "ClipPoint", QStringLiteral("Режим Clip"), 160, 89, false);

  Button1 = new QPushButton(QStringLiteral("Применить"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(16, 184, 81, 25);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(112, 184, 83, 25);
  // Neither button undoes anything: both only close the dialog.
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

  setFixedSize(clientWidth, kClientHeight);

  QWidget* order[] = {MarksCheck, Button1, Button2, TypeMarks, TimeAxisCheck, FrameOn, ClipPoint, PosAxisCheck};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(TimeAxisCheck, &QCheckBox::clicked, this, [this] { TimeAxisCheckClick(); });
  connect(PosAxisCheck, &QCheckBox::clicked, this, [this] { PosAxisCheckClick(); });
  connect(FrameOn, &QCheckBox::clicked, this, [this] { FrameOnClick(); });
  connect(ClipPoint, &QCheckBox::clicked, this, [this] { ClipPointClick(); });
}

void TFormTool::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (QWidget* owner = parentWidget()) {
    QRect r = frameGeometry();
    r.moveCenter(owner->frameGeometry().center());
    move(r.topLeft());
  }
  MarksCheck->setFocus();
}

void TFormTool::TimeAxisCheckClick() {
  if (!chart_) return;
  // Checked: the after-draw pass puts the time axis on the zero line.
  if (!TimeAxisCheck->isChecked()) chart_->BottomAxis().SetPositionPercent(PosAxisCheck->isChecked() ? -2 : 0);
  chart_->Repaint();
}

void TFormTool::PosAxisCheckClick() {
  if (!chart_) return;
  const bool off = PosAxisCheck->isChecked();
  // A time axis lifted onto the zero line stays there.
  if (!(chart_->BottomAxis().PositionPercent() > 0)) chart_->BottomAxis().SetPositionPercent(off ? -2 : 0);
  chart_->LeftAxis().SetPositionPercent(off ? -1 : 0);
  chart_->Repaint();
}

void TFormTool::FrameOnClick() {
  if (!chart_) return;
  chart_->SetBackWallPenVisible(FrameOn->isChecked());
  chart_->Repaint();
}

void TFormTool::ClipPointClick() {
  if (!chart_) return;
  chart_->SetClipPoints(ClipPoint->isChecked());
  chart_->Repaint();
}
