#pragma once

#include <string>
#include <vector>

struct TTrashOutcome {
  std::string Path;
  bool Trashed = false;
  std::string Error;  // why not, when not
};

// Moves each file (or folder) to the desktop trash; one outcome per path, in order.
std::vector<TTrashOutcome> MoveToTrash(const std::vector<std::string>& paths);
