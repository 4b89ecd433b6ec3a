#include "checkwindow/widgets/screenarea.h"

#include <QGuiApplication>
#include <QScreen>

TWindowBounds AvailableScreenArea(const TWindowBounds& bounds) {
  const QScreen* screen = QGuiApplication::screenAt(QPoint(bounds.Left, bounds.Top));
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return bounds;
  const QRect area = screen->availableGeometry();
  return TWindowBounds{area.top(), area.left(), area.height(), area.width()};
}
