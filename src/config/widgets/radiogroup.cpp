#include "config/widgets/radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
  auto* layout = new QGridLayout(this);
  const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group_->addButton(button, i);
    layout->addWidget(button, i % rows, i / rows);
    buttons_.push_back(button);
  }
}

int TRadioGroup::ItemIndex() const {
  return group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index >= Count()) index = Count() - 1;
  if (index >= 0) {
    buttons_[static_cast<size_t>(index)]->setChecked(true);
    return;
  }
  // An exclusive group keeps one button checked; it has to let go for a moment.
  group_->setExclusive(false);
  for (QRadioButton* button : buttons_) button->setChecked(false);
  group_->setExclusive(true);
}
