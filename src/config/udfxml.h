#pragma once

#include "support/datetime.h"

#include <pugixml.hpp>

#include <cstddef>
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

// Appends what a node prints straight to a string: a stream costs a second copy
// of texts that run to megabytes for SFVs of many thousand files.
class TStringXMLWriter final : public pugi::xml_writer {
 public:
  explicit TStringXMLWriter(std::string& text) : text_(text) {}
  void write(const void* data, std::size_t size) override {
    text_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& text_;
};

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
