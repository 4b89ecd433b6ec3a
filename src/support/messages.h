#pragma once

#include <exception>
#include <string>
#include <vector>

// Every message box, question, input box and folder chooser of the program goes
// through this seam. The window program installs the dialog implementation, tests
// install a scripted one, and the engine alone answers on the console.

struct TMessageBoxParams {
  std::string Text;  // CR LF and LF become CR; each CR starts a line
  int HelpContext = 0;
  std::string MoreText;
  int HelpButton = -1;
  int MoreButton = -1;
  int MinButtonWidth = 75;
  int EscapeResult = -1;   // -1: Esc does nothing
  int DefaultButton = -1;  // -1: the first button
  int IconKind = 0;  // 0 exclamation, 1 information, 2 question, 3 error, 4 application, 5 resource
  int BeepKind = 0;  // 0 none, 1 exclamation, 2 default, 3 question, 4 error
  bool Stacked = false;
  std::vector<std::string> Buttons;  // empty: a single "OK"
  std::string Caption;
};

// The answers of one user, whoever gives them.
class TUserInteraction {
 public:
  virtual ~TUserInteraction() = default;
  // Index of the pressed button, or EscapeResult.
  virtual int MessageBox(const TMessageBoxParams& params) = 0;
  // One-line input box; false when cancelled. value holds the initial text on entry.
  virtual bool InputBox(const std::string& title, const std::string& prompt,
                        std::string& value) = 0;
  // Folder chooser; false when cancelled. On success folder ends in "/".
  virtual bool ChooseFolder(const std::string& title, const std::string& startFolder,
                            const std::string& presetName, std::string& folder) = 0;
};

// Installs the interaction used from now on and returns the previous one; nullptr
// restores the console answers. The caller keeps ownership.
TUserInteraction* SetUserInteraction(TUserInteraction* interaction);
TUserInteraction& UserInteraction();

// Installs an interaction for one scope (tests, nested dialogs).
class TScopedUserInteraction {
 public:
  explicit TScopedUserInteraction(TUserInteraction& interaction)
      : previous_(SetUserInteraction(&interaction)) {}
  ~TScopedUserInteraction() { SetUserInteraction(previous_); }
  TScopedUserInteraction(const TScopedUserInteraction&) = delete;
  TScopedUserInteraction& operator=(const TScopedUserInteraction&) = delete;

 private:
  TUserInteraction* previous_;
};

// Platform answer codes of a question.
constexpr int mrYes = 6;
constexpr int mrNo = 7;

inline constexpr const char* kMoreInfoCaption = "More Info >>|<< Less Info";

int ShowMessageBox(const TMessageBoxParams& params);
bool InputBox(const std::string& title, const std::string& prompt, std::string& value);
bool ChooseFolder(const std::string& title, const std::string& startFolder,
                  const std::string& presetName, std::string& folder);

void ShowWarning(const std::string& text, int help = 0);
void ShowWarningMore(const std::string& text, const std::string& more, int help = 0);
void ShowInformation(const std::string& text, int help = 0);
void ShowInformationMore(const std::string& text, const std::string& more, int help = 0);
// 6 (mrYes) for Yes, 7 (mrNo) otherwise.
int AskQuestion(const std::string& text, int help = 0, int defaultButton = -1,
                int escapeResult = -1);
int AskQuestionMore(const std::string& text, const std::string& more, int help = 0,
                    int escapeResult = -1, int defaultButton = -1);

// The error report of every window's error handler.
void ShowException(const std::string& text, int help, const std::exception& error);
