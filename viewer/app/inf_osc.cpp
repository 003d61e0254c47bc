#include "viewer/app/inf_osc.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm1* Form1 = nullptr;

namespace {
constexpr int kClientWidth = 384;
constexpr int kClientHeight = 45;
}  // namespace

TForm1::TForm1(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Комментарий к осциллограмме"));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  // The memo fills the client area, however low: its own minimum would
  // stretch the window beyond its 45 pixels.
  Memo1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  QFont f("DejaVu Sans");
  f.setPixelSize(12);
  Memo1->setFont(f);
  lay->addWidget(Memo1);
  resize(kClientWidth, kClientHeight);
}

void TForm1::SetOuterWidth(int width) {
  outerWidth_ = width;
  ApplyOuterWidth();
}

void TForm1::ApplyOuterWidth() {
  if (outerWidth_ <= 0) return;
  const int frame = frameGeometry().width() - geometry().width();
  resize(outerWidth_ - frame, height());
}

void TForm1::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  ApplyOuterWidth();
}
