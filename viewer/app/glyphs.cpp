#include "viewer/app/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace vistrel {
namespace {

constexpr int kSize = 16;

void Curve(QPainter& p, QColor c, double x0, double x1, double yMid, double amp) {
  QPainterPath path;
  path.moveTo(x0, yMid);
  path.cubicTo(x0 + (x1 - x0) / 3, yMid - 2 * amp, x0 + 2 * (x1 - x0) / 3, yMid + 2 * amp, x1, yMid);
  p.setPen(QPen(c, 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void Triangle(QPainter& p, double tipX, double baseX, double cy, double half) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 128));
  p.drawPolygon(QPolygonF({QPointF(tipX, cy), QPointF(baseX, cy - half), QPointF(baseX, cy + half)}));
}

void Draw(QPainter& p, Glyph g) {
  const QColor navy(0, 0, 128);
  const QPen thin(Qt::black, 1);
  switch (g) {
    case Glyph::AddDel:
      Curve(p, QColor(200, 0, 0), 1, 15, 11, 2.5);
      p.setPen(QPen(QColor(0, 128, 0), 2));
      p.drawLine(QPointF(4, 1.5), QPointF(4, 7.5));
      p.drawLine(QPointF(1, 4.5), QPointF(7, 4.5));
      p.setPen(QPen(QColor(200, 0, 0), 2));
      p.drawLine(QPointF(9.5, 4.5), QPointF(15, 4.5));
      break;
    case Glyph::Export:
      p.setPen(thin);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 4.5, 9, 10));
      Curve(p, QColor(0, 0, 200), 2.5, 9.5, 11, 1.5);
      p.setPen(QPen(QColor(0, 128, 0), 2));
      p.drawLine(QPointF(7, 6), QPointF(14, 1.5));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 128, 0));
      p.drawPolygon(QPolygonF({QPointF(15.5, 0.5), QPointF(10, 1), QPointF(14, 5.5)}));
      break;
    case Glyph::Print:
      p.setPen(thin);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 5));
      p.setBrush(QColor(192, 192, 192));
      p.drawRect(QRectF(1.5, 6.5, 13, 5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 9.5, 7, 5));
      p.setPen(QColor(0, 160, 0));
      p.drawPoint(QPointF(12.5, 8.5));
      break;
    case Glyph::Options:
      p.setPen(thin);
      p.setBrush(Qt::white);
      for (int row = 0; row < 3; ++row) {
        p.drawRect(QRectF(1.5, 1.5 + row * 5, 4, 4));
        p.drawLine(QPointF(7.5, 3.5 + row * 5), QPointF(14.5, 3.5 + row * 5));
      }
      p.setPen(QPen(navy, 1.5));
      p.drawLine(QPointF(2, 3.5), QPointF(3.5, 5));
      p.drawLine(QPointF(3.5, 5), QPointF(6, 1));
      p.drawLine(QPointF(2, 13.5), QPointF(3.5, 15));
      p.drawLine(QPointF(3.5, 15), QPointF(6, 11));
      break;
    case Glyph::Colours:
      Curve(p, QColor(244, 0, 0), 1, 15, 4, 1.5);
      Curve(p, QColor(0, 128, 0), 1, 15, 8, 1.5);
      Curve(p, QColor(0, 0, 255), 1, 15, 12, 1.5);
      break;
    case Glyph::Titles: {
      QFont f("DejaVu Serif");
      f.setPixelSize(13);
      f.setBold(true);
      p.setFont(f);
      p.setPen(navy);
      p.drawText(QRectF(0, -1, kSize, 12), Qt::AlignCenter, "T");
      p.setPen(thin);
      p.drawLine(QPointF(2, 13.5), QPointF(14, 13.5));
      break;
    }
    case Glyph::Grid:
      p.setPen(QPen(QColor(96, 96, 96), 1));
      for (int k = 0; k < 4; ++k) {
        p.drawLine(QPointF(1.5 + k * 4.3, 1), QPointF(1.5 + k * 4.3, 15));
        p.drawLine(QPointF(1, 1.5 + k * 4.3), QPointF(15, 1.5 + k * 4.3));
      }
      break;
    case Glyph::Zoom:
      p.setPen(QPen(Qt::black, 1.3));
      p.setBrush(QColor(220, 240, 255));
      p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
      p.setPen(QPen(QColor(128, 64, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(10.3, 10.3), QPointF(14.5, 14.5));
      break;
    case Glyph::Trace:
      Curve(p, QColor(0, 0, 200), 1, 15, 9, 3);
      p.setPen(QPen(QColor(200, 0, 0), 1.5));
      p.drawLine(QPointF(8, 0.5), QPointF(8, 15.5));
      p.setPen(QPen(QColor(200, 0, 0), 1));
      p.drawLine(QPointF(6, 2.5), QPointF(10, 2.5));
      break;
    case Glyph::OneScreen:
      p.setPen(thin);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      Curve(p, QColor(0, 0, 200), 2.5, 13.5, 8, 2);
      break;
    case Glyph::Pages:
      p.setPen(thin);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(5.5, 1.5, 9, 10));
      p.drawRect(QRectF(1.5, 4.5, 9, 10));
      Curve(p, QColor(0, 0, 200), 2.5, 9.5, 10, 1.5);
      break;
    case Glyph::FirstPage:
      p.fillRect(QRectF(3, 3, 2, 10), navy);
      Triangle(p, 5, 12, 8, 5);
      break;
    case Glyph::PreviousPage:
      Triangle(p, 4, 11, 8, 5);
      break;
    case Glyph::NextPage:
      Triangle(p, 12, 5, 8, 5);
      break;
    case Glyph::LastPage:
      Triangle(p, 11, 4, 8, 5);
      p.fillRect(QRectF(11, 3, 2, 10), navy);
      break;
  }
}

}  // namespace

QIcon GlyphIcon(Glyph g) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  {
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, g);
  }
  return QIcon(pm);
}

QCursor ZoomCursor() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  {
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QPointF(11, 11), 7, 7);
    p.drawLine(QPointF(16, 16), QPointF(27, 27));
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QPointF(11, 11), 7, 7);
    p.drawLine(QPointF(16, 16), QPointF(27, 27));
  }
  return QCursor(pm, 11, 11);
}

}  // namespace vistrel
