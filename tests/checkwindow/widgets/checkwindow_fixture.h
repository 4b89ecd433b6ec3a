#pragma once

#include "checkwindow/checkwindowowner.h"
#include "checkwindow/widgets/checksfvwindow.h"
#include "common/temp_tree.h"
#include "sfv/crc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// The listed CRC of some bytes, as an SFV line carries it.
inline std::string CRCOf(const std::string& bytes) {
  return CRCToText(UpdateCRC32(0xFFFFFFFFu, bytes.data(), bytes.size()) ^ 0xFFFFFFFFu);
}

// Processes events until done() holds; a guard against a hanging test, not a
// measurement (it gives up after a minute).
inline bool ProcessUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 60000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// The manager as far as a check window can tell.
class TFakeOwner : public QObject, public TCheckWindowOwner {
 public:
  TFakeOwner() { config.append_child("config"); }

  pugi::xml_document& Config() override { return config; }
  void SaveConfig() override { ++saves; }
  void AddWindowMenuItem(const std::string& caption, QObject* window) override {
    menu.push_back(caption);
    menuWindows.push_back(window);
  }
  void RemoveWindowMenuItem(const std::string& caption) override {
    std::erase(menu, caption);
    removed.push_back(caption);
  }
  void SetRecheckPath(const std::string& sfvPath) override { recheckPath = sfvPath; }
  QObject* EventReceiver() override { return this; }

  bool event(QEvent* event) override {
    if (event->type() == WM_RECHECKSFV) {
      ++rechecks;
      return true;
    }
    return QObject::event(event);
  }

  pugi::xml_document config;
  int saves = 0;
  int rechecks = 0;
  std::vector<std::string> menu;
  std::vector<QObject*> menuWindows;
  std::vector<std::string> removed;
  std::string recheckPath;
};
