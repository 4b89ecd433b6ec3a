#pragma once

#include "support/messages.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers the program's questions from a script and records what was asked.
// An unexpected question fails the running test and takes the cautious answer
// (Esc, or Cancel) so that the test ends instead of waiting for a click.
class TScriptedInteraction : public TUserInteraction {
 public:
  struct TAsked {
    enum Kind { Message, Input, Folder } kind = Message;
    TMessageBoxParams params;            // for messages
    std::string title, prompt, initial;  // for input boxes and folder choosers
  };

  // Queue answers, consumed in order.
  TScriptedInteraction& Answer(int buttonIndex);
  // Answers by the caption of the button (with or without the "&").
  TScriptedInteraction& Press(const std::string& caption);
  TScriptedInteraction& Input(const std::string& text);
  TScriptedInteraction& CancelInput();
  TScriptedInteraction& Folder(const std::string& folder);
  TScriptedInteraction& CancelFolder();

  int MessageBox(const TMessageBoxParams& params) override;
  bool InputBox(const std::string& title, const std::string& prompt, std::string& value) override;
  bool ChooseFolder(const std::string& title, const std::string& startFolder,
                    const std::string& presetName, std::string& folder) override;

  const std::vector<TAsked>& Asked() const { return asked_; }
  // The texts of every message shown so far.
  std::vector<std::string> Texts() const;
  bool AllAnswersUsed() const { return answers_.empty(); }

  // Used by the widget test main: a process-wide responder that fails on any question.
  static void InstallStrictDefault();

 private:
  struct TAnswer {
    enum Kind { Button, Caption, Text, Cancel, FolderPath, FolderCancel } kind;
    int button = 0;
    std::string text;
  };
  std::deque<TAnswer> answers_;
  std::vector<TAsked> asked_;
};

// Scripts the answers for the lifetime of the object.
class TScriptedScope {
 public:
  TScriptedScope() : scope_(interaction_) {}
  TScriptedInteraction* operator->() { return &interaction_; }
  TScriptedInteraction& operator*() { return interaction_; }

 private:
  TScriptedInteraction interaction_;
  TScopedUserInteraction scope_;
};
