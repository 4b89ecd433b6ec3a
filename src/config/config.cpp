#include "config/config.h"

#include "config/atomicfile.h"
#include "config/options.h"
#include "config/udfxml.h"
#include "support/files.h"
#include "support/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace {

constexpr const char* kProgramFolderName = "checkwell";
constexpr const char* kLaunchPathsFileName = "LaunchPaths.txt";

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool IsWritableFolder(const std::string& folder) {
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
    return user->pw_dir;
  }
  return "/";
}

// $XDG_CONFIG_HOME/checkwell/; a relative XDG_CONFIG_HOME is ignored, as the
// freedesktop base directory rules ask.
std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string base = xdg != nullptr && xdg[0] == '/'
                               ? std::string(xdg)
                               : IncludeTrailingPathDelimiter(HomeFolder()) + ".config";
  return IncludeTrailingPathDelimiter(base) + kProgramFolderName + "/";
}

// Beside the program when the file is already there or could be written there
// (portable use), else in the user's configuration folder.
std::string BesideProgramOrUserFolder(const std::string& programPath, const std::string& fileName) {
  const std::string programFolder = ExtractFilePath(programPath);
  const std::string beside = programFolder + fileName;
  if (PathExists(beside) || IsWritableFolder(programFolder)) return beside;
  return UserConfigFolder() + fileName;
}

void CreateFolderOf(const std::string& path) {
  const std::string folder = ExtractFilePath(path);
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw std::runtime_error("Cannot create the folder " + folder + ": " + error.message());
  }
}

}  // namespace

pugi::xml_node ConfigRoot(const pugi::xml_document& config) {
  const pugi::xml_node root = config.document_element();
  if (!root) throw std::runtime_error("The configuration document has no root element");
  return root;
}

pugi::xml_node FindOrCreateChild(pugi::xml_document& config, const char* name) {
  pugi::xml_node root = ConfigRoot(config);
  pugi::xml_node child = root.child(name);
  return child ? child : root.append_child(name);
}

bool ReadFlag(const pugi::xml_node& node, const char* name, bool defaultValue) {
  const pugi::xml_attribute attribute = node.attribute(name);
  return attribute ? std::strcmp(attribute.value(), "Y") == 0 : defaultValue;
}

// A hand-edited value that is not a whole number (or does not fit) reads as if
// the attribute were absent: a window bound or option code always has a
// meaningful default, whereas 0 might put a window off screen or pick a choice.
int ReadInt(const pugi::xml_node& node, const char* name, int defaultValue) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return defaultValue;
  std::string_view text = attribute.value();
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return defaultValue;
  return value;
}

std::string ReadText(const pugi::xml_node& node, const char* name,
                     const std::string& defaultValue) {
  const pugi::xml_attribute attribute = node.attribute(name);
  return attribute ? std::string(attribute.value()) : defaultValue;
}

std::optional<std::string> ReadAttribute(const pugi::xml_node& node, const char* name) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return std::nullopt;
  return std::string(attribute.value());
}

void WriteFlag(pugi::xml_node node, const char* name, bool value) {
  SetAttribute(node, name, value ? "Y" : "N");
}

void WriteInt(pugi::xml_node node, const char* name, int value) {
  SetAttribute(node, name, std::to_string(value));
}

void WriteText(pugi::xml_node node, const char* name, const std::string& value) {
  SetAttribute(node, name, value);
}

std::string ConfigFilePath(const std::string& programPath) {
  return BesideProgramOrUserFolder(programPath,
                                   ChangeFileExt(ExtractFileName(programPath), ".xml"));
}

std::string LaunchPathsFilePath(const std::string& programPath) {
  return BesideProgramOrUserFolder(programPath, kLaunchPathsFileName);
}

void LoadConfig(pugi::xml_document& config, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    // The first start.
    config.reset();
    config.append_child("config");
    return;
  }
  LoadXMLText(config, ReadTextFile(path));
  ConfigRoot(config);
}

std::string ConfigText(const pugi::xml_document& config) {
  std::ostringstream text;
  config.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
  return text.str();
}

void SaveConfig(const pugi::xml_document& config, const std::string& path) {
  ConfigRoot(config);
  const std::string text = ConfigText(config);
  CreateFolderOf(path);
  WriteFileAtomically(path, text);
}

bool ReadOption(const pugi::xml_document& config, const TFlagOption& option) {
  return ReadFlag(ConfigRoot(config), option.Name, option.Default);
}

int ReadOption(const pugi::xml_document& config, const TChoiceOption& option) {
  return ReadInt(ConfigRoot(config), option.Name, option.NoDefault);
}

void WriteOption(pugi::xml_document& config, const TFlagOption& option, bool value) {
  WriteFlag(ConfigRoot(config), option.Name, value);
}

void WriteOption(pugi::xml_document& config, const TChoiceOption& option, int value) {
  WriteInt(ConfigRoot(config), option.Name, value);
}

bool ReadRemoveDirsWithoutAskingForFileOps(const pugi::xml_document& config) {
  const std::optional<std::string> value =
      ReadAttribute(ConfigRoot(config), kRemoveDirsWithoutAsking.Name);
  return value ? *value != "N" : kRemoveDirsWithoutAsking.Default;
}
