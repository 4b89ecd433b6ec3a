#pragma once

#include <pugixml.hpp>

#include <memory>
#include <string>

// The extension rules as the Extensions windows edit them: the `extension`
// children of the document's `extensions` element, each with `value` (the
// extension with its dot) and `action` (the action code).

// The first `extensions` element anywhere, created under the root when missing.
pugi::xml_node FindOrCreateExtensions(pugi::xml_document& config);

// The rule child of extensions whose value is exactly value, or a null node.
// The value travels as an XPath variable, so apostrophes and quotes are harmless.
pugi::xml_node FindExtensionRule(const pugi::xml_node& extensions, const std::string& value);

// A document whose root is a copy of the element: what the list loads its rows from.
std::unique_ptr<pugi::xml_document> CopyAsDocument(const pugi::xml_node& element);

// The outcome of checking the text typed for a rule.
struct TExtensionCheck {
  // The text as the rule would store it (a dot put in front when missing); the
  // typed text unchanged when the check stopped before that step.
  std::string Text;
  // The warning to show; empty when the text is accepted.
  std::string Error;
};

// Checks typed in this order: blank, a second "." or a character no file name
// may hold, then (after the dot is put in front) a rule anywhere in the document
// with the same value, letter case ignored, unless that is oldValue itself.
TExtensionCheck CheckExtension(const pugi::xml_document& config, const std::string& typed,
                               const std::string& oldValue);
