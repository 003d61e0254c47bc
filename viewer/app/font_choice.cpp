#include "viewer/app/font_choice.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <array>
#include <cmath>

namespace vistrel {

int FontHeight(const QFont& f) {
  if (f.pixelSize() > 0) return f.pixelSize();
  return static_cast<int>(std::lround(f.pointSizeF() * 96.0 / 72.0));
}

QFont WithHeight(QFont f, int pixels) {
  f.setPixelSize(std::max(1, pixels));
  return f;
}

TextFont WidgetFont(const QWidget& w) { return {w.font(), w.palette().color(QPalette::Text)}; }

void SetWidgetFont(QWidget& w, const TextFont& f) {
  w.setFont(f.Font);
  QPalette pal = w.palette();
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
    pal.setColor(role, f.Color);
  w.setPalette(pal);
}

QFont FormFont(int pixelHeight) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixelHeight);
  return f;
}

namespace {

// The sixteen colours of the system's font dialog.
struct NamedColor {
  const char* name;
  QRgb rgb;
};
constexpr std::array<NamedColor, 16> kFontColors{{
    {"Черный", 0x000000},      {"Бордовый", 0x800000}, {"Зеленый", 0x008000}, {"Оливковый", 0x808000},
    {"Темно-синий", 0x000080}, {"Фиолетовый", 0x800080}, {"Сине-зеленый", 0x008080}, {"Серый", 0x808080},
    {"Серебристый", 0xC0C0C0}, {"Красный", 0xFF0000}, {"Ярко-зеленый", 0x00FF00}, {"Желтый", 0xFFFF00},
    {"Синий", 0x0000FF},       {"Фуксия", 0xFF00FF}, {"Голубой", 0x00FFFF}, {"Белый", 0xFFFFFF},
}};

QIcon Swatch(const QColor& c) {
  QPixmap pm(24, 12);
  pm.fill(c);
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
  return QIcon(pm);
}

class FontDialogChooser : public FontColorChooser {
 public:
  bool Choose(QWidget* parent, TextFont& font) override {
    QDialog dlg(parent);
    dlg.setWindowTitle(QStringLiteral("Шрифт"));
    auto* lay = new QVBoxLayout(&dlg);
    auto* fonts = new QFontDialog(&dlg);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    QFont shown = font.Font;  // the dialog lists sizes in points
    shown.setPointSizeF(FontHeight(font.Font) * 72.0 / 96.0);
    // The dialog matches styles by name ("Book", "Oblique"): give it the
    // name of the face this font really is.
    shown.setStyleName(QFontInfo(shown).styleName());
    fonts->setCurrentFont(shown);
    lay->addWidget(fonts);

    auto* colors = new QComboBox(&dlg);
    int current = -1;
    for (const NamedColor& c : kFontColors) {
      if (QColor(c.rgb) == font.Color) current = colors->count();
      colors->addItem(Swatch(QColor(c.rgb)), QString::fromUtf8(c.name), QColor(c.rgb));
    }
    if (current < 0) {  // a colour set elsewhere stays choosable
      current = colors->count();
      colors->addItem(Swatch(font.Color), QStringLiteral("Другой"), font.Color);
    }
    colors->setCurrentIndex(current);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Цвет:"), colors);
    lay->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    lay->addWidget(buttons);

    if (dlg.exec() != QDialog::Accepted) return false;
    const QFont chosen = fonts->currentFont();
    font.Font = WithHeight(chosen, FontHeight(chosen));
    font.Color = colors->currentData().value<QColor>();
    return true;
  }
};

}  // namespace

FontColorChooser& DefaultFontColorChooser() {
  static FontDialogChooser chooser;
  return chooser;
}

}  // namespace vistrel
