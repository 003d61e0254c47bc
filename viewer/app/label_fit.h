#pragma once
// Keeps a label of a toolbar panel whole however narrow its window: on one
// line at its designed place where the panel leaves room for it, else with
// its words on more lines, centred on the panel's height.
#include <QPoint>

class QAbstractItemView;
class QLabel;
class QString;

namespace vistrel {

// The label's parent is the panel; `at` its designed top left.
void KeepLabelWhole(QLabel* label, QPoint at);

// Width of a grid column that shows `text` whole in the view's font: the
// style's margin on either side, and a pixel for the grid line.
int CellWidthFor(const QAbstractItemView& view, const QString& text);

}  // namespace vistrel
