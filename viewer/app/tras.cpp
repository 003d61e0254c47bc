#include "viewer/app/tras.h"

TTrasWin* TrasWin = nullptr;

TTrasWin::TTrasWin(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("TrasWin");
  setWindowTitle(QStringLiteral("Трассировка"));
  setGeometry(423, 193, 142, 260);
  setMinimumSize(142, 260);
  setMaximumSize(300, 260);
}
