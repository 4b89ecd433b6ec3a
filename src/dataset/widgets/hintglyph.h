#pragma once

#include <QWidget>

// A small marker beside a list that says not every row is shown: a dataset shows
// it while a load stopped at its row limit (TNTierDataset::SetFilterHintGlyph).
// Hidden until then; its hint says why.
class THintGlyph : public QWidget {
  Q_OBJECT

 public:
  explicit THintGlyph(QWidget* parent = nullptr);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
