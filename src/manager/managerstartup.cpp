#include "manager/managerstartup.h"

#include "config/config.h"
#include "config/options.h"
#include "support/debug.h"
#include "support/files.h"
#include "support/paths.h"

#include <cstdio>
#include <stdexcept>

std::vector<std::string> TakeLaunchPaths(const std::string& file) {
  std::vector<std::string> paths;
  if (file.empty() || !FileExists(file)) return paths;
  std::string text;
  try {
    text = ReadTextFile(file);
  } catch (const std::exception& error) {
    DebugError(error);
    return paths;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    // Written by a program from the other world, lines may end in CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    paths.push_back(std::move(line));
    start = end + 1;
  }
  std::remove(file.c_str());
  return paths;
}

void KeepExistingFolders(std::vector<std::string>& paths) {
  std::erase_if(paths,
                [](const std::string& path) { return path.empty() || !DirectoryExists(path); });
}

std::string LaunchPathsTip(const std::vector<std::string>& paths) {
  std::string tip = "Launched with the following paths\r\r";
  for (std::size_t i = 0; i < paths.size(); ++i) tip += (i > 0 ? "\r\n" : "") + paths[i];
  return tip;
}

TWindowBounds ReadMainFormBounds(const pugi::xml_node& element, int screenHeight) {
  return ReadWindowBounds(element, {30, 20, screenHeight - 60, 690});
}

std::optional<TRunMode> DefaultLoadRun(const pugi::xml_document& config) {
  switch (ReadOption(config, kDefaultLoadAction)) {
    case 0:
      return TRunMode::SearchOnly;
    case 1:
      return TRunMode::SearchAndCheckAll;
    default:
      return std::nullopt;
  }
}

void WriteClosingState(pugi::xml_document& config, const std::string& filter,
                       const TWindowBounds& bounds) {
  pugi::xml_node root = ConfigRoot(config);
  WriteText(root, kCurrentDirAttribute, ReadText(root, kCurrentDirAttribute, ""));
  if (filter.empty())
    root.remove_attribute(kFilterAttribute);
  else
    WriteText(root, kFilterAttribute, filter);
  WriteWindowBounds(FindOrCreateChild(config, kMainFormElement), bounds);
}
