#pragma once

#include <string>
#include <vector>

struct TTrashOutcome {
  std::string Path;
  bool Trashed = false;
  std::string Error;  // why not, when not
};

// The desktop trash as freedesktop.org defines it: the user's own trash
// ($XDG_DATA_HOME/Trash) for files on its file system, the trash at the top of the
// file system ($topdir/.Trash/$uid or $topdir/.Trash-$uid) for files elsewhere, so
// nothing is ever copied to be trashed. The information file that lets the file be
// restored is on disk before the file moves and goes again when the move fails. A
// symbolic link is trashed as the link.

// Moves each file (or folder) to the desktop trash; one outcome per path, in order.
std::vector<TTrashOutcome> MoveToTrash(const std::vector<std::string>& paths);

// Moves the entry name of the open folder to the trash; path names it in the outcome.
TTrashOutcome MoveToTrashAt(int folder, const std::string& name, const std::string& path);
