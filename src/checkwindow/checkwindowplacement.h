#pragma once

#include <pugixml.hpp>

#include <string>

// The element below the configuration root that remembers where the check window was.
inline constexpr const char* kCheckWindowElement = "frmCheckSFV";

// A window's outer position and size in pixels; positions may be negative
// (a window on a screen to the left of the primary one).
struct TWindowBounds {
  int Top = 0;
  int Left = 0;
  int Height = 0;
  int Width = 0;

  friend bool operator==(const TWindowBounds&, const TWindowBounds&) = default;
};

// Bounds from the element; each attribute that is absent takes its default
// (40, 40, the screen height less 80, 400).
TWindowBounds ReadCheckWindowBounds(const pugi::xml_node& element, int screenHeight);
// The same with the given defaults.
TWindowBounds ReadWindowBounds(const pugi::xml_node& element, const TWindowBounds& defaults);
void WriteWindowBounds(pugi::xml_node element, const TWindowBounds& bounds);

// Below this many pixels a window shows nothing useful.
inline constexpr int kMinimumWindowExtent = 100;

// Saved bounds brought wholly within `area`, the available part of a screen: a side
// longer than the area's shrinks to it, one shorter than kMinimumWindowExtent grows
// to that (or to the area's), and the window then moves by the least distance that
// puts it inside. Saved bounds come from other screen layouts and hand-edited files;
// used as they are, a size near the int limits asks for a backing store of gigabytes.
TWindowBounds FitWindowBounds(const TWindowBounds& bounds, const TWindowBounds& area);

// Loads the stand-alone configuration (or starts an empty one when the file does
// not exist) and returns its frmCheckSFV element, created when missing. Throws
// std::runtime_error on a damaged file, which is left as it is.
pugi::xml_node LoadCheckWindowConfig(pugi::xml_document& config, const std::string& configPath);

// The report shown when the configuration cannot be loaded.
std::string ConfigLoadErrorText(const std::string& configPath);
