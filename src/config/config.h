#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>

// The configuration document: one pugi::xml_document whose root element is
// `config` when the program creates it. Settings are read when needed, never cached.

// The root element; throws std::runtime_error when the document has none.
pugi::xml_node ConfigRoot(const pugi::xml_document& config);

// The first child of the root with that name, created and appended when missing.
pugi::xml_node FindOrCreateChild(pugi::xml_document& config, const char* name);

// Attribute readers: an absent attribute gives the default; a present one is converted.
// Flags are set only by exactly "Y".
bool ReadFlag(const pugi::xml_node& node, const char* name, bool defaultValue);
int ReadInt(const pugi::xml_node& node, const char* name, int defaultValue);
std::string ReadText(const pugi::xml_node& node, const char* name,
                     const std::string& defaultValue = {});
// Absent (nullopt) is not the same as empty.
std::optional<std::string> ReadAttribute(const pugi::xml_node& node, const char* name);

void WriteFlag(pugi::xml_node node, const char* name, bool value);
void WriteInt(pugi::xml_node node, const char* name, int value);
void WriteText(pugi::xml_node node, const char* name, const std::string& value);

// Where the configuration lives for the program file at programPath: beside the
// program (portable use) when that file exists or the folder is writable, else
// $XDG_CONFIG_HOME/checkwell/<program name>.xml.
std::string ConfigFilePath(const std::string& programPath);
// "LaunchPaths.txt", by the same rule.
std::string LaunchPathsFilePath(const std::string& programPath);

// Loads the file into the document when it exists, else creates the root `config`.
// Throws std::runtime_error when the file cannot be read or parsed, or has no root;
// the file is never changed by a load.
void LoadConfig(pugi::xml_document& config, const std::string& path);

// The text SaveConfig writes: declaration, elements indented for people who edit
// the file by hand. The indentation is white space only, so a load drops it again.
std::string ConfigText(const pugi::xml_document& config);

// Writes the whole document atomically (temporary file, flush, rename); throws
// std::runtime_error on failure, leaving the old file intact.
void SaveConfig(const pugi::xml_document& config, const std::string& path);
