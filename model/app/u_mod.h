#pragma once
// Kelvotin's main window: the two files, the memo, the run and its results
// table, the start of the viewer.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "model/app/model_dialogs.h"
#include "model/core/dat_mod1.h"
#include "model/core/memo_text.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kv {


// Replaces d.ShortFileName by its part after the last directory separator.
void StripDirectory(DatMod1& d);

// The memo's text as file bytes (code page 1251, one line end per line) and back.
std::string MemoTextToFileBytes(const QString& text, bool crlf);
QString FileBytesToMemoText(const std::string& bytes);

class TMODEL : public QWidget, public ModelUi {
  Q_OBJECT
 public:
  using RunFn = std::function<void(DatMod1&)>;
  // Converts d.ShortFileName in the current directory; on success gives the
  // output's full path.
  using ConvertFn = std::function<bool(DatMod1&, std::string* outputPath)>;

  // Without dialogs the window uses Qt's own.
  explicit TMODEL(std::unique_ptr<ModelDialogs> dialogs = nullptr, QWidget* parent = nullptr);
  ~TMODEL() override;

  DatMod1& dat() { return d_; }
  // The run and the converter the buttons call (the model's own by default).
  void setRunProcessing(RunFn fn) { run_ = std::move(fn); }
  void setConvertExpFile(ConvertFn fn) { convert_ = std::move(fn); }
  // How much of a file the memo shows (tests use small limits).
  void setMemoLimits(const MemoLimits& limits) { memoLimits_ = limits; }

  void Warning(const std::string& textUtf8) override;

 public slots:
  void OP_UClick();
  void OP_TClick();
  void Save_MClick();
  void PuskClick();
  void OscillClick();
  void ExitClick();

 private:
  void FormCreate();
  void BuildControls();
  // Runs one action; an error becomes a message box instead of leaving the handler.
  void Guarded(const std::function<void()>& action);
  void ShowError(const QString& text);
  void OpenTextFile(const QString& path);
  void OpenExpFile(const QString& path);
  // What the memo shows of a file (throws IoError): its text, its line ends,
  // and whether it is only part of the file.
  struct MemoText {
    QString text;
    bool crlf = false;
    bool partial = false;
  };
  MemoText LoadForMemo(const QString& path);
  void ShowMemo(const MemoText& memo, const QString& label);
  void ShowResultsGrid();

  DatMod1 d_;
  std::unique_ptr<ModelDialogs> dialogs_;
  RunFn run_;
  ConvertFn convert_;
  bool memoCrlf_ = false;
  // The memo shows only part of its file: saving it would cut the file.
  bool memoPartial_ = false;
  MemoLimits memoLimits_;

  QLabel* Panel1 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Image2 = nullptr;
  QLabel* L1 = nullptr;
  QTableWidget* Vix_Tab = nullptr;
  QLabel* L2 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Oscill = nullptr;
  QPushButton* Pusk = nullptr;
  QPushButton* OP_Ust = nullptr;
  QLabel* L_Ust = nullptr;
  QPushButton* OP_Txt = nullptr;
  QLabel* L_Txt = nullptr;
  QPushButton* Save_M = nullptr;
  QPushButton* Exit = nullptr;
};

}  // namespace kv
