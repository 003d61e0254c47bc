#include <QApplication>
#include <QLocale>
#include <clocale>

#include "common/decimal_format.h"
#include "common_qt/qt_russian.h"
#include "model/app/u_mod.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (QString why; !kv::InstallQtRussian(app, &why)) qWarning("%s", qPrintable(why));
  // Qt takes the C library's number format from the environment; the model's
  // files always use "." whatever the user's regional settings.
  std::setlocale(LC_NUMERIC, "C");
  const QLocale sys = QLocale::system();
  kv::SetSystemSeparators(sys.decimalPoint().toStdString(), sys.groupSeparator().toStdString());
  kv::TMODEL MODEL;
  MODEL.show();
  return app.exec();
}
