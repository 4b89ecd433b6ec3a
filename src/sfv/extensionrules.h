#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>

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
