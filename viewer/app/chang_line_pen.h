#pragma once
// The line-style dialog "Изменить параметры линий на графике": colour, type
// and width of every shown phenomenon's curve and the chart's background.
// It edits working copies held by its sample boxes; "Принять" writes them to
// the chart window, "Отменить" drops them.
#include <QDialog>
#include <QPen>
#include <array>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TFormGraph;
class TRadioGroup;

namespace vistrel {
class ColorChooser;

// Line type items 0..4 and their pen styles.
Qt::PenStyle PenStyleOfItem(int item);
int ItemOfPenStyle(Qt::PenStyle style);  // -1 for a style not in the list

// A row's line sample on a box of width w: the line across at y 10 with the
// row's pen, the slot's marker in the middle in the pen's colour.
void DrawLineSample(QPainter& p, int w, int h, const QPen& pen, const QColor& back, int slot);
}  // namespace vistrel

// Sample box of one row: holds the row's working pen and the working
// background colour.
class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent = nullptr);
  QPen Pen;
  QColor Color;
  std::function<void(QPainter&)> OnPaint;

 protected:
  void paintEvent(QPaintEvent*) override;
};

class TFormBrush : public QDialog {
  Q_OBJECT
 public:
  explicit TFormBrush(TFormGraph& owner);

  QLabel* Label3 = nullptr;
  QTableWidget* StringGrid1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;  // items 0..4
  QLabel* Label2 = nullptr;
  QSpinBox* SpinEdit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;

  // The one colour dialog of both colour buttons and its custom colours.
  vistrel::ColorChooser* ColorDialog1 = nullptr;
  std::vector<QColor> CustomColors;

  // Entries 1..n, one per shown phenomenon; the others stay null.
  std::array<TPaintBox*, 11> FSampleBoxes{};

  // Grid text of column c, row r (row 0 the header).
  QString Cells(int c, int r) const;
  // Selected grid row (1..10).
  int Row() const;
  void SetRow(int r);

  void StringGrid1DrawCell(int ACol, int ARow, QPainter& canvas);
  void StringGrid1Click();
  void RadioGroup1Click();
  void SpinEdit1Change();
  void Button1Click();
  void Button4Click();
  void Button2Click();

 private:
  void FormCreate();
  bool RowValid() const { return Row() >= 1 && Row() <= n_; }
  void ShowRowPen(int r);
  void RepaintGrid();

  TFormGraph& graph_;
  int n_ = 0;  // rows in use
};
