#include "app/managerplaceholder.h"

#include <QLabel>

TManagerPlaceholder::TManagerPlaceholder(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Checkwell"));
  auto* text =
      new QLabel(QStringLiteral("The manager window is not available in this build yet.\n\n"
                                "To verify one SFV file, open it with Checkwell:\n"
                                "    checkwell file.sfv"),
                 this);
  text->setObjectName(QStringLiteral("lblPlaceholder"));
  text->setMargin(24);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  setCentralWidget(text);
  resize(480, 200);
}
