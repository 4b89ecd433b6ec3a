#pragma once

#include <functional>

class QDialog;

// Shows a modal dialog and returns its result. The program runs the dialog's own
// modal loop; tests put a function in its place that drives the dialog while it
// is open (show()) and returns its result, so that nothing waits for a click.
using TDialogRunner = std::function<int(QDialog& dialog)>;

// Runs dialog.exec().
int RunDialogModally(QDialog& dialog);

class QWidget;

// Moves a window to the middle of the screen it is on.
void CentreOnScreen(QWidget& window);

class QDialogButtonBox;
class QPushButton;

// The "OK" (default) and "Cancel" buttons of a settings dialog, accepting and
// rejecting it.
QDialogButtonBox* AddOKCancel(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel);
