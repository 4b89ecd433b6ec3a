#include "config/pathlist.h"

#include "config/config.h"
#include "support/strings.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr const char* kPathsElement = "paths";
constexpr const char* kPathElement = "path";
constexpr const char* kValueAttribute = "value";
constexpr const char* kActiveAttribute = "active";

}  // namespace

pugi::xml_node FindOrCreatePaths(pugi::xml_document& config) {
  if (const pugi::xpath_node found = config.select_node("//paths")) return found.node();
  return ConfigRoot(config).append_child(kPathsElement);
}

std::vector<TSearchPath> LoadPathList(const pugi::xml_node& paths) {
  std::vector<TSearchPath> entries;
  for (const pugi::xml_node child : paths.children()) {
    if (child.type() != pugi::node_element) {
      throw std::runtime_error("The search folders hold a node that is not an element");
    }
    entries.push_back(
        {child.attribute(kValueAttribute).value(), ReadFlag(child, kActiveAttribute, false)});
  }
  return entries;
}

void WritePathList(pugi::xml_node paths, std::vector<TSearchPath>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TSearchPath& a, const TSearchPath& b) {
    return CompareTextASCII(a.Folder, b.Folder) < 0;
  });
  while (pugi::xml_node child = paths.first_child()) paths.remove_child(child);
  for (const TSearchPath& entry : entries) {
    pugi::xml_node path = paths.append_child(kPathElement);
    WriteText(path, kValueAttribute, entry.Folder);
    WriteFlag(path, kActiveAttribute, entry.Active);
  }
}

int CountDuplicatePaths(const std::vector<TSearchPath>& entries, const std::string& folder,
                        int except) {
  int count = 0;
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    if (i != except && SameTextASCII(entries[static_cast<size_t>(i)].Folder, folder)) ++count;
  }
  return count;
}

bool SetPathActive(pugi::xml_node paths, const std::string& folder, bool active) {
  for (pugi::xml_node child : paths.children(kPathElement)) {
    if (folder == child.attribute(kValueAttribute).value()) {
      WriteFlag(child, kActiveAttribute, active);
      return true;
    }
  }
  return false;
}
