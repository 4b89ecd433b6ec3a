#include "checkwindow/checkwindowplacement.h"

#include "config/config.h"

#include <algorithm>
#include <cstdint>

TWindowBounds ReadWindowBounds(const pugi::xml_node& element, const TWindowBounds& defaults) {
  TWindowBounds bounds;
  bounds.Top = ReadInt(element, "top", defaults.Top);
  bounds.Left = ReadInt(element, "left", defaults.Left);
  bounds.Height = ReadInt(element, "height", defaults.Height);
  bounds.Width = ReadInt(element, "width", defaults.Width);
  return bounds;
}

TWindowBounds ReadCheckWindowBounds(const pugi::xml_node& element, int screenHeight) {
  return ReadWindowBounds(element, {40, 40, screenHeight - 80, 400});
}

void WriteWindowBounds(pugi::xml_node element, const TWindowBounds& bounds) {
  WriteInt(element, "top", bounds.Top);
  WriteInt(element, "left", bounds.Left);
  WriteInt(element, "height", bounds.Height);
  WriteInt(element, "width", bounds.Width);
}

namespace {

struct TSpan {
  int Start;
  int Extent;
};

// One axis. 64-bit sums, as start plus extent of int bounds can overflow int.
TSpan FitSpan(int start, int extent, int areaStart, int areaExtent) {
  const int available = std::max(areaExtent, 1);
  const int fitted = std::clamp(extent, std::min(kMinimumWindowExtent, available), available);
  const std::int64_t last = std::int64_t{areaStart} + available - fitted;
  return {static_cast<int>(std::clamp<std::int64_t>(start, areaStart, last)), fitted};
}

}  // namespace

TWindowBounds FitWindowBounds(const TWindowBounds& bounds, const TWindowBounds& area) {
  const TSpan horizontal = FitSpan(bounds.Left, bounds.Width, area.Left, area.Width);
  const TSpan vertical = FitSpan(bounds.Top, bounds.Height, area.Top, area.Height);
  return TWindowBounds{vertical.Start, horizontal.Start, vertical.Extent, horizontal.Extent};
}

pugi::xml_node LoadCheckWindowConfig(pugi::xml_document& config, const std::string& configPath) {
  LoadConfig(config, configPath);
  return FindOrCreateChild(config, kCheckWindowElement);
}

std::string ConfigLoadErrorText(const std::string& configPath) {
  std::string stem = configPath;
  constexpr std::string_view kExtension = ".xml";
  if (stem.size() >= kExtension.size() &&
      stem.compare(stem.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
    stem.resize(stem.size() - kExtension.size());
  }
  return "An error occured loading the config information.\rEither repair \"" + stem +
         ".xml\" or delete it and reconfigure.";
}
