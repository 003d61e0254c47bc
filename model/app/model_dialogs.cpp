#include "model/app/model_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

namespace kv {

namespace {

void Prepare(QFileDialog& dlg, const QStringList& filters) {
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setNameFilters(filters);
}

}  // namespace

std::optional<ModelDialogs::OpenChoice> QtModelDialogs::openFile(QWidget* parent, const QString& title,
                                                                 const QStringList& filters) {
  QFileDialog dlg(parent, title);
  Prepare(dlg, filters);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  Memory& mem = memory_[title];
  if (!mem.filter.isEmpty()) dlg.selectNameFilter(mem.filter);
  if (!mem.file.isEmpty()) {
    dlg.setDirectory(QFileInfo(mem.file).absolutePath());
    dlg.selectFile(QFileInfo(mem.file).fileName());
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  OpenChoice c;
  c.path = QFileInfo(dlg.selectedFiles().first()).absoluteFilePath();
  int idx = filters.indexOf(dlg.selectedNameFilter());
  c.filterIndex = idx < 0 ? 1 : idx + 1;
  mem.file = c.path;
  mem.filter = dlg.selectedNameFilter();
  return c;
}

std::optional<QString> QtModelDialogs::saveFile(QWidget* parent, const QString& title,
                                                const QStringList& filters, const QString& preset) {
  QFileDialog dlg(parent, title);
  Prepare(dlg, filters);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  // The file is replaced without asking, as the user confirmed its name.
  dlg.setOption(QFileDialog::DontConfirmOverwrite);
  if (!preset.isEmpty()) {
    QFileInfo fi(preset);
    dlg.setDirectory(fi.absolutePath());
    dlg.selectFile(fi.fileName());
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  return QFileInfo(dlg.selectedFiles().first()).absoluteFilePath();
}

void QtModelDialogs::information(const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok);
  box.exec();
}

void QtModelDialogs::warning(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok, parent);
  box.exec();
}

void QtModelDialogs::error(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
  box.exec();
}

bool QtModelDialogs::startDetached(const QString& program) {
  return QProcess::startDetached(program, {});
}

}  // namespace kv
