#include "viewer/app/cmb_box.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <algorithm>

int SelStartOf(const QLineEdit& e) { return e.hasSelectedText() ? e.selectionStart() : e.cursorPosition(); }

TCmbBox::TCmbBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // Typed text edits an item in place: never added as a new item, never
  // completed from the list.
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);
}

int TCmbBox::SelStart() const {
  const QLineEdit* e = lineEdit();
  return e ? SelStartOf(*e) : 0;
}

void TCmbBox::SetCaret(int pos) {
  QLineEdit* e = lineEdit();
  if (!e) return;
  e->deselect();
  e->setCursorPosition(std::clamp(pos, 0, static_cast<int>(e->text().size())));
}

void TCmbBox::focusOutEvent(QFocusEvent* e) {
  FSavedSelStart = SelStart();
  QComboBox::focusOutEvent(e);
}
