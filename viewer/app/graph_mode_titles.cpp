// The chart window's titles button.
#include <memory>

#include "viewer/app/graph_mode.h"
#include "viewer/app/title_chart.h"

void TFormGraph::GrhTitlSBtnClick() {
  if (Graph.TypeGroupCount == 0) return;
  auto dlg = std::make_unique<TFormTitle>(*this);
  dlg->FontChooser = FontChooser;
  FormTitle = dlg.get();
  if (ExecModal)
    ExecModal(*dlg);
  else
    dlg->exec();
  // The dialog clears FormTitle as it goes, also when the modal call throws.
}
