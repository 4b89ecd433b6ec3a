#pragma once

#include "checkwindow/checkwindowplacement.h"
#include "manager/runmode.h"

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <vector>

// The parts of the manager's start and close that need no window: the launch
// paths another program hands over, the window's remembered bounds, the run the
// load option asks for, and the state written back at close.

inline constexpr const char* kMainFormElement = "mainForm";

// The lines of the launch-path file in file order, after which the file is
// deleted (a failed deletion is ignored). None when the file does not exist, or
// cannot be read, in which case it stays for the user to look at.
std::vector<std::string> TakeLaunchPaths(const std::string& file);

// Drops every entry that is not an existing folder, empty lines included.
void KeepExistingFolders(std::vector<std::string>& paths);

// "Launched with the following paths" and the paths, one a line.
std::string LaunchPathsTip(const std::vector<std::string>& paths);

// The bounds of `mainForm`; an absent or unreadable attribute takes its default
// (top 30, left 20, the screen height less 60, width 690).
TWindowBounds ReadMainFormBounds(const pugi::xml_node& element, int screenHeight);

// The run "defaultLoadAction" asks for once the window is up: Search Only (0),
// Search and Check All (1), or none for any other value or none at all.
std::optional<TRunMode> DefaultLoadRun(const pugi::xml_document& config);

// What closing writes: `currentDir` (present, empty when no folder was chosen),
// `filter` (removed when the box is empty) and the window's bounds.
void WriteClosingState(pugi::xml_document& config, const std::string& filter,
                       const TWindowBounds& bounds);
