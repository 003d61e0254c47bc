#pragma once
// The trace read-out window: stays on top, hidden while the trace is off.
#include <QWidget>

class TTrasWin : public QWidget {
  Q_OBJECT
 public:
  explicit TTrasWin(QWidget* owner = nullptr);
};

extern TTrasWin* TrasWin;
