#pragma once

#include <pugixml.hpp>

#include <string>

// SFV text is bytes in and bytes out; names stay raw bytes. A backslash in a
// listed name is a folder separator and is stored and written as "/".

// Parses SFV text. folder ends with "/". Returns false (and leaves fileDetailsXML
// empty) on any failure. mine is true when the first line contains "Checkwell".
bool ParseSFV(const std::string& text, const std::string& folder, const pugi::xml_document& config,
              std::string& fileDetailsXML, bool& mine);

// Rewrites the SFV at sfvPath from a fileDetails text: sorted, with the program's
// header; "IRD" files are sent to the trash first. Written atomically; throws
// std::runtime_error on failure (the old SFV is then intact).
void WriteSFV(const std::string& fileDetailsXML, const std::string& sfvPath);

// Sorts the `file` children of root in place by attribute, bytewise, stable.
void SortFileDetails(pugi::xml_node root, const char* attribute);
