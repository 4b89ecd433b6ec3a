#include "config/widgets/extensionactions.h"

#include "sfv/extensionrules.h"

const TExtensionActionText kExtensionActionTexts[4] = {
    {kActionNormal, "Treat as normal"},
    {kActionIgnoreRemoveDelete,
     "Ignore when checking, remove from SFV and delete file when moving"},
    {kActionIgnoreStandard, "Ignore when checking, treat as standard for all other actions"},
    {kActionIgnoreRemoveLeave,
     "Ignore when checking, remove from SFV and leave file in source folder when moving"},
};

std::string ExtensionActionDescription(std::string_view code) {
  for (const TExtensionActionText& action : kExtensionActionTexts) {
    if (code == action.Code) return action.Description;
  }
  return "Unknown action.... will treat as normal";
}
