#include "dataset/widgets/ntiergridparts.h"

#include "dataset/widgets/ntiergrid.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TNTierGridHeader::TNTierGridHeader(TNTierGrid& grid)
    : QHeaderView(Qt::Horizontal, &grid), grid_(grid) {
  setSectionsMovable(true);
  setSectionsClickable(false);
  setHighlightSections(false);
  setStretchLastSection(false);
  setMinimumSectionSize(4);
  setSectionResizeMode(QHeaderView::Interactive);
  setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Anything that moves or resizes a column during a press takes the click away.
  const auto taken = [this] {
    if (pressedSection_ != -2) movedOrResized_ = true;
  };
  connect(this, &QHeaderView::sectionMoved, this, taken);
  connect(this, &QHeaderView::sectionResized, this, taken);
  pressedSection_ = -2;
}

void TNTierGridHeader::SetRowHeight(int height) {
  if (height == rowHeight_) return;
  rowHeight_ = height;
  updateGeometry();
  viewport()->update();
}

// Never lower than the text needs: it is drawn 4 pixels below the top.
QSize TNTierGridHeader::sizeHint() const {
  return QSize(QHeaderView::sizeHint().width(), std::max(rowHeight_, fontMetrics().height() + 5));
}

void TNTierGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  grid_.DrawCell(*painter, logicalIndex, 0, rect);
}

// -2 means no press is in progress; -1 a press outside every section.
void TNTierGridHeader::mousePressEvent(QMouseEvent* event) {
  grid_.CloseHint();
  movedOrResized_ = false;
  pressedSection_ = logicalIndexAt(event->position().toPoint());
  QHeaderView::mousePressEvent(event);
}

void TNTierGridHeader::mouseReleaseEvent(QMouseEvent* event) {
  QHeaderView::mouseReleaseEvent(event);
  const int pressed = pressedSection_;
  pressedSection_ = -2;
  if (event->button() != Qt::LeftButton || movedOrResized_ || pressed < 0) return;
  if (logicalIndexAt(event->position().toPoint()) != pressed) return;
  grid_.HeaderClicked(pressed, event->modifiers());
}

TNTierGridDelegate::TNTierGridDelegate(TNTierGrid& grid)
    : QStyledItemDelegate(&grid), grid_(grid) {}

void TNTierGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  painter->save();
  grid_.DrawCell(*painter, index.column(), index.row() + 1, option.rect);
  painter->restore();
}

const QStaticText& TCellTextCache::Text(const QFont& font, const QString& text) {
  auto fontTexts = std::find_if(fonts_.begin(), fonts_.end(),
                                [&](const TFontTexts& texts) { return texts.Font == font; });
  if (fontTexts == fonts_.end()) {
    if (fonts_.size() >= kFonts) fonts_.clear();
    fonts_.push_back({font, {}});
    fontTexts = std::prev(fonts_.end());
  }
  QHash<QString, QStaticText>& texts = fontTexts->Texts;
  if (const auto found = texts.constFind(text); found != texts.constEnd()) return *found;
  if (texts.size() >= kTextsPerFont) texts.clear();
  QStaticText laidOut(text);
  laidOut.setTextFormat(Qt::PlainText);
  laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
  laidOut.prepare(QTransform(), font);
  return *texts.insert(text, laidOut);
}
