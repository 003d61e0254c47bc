#include "viewer/app/color_chooser.h"

#include <QColorDialog>

namespace vistrel {

bool QtColorChooser::Choose(QWidget* parent, QColor& color, std::vector<QColor>& custom) {
  const int count = QColorDialog::customCount();
  std::vector<QColor> saved;
  for (int i = 0; i < count; ++i) {
    saved.push_back(QColorDialog::customColor(i));
    QColorDialog::setCustomColor(i, i < static_cast<int>(custom.size()) ? custom[static_cast<std::size_t>(i)] : QColor(Qt::white));
  }
  QColorDialog dlg(color, parent);
  const bool ok = dlg.exec() == QDialog::Accepted;
  custom.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    custom[static_cast<std::size_t>(i)] = QColorDialog::customColor(i);
    QColorDialog::setCustomColor(i, saved[static_cast<std::size_t>(i)]);
  }
  if (ok) color = dlg.selectedColor();
  return ok;
}

QColor FromBgr(unsigned value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

}  // namespace vistrel
