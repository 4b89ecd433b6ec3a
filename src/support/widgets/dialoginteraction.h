#pragma once

#include "support/messages.h"

// The answers of the person at the screen: the program's message dialog, a
// one-line input box and the folder chooser, each modal over the active window.
// The window program installs one at start:
//
//   TDialogInteraction dialogs;
//   TScopedUserInteraction scope(dialogs);
class TDialogInteraction : public TUserInteraction {
 public:
  int MessageBox(const TMessageBoxParams& params) override;
  bool InputBox(const std::string& title, const std::string& prompt, std::string& value) override;
  bool ChooseFolder(const std::string& title, const std::string& startFolder,
                    const std::string& presetName, std::string& folder) override;
};
