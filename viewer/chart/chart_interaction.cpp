#include "viewer/chart/chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>

#include "viewer/chart/chart_internal.h"

namespace kv {

using namespace chart_detail;

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
  update(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))).adjusted(-w, -w, w, w));
}

// ---- widget events

void Chart::paintEvent(QPaintEvent* e) {
  EnsureImage();
  QPainter p(this);
  p.drawImage(e->rect(), screen_, e->rect());
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
