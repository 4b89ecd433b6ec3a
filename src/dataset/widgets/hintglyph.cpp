#include "dataset/widgets/hintglyph.h"

#include <QPainter>
#include <QPainterPath>

THintGlyph::THintGlyph(QWidget* parent) : QWidget(parent) {
  setToolTip(tr("Not every row is shown: the list stopped at its row limit."));
  setFixedSize(sizeHint());
  hide();
}

QSize THintGlyph::sizeHint() const {
  return QSize(16, 16);
}

// A funnel: the usual sign for a list that shows only some of its rows.
void THintGlyph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPainterPath funnel;
  funnel.moveTo(1.5, 2.5);
  funnel.lineTo(14.5, 2.5);
  funnel.lineTo(9.5, 8.5);
  funnel.lineTo(9.5, 14.0);
  funnel.lineTo(6.5, 12.5);
  funnel.lineTo(6.5, 8.5);
  funnel.closeSubpath();
  painter.setPen(QPen(QColor(0, 0, 128), 1.0));
  painter.setBrush(QColor(255, 200, 40));
  painter.drawPath(funnel);
}
