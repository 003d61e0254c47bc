#pragma once
// Printing and export of a chart through its one paint routine.
#include <QString>

class QPaintDevice;
class QWidget;

namespace kv {

class Chart;

// Draws the chart on a page (a printer's, the print preview's), scaled to
// fit with its proportions; dashes and dots are as long on the page as on
// the screen.
void PrintChart(Chart& chart, QPaintDevice& page);
// Modal print preview (QPrintPreviewDialog) of the chart.
void ShowChartPrintPreview(Chart& chart, QWidget* parent);

enum class ExportFormat { Png, Svg, Pdf };

struct ExportRequest {
  ExportFormat format = ExportFormat::Png;
  bool toClipboard = false;
  QString fileName;  // used when not to the clipboard
};

// Writes the chart at its own size; a file is replaced only when complete.
// Returns false with a message in *error.
bool ExportChart(Chart& chart, const ExportRequest& request, QString* error);

// What the export asks of the user; tests answer it without a dialog.
class ChartExportUi {
 public:
  virtual ~ChartExportUi() = default;
  // False when the user cancels.
  virtual bool Ask(QWidget* parent, ExportRequest& request) = 0;
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
};

// The export dialog of the viewer (format, clipboard or file) and message box.
class ChartExportDialogUi : public ChartExportUi {
 public:
  bool Ask(QWidget* parent, ExportRequest& request) override;
  void ShowError(QWidget* parent, const QString& text) override;
};

// Asks, exports and reports a failure; true when something was exported.
bool RunChartExport(Chart& chart, QWidget* parent, ChartExportUi& ui);

}  // namespace kv
