#pragma once
// An editable combo box that remembers where the caret stood in its edit
// field when the field lost the focus, so the caret can be put back after
// the item list is rewritten under it.
#include <QComboBox>
#include <cstdint>

class QLineEdit;

// Start of an edit's selection (its caret when nothing is selected).
int SelStartOf(const QLineEdit& e);

class TCmbBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TCmbBox(QWidget* parent = nullptr);

  // Start of the edit selection at the last loss of focus; 0 at creation.
  std::int32_t FSavedSelStart = 0;

  // Start of the edit selection now (the caret when nothing is selected).
  int SelStart() const;
  // Caret to `pos` (kept inside the text), nothing selected.
  void SetCaret(int pos);

 protected:
  void focusOutEvent(QFocusEvent* e) override;
};
