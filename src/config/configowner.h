#pragma once

#include <pugixml.hpp>

#include <string>

class QObject;

// What the settings windows need from the window that owns the configuration
// document (the manager): the document itself, its save, and the "Window" menu
// that lists the open secondary windows by caption.
class TConfigOwner {
 public:
  virtual ~TConfigOwner() = default;

  virtual pugi::xml_document& Config() = 0;
  // Writes the whole document to its file; throws on failure.
  virtual void SaveConfig() = 0;
  virtual void AddWindowMenuItem(const std::string& caption, QObject* window) = 0;
  virtual void RemoveWindowMenuItem(const std::string& caption) = 0;
};
