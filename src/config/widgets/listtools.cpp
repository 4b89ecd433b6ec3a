#include "config/widgets/listtools.h"

#include "support/guard.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

namespace {

QAction* NewAction(QMainWindow& window, const char* name, const char* caption,
                   QList<QKeySequence> keys, const std::function<void()>& handler) {
  auto* action = new QAction(QString::fromLatin1(caption), &window);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcuts(keys);
  QObject::connect(action, &QAction::triggered, &window,
                   [handler] { GuardedCommand("", [&] { handler(); }); });
  return action;
}

}  // namespace

TListTools AddListTools(QMainWindow& window, const char* popupName,
                        const std::function<void()>& onNew, const std::function<void()>& onEdit,
                        const std::function<void()>& onDelete) {
  TListTools tools{};
  tools.New = NewAction(window, "actNew", "New", {Qt::Key_Insert}, onNew);
  tools.Edit = NewAction(window, "actEdit", "Edit", {Qt::Key_Return, Qt::Key_Enter}, onEdit);
  tools.Delete = NewAction(window, "actDelete", "Delete", {Qt::Key_Delete}, onDelete);
  auto* toolBar = window.addToolBar(QStringLiteral("Tools"));
  toolBar->setObjectName(QStringLiteral("tbrTools"));
  toolBar->setMovable(false);
  toolBar->addActions({tools.New, tools.Edit, tools.Delete});
  tools.Popup = new QMenu(&window);
  tools.Popup->setObjectName(QString::fromLatin1(popupName));
  tools.Popup->addActions({tools.New, tools.Edit, tools.Delete});
  return tools;
}
