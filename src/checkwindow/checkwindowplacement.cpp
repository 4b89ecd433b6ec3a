#include "checkwindow/checkwindowplacement.h"

#include "config/config.h"

TWindowBounds ReadCheckWindowBounds(const pugi::xml_node& element, int screenHeight) {
  TWindowBounds bounds;
  bounds.Top = ReadInt(element, "top", 40);
  bounds.Left = ReadInt(element, "left", 40);
  bounds.Height = ReadInt(element, "height", screenHeight - 80);
  bounds.Width = ReadInt(element, "width", 400);
  return bounds;
}

void WriteWindowBounds(pugi::xml_node element, const TWindowBounds& bounds) {
  WriteInt(element, "top", bounds.Top);
  WriteInt(element, "left", bounds.Left);
  WriteInt(element, "height", bounds.Height);
  WriteInt(element, "width", bounds.Width);
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
