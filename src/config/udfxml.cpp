#include "config/udfxml.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

// Text nodes made of white space alone are left out (no parse_ws_pcdata), and
// neither comments nor processing instructions are kept: the lists of the
// configuration are walked child by child and expect elements only.
constexpr unsigned kParseOptions = pugi::parse_default;

bool IsBlank(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
  }
  return true;
}

// The parser drops white-space-only text, but a character reference such as
// "&#0;" can still leave such a node behind; it goes too, so that element
// children stay elements only.
void DropBlankText(pugi::xml_node root) {
  std::vector<pugi::xml_node> pending{root};
  while (!pending.empty()) {
    pugi::xml_node node = pending.back();
    pending.pop_back();
    for (pugi::xml_node child = node.first_child(); child;) {
      const pugi::xml_node next = child.next_sibling();
      if (child.type() == pugi::node_pcdata && IsBlank(child.value())) {
        node.remove_child(child);
      } else if (child.first_child()) {
        pending.push_back(child);
      }
      child = next;
    }
  }
}

// 1-based line of a byte offset; CR LF, a lone LF and a lone CR each end a line.
std::size_t LineOfOffset(const std::string& text, std::ptrdiff_t offset) {
  const std::size_t end = offset < 0 ? 0 : std::min(text.size(), static_cast<std::size_t>(offset));
  std::size_t line = 1;
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

// A whole number made of the characters from..from+count (1-based, clipped to the
// text), optionally signed; nullopt when they are not one.
std::optional<int> WholeNumber(const std::string& text, std::size_t from, std::size_t count) {
  if (from > text.size()) return std::nullopt;
  std::string_view part = std::string_view(text).substr(from - 1, count);
  if (!part.empty() && part.front() == '+') part.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
  if (part.empty() || error != std::errc() || end != part.data() + part.size()) {
    return std::nullopt;
  }
  return value;
}

int RequiredNumber(const std::string& text, std::size_t from, std::size_t count) {
  const std::optional<int> value = WholeNumber(text, from, count);
  if (!value) {
    const std::size_t start = std::min(from - 1, text.size());
    throw std::invalid_argument("'" + text.substr(start, count) + "' is not a valid integer value");
  }
  return *value;
}

}  // namespace

std::unique_ptr<pugi::xml_document> CreateXMLDocument() {
  return std::make_unique<pugi::xml_document>();
}

void LoadXMLText(pugi::xml_document& document, const std::string& text) {
  // Parsed aside so that a malformed text leaves the document as it was.
  pugi::xml_document parsed;
  const pugi::xml_parse_result result =
      parsed.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
  if (!result) {
    throw std::runtime_error("Line " + std::to_string(LineOfOffset(text, result.offset)) + "\r\n" +
                             result.description());
  }
  DropBlankText(parsed);
  document = std::move(parsed);
}

std::string XMLText(const pugi::xml_node& node) {
  std::string text;
  TStringXMLWriter writer(text);
  node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return text;
}

void SetAttribute(pugi::xml_node node, const char* name, const char* value) {
  pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) attribute = node.append_attribute(name);
  attribute.set_value(value);
}

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
  SetAttribute(node, name, value.c_str());
}

TDateTime XMLToDateTime(const std::string& text) {
  std::string datePart, timePart;
  bool hasDate = false, hasTime = false;
  if (const std::size_t t = text.find('T'); t != std::string::npos) {
    datePart = text.substr(0, t);
    timePart = text.substr(t + 1);
    hasDate = hasTime = true;
  } else if (text.size() >= 3 && text[2] == ':') {
    timePart = text;
    hasTime = true;
  } else {
    datePart = text;
    hasDate = true;
  }

  double value = 0.0;
  if (hasDate) {
    const int year = RequiredNumber(datePart, 1, 4);
    const int month = RequiredNumber(datePart, 6, 2);
    const int day = RequiredNumber(datePart, 9, 2);
    value = EncodeDate(year, month, day).Value;
  }
  if (hasTime) {
    const int hour = RequiredNumber(timePart, 1, 2);
    const int minute = RequiredNumber(timePart, 4, 2);
    const int second = WholeNumber(timePart, 7, 2).value_or(0);
    value += EncodeTime(hour, minute, second, 0).Value;
  }
  return TDateTime(value);
}

TDateTime XMLToDate(const std::string& text) {
  return DateOf(XMLToDateTime(text));
}

TDateTime XMLToTime(const std::string& text) {
  return TimeOf(XMLToDateTime(text));
}

std::string DateToXML(TDateTime value) {
  return FormatDateTime("yyyy-mm-dd", value);
}

std::string TimeToXML(TDateTime value) {
  return FormatDateTime("hh:nn:ss", value);
}

std::string DateTimeToXML(TDateTime value) {
  return DateToXML(value) + "T" + TimeToXML(value);
}
