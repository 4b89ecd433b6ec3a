#include "sfv/extensionrules.h"

#include "support/strings.h"

// A backslash separates folders too: names listed in SFVs made on Windows use it.
std::string FileExtension(const std::string& fileName) {
  const std::size_t dot = fileName.find_last_of("./\\");
  if (dot == std::string::npos || fileName[dot] != '.') return {};
  return LowerCaseASCII(std::string_view(fileName).substr(dot));
}

std::optional<std::string> FindExtensionAction(const pugi::xml_document& config,
                                               const std::string& fileName) {
  // The extension travels as a variable, never spliced into the query text, so an
  // extension holding an apostrophe or a quote matches like any other.
  pugi::xpath_variable_set variables;
  variables.set("extension", FileExtension(fileName).c_str());
  const pugi::xpath_query query("//extension[@value = $extension]", &variables);
  const pugi::xpath_node rule = query.evaluate_node(config);
  if (!rule) return std::nullopt;
  // A rule without an action cannot come from the Extensions dialog; it reads as
  // an empty action, which the parse treats like "N".
  return std::string(rule.node().attribute("action").value());
}
