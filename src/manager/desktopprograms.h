#pragma once

#include <string>
#include <vector>

// The desktop's own programs for a plain-text file and for a folder; the file or
// folder is appended to Arguments. Started without waiting by the caller.
struct TDesktopCommand {
  std::string Program;
  std::vector<std::string> Arguments;
};

// The desktop's default application for text/plain (the SFV type itself may
// belong to an SFV checker, so the file is not opened by its own type); else a
// known graphical editor found on the PATH; else xdg-open.
TDesktopCommand TextEditorCommand();
// The desktop's handler for folders: xdg-open, else gio open.
TDesktopCommand FileManagerCommand();
