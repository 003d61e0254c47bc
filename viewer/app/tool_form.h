#pragma once
// The options dialog "Опции": created once, shown modally any number of
// times. Its check boxes act on the chart at once; both buttons only close
// it, and every control keeps its state to the next showing (the options'
// only store). The drawing reads the marker and axis options on every paint.
#include <QDialog>
#include <QGroupBox>

class QButtonGroup;
class QCheckBox;
class QPushButton;

namespace kv {
class Chart;
}

// A radio group: a framed caption over one radio button per item.
class TRadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);
  int ItemIndex() const;  // -1 when none is chosen
  void SetItemIndex(int i);

 private:
  QButtonGroup* group_;
};

class TFormTool : public QDialog {
  Q_OBJECT
 public:
  // `chart` is the chart window's Chart1, which the options act on.
  explicit TFormTool(QWidget* owner = nullptr, kv::Chart* chart = nullptr);

  QCheckBox* MarksCheck = nullptr;     // markers drawn at all
  TRadioGroup* TypeMarks = nullptr;    // 0 figure markers, 1 number markers
  QCheckBox* TimeAxisCheck = nullptr;  // time axis on the plotted zero line
  QCheckBox* PosAxisCheck = nullptr;   // axes set off from the plot
  QCheckBox* FrameOn = nullptr;        // frame around the plot
  QCheckBox* ClipPoint = nullptr;      // markers outside the plot skipped
  QPushButton* Button1 = nullptr;      // "Применить": closes
  QPushButton* Button2 = nullptr;      // "Отмена": closes

  void TimeAxisCheckClick();
  void PosAxisCheckClick();
  void FrameOnClick();
  void ClipPointClick();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  kv::Chart* chart_;
};

extern TFormTool* FormTool;
