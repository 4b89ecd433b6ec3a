#pragma once

#include <string>
#include <utility>

// The error handler every window shares. A command handler (an action's
// triggered slot, a button click) wraps its body:
//
//   void TMainForm::actMoveExecute() {
//     TBusyScope busy(*this);             // restores busy mode, cursor, locks
//     GuardedCommand("Move failed", [&] { MoveSelected(); });
//   }
//
// Whatever escapes the body is shown with ShowException(text, help, error);
// EAbort is silent. RAII objects declared inside or around the call are
// unwound before or after the report, so the window is usable again either way.
// An empty text reports the error's own message as the text.

// Reports the exception being handled; only valid inside a catch block.
// Never throws: a failure of the report itself is reported as a plain error.
void ReportCurrentException(const std::string& text, int help = 0) noexcept;

// Runs command; true when it finished without an error.
template <class F>
bool GuardedCommand(const std::string& text, F&& command, int help = 0) noexcept {
  try {
    std::forward<F>(command)();
    return true;
  } catch (...) {
    ReportCurrentException(text, help);
    return false;
  }
}
