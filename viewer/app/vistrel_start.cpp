#include "viewer/app/vistrel_start.h"

#include <QCoreApplication>
#include <QLocale>

#include "common/decimal_format.h"
#include "viewer/app/chang_axis_new.h"
#include "viewer/app/graph_mode.h"
#include "viewer/app/inf_osc.h"
#include "viewer/app/tool_form.h"
#include "viewer/app/tras.h"

namespace vistrel {

void SetApplicationName() { QCoreApplication::setApplicationName(QStringLiteral("vistrel")); }

void SetSeparatorsFromLocale() {
  const QLocale loc = QLocale::system();
  kv::SetSystemSeparators(loc.decimalPoint().toStdString(), loc.groupSeparator().toStdString());
}

void CreateForms() {
  FormGraph = new TFormGraph();
  // The other windows belong to the main window: they close with it and stay above it.
  Form1 = new TForm1(FormGraph);
  FormAxis = new TFormAxis(FormGraph);
  FormTool = new TFormTool(FormGraph, FormGraph->Chart1);
  TrasWin = new TTrasWin(FormGraph);
}

void DestroyForms() {
  delete FormGraph;  // owns the others
  FormGraph = nullptr;
  Form1 = nullptr;
  FormAxis = nullptr;
  FormTool = nullptr;
  TrasWin = nullptr;
}

}  // namespace vistrel
