#pragma once

#include <QHeaderView>
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
