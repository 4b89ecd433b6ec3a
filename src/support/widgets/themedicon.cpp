#include "support/widgets/themedicon.h"

#include <QPainter>
#include <QSvgRenderer>

// The drawings go through QSvgRenderer itself rather than through the SVG icon
// engine or image plugin: a plugin that is not found at run time would leave
// every button blank without a word.

namespace {

QPixmap Render(QSvgRenderer& renderer, const QSize& size, qreal devicePixelRatio) {
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  painter.end();
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

}  // namespace

QIcon ThemedIcon(const QString& themeName, const QString& fallback) {
  if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
  return SvgIcon(fallback);
}

QIcon SvgIcon(const QString& resource) {
  QSvgRenderer renderer(resource);
  if (!renderer.isValid()) return {};
  QIcon icon;
  for (const int side : {16, 22, 24, 32, 48}) {
    for (const qreal ratio : {1.0, 2.0}) icon.addPixmap(Render(renderer, {side, side}, ratio));
  }
  return icon;
}

QPixmap SvgPixmap(const QString& resource, const QSize& size, qreal devicePixelRatio) {
  QSvgRenderer renderer(resource);
  if (!renderer.isValid()) return {};
  return Render(renderer, size, devicePixelRatio);
}
