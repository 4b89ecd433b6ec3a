#include "config/extensionlist.h"

#include "config/config.h"
#include "config/udfxml.h"
#include "support/strings.h"

namespace {

constexpr const char* kExtensionsElement = "extensions";
constexpr const char* kInvalidCharacters = "\\/:*?\"<>|";

bool IsBlank(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

}  // namespace

pugi::xml_node FindOrCreateExtensions(pugi::xml_document& config) {
  if (const pugi::xpath_node found = config.select_node("//extensions")) return found.node();
  return ConfigRoot(config).append_child(kExtensionsElement);
}

pugi::xml_node FindExtensionRule(const pugi::xml_node& extensions, const std::string& value) {
  pugi::xpath_variable_set variables;
  variables.set("value", value.c_str());
  const pugi::xpath_query query("extension[@value = $value]", &variables);
  return query.evaluate_node(extensions).node();
}

std::unique_ptr<pugi::xml_document> CopyAsDocument(const pugi::xml_node& element) {
  std::unique_ptr<pugi::xml_document> copy = CreateXMLDocument();
  LoadXMLText(*copy, XMLText(element));
  return copy;
}

TExtensionCheck CheckExtension(const pugi::xml_document& config, const std::string& typed,
                               const std::string& oldValue) {
  if (IsBlank(typed)) return {typed, "Extension must have a value."};
  if (typed.find('.', 1) != std::string::npos || ContainsAnyChar(kInvalidCharacters, typed)) {
    return {typed, "Invalid Extension."};
  }
  const std::string text = typed.front() == '.' ? typed : "." + typed;
  for (const pugi::xpath_node& rule : config.select_nodes("//extension")) {
    if (SameTextASCII(rule.node().attribute("value").value(), text) &&
        !SameTextASCII(text, oldValue)) {
      return {text, "Extension " + text + " has already been used."};
    }
  }
  return {text, {}};
}
