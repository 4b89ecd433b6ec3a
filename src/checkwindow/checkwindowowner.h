#pragma once

#include "checkwindow/sfvrepair.h"  // WM_RECHECKSFV

#include <pugixml.hpp>

#include <QEvent>

#include <string>

class QObject;

// Posted by a check window to itself while it is created; handled once the event
// loop runs, so the window is on screen before the first file is hashed.
inline constexpr QEvent::Type WM_STARTCHECK = static_cast<QEvent::Type>(QEvent::User + 100);

// What a check window needs from the window that opened it (the manager). A check
// window without an owner is the program's only window and keeps its own
// configuration document.
class TCheckWindowOwner {
 public:
  virtual ~TCheckWindowOwner() = default;

  // The owner's configuration document, lent for as long as the check window lives.
  virtual pugi::xml_document& Config() = 0;
  // Writes the owner's whole configuration document to its file.
  virtual void SaveConfig() = 0;

  // The owner's "Window" menu: one item per open check window, found by caption;
  // choosing an item brings that window forward.
  virtual void AddWindowMenuItem(const std::string& caption, QObject* window) = 0;
  virtual void RemoveWindowMenuItem(const std::string& caption) = 0;

  // Hands a rewritten SFV back; the owner verifies it when WM_RECHECKSFV arrives.
  virtual void SetRecheckPath(const std::string& sfvPath) = 0;
  // The object WM_RECHECKSFV is posted to.
  virtual QObject* EventReceiver() = 0;
};
