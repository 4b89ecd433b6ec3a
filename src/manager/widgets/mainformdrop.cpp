#include "manager/widgets/mainform.h"

#include "checkwindow/widgets/sfvdrop.h"
#include "support/messages.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>

// Dropping SFV files on the manager opens each in a check window of its own, as
// opening it from the desktop does.

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedSFVFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedSFVFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  const std::string program =
      QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
  for (const QString& file : files) {
    if (!StartDetached(program, {QFile::encodeName(file).toStdString()})) {
      ShowWarning("Unable to start " + program + ".");
      return;
    }
  }
}
