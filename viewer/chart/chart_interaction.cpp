#include "viewer/chart/chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPicture>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "viewer/chart/chart_internal.h"

namespace kv {

using namespace chart_detail;

namespace {
constexpr int kOverlayMargin = 3;  // pixels around the after-draw pass' recorded extent
}  // namespace

// ---- the screen's picture

// The screen shows base_ (the chart up to its series) with the after-draw
// pass and the XOR lines over it. The pass is recorded and played onto the
// screen, so its extent is known: a pass of its own (a trace step) first puts
// back base_ where the last pass and XOR lines were, then draws; nothing
// else of the picture is touched, however large it is.
QRegion Chart::RenderScreen(bool afterDrawOnly) {
  const QSize sz = size().expandedTo(QSize(1, 1));
  const QRect all(QPoint(0, 0), sz);
  screenPass_ = true;
  const auto screenDone = qScopeGuard([this] { screenPass_ = false; });
  Pass ps;
  ps.size = sz;
  QRegion changed;
  if (!afterDrawOnly || imageDirty_ || base_.size() != sz || screen_.size() != sz) {
    imageDirty_ = false;
    repaintAgain_ = false;
    base_ = QImage(sz, QImage::Format_RGB32);
    QPainter p(&base_);
    ps.p = &p;
    RenderBase(ps);
    p.end();
    screen_ = base_.copy();
    changed = all;
  } else {
    for (const QRect& r : overlay_) {
      const size_t bytes = static_cast<size_t>(r.width()) * 4;
      for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(screen_.scanLine(y) + r.left() * 4, base_.constScanLine(y) + r.left() * 4, bytes);
    }
    changed = overlay_;
  }
  overlay_ = QRegion();
  if (OnAfterDraw) {
    QPicture pass;
    {
      QPainter p(&pass);
      ps.p = &p;
      RunAfterDraw(ps);
    }
    // The recorded extent, widened for smoothed text and pen ends.
    const QRect drawn = pass.boundingRect().adjusted(-kOverlayMargin, -kOverlayMargin, kOverlayMargin, kOverlayMargin) & all;
    if (!drawn.isEmpty()) {
      QPainter p(&screen_);
      pass.play(&p);
      overlay_ = drawn;
      changed += drawn;
    }
  }
  if (repaintAgain_) {
    // A hook changed a setting (an axis position, say): one more pass.
    repaintAgain_ = false;
    imageDirty_ = true;
    QTimer::singleShot(0, this, [this] { update(); });
  }
  return changed;
}

void Chart::EnsureImage() {
  if (imageDirty_ || screen_.size() != size().expandedTo(QSize(1, 1))) RenderScreen(false);
}

void Chart::Repaint() {
  imageDirty_ = true;
  RenderScreen(false);
  update();
}

void Chart::RepaintAfterDraw() { update(RenderScreen(true)); }

QImage Chart::Image() {
  EnsureImage();
  return screen_;
}

void Chart::XorLine(int x1, int y1, int x2, int y2, const QPen& pen) {
  EnsureImage();
  {
    QPainter p(&screen_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(pen);
    p.drawLine(x1, y1, x2, y2);
  }
  int w = static_cast<int>(std::ceil(pen.widthF())) + 2;
  const QRect r =
      QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))).adjusted(-w, -w, w, w) &
      screen_.rect();
  overlay_ += r;  // put back by the next after-draw pass
  update(r);
}

// ---- widget events

void Chart::paintEvent(QPaintEvent* e) {
  EnsureImage();
  QPainter p(this);
  const QRegion& region = e->region();
  if (region.rectCount() <= 1) {
    p.drawImage(e->rect(), screen_, e->rect());
    return;
  }
  // Several rectangles (a trace step's strips of the old and the new line,
  // less the time labels over them): each copied under a clip of its own.
  // Under a clip of several rectangles the paint engine takes a slow path
  // that costs as much as copying the whole window.
  for (const QRect& r : region) {
    p.setClipRect(r);
    p.drawImage(r, screen_, r);
  }
}

void Chart::resizeEvent(QResizeEvent*) {
  imageDirty_ = true;
  rangesDirty_ = true;
}

void Chart::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (e->button() == Qt::RightButton) {
    drag_ = Drag::Scroll;
    dragStart_ = dragLast_ = pos;
  } else if (e->button() == Qt::LeftButton && allowZoom_) {
    drag_ = Drag::Zoom;
    dragStart_ = dragLast_ = pos;
    zoomBand_ = QRect();
  }
}

void Chart::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (drag_ == Drag::Scroll && (e->buttons() & Qt::RightButton)) {
    QPoint d = pos - dragLast_;
    dragLast_ = pos;
    ScrollBy(d.x(), d.y());
  } else if (drag_ == Drag::Zoom && (e->buttons() & Qt::LeftButton)) {
    const QPen pen(QColor(255, 255, 255), 1);
    auto band = [&](const QRect& r) {
      XorLine(r.left(), r.top(), r.right(), r.top(), pen);
      XorLine(r.right(), r.top() + 1, r.right(), r.bottom(), pen);
      XorLine(r.right() - 1, r.bottom(), r.left(), r.bottom(), pen);
      XorLine(r.left(), r.bottom() - 1, r.left(), r.top() + 1, pen);
    };
    if (!zoomBand_.isNull()) band(zoomBand_);
    zoomBand_ = QRect(dragStart_, pos).normalized();
    if (zoomBand_.width() > 2 && zoomBand_.height() > 2)
      band(zoomBand_);
    else
      zoomBand_ = QRect();
  }
  if (OnMouseMove) OnMouseMove(e->buttons(), e->modifiers(), pos.x(), pos.y());
}

void Chart::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (drag_ == Drag::Zoom && e->button() == Qt::LeftButton) {
    zoomBand_ = QRect();
    if (pos.x() > dragStart_.x() && pos.y() > dragStart_.y())
      ZoomToRect(dragStart_.x(), dragStart_.y(), pos.x(), pos.y());
    else if (pos.x() < dragStart_.x() || pos.y() < dragStart_.y())
      ResetZoom();
    Repaint();
  }
  drag_ = Drag::None;
  if (OnMouseUp) OnMouseUp(e->button(), e->modifiers(), pos.x(), pos.y());
}

void Chart::leaveEvent(QEvent*) {
  if (OnMouseLeave) OnMouseLeave();
}


}  // namespace kv
