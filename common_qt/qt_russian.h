#pragma once
// Qt's own texts (file and print dialogs, standard buttons) in Russian, like
// the rest of the interface, whatever the user's language settings.
#include <QString>

class QCoreApplication;

namespace kv {

// Loads Debian's Qt catalogue "qtbase_ru.qm" from Qt's translations folder
// and installs it into `app` (which owns it). False, with the reason in
// *error, when it cannot be loaded; the program then runs with Qt's English.
bool InstallQtRussian(QCoreApplication& app, QString* error = nullptr);

}  // namespace kv
