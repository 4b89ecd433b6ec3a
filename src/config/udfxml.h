#pragma once

#include "support/datetime.h"

#include <pugixml.hpp>

#include <memory>
#include <string>

// Small XML operations used throughout the program. Documents drop text nodes
// that hold only white space, so element children are elements only.

std::unique_ptr<pugi::xml_document> CreateXMLDocument();

// Parses text into document (replacing its content). On malformed text throws
// std::runtime_error with "Line " + line number + "\r\n" + the parser's reason.
void LoadXMLText(pugi::xml_document& document, const std::string& text);

// The serialised text of a node (the whole document when given one).
std::string XMLText(const pugi::xml_node& node);

// Sets the attribute, appending it the first time, so that attributes keep the
// order they were first set in.
void SetAttribute(pugi::xml_node node, const char* name, const char* value);
void SetAttribute(pugi::xml_node node, const char* name, const std::string& value);

// "yyyy-mm-ddThh:nn:ss", "yyyy-mm-dd" or "hh:nn[:ss]"; throws std::invalid_argument
// (a conversion error) for a date part that is not a valid date.
TDateTime XMLToDateTime(const std::string& text);
TDateTime XMLToDate(const std::string& text);
TDateTime XMLToTime(const std::string& text);
std::string DateToXML(TDateTime value);
std::string TimeToXML(TDateTime value);
std::string DateTimeToXML(TDateTime value);
