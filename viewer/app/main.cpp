#include <QApplication>

#include "common_qt/qt_russian.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/vistrel_start.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (QString why; !kv::InstallQtRussian(app, &why)) qWarning("%s", qPrintable(why));
  vistrel::SetApplicationName();
  vistrel::SetSeparatorsFromLocale();

  vistrel::CreateForms();
  // The program ends with its main window, whatever else is still open.
  QObject::connect(FormGraph, &TFormGraph::closed, &app, &QApplication::quit);
  FormGraph->showMaximized();
  const int rc = QApplication::exec();
  vistrel::DestroyForms();
  return rc;
}
