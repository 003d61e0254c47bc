#include "common_qt/qt_russian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kv {

bool InstallQtRussian(QCoreApplication& app, QString* error) {
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_ru"), dir) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    if (error) *error = QStringLiteral("qtbase_ru.qm не загружен из %1").arg(dir);
    return false;
  }
  return true;
}

}  // namespace kv
