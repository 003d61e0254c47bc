#pragma once
// The dialogs and the process start of Kelvotin's main window, behind one
// small interface: the window asks, tests answer without a modal loop.
#include <QString>
#include <QStringList>
#include <QHash>
#include <optional>

class QWidget;

namespace kv {

class ModelDialogs {
 public:
  struct OpenChoice {
    QString path;         // full name of the picked file
    int filterIndex = 1;  // 1-based index of the filter in use when the dialog closed
  };

  virtual ~ModelDialogs() = default;

  // An open dialog; nullopt when the user cancels.
  virtual std::optional<OpenChoice> openFile(QWidget* parent, const QString& title,
                                             const QStringList& filters) = 0;
  // A save dialog preset with `preset`; an empty title gives the toolkit's own.
  virtual std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                          const QStringList& filters, const QString& preset) = 0;

  // A box with the information icon and one OK button, owned by no window.
  virtual void information(const QString& caption, const QString& text) = 0;
  // The warning box with one OK button that a run or a conversion shows.
  virtual void warning(QWidget* parent, const QString& text) = 0;
  // The box in which a failed action reports its error.
  virtual void error(QWidget* parent, const QString& text) = 0;

  // Starts a program without arguments and without waiting; false when it
  // could not be started.
  virtual bool startDetached(const QString& program) = 0;
};

// Qt's own (non-native) file dialogs and message boxes. Each dialog keeps
// its last file and filter, as a dialog object of the window would.
class QtModelDialogs : public ModelDialogs {
 public:
  std::optional<OpenChoice> openFile(QWidget* parent, const QString& title,
                                     const QStringList& filters) override;
  std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                  const QStringList& filters, const QString& preset) override;
  void information(const QString& caption, const QString& text) override;
  void warning(QWidget* parent, const QString& text) override;
  void error(QWidget* parent, const QString& text) override;
  bool startDetached(const QString& program) override;

 private:
  struct Memory {
    QString file;
    QString filter;
  };
  QHash<QString, Memory> memory_;  // by dialog title
};

}  // namespace kv
