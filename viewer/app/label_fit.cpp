#include "viewer/app/label_fit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QAbstractItemView>
#include <QLabel>
#include <QStyle>
#include <algorithm>

namespace vistrel {

namespace {

class LabelFit : public QObject {
 public:
  LabelFit(QLabel* label, QPoint at) : QObject(label), label_(label), at_(at) {
    label->setWordWrap(true);
    label->parentWidget()->installEventFilter(this);
    Fit();
  }

  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == label_->parentWidget() && e->type() == QEvent::Resize) Fit();
    return false;
  }

 private:
  void Fit() {
    const QWidget* panel = label_->parentWidget();
    const QFontMetrics fm(label_->font());
    const QString text = label_->text();
    const int frame = 2 * label_->frameWidth();
    const int line = fm.horizontalAdvance(text) + frame;
    if (at_.x() + line <= panel->width()) {
      label_->setGeometry(at_.x(), at_.y(), line, fm.height() + frame);
      return;
    }
    int widestWord = 0;
    for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
      widestWord = std::max(widestWord, fm.horizontalAdvance(w));
    const int room = std::max(panel->width() - at_.x() - frame, widestWord);
    const QRect r = fm.boundingRect(QRect(0, 0, room, 10 * fm.height()), Qt::TextWordWrap, text);
    const QSize s(r.width() + frame + 1, r.height() + frame);
    label_->setGeometry(at_.x(), std::max(0, (panel->height() - s.height()) / 2), s.width(), s.height());
  }

  QLabel* label_;
  QPoint at_;
};

}  // namespace

void KeepLabelWhole(QLabel* label, QPoint at) { new LabelFit(label, at); }

int CellWidthFor(const QAbstractItemView& view, const QString& text) {
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  return QFontMetrics(view.font()).horizontalAdvance(text) + 2 * margin + 1;
}

}  // namespace vistrel
