#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <unordered_map>

// Action codes of the extension rules.
inline constexpr const char* kActionNormal = "N";
inline constexpr const char* kActionIgnoreRemoveDelete = "IRD";
inline constexpr const char* kActionIgnoreStandard = "IS";
inline constexpr const char* kActionIgnoreRemoveLeave = "IRL";

// The lower-cased extension of a listed name: from the last "." after the last
// folder separator ("/" or "\\"), dot included; empty when there is none.
std::string FileExtension(const std::string& fileName);

// The action text of the first rule whose value equals the (lower-cased)
// extension of fileName, or nullopt when none matches.
std::optional<std::string> FindExtensionAction(const pugi::xml_document& config,
                                               const std::string& fileName);

// Every rule of a document, read in one walk, for callers that parse many SFVs
// against one configuration: the lookup above walks the whole document, and a
// configuration that remembers tens of thousands of marks makes each walk long.
// The first rule of a value in document order wins, as in the lookup.
class TExtensionRules {
 public:
  TExtensionRules() = default;
  explicit TExtensionRules(const pugi::xml_document& config) { Refresh(config); }

  // Brings the rules up to date with config. After the document is loaded the
  // program edits rules only inside the first `extensions` element, and creates
  // one under the root only when there is none; so the document is read again
  // only when that element's content changed, or the document is another.
  void Refresh(const pugi::xml_document& config);
  // The action of the rule for fileName's extension, or nullopt.
  std::optional<std::string> Find(const std::string& fileName) const;

 private:
  static std::string Fingerprint(const pugi::xml_node& extensions);

  std::unordered_map<std::string, std::string> actions_;
  const pugi::xml_document* document_ = nullptr;
  pugi::xml_node extensions_;
  std::string fingerprint_;
};
