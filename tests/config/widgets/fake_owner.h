#pragma once

#include "config/config.h"
#include "config/configowner.h"
#include "config/udfxml.h"

#include "common/temp_tree.h"

#include <algorithm>
#include <string>
#include <vector>

// The manager's part for a settings window: a document saved to a temporary
// file, and the "Window" menu as a list of captions.
class TFakeOwner : public TConfigOwner {
 public:
  explicit TFakeOwner(const std::string& text = "<config/>") { LoadXMLText(config_, text); }

  pugi::xml_document& Config() override { return config_; }
  void SaveConfig() override {
    ++saves;
    ::SaveConfig(config_, tree_.File("c.xml"));
  }
  void AddWindowMenuItem(const std::string& caption, QObject*) override { menu.push_back(caption); }
  void RemoveWindowMenuItem(const std::string& caption) override {
    const auto at = std::find(menu.begin(), menu.end(), caption);
    if (at != menu.end()) menu.erase(at);
  }
  // The root's child as text, "" when there is none.
  std::string Child(const char* name) const {
    const pugi::xml_node child = config_.document_element().child(name);
    return child ? XMLText(child) : std::string();
  }
  std::string Saved() const { return tree_.Exists("c.xml") ? tree_.Read("c.xml") : ""; }

  int saves = 0;
  std::vector<std::string> menu;

 private:
  pugi::xml_document config_;
  TTempTree tree_;
};
