#pragma once
// The phenomena dialog "Добавить/Удалить явления": opens a file and chooses
// what the chart shows. Shown modeless by the chart window.
#include <QDialog>

class TFormAxis : public QDialog {
  Q_OBJECT
 public:
  explicit TFormAxis(QWidget* owner = nullptr);
};

extern TFormAxis* FormAxis;
