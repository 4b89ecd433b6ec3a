#pragma once

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

// "New", "Edit" and "Delete" of a list window (Insert, Enter, Delete), shared by
// its tool bar and its pop-up menu; a failing command ends in an error report.
struct TListTools {
  QAction* New;
  QAction* Edit;
  QAction* Delete;
  QMenu* Popup;
};

TListTools AddListTools(QMainWindow& window, const char* popupName,
                        const std::function<void()>& onNew, const std::function<void()>& onEdit,
                        const std::function<void()>& onDelete);
