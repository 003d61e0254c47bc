#pragma once
// The viewer's main window "Сводный график": a toolbar above one chart whose
// ten line series are the chart slots 0..9. It owns the records shared with
// the phenomena dialog (GraphState) and the companion marker series.
#include <QCursor>
#include <QSpinBox>
#include <QWidget>
#include <array>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "viewer/chart/chart.h"
#include "viewer/chart/chart_output.h"
#include "viewer/core/edge_zoom.h"
#include "viewer/core/group_axes.h"
#include "viewer/core/graph_state.h"
#include "viewer/core/trace_cursor.h"

class QDialog;
class QLabel;
class QToolButton;
namespace vistrel {
class FontColorChooser;
}

// A spin edit with the class library's key events: OnKeyDown sees every
// key first, then OnKeyPress every typed character; a handler discards the
// character by setting it to the null character.
class TSpinEdit : public QSpinBox {
  Q_OBJECT
 public:
  using QSpinBox::QSpinBox;
  std::function<void(int key)> OnKeyDown;
  std::function<void(QChar& ch)> OnKeyPress;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};

class TFormGraph : public QWidget {
  Q_OBJECT
 public:
  explicit TFormGraph(QWidget* parent = nullptr);
  ~TFormGraph() override;

  // Line colour of each chart slot.
  static QColor SlotColor(int slot);

  // Records shared with the phenomena dialog.
  kv::GraphState Graph;

  // Controls, named as in the form.
  QWidget* Panel1 = nullptr;
  QToolButton* AddDelSBtn = nullptr;
  QToolButton* ImportSBtn = nullptr;
  QToolButton* PrintSBtn = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* GrhTitlSBtn = nullptr;
  QToolButton* GridSBtn = nullptr;
  QToolButton* ZoomSBtn = nullptr;
  QToolButton* TrasSBtn = nullptr;
  QToolButton* FullSBtn = nullptr;
  QToolButton* PageSBtn = nullptr;
  QToolButton* BFirstPage = nullptr;
  QToolButton* ButtonPrevious = nullptr;
  QLabel* StaticText1 = nullptr;
  QToolButton* ButtonNext = nullptr;
  QToolButton* BLastPage = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  QLabel* Label1 = nullptr;
  kv::Chart* Chart1 = nullptr;
  std::array<kv::LineSeries*, kv::kSlotCount> Series{};  // Series1..Series10
  QLabel* TimeLabel = nullptr;
  QLabel* TimeLabel1 = nullptr;

  // Window fields.
  int FCursorX = -1;  // trace or zoom cursor line; -1 = none
  int FCursorY = -1;  // horizontal zoom line
  bool FCaptionsBelow = false;  // type-group captions below the plot
  // Per slot: holder of the designation text and its font; never displayed.
  std::array<std::unique_ptr<QLabel>, kv::kSlotCount> FFactorLabels;
  // Per slot: the companion point series carrying the figure markers.
  std::array<kv::PointSeries*, kv::kSlotCount> FMarkSeries{};
  QCursor FZoomCursor;  // shown while zoom by edge is armed

  // How modal dialogs run; tests answer them without a modal loop.
  std::function<int(QDialog&)> ExecModal;
  std::function<void(kv::Chart&, QWidget*)> PrintPreview;
  kv::ChartExportUi* ExportUi = nullptr;
  // Font and colour chooser of the titles dialogs; null = the font dialog.
  vistrel::FontColorChooser* FontChooser = nullptr;

  // Handlers.
  void AddDelSBtnClick();
  void ImportSBtnClick();
  void PrintSBtnClick();
  void SpeedButton3Click();
  void SpeedButton1Click();
  void GrhTitlSBtnClick();
  void GridSBtnClick();
  void ZoomSBtnClick();
  void TrasSBtnClick();
  void FullSBtnClick();
  void PageSBtnClick();
  void BFirstPageClick();
  void ButtonPreviousClick();
  void ButtonNextClick();
  void BLastPageClick();
  void Chart1PageChange();
  void Chart1AllowScroll(kv::ChartAxis& axis, double& aMin, double& aMax, bool& allowScroll);
  void Chart1Zoom();
  void Chart1UndoZoom();
  void SpinEdit1KeyPress(QChar& key);
  void SpinEdit1KeyDown(int key);

  // Trace cursor and zoom by dragging an edge (graph_mode_trace.cpp).
  kv::DragKind DragState = kv::DragKind::Idle;
  void Chart1MouseUp(Qt::MouseButton button, int x, int y);
  void Chart1MouseMove(Qt::MouseButtons buttons, int x, int y);
  void Chart1MouseLeave();
  void DrawAxis(int x, int y);  // XOR drag lines; a negative argument draws none
  // One vertical axis per type group and the after-draw pass (graph_mode_axes.cpp).
  void Chart1GetAxisLabel(kv::ChartAxis& axis, QString& text);
  // The after-draw pass in two parts: the further group axes and the time
  // axis' place, alike at every cursor step, go into the chart's cached
  // picture; the trace cursor and its read-out are drawn over it.
  void DrawGroupAxes();
  void Chart1AfterDraw();
  // Markers and legend (graph_mode_marks.cpp).
  void Series2AfterDrawValues(kv::ChartSeries& Sender);
  void Chart1GetLegendText(int Index, QString& LegendText);
  void Chart1GetLegendPos(int Index, int& X, int& Y, int& XColor);
  // After the options dialog: markers switched off take every figure along.
  void ApplyMarkOptions();

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void FormCreate();
  void BuildToolbar();
  void SetIndicator(const QString& text);
  void SetDesignSettings();
  // BottomAxis.Increment from a tenth of the largest time of the phenomenon
  // in the first row of the phenomena dialog; kept when there is none.
  void TimeIncrementFromFirstRow();
  // Hooks of the measuring tools on Chart1.
  void WireMeasuring();
  // The shown phenomena in row order, as the trace cursor sees them, and
  // their trace indices; StoreTrace writes the indices back.
  std::vector<kv::TraceSeries> TraceRows() const;
  std::array<std::int32_t, kv::kSlotCount> TraceIndices() const;
  void StoreTrace(const std::array<std::int32_t, kv::kSlotCount>& idx, int cursorRow);
  void ResetDrag();
  // The line, its time labels and the read-out show one moment. A page
  // change keeps the line's pixel and places the trace there again;
  // anything else that moves the time axis on the screen (a zoom, its undo,
  // a resize) takes the line to its trace point's new pixel.
  struct TimeAxisView {
    int L = 0, R = 0;
    double Min = 0, Max = 0;
    bool operator==(const TimeAxisView&) const = default;
  };
  TimeAxisView CurrentTimeAxisView() const;
  void PlaceTraceAtLine();      // after a page change
  void PlaceTraceAt(int x);     // as a left click at x, laid out as now
  void FollowCursorPoint();     // in the screen's after-draw pass
  std::optional<int> CursorPointX() const;  // pixel of the cursor phenomenon's trace point
  int OutputCursorX() const;    // the line's pixel in a print or export pass; -1 = none
  int FCursorSlot = -1;         // slot of the cursor phenomenon; -1 = none
  TimeAxisView FCursorView;     // the time axis when the line was put on its point
  // The read-out's titles, rewritten when the set of active series changes.
  void WriteTraceTitles();
  std::uint16_t ActiveSlotMask() const;  // bit s: line series of slot s is active
  std::uint16_t FTraceTitlesOf = 0;  // active slots the titles were written for
  // Group caption of the axis copy at pixel p, above or below the plot.
  void DrawGroupCaption(kv::ChartAxis& axis, int p, int group);
  bool FInAfterDraw = false;
  // Rows that keep neighbouring captions apart, and where the rows stand.
  std::vector<int> CaptionRows() const;
  kv::CaptionRowsGeometry CaptionGeometry() const;
  // Room for the captions' rows and for "t,c." after the time axis' end.
  void Chart1LayoutRoom(kv::Chart::Room& room);
  // "t,c." at the time axis' right end, clear of its last label.
  void DrawTimeAxisText();
  int FTimeLabelsRight = INT_MIN;  // right end of the time labels drawn in this pass
  // Time labels and read-out at the trace cursor.
  void WriteReadOut();
  void ConnectMarks();

  kv::ChartExportDialogUi defaultExportUi_;
};

extern TFormGraph* FormGraph;
