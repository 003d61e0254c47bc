#pragma once
// The options dialog "Опции": created once, shown modally any number of times.
#include <QDialog>

class TFormTool : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTool(QWidget* owner = nullptr);
};

extern TFormTool* FormTool;
