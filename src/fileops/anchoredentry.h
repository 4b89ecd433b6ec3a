#pragma once

#include "support/filedescriptor.h"

#include <string>
#include <vector>

// A folder entry named the way the kernel acts on it: the folder that holds it,
// held open, and its one-component name in there. Acting through the folder's
// descriptor (renameat, unlinkat) keeps a folder that is swapped for a symbolic
// link after the entry was found from redirecting the act elsewhere.
struct TAnchoredEntry {
  TFileDescriptor Folder;
  std::string Name;
  std::string Path;  // as the caller gave it, for messages
};

// Finds entries either as the user names them (links in the folders followed) or,
// confined, only beneath one folder: then every folder on the way is resolved
// below that folder's descriptor, so no link, ".." or swapped folder can lead
// out of it, at the moment of the lookup or later.
class TEntryResolver {
 public:
  // Resolves paths as the user names them.
  TEntryResolver() = default;

  // Confines every later Resolve beneath folder; false (and error) when the folder
  // cannot be opened.
  bool ConfineTo(const std::string& folder, std::string& error);
  bool Confined() const { return root_.Valid(); }

  // Opens the folder holding path and names the entry in it; the entry itself (a
  // file, folder or link) is not looked at. A confined resolver refuses the
  // confining folder itself and anything outside it.
  bool Resolve(const std::string& path, TAnchoredEntry& entry, std::string& error) const;

 private:
  bool ResolveBeneath(const std::string& parent, TAnchoredEntry& entry, std::string& error) const;

  TFileDescriptor root_;
  std::string rootPath_;  // absolute, without "." or ".." parts or a trailing "/"
};

// "/proc/self/fd/N/name": a path that reaches the entry through its folder's
// descriptor, for code that only takes paths.
std::string PinnedPath(int folder, const std::string& name);

// The names in the open folder, without "." and "..".
bool ListFolderAt(int folder, std::vector<std::string>& names, int& error);

// Removes the entry for good: a file or link is unlinked (a link's target is never
// touched), a folder emptied through descriptors and removed. "" or the reason.
std::string RemoveEntryAt(int folder, const std::string& name);
