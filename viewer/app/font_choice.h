#pragma once
// Fonts of the titles dialogs carry a colour beside face, size and style, as
// the chart draws its title, foot, captions and designations in them. A
// widget keeps such a font as its font plus its text colour, so the dialogs
// show each text the way the chart will.
//
// Heights are pixel heights (the "-11" of the old forms); a font that comes
// from a chooser in points is turned into pixels at 96 dpi, so the heights
// the dialogs copy from one font to another compare exactly.
#include <QColor>
#include <QFont>

class QWidget;

namespace vistrel {

struct TextFont {
  QFont Font;
  QColor Color{Qt::black};
  bool operator==(const TextFont& o) const { return Font == o.Font && Color == o.Color; }
};

// Pixel height of a font (a point size counted at 96 dpi).
int FontHeight(const QFont& f);
// The font with its size given as `pixels`.
QFont WithHeight(QFont f, int pixels);

// A widget's font and text colour, and setting both.
TextFont WidgetFont(const QWidget& w);
void SetWidgetFont(QWidget& w, const TextFont& f);

// A font face of the forms by pixel height ("MS Sans Serif" and "Arial" are
// not on Linux).
QFont FormFont(int pixelHeight);

// Chooses a font with its colour. Returns false when the user cancels; the
// font is then left as it was. Tests put their own in place of the dialog.
class FontColorChooser {
 public:
  virtual ~FontColorChooser() = default;
  virtual bool Choose(QWidget* parent, TextFont& font) = 0;
};

// The interactive chooser: the font dialog with a colour list below it.
FontColorChooser& DefaultFontColorChooser();

}  // namespace vistrel
