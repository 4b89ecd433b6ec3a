#include "support/widgets/readablecolour.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The same hue and saturation at another HSL lightness, in the eight bits a
// channel that it is painted with, so that the contrast found is the one shown.
QColor AtLightness(const QColor& colour, double lightness) {
  const QColor shade = QColor::fromHslF(colour.hslHueF(), colour.hslSaturationF(),
                                        static_cast<float>(lightness), colour.alphaF());
  return QColor::fromRgba(shade.rgba());
}

// The lightness nearest to the colour's own, towards `target` (0 or 1), at which
// it stands out by ratio; nothing when even the end of that way does not.
bool Search(const QColor& colour, const QColor& other, double ratio, double target, QColor& found) {
  const double start = colour.lightnessF();
  if (ContrastRatio(AtLightness(colour, target), other) < ratio) return false;
  double near = start;
  double far = target;
  for (int step = 0; step < 24; ++step) {
    const double middle = (near + far) / 2;
    if (ContrastRatio(AtLightness(colour, middle), other) >= ratio) {
      far = middle;
    } else {
      near = middle;
    }
  }
  found = AtLightness(colour, far);
  return true;
}

}  // namespace

double RelativeLuminance(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double first = RelativeLuminance(a);
  const double second = RelativeLuminance(b);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor WithContrast(const QColor& colour, const QColor& other, double ratio) {
  if (ContrastRatio(colour, other) >= ratio) return colour;
  // Away from the other colour first: lighter on a dark one, darker on a light one.
  const bool lighter = RelativeLuminance(other) < 0.18;
  QColor found;
  if (Search(colour, other, ratio, lighter ? 1.0 : 0.0, found)) return found;
  if (Search(colour, other, ratio, lighter ? 0.0 : 1.0, found)) return found;
  // No shade of the hue gets there: black or white, whichever stands out more.
  return ContrastRatio(Qt::black, other) > ContrastRatio(Qt::white, other) ? QColor(Qt::black)
                                                                           : QColor(Qt::white);
}

bool IsLightBase(const QColor& background) {
  // White and the near-white window greys of light themes.
  return RelativeLuminance(background) >= 0.8;
}

QColor ReadableOn(const QColor& colour, const QColor& background) {
  return IsLightBase(background) ? colour : WithContrast(colour, background);
}
