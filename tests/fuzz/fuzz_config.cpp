// Any bytes as a configuration file: loading either fails with an error or gives
// a document whose settings can be read, and whose saved text loads back into
// the same elements and attributes. (Element text is no part of the configuration,
// and the parser turns a CR in it into a LF, so it is left out of the comparison.)

#include "config/config.h"
#include "config/options.h"
#include "config/udfxml.h"
#include "sfv/extensionrules.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

void ReadSettings(pugi::xml_document& config) {
  ReadOption(config, kIndicateMine);
  ReadOption(config, kMarkGoodAsSkipAuto);
  ReadOption(config, kDefaultStartAction);
  ReadRemoveDirsWithoutAskingForFileOps(config);
  const pugi::xml_node root = ConfigRoot(config);
  ReadText(root, kFilterAttribute);
  for (const pugi::xml_attribute& attribute : root.attributes()) {
    ReadInt(root, attribute.name(), 0);
    try {
      XMLToDateTime(attribute.value());
    } catch (const std::invalid_argument&) {
      // Not a time: expected for most values.
    }
  }
  const pugi::xml_node form = FindOrCreateChild(config, "mainForm");
  ReadInt(form, "top", 30);
  ReadInt(form, "width", 690);
  FindExtensionAction(config, "/sets/Info.NFO");
  FindExtensionAction(config, "/sets/it's.x'y");
}

// Elements and their attributes, depth first, one per line.
std::string Elements(const pugi::xml_node& root) {
  std::string dump;
  std::vector<std::pair<pugi::xml_node, int>> pending{{root, 0}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    dump += std::string(static_cast<std::size_t>(depth), ' ') + node.name();
    for (const pugi::xml_attribute& attribute : node.attributes()) {
      dump += std::string(" ") + attribute.name() + "=[" + attribute.value() + "]";
    }
    dump += "\n";
    for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
      if (child.type() == pugi::node_element) pending.emplace_back(child, depth + 1);
    }
  }
  return dump;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  pugi::xml_document config;
  try {
    LoadXMLText(config, text);
  } catch (const std::runtime_error& error) {
    if (std::string(error.what()).rfind("Line ", 0) != 0) __builtin_trap();
    return 0;
  }
  ReadSettings(config);

  pugi::xml_document reloaded;
  LoadXMLText(reloaded, ConfigText(config));
  if (Elements(reloaded.document_element()) != Elements(config.document_element())) {
    __builtin_trap();
  }
  return 0;
}
