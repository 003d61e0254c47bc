#pragma once
// Keeps a label of a toolbar panel whole however narrow its window: on one
// line at its designed place where the panel leaves room for it, else with
// its words on more lines, centred on the panel's height.
#include <QPoint>

class QLabel;

namespace vistrel {

// The label's parent is the panel; `at` its designed top left.
void KeepLabelWhole(QLabel* label, QPoint at);

}  // namespace vistrel
