#pragma once

#include <string>
#include <string_view>

// The action codes of the extension rules with the texts the windows show for
// them, in the order the edit dialog offers them.
struct TExtensionActionText {
  const char* Code;
  const char* Description;
};

extern const TExtensionActionText kExtensionActionTexts[4];

// The description of a stored code (compared exactly); any other code, or none,
// is treated as normal and says so.
std::string ExtensionActionDescription(std::string_view code);
