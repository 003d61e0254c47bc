#include "viewer/app/open_dialog.h"

#include <QAbstractItemView>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

namespace {

// "osc (*.31)|*.31|Kestrino (*.rzs)|*.rzs" -> "osc (*.31)", "Kestrino (*.rzs)";
// a description without its patterns in parentheses gets them added.
QStringList NameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    if (!name.contains(QLatin1Char('('))) name += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    out << name;
  }
  return out;
}

// Puts `text` into the dialog's file name box. selectFile() never empties
// the box, and a file still selected in the list would be opened instead of
// what the box says, so the selection goes and the box is set directly.
void SetNameBox(QFileDialog& dlg, const QString& text) {
  auto* box = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  auto* list = dlg.findChild<QAbstractItemView*>(QStringLiteral("listView"));
  if (!box || !list || !list->selectionModel()) {
    dlg.selectFile(text);
    return;
  }
  list->selectionModel()->clearSelection();
  box->setText(text);
}

// Runs `f` once the dialog has been shown and laid out.
class ShowWatcher : public QObject {
 public:
  ShowWatcher(QObject* parent, std::function<void()> f) : QObject(parent), f_(std::move(f)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show && !fired_) {
      fired_ = true;
      QTimer::singleShot(0, this, [this] {
        if (f_) f_();
      });
    }
    return QObject::eventFilter(o, e);
  }

 private:
  std::function<void()> f_;
  bool fired_ = false;
};

}  // namespace

bool QtOpenDialog::Execute(QWidget* owner) {
  QFileDialog dlg(owner, QStringLiteral("Открыть"));  // the system's own caption of an open dialog
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setDefaultSuffix(DefaultExt);
  const QStringList filters = NameFilters(Filter);
  dlg.setNameFilters(filters);
  if (FilterIndex >= 1 && FilterIndex <= filters.size()) dlg.selectNameFilter(filters[FilterIndex - 1]);

  // Start where the last chosen file lies; a bare pattern starts in the
  // current folder. A pattern stands in the name box as it is.
  const QFileInfo last(FileName);
  if (FileName.contains(QLatin1Char('/')) && last.dir().exists())
    dlg.setDirectory(last.dir());
  else
    dlg.setDirectory(QDir::current());
  if (FileName.contains(QLatin1Char('*')))
    SetNameBox(dlg, last.fileName());
  else if (FileName.contains(QLatin1Char('/')) && last.dir().exists())
    dlg.selectFile(last.fileName());

  dialog_ = &dlg;
  QObject::connect(&dlg, &QFileDialog::currentChanged, &dlg, [this](const QString& path) {
    if (QFileInfo(path).isDir()) return;
    FileName = path;
    if (OnSelectionChange) OnSelectionChange();
  });
  QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [this, filters](const QString& f) {
    FilterIndex = static_cast<int>(filters.indexOf(f)) + 1;
    if (OnTypeChange) OnTypeChange();
  });
  QObject::connect(&dlg, &QFileDialog::finished, &dlg, [this] {
    if (OnClose) OnClose();
  });
  dlg.installEventFilter(new ShowWatcher(&dlg, [this] {
    if (OnShow) OnShow();
  }));

  const bool ok = dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty();
  dialog_ = nullptr;
  if (!ok) return false;
  FileName = dlg.selectedFiles().first();
  FilterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
  if (FilterIndex < 1) FilterIndex = 1;
  return true;
}

QRect QtOpenDialog::WindowRect() const { return dialog_ ? dialog_->frameGeometry() : QRect(); }

void QtOpenDialog::SetFileName(const QString& name) {
  // FileName keeps the last file selected, so that the next showing still
  // starts in its folder; what is opened comes from the box.
  if (dialog_) SetNameBox(*dialog_, name);
}
