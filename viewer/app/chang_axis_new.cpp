#include "viewer/app/chang_axis_new.h"

TFormAxis* FormAxis = nullptr;

TFormAxis::TFormAxis(QWidget* owner) : QDialog(owner) {
  setObjectName("FormAxis");
  setWindowTitle(QStringLiteral("Добавить/Удалить явления"));
  setModal(false);
}
