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

  // Width of the window with its frame; held again each time it is shown,
  // since the frame is known only once the window is on the screen.
  void SetOuterWidth(int width);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void ApplyOuterWidth();
  int outerWidth_ = 0;  // 0: the client width stays as it is
};

extern TForm1* Form1;
