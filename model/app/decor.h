#pragma once
// The window's decoration: bitmap buttons with the picture right of the
// caption, and the pictures themselves, drawn here rather than loaded.
#include <QPixmap>
#include <QPushButton>

namespace kv {

// A push button that centres caption and picture as one group, the picture
// to the right of the caption (or alone when there is no caption).
class GlyphButton : public QPushButton {
  Q_OBJECT
 public:
  GlyphButton(const QString& caption, const QPixmap& glyph, int spacing, QWidget* parent);
  const QPixmap& glyph() const { return glyph_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QPixmap glyph_;
  int spacing_;
};

enum class Picture { Run, Open, OpenData, Save, Viewer, Exit, TitleLeft, TitleRight };
QPixmap DrawPicture(Picture which);

}  // namespace kv
