#include "config/widgets/dialogrunner.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>

int RunDialogModally(QDialog& dialog) {
  return dialog.exec();
}

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

QDialogButtonBox* AddOKCancel(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel) {
  auto* buttons = new QDialogButtonBox(&dialog);
  ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}
