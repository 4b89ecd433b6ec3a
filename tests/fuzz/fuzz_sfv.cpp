// Any bytes as an SFV: the reader must not crash, must always succeed with a
// sound configuration, and what the writer makes of the result must read back
// as the same entries.

#include "config/udfxml.h"
#include "sfv/sfvformat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kFolder = "/sets/";

const pugi::xml_document& Config() {
  static const pugi::xml_document* config = [] {
    auto* document = new pugi::xml_document;
    LoadXMLText(*document,
                "<config><extensions><extension value='.nfo' action='IRD'/>"
                "<extension value='.txt' action='IRL'/><extension value='.jpg' action='IS'/>"
                "<extension value=\".it's\" action='IS'/><extension value='.rar' action='N'/>"
                "</extensions></config>");
    return document;
  }();
  return *config;
}

using TEntries = std::vector<std::pair<std::string, std::string>>;

TEntries Entries(const pugi::xml_node& root, bool writtenOnly) {
  TEntries entries;
  for (const pugi::xml_node& file : root.children("file")) {
    const std::string action = file.attribute("action").value();
    if (writtenOnly && (action == "IRD" || action == "IRL")) continue;
    entries.emplace_back(file.attribute("name").value(), file.attribute("CRC").value());
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string xml;
  bool mine = false;
  if (!ParseSFV(text, kFolder, Config(), xml, mine)) {
    // Refusing a NUL inside the text is the only failure a parse may have.
    if (HoldsNULBeforeEnd(text)) return 0;
    __builtin_trap();
  }

  pugi::xml_document parsed;
  LoadXMLText(parsed, xml);
  const pugi::xml_node root = parsed.document_element();
  SortFileDetails(root, "name");
  const std::string written = FormatSFV(root, kFolder, TDateTime(38053.879));

  std::string again;
  bool writtenIsMine = false;
  if (!ParseSFV(written, kFolder, Config(), again, writtenIsMine) || !writtenIsMine) {
    __builtin_trap();
  }
  pugi::xml_document reread;
  LoadXMLText(reread, again);
  if (Entries(reread.document_element(), false) != Entries(root, true)) __builtin_trap();
  return 0;
}
