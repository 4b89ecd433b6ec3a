#include "checkwindow/widgets/checkicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

static void InitResourcesOnce() {
  // Q_INIT_RESOURCE must be used from the global namespace.
  Q_INIT_RESOURCE(checkwindow);
}

void EnsureCheckWindowResources() {
  static const bool done = (InitResourcesOnce(), true);
  (void)done;
}

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);
const QColor kGrey(128, 128, 128);

QPixmap Canvas(int size, qreal ratio) {
  QPixmap pixmap(qRound(size * ratio), qRound(size * ratio));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QPen Stroke(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawTick(QPainter& p, const QColor& colour) {
  QPainterPath tick;
  tick.moveTo(3, 8.5);
  tick.lineTo(6.5, 12);
  tick.lineTo(13, 4);
  p.setPen(Stroke(colour, 2.6));
  p.drawPath(tick);
}

void DrawCross(QPainter& p, const QColor& colour) {
  p.setPen(Stroke(colour, 2.6));
  p.drawLine(QPointF(4, 4), QPointF(12, 12));
  p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

void DrawExclamation(QPainter& p, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(7, 3.5, 2, 6.5), 1, 1);
  p.drawEllipse(QRectF(7, 11, 2, 2));
}

void DrawArrow(QPainter& p, const QColor& colour) {
  const QPolygonF arrow({QPointF(2, 6), QPointF(8, 6), QPointF(8, 2.5), QPointF(14, 8),
                         QPointF(8, 13.5), QPointF(8, 10), QPointF(2, 10)});
  p.setPen(Stroke(colour.darker(130), 1));
  p.setBrush(colour);
  p.drawPolygon(arrow);
}

// Tool-bar images share one look: a light page or window with a coloured sign.
void DrawPage(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(90, 100, 115), 1));
  p.setBrush(QColor(250, 250, 252));
  p.drawRect(r);
  p.setPen(QPen(QColor(170, 180, 195), 1));
  for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3) {
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
  }
}

void PaintTool(QPainter& p, TToolImage image) {
  switch (image) {
    case TToolImage::Launch: {
      DrawPage(p, QRectF(2.5, 6.5, 14, 15));
      QPainterPath arrow;
      arrow.moveTo(9, 15);
      arrow.lineTo(20, 4);
      p.setPen(Stroke(QColor(30, 110, 200), 2.4));
      p.drawPath(arrow);
      p.drawPolyline(QPolygonF({QPointF(13, 3.5), QPointF(20.5, 3.5), QPointF(20.5, 11)}));
      break;
    }
    case TToolImage::Remove:
      DrawPage(p, QRectF(3.5, 2.5, 14, 18));
      p.setPen(Stroke(QColor(210, 30, 30), 3));
      p.drawLine(QPointF(12, 17), QPointF(21, 17));
      break;
    case TToolImage::Rename:
      p.setPen(QPen(QColor(90, 100, 115), 1));
      p.setBrush(QColor(250, 250, 252));
      p.drawRect(QRectF(1.5, 7.5, 21, 9));
      p.setPen(Stroke(QColor(30, 110, 200), 1.6));
      p.drawLine(QPointF(4.5, 10), QPointF(4.5, 14));
      p.setPen(QPen(QColor(40, 40, 40), 1.2));
      p.drawLine(QPointF(7, 12), QPointF(18, 12));
      p.setPen(Stroke(QColor(200, 140, 20), 2.5));
      p.drawLine(QPointF(12, 22), QPointF(21, 3));
      break;
    case TToolImage::RefreshCRC: {
      p.setPen(Stroke(kGreen, 2.4));
      p.setBrush(Qt::NoBrush);
      const QRectF ring(4, 4, 16, 16);
      p.drawArc(ring, 30 * 16, 150 * 16);
      p.drawArc(ring, 210 * 16, 150 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({QPointF(20.5, 4), QPointF(21.5, 11), QPointF(15, 9)}));
      p.drawPolygon(QPolygonF({QPointF(3.5, 20), QPointF(2.5, 13), QPointF(9, 15)}));
      break;
    }
    case TToolImage::TidySFV:
      DrawPage(p, QRectF(3.5, 2.5, 17, 19));
      p.setPen(Stroke(QColor(30, 110, 200), 2));
      p.drawLine(QPointF(7, 7), QPointF(11, 7));
      p.drawLine(QPointF(7, 12), QPointF(14, 12));
      p.drawLine(QPointF(7, 17), QPointF(17, 17));
      break;
    case TToolImage::Manager:
      p.setPen(QPen(QColor(40, 60, 100), 1));
      p.setBrush(QColor(250, 250, 252));
      p.drawRect(QRectF(1.5, 3.5, 21, 17));
      p.setBrush(QColor(40, 90, 160));
      p.drawRect(QRectF(1.5, 3.5, 21, 4));
      for (int i = 0; i < 3; ++i) {
        const qreal y = 10.5 + i * 3.5;
        p.setPen(Qt::NoPen);
        p.setBrush(i == 1 ? kRed : kGreen);
        p.drawEllipse(QRectF(4, y - 1.2, 2.4, 2.4));
        p.setPen(QPen(QColor(120, 130, 145), 1));
        p.drawLine(QPointF(8, y), QPointF(19, y));
      }
      break;
    case TToolImage::Notepad:
      DrawPage(p, QRectF(4.5, 2.5, 15, 19));
      p.setPen(Stroke(QColor(200, 140, 20), 2.2));
      p.drawLine(QPointF(11, 20), QPointF(21, 8));
      break;
    case TToolImage::Copy:
      DrawPage(p, QRectF(2.5, 2.5, 12, 14));
      DrawPage(p, QRectF(9.5, 7.5, 12, 14));
      break;
  }
}

}  // namespace

int StatusGlyphIndex(TFileStatus status) {
  switch (status) {
    case TFileStatus::None:
      return -1;
    case TFileStatus::OK:
      return sgOK;
    case TFileStatus::Ignored:
      return sgIgnored;
    case TFileStatus::Running:
      return sgRunning;
    case TFileStatus::Waiting:
      return sgWaiting;
    case TFileStatus::NotFound:
    case TFileStatus::NoCRC:
    case TFileStatus::CRCFailed:
      return sgFailed;
  }
  return sgFailed;
}

QPixmap StatusGlyph(int index, qreal devicePixelRatio) {
  QPixmap pixmap = Canvas(16, devicePixelRatio);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case sgOK:
      DrawTick(p, kGreen);
      break;
    case sgFailed:
      DrawCross(p, kRed);
      break;
    case sgIgnored:
      DrawExclamation(p, kPurple);
      break;
    case sgRunning:
      DrawArrow(p, kRed);
      break;
    case sgWaiting:
      DrawArrow(p, kGrey);
      break;
    default:
      break;
  }
  return pixmap;
}

QColor StatusTextColor(TFileStatus status, const QColor& gridText) {
  switch (status) {
    case TFileStatus::OK:
      return kGreen;
    case TFileStatus::Waiting:
      return Qt::black;
    case TFileStatus::Ignored:
      return kPurple;
    case TFileStatus::Running:
      return gridText;
    case TFileStatus::None:
    case TFileStatus::NotFound:
    case TFileStatus::NoCRC:
    case TFileStatus::CRCFailed:
      return kRed;
  }
  return kRed;
}

QIcon ToolImage(TToolImage image) {
  QIcon icon;
  for (const qreal ratio : {1.0, 2.0}) {
    QPixmap pixmap = Canvas(24, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    PaintTool(p, image);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon ApplicationIcon() {
  EnsureCheckWindowResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/checkwell/checkwell-48.png"));
  icon.addFile(QStringLiteral(":/checkwell/checkwell-256.png"));
  return icon;
}
