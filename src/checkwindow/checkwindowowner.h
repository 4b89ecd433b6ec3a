#pragma once

#include "checkwindow/sfvrepair.h"  // WM_RECHECKSFV
#include "config/configowner.h"

#include <QEvent>

#include <string>

// Posted by a check window to itself while it is created; handled once the event
// loop runs, so the window is on screen before the first file is hashed.
inline constexpr QEvent::Type WM_STARTCHECK = static_cast<QEvent::Type>(QEvent::User + 100);

// What a check window needs from the window that opened it (the manager). A check
// window without an owner is the program's only window and keeps its own
// configuration document.
class TCheckWindowOwner : public TConfigOwner {
 public:
  // Config() is lent for as long as the check window lives; the "Window" menu gets
  // one item per open check window, and choosing it brings that window forward.

  // Hands a rewritten SFV back; the owner verifies it when WM_RECHECKSFV arrives.
  virtual void SetRecheckPath(const std::string& sfvPath) = 0;
  // The object WM_RECHECKSFV is posted to.
  virtual QObject* EventReceiver() = 0;
};
