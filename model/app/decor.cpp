#include "model/app/decor.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <cmath>

namespace kv {

GlyphButton::GlyphButton(const QString& caption, const QPixmap& glyph, int spacing, QWidget* parent)
    : QPushButton(caption, parent), glyph_(glyph), spacing_(spacing) {}

void GlyphButton::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionButton opt;
  initStyleOption(&opt);
  opt.text.clear();
  opt.icon = QIcon();
  p.drawControl(QStyle::CE_PushButtonBevel, opt);

  QRect r = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
  if (isDown() || isChecked())
    r.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &opt, this),
                style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &opt, this));
  const QString caption = text();
  const int textW = caption.isEmpty() ? 0 : fontMetrics().horizontalAdvance(caption);
  const QSize gs = glyph_.isNull() ? QSize() : glyph_.deviceIndependentSize().toSize();
  const int gap = (textW > 0 && !glyph_.isNull()) ? spacing_ : 0;
  int x = r.left() + (r.width() - (textW + gap + gs.width())) / 2;
  if (textW > 0) {
    QRect tr(x, r.top(), textW, r.height());
    style()->drawItemText(&p, tr, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), caption,
                          QPalette::ButtonText);
    x += textW + gap;
  }
  if (!glyph_.isNull()) {
    QPixmap pm = glyph_;
    if (!isEnabled()) {
      QStyleOption o;
      o.initFrom(this);
      pm = style()->generatedIconPixmap(QIcon::Disabled, glyph_, &o);
    }
    p.drawPixmap(x, r.top() + (r.height() - gs.height()) / 2, pm);
  }
}

namespace {

QPixmap Blank(int w, int h) {
  QPixmap pm(w, h);
  pm.fill(Qt::transparent);
  return pm;
}

void DrawWave(QPainter& p, QRectF box, double cycles, double phase, const QColor& c, double width) {
  QPainterPath path;
  const int n = 64;
  for (int i = 0; i <= n; ++i) {
    double t = double(i) / n;
    double x = box.left() + t * box.width();
    double y = box.center().y() - std::sin(phase + t * cycles * 2 * M_PI) * box.height() / 2;
    if (i == 0)
      path.moveTo(x, y);
    else
      path.lineTo(x, y);
  }
  p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void DrawDocument(QPainter& p, QRectF r, const QColor& fill) {
  QPainterPath page;
  const double fold = r.width() * 0.3;
  page.moveTo(r.topLeft());
  page.lineTo(r.right() - fold, r.top());
  page.lineTo(r.right(), r.top() + fold);
  page.lineTo(r.bottomRight());
  page.lineTo(r.bottomLeft());
  page.closeSubpath();
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(fill);
  p.drawPath(page);
  p.setPen(QPen(QColor(120, 120, 120), 1));
  for (double y = r.top() + fold + 3; y < r.bottom() - 3; y += 4)
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

}  // namespace

QPixmap DrawPicture(Picture which) {
  switch (which) {
    case Picture::Run: {
      QPixmap pm = Blank(28, 28);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      QPainterPath tri;
      tri.moveTo(6, 3);
      tri.lineTo(25, 14);
      tri.lineTo(6, 25);
      tri.closeSubpath();
      p.setPen(QPen(QColor(0, 90, 0), 1.5));
      p.setBrush(QColor(40, 170, 60));
      p.drawPath(tri);
      return pm;
    }
    case Picture::Open:
    case Picture::OpenData: {
      QPixmap pm = Blank(28, 28);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      // A folder with a sheet sticking out of it.
      p.setPen(QPen(QColor(120, 90, 20), 1));
      p.setBrush(QColor(230, 190, 80));
      p.drawRect(QRectF(2.5, 8.5, 23, 16));
      DrawDocument(p, QRectF(7.5, 3.5, 13, 15), Qt::white);
      if (which == Picture::OpenData) DrawWave(p, QRectF(9, 8, 10, 6), 1, 0, QColor(200, 0, 0), 1.2);
      QPainterPath flap;
      flap.moveTo(2.5, 24.5);
      flap.lineTo(6.5, 13.5);
      flap.lineTo(27, 13.5);
      flap.lineTo(25.5, 24.5);
      flap.closeSubpath();
      p.setPen(QPen(QColor(120, 90, 20), 1));
      p.setBrush(QColor(245, 210, 110));
      p.drawPath(flap);
      return pm;
    }
    case Picture::Save: {
      QPixmap pm = Blank(28, 28);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(20, 30, 80), 1));
      p.setBrush(QColor(50, 80, 160));
      p.drawRoundedRect(QRectF(3.5, 3.5, 21, 21), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(7.5, 3.5, 13, 8));
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(8.5, 15.5, 11, 9));
      return pm;
    }
    case Picture::Viewer: {
      QPixmap pm = Blank(28, 28);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(40, 40, 40), 1));
      p.setBrush(QColor(20, 40, 30));
      p.drawRect(QRectF(1.5, 3.5, 25, 21));
      p.setPen(QPen(QColor(60, 110, 80), 0.8));
      p.drawLine(QPointF(2, 14), QPointF(26, 14));
      DrawWave(p, QRectF(3, 7, 22, 14), 2, 0, QColor(80, 255, 120), 1.4);
      DrawWave(p, QRectF(3, 10, 22, 8), 2, 1.6, QColor(255, 220, 60), 1.2);
      return pm;
    }
    case Picture::Exit: {
      QPixmap pm = Blank(28, 28);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      // A door standing open with an arrow leaving through it.
      p.setPen(QPen(QColor(70, 40, 20), 1));
      p.setBrush(QColor(150, 100, 60));
      p.drawRect(QRectF(4.5, 3.5, 12, 21));
      p.setBrush(QColor(20, 20, 20));
      p.drawEllipse(QPointF(14, 14), 1, 1);
      p.setPen(QPen(QColor(200, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(13, 14), QPointF(25, 14));
      p.drawLine(QPointF(21, 10), QPointF(25, 14));
      p.drawLine(QPointF(21, 18), QPointF(25, 14));
      return pm;
    }
    case Picture::TitleLeft: {
      // Two machines joined by a line: the system whose swing the device watches.
      QPixmap pm = Blank(77, 69);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(0, 0, 128), 2));
      p.drawLine(QPointF(22, 35), QPointF(55, 35));
      for (double cx : {14.0, 63.0}) {
        p.setBrush(QColor(230, 230, 240));
        p.drawEllipse(QPointF(cx, 35), 11, 11);
        DrawWave(p, QRectF(cx - 7, 31, 14, 8), 1, 0, QColor(0, 0, 128), 1.5);
      }
      p.setPen(QPen(QColor(200, 0, 0), 2));
      p.drawLine(QPointF(36, 27), QPointF(41, 35));
      p.drawLine(QPointF(41, 35), QPointF(36, 43));
      return pm;
    }
    case Picture::TitleRight: {
      // An oscillogram of a slipping voltage.
      QPixmap pm = Blank(77, 69);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(0, 0, 128), 1.5));
      p.drawLine(QPointF(6, 8), QPointF(6, 62));
      p.drawLine(QPointF(6, 35), QPointF(72, 35));
      QPainterPath path;
      for (int i = 0; i <= 120; ++i) {
        double t = i / 120.0;
        double env = 0.25 + 0.75 * std::fabs(std::cos(t * M_PI * 1.5));
        double x = 7 + t * 64;
        double y = 35 - 24 * env * std::sin(t * 2 * M_PI * 7);
        if (i == 0)
          path.moveTo(x, y);
        else
          path.lineTo(x, y);
      }
      p.setPen(QPen(QColor(200, 0, 0), 1.3));
      p.drawPath(path);
      return pm;
    }
  }
  return {};
}

}  // namespace kv
