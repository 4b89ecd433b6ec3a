#pragma once

#include <pugixml.hpp>

#include <string>
#include <vector>

// The search folders: the `path` children of the document's `paths` element,
// each a folder ending in a delimiter with its active flag.

struct TSearchPath {
  std::string Folder;
  bool Active = true;
  bool operator==(const TSearchPath&) const = default;
};

// The first `paths` element anywhere in the document, created under the root
// when there is none.
pugi::xml_node FindOrCreatePaths(pugi::xml_document& config);

// The entries in document order; active only for exactly "Y". Throws
// std::runtime_error at a child that is not an element.
std::vector<TSearchPath> LoadPathList(const pugi::xml_node& paths);

// Sorts the entries without regard to ASCII letter case (ties keep their order)
// and replaces every child of paths with them, in that order.
void WritePathList(pugi::xml_node paths, std::vector<TSearchPath>& entries);

// How many entries other than entry `except` (-1: none) name folder, compared
// without regard to ASCII letter case.
int CountDuplicatePaths(const std::vector<TSearchPath>& entries, const std::string& folder,
                        int except);

// Sets the active flag of the first `path` child whose value is folder; false
// when there is none.
bool SetPathActive(pugi::xml_node paths, const std::string& folder, bool active);
