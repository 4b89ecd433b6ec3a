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

std::string TExtensionRules::Fingerprint(const pugi::xml_node& extensions) {
  std::string fingerprint;
  for (const pugi::xml_node& child : extensions.children()) {
    fingerprint += '\0';
    fingerprint += child.name();
    for (const pugi::xml_attribute& attribute : child.attributes()) {
      fingerprint += '\1';
      fingerprint += attribute.name();
      fingerprint += '=';
      fingerprint += attribute.value();
    }
  }
  return fingerprint;
}

void TExtensionRules::Refresh(const pugi::xml_document& config) {
  if (document_ == &config) {
    const pugi::xml_node extensions =
        extensions_ ? extensions_ : config.document_element().child("extensions");
    if (extensions == extensions_ && Fingerprint(extensions) == fingerprint_) return;
  }
  actions_.clear();
  for (const pugi::xpath_node& rule : config.select_nodes("//extension")) {
    actions_.try_emplace(rule.node().attribute("value").value(),
                         rule.node().attribute("action").value());
  }
  document_ = &config;
  extensions_ = config.select_node("//extensions").node();
  fingerprint_ = Fingerprint(extensions_);
}

std::optional<std::string> TExtensionRules::Find(const std::string& fileName) const {
  const auto found = actions_.find(FileExtension(fileName));
  if (found == actions_.end()) return std::nullopt;
  return found->second;
}
