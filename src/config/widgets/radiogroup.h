#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

// A titled group of radio buttons addressed by index, laid out in columns that
// fill top to bottom. Index -1 means no item is chosen.
class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent);

  int Count() const { return static_cast<int>(buttons_.size()); }
  int ItemIndex() const;
  // An index beyond the last item chooses the last; a negative one chooses none.
  void SetItemIndex(int index);
  QRadioButton* Button(int index) const { return buttons_.at(static_cast<size_t>(index)); }

 private:
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
};
