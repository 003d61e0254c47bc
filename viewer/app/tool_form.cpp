#include "viewer/app/tool_form.h"

TFormTool* FormTool = nullptr;

TFormTool::TFormTool(QWidget* owner) : QDialog(owner, Qt::Tool) {
  setObjectName("FormTool");
  setWindowTitle(QStringLiteral("Опции"));
  resize(214, 215);
}
