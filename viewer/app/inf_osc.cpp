#include "viewer/app/inf_osc.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Комментарий к осциллограмме"));
  resize(384, 45);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  QFont f("DejaVu Sans");
  f.setPixelSize(12);
  Memo1->setFont(f);
  lay->addWidget(Memo1);
}
