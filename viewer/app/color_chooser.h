#pragma once
// The colour dialog behind a small interface, so tests answer it without a
// modal loop.
#include <QColor>
#include <vector>

class QWidget;

namespace vistrel {

class ColorChooser {
 public:
  virtual ~ColorChooser() = default;
  // Opens at `color` with `custom` as the dialog's custom colours, which the
  // user may change there. True with the chosen colour in `color` when the
  // user confirms; false leaves `color` as it was.
  virtual bool Choose(QWidget* parent, QColor& color, std::vector<QColor>& custom) = 0;
};

// QColorDialog. Its custom colours are the caller's for the one showing;
// the application's own set is put back afterwards.
class QtColorChooser : public ColorChooser {
 public:
  bool Choose(QWidget* parent, QColor& color, std::vector<QColor>& custom) override;
};

// A colour as the class library writes it in hexadecimal: 0xBBGGRR.
QColor FromBgr(unsigned value);

}  // namespace vistrel
