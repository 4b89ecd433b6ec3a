#include "support/widgets/versioninfo.h"

#include "support/widgets/aboutbox.h"

#include <QWidget>

namespace {

QWidget* OwnerWindow(const QObject* owner) {
  auto* widget = qobject_cast<QWidget*>(const_cast<QObject*>(owner));
  return widget != nullptr ? widget->window() : nullptr;
}

}  // namespace

TVersionInfo::TVersionInfo(QObject* owner, TVersionData data)
    : QObject(owner), data_(std::move(data)) {
  const std::string title = VersionWindowTitle(data_);
  auto* window = qobject_cast<QWidget*>(owner);
  if (window != nullptr && window->isWindow() && !title.empty()) {
    window->setWindowTitle(QString::fromUtf8(title));
  }
}

void TVersionInfo::ShowAboutBox() const {
  QWidget* owner = OwnerWindow(parent());
  std::string product = data_.ProductName;
  if (product.empty() && owner != nullptr) product = owner->windowTitle().toStdString();
  TDlgAboutBox dialog(data_, product, hiddenMessage_, owner);
  dialog.exec();
}
