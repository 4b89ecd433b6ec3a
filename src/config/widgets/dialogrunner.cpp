#include "config/widgets/dialogrunner.h"

#include <QDialog>
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
