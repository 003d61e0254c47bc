#pragma once
// The viewer's chart: one QWidget that draws line and point series against a
// left and a bottom axis, with title, foot, legend, paging, zoom, panning and
// transient XOR lines. One paint routine (Render) serves the screen, printing
// and export; the screen keeps the painted chart in an image, so XOR lines
// and the after-draw pass (RepaintAfterDraw) never draw the series again.
//
// Pixels are the widget's own coordinates. Hooks are plain callbacks run
// synchronously; while a paint pass runs, Canvas() is its painter.
//
// Sources by concern: chart.cpp (settings, paging, ranges, zoom, the paint
// pass), chart_series.cpp (point data), chart_series_draw.cpp and
// chart_raster.h (drawing the series), chart_axis.cpp (axes and labels),
// chart_layout.cpp (layout, titles, legend), chart_interaction.cpp (the
// screen's cached picture, the after-draw overlay, XOR lines, mouse).
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace kv {

class Chart;
class ChartAxis;

// One series: a list of (x, y) points with its look, kept in ascending x
// (equal x in the order added; a point with a NaN or infinite x after all
// others), so indices, paging and the trace follow time whatever order a
// file gave. Points with a NaN or infinite coordinate are kept but neither
// drawn nor counted in extremes.
class ChartSeries {
 public:
  virtual ~ChartSeries();

  Chart* ParentChart() const { return chart_; }
  int IndexInChart() const { return index_; }
  ChartAxis& HorizAxis() const;  // always the bottom axis
  ChartAxis& VertAxis() const;   // always the left axis

  bool Active() const { return active_; }
  void SetActive(bool on);
  const QString& Title() const { return title_; }
  void SetTitle(const QString& title);
  QColor SeriesColor() const { return color_; }
  virtual void SetSeriesColor(const QColor& c);
  bool ShowInLegend() const { return showInLegend_; }
  void SetShowInLegend(bool on);
  // Point labels are never drawn; the font is what a caller would get.
  bool MarksVisible() const { return false; }
  QFont MarksFont() const;

  // Points, 0-based in x order. An index out of range reads as 0 and is
  // ignored on write.
  void AddPoint(double x, double y);
  void ClearPoints();
  int PointCount() const { return static_cast<int>(xs_.size()); }
  double PointX(int i) const;
  double PointY(int i) const;
  void SetPointY(int i, double y);
  // Every point: y := (y * mul + add) / div, as SetPointY of each would.
  void TransformY(double mul, double add, double div);
  void Reserve(int n);
  // Pixel x of point i on the bottom axis.
  int PointPixelX(int i) const;
  // First and last point inside the bottom axis range at the last drawing;
  // -1 when none is visible (or the series was not drawn).
  int FirstVisibleIndex() const { return firstVisible_; }
  int LastVisibleIndex() const { return lastVisible_; }
  // Extremes over the finite points; 0 without any.
  double SeriesMinX() const;
  double SeriesMaxX() const;
  double SeriesMinY() const;
  double SeriesMaxY() const;

  // Run right after the series has drawn, only when it has a visible point;
  // the canvas is not clipped to the plot then.
  std::function<void(ChartSeries&)> AfterDrawValues;

  // Whether the series takes part in the automatic axis ranges.
  virtual bool WidensAxes() const { return true; }

 protected:
  explicit ChartSeries(Chart* chart, int index);
  void Changed(bool data);

 private:
  friend class Chart;
  struct Extremes {
    bool valid = false, any = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    void Take(double x, double y);  // widens by a finite point
  };
  const Extremes& Ext() const;
  // Puts points added out of order into place (a stable sort, once).
  void EnsureOrder() const;

  Chart* chart_;
  int index_;
  bool active_ = true;
  QString title_;
  QColor color_ = Qt::red;
  bool showInLegend_ = true;
  mutable std::vector<double> xs_, ys_;
  mutable bool ordered_ = true;  // false after a point came out of x order
  mutable int finite_ = 0;       // points with a finite x: indices 0..finite_-1
  mutable Extremes ext_;
  int firstVisible_ = -1, lastVisible_ = -1;
};

// Fast line: drawn through a per-pixel-column reduction (first, min, max and
// last point of each column), so peaks are never lost.
class LineSeries : public ChartSeries {
 public:
  const QPen& LinePen() const { return pen_; }
  void SetLinePen(const QPen& pen);  // colour, width, style (solid, dash, dot, dash-dot, dash-dot-dot)
  void SetSeriesColor(const QColor& c) override;  // also the pen's colour

 private:
  friend class Chart;
  LineSeries(Chart* chart, int index);
  QPen pen_{QColor(Qt::red), 1};
};

enum class PointerStyle { Rectangle, Circle, Triangle, DownTriangle, Diamond, Star };

// Point series: a pointer shape at every point, filled with the series colour.
class PointSeries : public ChartSeries {
 public:
  PointerStyle Style() const { return style_; }
  void SetStyle(PointerStyle s);
  // Half-sizes: the pointer reaches HorizSize pixels left and right of the
  // point and VertSize above and below.
  int HorizSize() const { return hSize_; }
  int VertSize() const { return vSize_; }
  void SetSize(int horiz, int vert);
  // False: the series does not widen the automatic axis ranges.
  bool InflateMargins() const { return inflate_; }
  void SetInflateMargins(bool on);
  bool WidensAxes() const override { return inflate_; }

 private:
  friend class Chart;
  PointSeries(Chart* chart, int index);
  PointerStyle style_ = PointerStyle::Rectangle;
  int hSize_ = 4, vSize_ = 4;
  bool inflate_ = true;
};

// Left (vertical) or bottom (horizontal) axis.
class ChartAxis {
 public:
  bool Horizontal() const { return horizontal_; }

  // Current range: a zoomed or scrolled view, else the fixed range, else the
  // extremes of the active series (the current page's for the bottom axis).
  double Minimum() const;
  double Maximum() const;
  bool Automatic() const { return automatic_; }
  void SetAutomatic(bool on);
  // Fixed range, automatic off; the view of a zoom of this axis is dropped.
  void FixAxisRange(double min, double max);
  void SetMinimum(double v);  // fixes the range with the other end as it is now
  void SetMaximum(double v);

  // Labels stand at multiples of the increment (widened to multiples of it
  // when they would overlap); 0 = chosen automatically. A negative or
  // non-finite value is ignored.
  double Increment() const { return increment_; }
  void SetIncrement(double inc);
  // Short ticks between neighbouring labels (and beyond the outer ones).
  int MinorTickCount() const { return minorTicks_; }
  void SetMinorTickCount(int n);  // 0..100
  // Least free room between neighbouring labels, in percent of a label's
  // width (bottom axis) or height (left axis); labels that would stand
  // closer are thinned to multiples of the increment.
  int LabelsSeparation() const { return labelsSeparation_; }
  void SetLabelsSeparation(int percent);  // 0..1000
  // Axis line offset from the plot edge in percent of the plot's extent;
  // negative values move it outwards (left of the plot, below it).
  double PositionPercent() const { return positionPercent_; }
  void SetPositionPercent(double p);  // a change repaints
  const QString& AxisValuesFormat() const { return format_; }  // "#,##0.###"
  void SetAxisValuesFormat(const QString& f);
  bool GridVisible() const { return grid_; }
  void SetGridVisible(bool on);
  const QString& TitleCaption() const { return titleCaption_; }
  void SetTitleCaption(const QString& text);
  const QFont& TitleFont() const { return titleFont_; }
  void SetTitleFont(const QFont& f);
  QColor TitleColor() const { return titleColor_; }  // of the title text
  void SetTitleColor(const QColor& c);  // inside a pass: for what follows, no repaint
  const QFont& LabelsFont() const { return labelsFont_; }
  void SetLabelsFont(const QFont& f);
  const QPen& AxisPen() const { return axisPen_; }  // the axis line
  void SetAxisPen(const QPen& p);

  // Pixel of a value on this axis (clamped to a safe integer range) and back,
  // over the plot rectangle of the last layout.
  int ValueToPixel(double v) const;
  double PixelToValue(int px) const;

  // Inside OnGetAxisLabel: the axis line and the labels position of the copy
  // being drawn (x for the left axis, y for the bottom axis; the left axis'
  // labels end there, the bottom axis' labels start there).
  int AxisPixelPos() const { return axisPixelPos_; }
  int LabelsPixelPos() const { return labelsPixelPos_; }
  // Inside OnGetAxisLabel: the label's value (the number, not its text) and
  // its pixel along the axis (y for the left axis, x for the bottom axis).
  double LabelValue() const { return labelValue_; }
  int LabelPixelPos() const { return labelPixelPos_; }

  // Only inside a paint pass (e.g. OnAfterDraw): a further copy of the axis
  // with its ticks, labels (through OnGetAxisLabel) and title, and grid lines
  // when asked. Positions are x for the left axis, y for the bottom axis.
  void DrawAxisAt(int labelsPos, int titlePos, int axisPos, bool grid);
  // Only inside a paint pass: the title caption in the title font, centred on
  // (x, y), on the canvas brush when it is not NoBrush.
  void DrawAxisTitleAt(int x, int y);

  // Delphi-style number format: "#,##0.###", "##0.######", "0.00" ...
  static QString FormatFloat(const QString& format, double v);

 private:
  friend class Chart;
  ChartAxis(Chart* chart, bool horizontal);
  void Changed(bool range);
  double Span() const;

  Chart* chart_;
  bool horizontal_;
  bool automatic_ = true;
  double fixedMin_ = 0, fixedMax_ = 0;
  bool zoomed_ = false;  // a zoom or scroll view overrides the range
  double viewMin_ = 0, viewMax_ = 0;
  double increment_ = 0;
  int minorTicks_ = 3;
  int labelsSeparation_ = 10;
  double positionPercent_ = 0;
  QString format_ = QStringLiteral("#,##0.###");
  bool grid_ = false;
  QString titleCaption_;
  QFont titleFont_, labelsFont_;
  QColor titleColor_ = Qt::black;
  QPen axisPen_{QColor(Qt::black), 2};
  // Range and geometry of the last layout (the range is refreshed lazily).
  mutable double curMin_ = 0, curMax_ = 0;
  int startPx_ = 0, endPx_ = 0;  // pixels of the range's min and max ends
  int axisPixelPos_ = 0, labelsPixelPos_ = 0;
  double labelValue_ = 0;
  int labelPixelPos_ = 0;
};

// Title above or foot below the chart: text lines, alignment, font.
class ChartTitle {
 public:
  const QStringList& Text() const { return text_; }
  void SetText(const QStringList& lines);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  Qt::Alignment Alignment() const { return align_; }  // AlignLeft, AlignRight or AlignHCenter
  void SetAlignment(Qt::Alignment a);
  const QFont& Font() const { return font_; }
  void SetFont(const QFont& f);
  QColor Color() const { return color_; }  // of the text
  void SetColor(const QColor& c);

 private:
  friend class Chart;
  explicit ChartTitle(Chart* chart) : chart_(chart) {}
  Chart* chart_;
  QStringList text_;
  bool visible_ = true;
  Qt::Alignment align_ = Qt::AlignHCenter;
  QFont font_;
  QColor color_ = Qt::black;
};

// Legend at the bottom: one item per active series shown in the legend, in
// series order; each item a colour box with the series' line sample, then text.
class ChartLegend {
 public:
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  QColor Color() const { return color_; }
  void SetColor(const QColor& c);
  const QFont& Font() const { return font_; }
  void SetFont(const QFont& f);
  int ColorWidth() const { return colorWidth_; }  // width of the colour box
  void SetColorWidth(int w);

 private:
  friend class Chart;
  explicit ChartLegend(Chart* chart) : chart_(chart) {}
  Chart* chart_;
  bool visible_ = true;
  QColor color_ = Qt::white;
  QFont font_;
  int colorWidth_ = 30;
};

// How an output draws patterned lines (dash, dot ...) unlike the screen.
struct RenderOptions {
  // Patterns this many times as long: printing scales the chart to the
  // page, and dashes keep their length on paper only if scaled back.
  double dashScale = 1;
  // Dashes of thin pens end flat: a vector device would add half the pen at
  // each end and close the gaps that the screen shows.
  bool flatDashEnds = false;
};

class Chart : public QWidget {
  Q_OBJECT
 public:
  explicit Chart(QWidget* parent = nullptr);
  ~Chart() override;

  // Series, owned by the chart, in order of joining.
  LineSeries* AddLineSeries();
  PointSeries* AddPointSeries();
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  ChartSeries* SeriesAt(int i) const;  // nullptr when out of range

  ChartAxis& LeftAxis() { return left_; }
  ChartAxis& BottomAxis() { return bottom_; }
  const ChartAxis& LeftAxis() const { return left_; }
  const ChartAxis& BottomAxis() const { return bottom_; }
  ChartTitle& Title() { return title_; }
  ChartTitle& Foot() { return foot_; }
  ChartLegend& Legend() { return legend_; }

  // Paging: pages of MaxPointsPerPage points (0 = one page); the bottom
  // axis shows the current page's points. Setting Page clamps it to
  // 1..PageCount and fires OnPageChange when it changes; a smaller
  // PageCount moves Page silently.
  int MaxPointsPerPage() const { return pointsPerPage_; }
  void SetMaxPointsPerPage(int n);  // a negative value counts as 0
  int Page() const;
  void SetPage(int page);
  int PageCount() const;
  void ShowNextPage() { SetPage(Page() + 1); }
  void ShowPreviousPage() { SetPage(Page() - 1); }

  // Zoom both axes to a pixel rectangle (sides in any order), then OnZoom;
  // a rectangle of no width or no height is ignored. ResetZoom returns every
  // axis to its state before the zoom (a fixed range stays fixed), then
  // fires OnUndoZoom every time and repaints.
  void ZoomToRect(int left, int top, int right, int bottom);
  void ResetZoom();
  bool Zoomed() const;
  // Mouse zoom of the chart itself: drag a rectangle down-right to zoom,
  // up-left to undo. Right-button drag scrolls (asking OnAllowScroll).
  bool AllowZoom() const { return allowZoom_; }
  void SetAllowZoom(bool on) { allowZoom_ = on; }

  // Extremes over the active series on that axis (0 without points).
  double AxisDataMinX(const ChartAxis& axis) const;
  double AxisDataMaxX(const ChartAxis& axis) const;
  double AxisDataMinY(const ChartAxis& axis) const;
  double AxisDataMaxY(const ChartAxis& axis) const;

  // Plot rectangle of the last layout: left()=L, top()=T, right()=R,
  // bottom()=B; an axis' minimum maps to L (bottom) or B (left).
  QRect PlotRect() const;
  // Lines always stay inside the plot rectangle; ClipPoints also keeps the
  // point series (markers) inside it. Off, a marker at a point on or beyond
  // the plot's edge is drawn whole, over the axes if need be.
  bool ClipPoints() const { return clipPoints_; }
  void SetClipPoints(bool on);
  double MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(double percent);  // of the chart width
  QColor Color() const { return color_; }  // the panel around the plot
  void SetColor(const QColor& c);
  QColor BackColor() const { return backColor_; }  // the plot area
  void SetBackColor(const QColor& c);
  bool BackWallPenVisible() const { return frame_; }  // frame around the plot
  void SetBackWallPenVisible(bool on);

  // The painter of the paint pass under way; nullptr outside one. Lines of
  // series are gathered and written when something else draws: call Canvas()
  // for each drawing rather than keeping the painter from an earlier call.
  QPainter* Canvas() const;
  // Inside a paint pass: true when it draws the screen's picture, false when
  // it prints or exports (at a size and geometry of its own).
  bool ScreenPass() const { return screenPass_; }

  // Full repaint now (the cached image is drawn anew; XOR lines vanish).
  void Repaint();
  // Cheap repaint when only what OnAfterDraw draws has changed (a trace
  // step): the series are not drawn again; the cached chart is put back only
  // where the last pass and XOR lines drew, the pass runs again over it, and
  // only that part of the widget is updated. XOR lines vanish.
  void RepaintAfterDraw();
  // A line XOR-ed over the painted chart; drawing it again erases it.
  void XorLine(int x1, int y1, int x2, int y2, const QPen& pen);
  // The picture on the screen (rendered first when out of date).
  QImage Image();

  // One complete paint pass at `size`, from (0, 0) of the painter. The same
  // routine draws the screen, printing and export.
  void Render(QPainter& painter, QSize size, const RenderOptions& options = {});

  // Hooks (one handler each, as the caller assigns them).
  std::function<void()> OnAfterDraw;
  // After the series, into the cached picture: what the after-draw pass
  // would draw alike at every cursor step (RepaintAfterDraw skips it).
  std::function<void()> OnAfterSeries;
  // Each label of each axis drawn (also DrawAxisAt copies); text arrives
  // formatted with the axis' AxisValuesFormat. Series is null, index -1.
  // The axis tells which copy (AxisPixelPos, LabelsPixelPos) and which label
  // (LabelValue, LabelPixelPos) is being drawn; an empty text is not drawn.
  std::function<void(ChartAxis& axis, ChartSeries* series, int valueIndex, QString& text)> OnGetAxisLabel;
  // Before a scroll sets [min, max] on an axis; allow arrives true.
  std::function<void(ChartAxis& axis, double& min, double& max, bool& allow)> OnAllowScroll;
  std::function<void()> OnZoom;
  std::function<void()> OnUndoZoom;
  std::function<void()> OnPageChange;
  // Once per legend item per pass (index = position in the legend), with the
  // canvas font set to the legend font and the pen black; the text is then
  // written in the canvas font and pen colour as the hook leaves them.
  std::function<void(int index, QString& text)> OnGetLegendText;
  // Before each legend item is drawn: x of its text, y of its top, x of its
  // colour box.
  std::function<void(int index, int& x, int& y, int& xColor)> OnGetLegendPos;
  // Room that hooks draw in around the plot, asked at every layout: pixels
  // kept free above the plot's top (clear of the title's text), below the
  // bottom axis' labels (clear of the legend and foot), and right of the
  // bottom axis' end beyond half its last label.
  struct Room {
    int above = 0, below = 0, right = 0;
  };
  std::function<void(Room& room)> OnLayoutRoom;
  // Colour box of legend item `index` at the last layout (empty when none).
  QRect LegendColorRect(int index) const;
  std::function<void(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int y)> OnMouseMove;
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y)> OnMouseUp;
  // The mouse left the chart (not while a button holds it): drag states end.
  std::function<void()> OnMouseLeave;

  QSize sizeHint() const override { return {636, 477}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  friend class ChartSeries;
  friend class LineSeries;
  friend class PointSeries;
  friend class ChartAxis;
  friend class ChartTitle;
  friend class ChartLegend;
  struct Pass;

  void Invalidate(bool ranges);  // settings or data changed
  void EnsureRanges() const;
  void ComputeRange(const ChartAxis& axis, double& mn, double& mx) const;
  void EnsureImage();
  QRegion RenderScreen(bool afterDrawOnly);  // what changed on the screen
  void RenderBase(Pass& pass);
  void RunAfterDraw(Pass& pass);
  void FlushLines() const;  // writes gathered series lines before other drawing
  void Layout(Pass& pass);
  void DrawAxis(Pass& pass, ChartAxis& axis, int labelsPos, int titlePos, int axisPos, bool grid, bool gridOnly);
  void DrawLegend(Pass& pass);
  void DrawTitle(Pass& pass, ChartTitle& t, int top);
  double LabelSpacing(const ChartAxis& axis, int extent) const;
  void DrawLineSeries(Pass& pass, LineSeries& s);
  void DrawPointSeries(Pass& pass, PointSeries& s);
  void FindVisible(ChartSeries& s) const;
  void SetView(ChartAxis& axis, double mn, double mx);
  void ScrollBy(int dx, int dy);

  std::vector<std::unique_ptr<ChartSeries>> series_;
  ChartAxis left_, bottom_;
  ChartTitle title_, foot_;
  ChartLegend legend_;
  int pointsPerPage_ = 0;
  int page_ = 1;
  bool allowZoom_ = true;
  bool clipPoints_ = true;
  double marginLeft_ = 3;
  QColor color_ = QColor(192, 192, 192);
  QColor backColor_ = Qt::white;
  bool frame_ = true;

  // Paint state.
  QPainter* canvas_ = nullptr;
  Pass* pass_ = nullptr;
  mutable bool rangesDirty_ = true;
  bool imageDirty_ = true;
  bool repaintAgain_ = false;  // a setting changed during a pass
  bool laidOut_ = false;
  bool screenPass_ = false;            // RenderScreen under way
  QRect plot_;                         // L, T, R, B as documented at PlotRect
  int leftTitleX_ = 0;                 // centre of the left axis' own title
  std::vector<QRect> legendBoxes_;     // colour box per legend item
  QImage base_;                        // the chart without the after-draw pass
  QImage screen_;                      // base_ + after-draw + XOR lines
  QRegion overlay_;                    // where screen_ may differ from base_

  // Mouse state of the chart's own zoom and scroll.
  enum class Drag { None, Zoom, Scroll } drag_ = Drag::None;
  QPoint dragStart_, dragLast_;
  QRect zoomBand_;
};

}  // namespace kv
