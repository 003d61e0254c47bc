#pragma once
// Comment window of the oscillogram being browsed in the open dialog; the
// phenomena dialog fills, moves, shows and hides it.
#include <QWidget>

class QPlainTextEdit;

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* owner = nullptr);
  QPlainTextEdit* Memo1 = nullptr;
};

extern TForm1* Form1;
