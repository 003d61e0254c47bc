#pragma once
// The phenomena dialog "Добавить/Удалить явления": opens a file and chooses
// what the chart shows. Shown modeless by the chart window. Its right half
// opens a file and lists the file's phenomena and sections; its left half
// lists what the chart shows and adds and deletes. All the work is done by
// kv::PhenomenaChoice; the dialog mirrors its state into the controls.
#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "viewer/app/chart_slot_series.h"
#include "viewer/app/open_dialog.h"
#include "viewer/core/phenomena_choice.h"
#include "viewer/core/un_osc.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QTabWidget;
class TFormGraph;

class TFormAxis : public QDialog {
  Q_OBJECT
 public:
  // The dialog works on the chart window's records and series.
  explicit TFormAxis(TFormGraph* graph);
  ~TFormAxis() override;

  // Controls, named as in the form. Left half:
  QLabel* Label1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QTableWidget* ListLeftAxis = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* DeleteFactor = nullptr;
  QPushButton* DeleteAll = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* AddFactor = nullptr;
  QPushButton* AddAllFactor = nullptr;
  QPushButton* ButtonOK = nullptr;
  // Right half:
  QPushButton* ChangFile = nullptr;
  QLabel* StaticText1 = nullptr;
  QLabel* FileNameLabel = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QLabel* TimeOsc = nullptr;
  QLabel* TimeOpr = nullptr;
  QLabel* CountPoints = nullptr;
  QTabWidget* PageControl2 = nullptr;
  QListWidget* FactorList = nullptr;
  QListWidget* ListOfSum = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  std::array<QLabel*, 2> StatusPanels{};  // panel 0 the label, panel 1 the full path

  // The file chooser; tests put a scripted one in its place.
  std::unique_ptr<TOpenDialog> OpenDialog1;
  // How a message reaches the user; tests collect them instead.
  std::function<void(const QString& text)> ShowMessage;

  kv::PhenomenaChoice& Choice() { return *choice_; }

  // Handlers.
  void ChangFileClick();
  void OpenDialog1Show();
  void OpenDialog1SelectionChange();
  void OpenDialog1TypeChange();
  void OpenDialog1Close();
  void FactorListClickCheck(QListWidget* list, int item);
  void AddFactorClick();
  void AddAllFactorClick();
  void DeleteFactorClick();
  void DeleteAllClick();
  void ButtonOKClick();
  // Enabling of the delete buttons and the chart window's paging button.
  void ListLeftAxisDrawCell();

 private:
  void FormCreate();
  void BuildRightHalf(QWidget* host);
  void BuildLeftHalf(QWidget* host);
  void BindOpenDialog();
  kv::PickList ActiveList() const;
  void PlaceComment();
  // Controls from the engine's state.
  void ShowFile();
  void ShowLists();
  void ShowRows();
  void ShowReleased();  // the item a deletion released becomes the selected one
  void ApplyAxes(const kv::ChartAxesSettings& a);

  TFormGraph* graph_;
  std::array<std::unique_ptr<vistrel::ChartSlotSeries>, kv::kSlotCount> slots_;
  std::unique_ptr<kv::PhenomenaChoice> choice_;
  kv::OscReader preview_;  // browsing reads comments with its own reader
  bool syncing_ = false;   // lists being filled from the engine
};

extern TFormAxis* FormAxis;
