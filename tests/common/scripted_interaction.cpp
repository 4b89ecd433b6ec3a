#include "common/scripted_interaction.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string WithoutAccelerator(std::string caption) {
  caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
  return caption;
}

}  // namespace

TScriptedInteraction& TScriptedInteraction::Answer(int buttonIndex) {
  answers_.push_back({TAnswer::Button, buttonIndex, {}});
  return *this;
}

TScriptedInteraction& TScriptedInteraction::Press(const std::string& caption) {
  answers_.push_back({TAnswer::Caption, 0, caption});
  return *this;
}

TScriptedInteraction& TScriptedInteraction::Input(const std::string& text) {
  answers_.push_back({TAnswer::Text, 0, text});
  return *this;
}

TScriptedInteraction& TScriptedInteraction::CancelInput() {
  answers_.push_back({TAnswer::Cancel, 0, {}});
  return *this;
}

TScriptedInteraction& TScriptedInteraction::Folder(const std::string& folder) {
  answers_.push_back({TAnswer::FolderPath, 0, folder});
  return *this;
}

TScriptedInteraction& TScriptedInteraction::CancelFolder() {
  answers_.push_back({TAnswer::FolderCancel, 0, {}});
  return *this;
}

int TScriptedInteraction::MessageBox(const TMessageBoxParams& params) {
  TAsked asked;
  asked.kind = TAsked::Message;
  asked.params = params;
  asked_.push_back(asked);
  const int cautious = params.EscapeResult >= 0 ? params.EscapeResult : 0;
  if (answers_.empty() ||
      (answers_.front().kind != TAnswer::Button && answers_.front().kind != TAnswer::Caption)) {
    ADD_FAILURE() << "Unexpected message box \"" << params.Caption << "\": " << params.Text;
    return cautious;
  }
  const TAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind == TAnswer::Button) return answer.button;
  const std::vector<std::string>& buttons =
      params.Buttons.empty() ? std::vector<std::string>{"OK"} : params.Buttons;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (WithoutAccelerator(buttons[i]) == WithoutAccelerator(answer.text)) {
      return static_cast<int>(i);
    }
  }
  ADD_FAILURE() << "No button \"" << answer.text << "\" in message box: " << params.Text;
  return cautious;
}

bool TScriptedInteraction::InputBox(const std::string& title, const std::string& prompt,
                                    std::string& value) {
  TAsked asked;
  asked.kind = TAsked::Input;
  asked.title = title;
  asked.prompt = prompt;
  asked.initial = value;
  asked_.push_back(asked);
  if (answers_.empty() ||
      (answers_.front().kind != TAnswer::Text && answers_.front().kind != TAnswer::Cancel)) {
    ADD_FAILURE() << "Unexpected input box \"" << title << "\": " << prompt;
    return false;
  }
  const TAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind == TAnswer::Cancel) return false;
  value = answer.text;
  return true;
}

bool TScriptedInteraction::ChooseFolder(const std::string& title, const std::string& startFolder,
                                        const std::string& presetName, std::string& folder) {
  TAsked asked;
  asked.kind = TAsked::Folder;
  asked.title = title;
  asked.prompt = presetName;
  asked.initial = startFolder;
  asked_.push_back(asked);
  if (answers_.empty() || (answers_.front().kind != TAnswer::FolderPath &&
                           answers_.front().kind != TAnswer::FolderCancel)) {
    ADD_FAILURE() << "Unexpected folder chooser \"" << title << "\"";
    return false;
  }
  const TAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind == TAnswer::FolderCancel) return false;
  folder = answer.text;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return true;
}

std::vector<std::string> TScriptedInteraction::Texts() const {
  std::vector<std::string> texts;
  for (const TAsked& a : asked_) {
    if (a.kind == TAsked::Message) texts.push_back(a.params.Text);
  }
  return texts;
}

void TScriptedInteraction::InstallStrictDefault() {
  static TScriptedInteraction strict;
  SetUserInteraction(&strict);
}
