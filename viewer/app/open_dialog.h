#pragma once
// The phenomena dialog's file chooser (OpenDialog1): its form values, its
// events while it is up, and one modal run. Tests put a scripted chooser in
// its place; the program uses Qt's widget-based file dialog, which reports
// selection and filter changes as they happen.
#include <QRect>
#include <QString>
#include <functional>

class QFileDialog;
class QWidget;

class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;

  // Form values; FileName and FilterIndex also follow the user while the
  // dialog is up and tell the chosen file afterwards.
  QString DefaultExt = QStringLiteral("31");
  QString FileName = QStringLiteral("*.31");
  QString Filter = QStringLiteral("osc (*.31)|*.31|Kestrino (*.rzs)|*.rzs");
  int FilterIndex = 1;  // 1-based, as in Filter

  std::function<void()> OnShow;             // the dialog is on the screen
  std::function<void()> OnSelectionChange;  // FileName is the selected file
  std::function<void()> OnTypeChange;       // FilterIndex changed
  std::function<void()> OnClose;            // the dialog is going away

  // Runs the dialog modally; true when the user chose a file.
  virtual bool Execute(QWidget* owner) = 0;
  // The dialog's window on the screen while it is up (frame included).
  virtual QRect WindowRect() const = 0;
  // Puts `name` into the dialog's file name box.
  virtual void SetFileName(const QString& name) = 0;
};

class QtOpenDialog final : public TOpenDialog {
 public:
  bool Execute(QWidget* owner) override;
  QRect WindowRect() const override;
  void SetFileName(const QString& name) override;

 private:
  QFileDialog* dialog_ = nullptr;  // while Execute runs
};
