#pragma once
// The trace read-out window "Трассировка": stays on top, cannot be closed by
// the user, shown while the trace is on. Its grid TrasString has two
// columns: row 0 (fixed) "t, сек." and the cursor time, rows 1..10 the
// titles of the active series in slot order and their values.
#include <QTableWidget>
#include <QWidget>

// The read-out's string grid: 2 columns and 11 rows; row 0 is the fixed row (the
// header, whose borders the user drags to size the columns).
class TTrasGrid : public QTableWidget {
  Q_OBJECT
 public:
  explicit TTrasGrid(QWidget* parent);
  static constexpr int kColCount = 2;
  static constexpr int kRowCount = 11;
  static constexpr int kDefaultColWidth = 64;
  QString Cells(int col, int row) const;  // empty outside the grid
  void SetCells(int col, int row, const QString& text);
};

class TTrasWin : public QWidget {
  Q_OBJECT
 public:
  explicit TTrasWin(QWidget* owner = nullptr);

  TTrasGrid* TrasString = nullptr;

  // Column 1 fills what column 0 leaves of the grid's width.
  void FormResize();
  // Column 0 wide enough for its titles whole (never below the default),
  // the window widened within its limits so that the values keep their room.
  void FitTitleColumn();
  void TrasStringMouseUp();

 protected:
  void resizeEvent(QResizeEvent* e) override;
};

extern TTrasWin* TrasWin;
