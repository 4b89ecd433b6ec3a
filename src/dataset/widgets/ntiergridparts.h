#pragma once

#include <QFont>
#include <QHash>
#include <QHeaderView>
#include <QStaticText>
#include <QStyledItemDelegate>

class TNTierGrid;

// The header row of a TNTierGrid: painted by the grid like any other cell, with
// a height the grid decides, and a click that counts only when the press neither
// moved nor resized a column.
class TNTierGridHeader : public QHeaderView {
  Q_OBJECT

 public:
  explicit TNTierGridHeader(TNTierGrid& grid);

  int RowHeight() const { return rowHeight_; }
  void SetRowHeight(int height);
  QSize sizeHint() const override;

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TNTierGrid& grid_;
  int rowHeight_ = 17;
  int pressedSection_ = -1;
  bool movedOrResized_ = false;
};

// Cell texts laid out once for painting. A long loop repaints the same visible
// cells up to fifty times a second, and shaping their texts again each time was
// most of a frame's cost.
class TCellTextCache {
 public:
  // text laid out as plain text in font.
  const QStaticText& Text(const QFont& font, const QString& text);

 private:
  struct TFontTexts {
    QFont Font;
    QHash<QString, QStaticText> Texts;
  };
  // A few fonts (plain, struck out, bold) and the cells of a few screens each.
  static constexpr int kFonts = 4;
  static constexpr qsizetype kTextsPerFont = 4096;
  std::vector<TFontTexts> fonts_;
};

// Hands every data cell to the grid's painter.
class TNTierGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit TNTierGridDelegate(TNTierGrid& grid);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  TNTierGrid& grid_;
};
