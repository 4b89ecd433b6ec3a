#pragma once

#include <exception>
#include <string>
#include <vector>

// Every message box, question, input box and folder chooser of the program goes
// through this seam. The window program installs the dialog implementation, tests
// install a scripted one, and the engine alone answers on the console.

// The icon a message box shows; Resource is one of the program's own.
enum class TMessageIcon { Exclamation, Information, Question, Error, Application, Resource };

// The sound a message box makes as it opens.
enum class TMessageBeep { None, Exclamation, Default, Question, Error };

// Buttons are named by their index in TMessageBoxParams::Buttons, 0 for the first.
// kNoButton: no Help or More button, Esc does nothing, or the focus goes to the first.
inline constexpr int kNoButton = -1;

// The button indices of AskQuestion and AskQuestionMore, for their default
// button and their Esc answer.
enum TQuestionButton : int { qbYes = 0, qbNo = 1 };

// What a question returns: the platform's answer codes, which callers compare with.
enum TModalResult : int { mrYes = 6, mrNo = 7 };

struct TMessageBoxParams {
  std::string Text;  // CR LF and LF become CR; each CR starts a line
  int HelpContext = 0;
  std::string MoreText;
  int HelpButton = kNoButton;
  int MoreButton = kNoButton;
  int MinButtonWidth = 75;
  int EscapeResult = kNoButton;   // the result on Esc; kNoButton: Esc does nothing
  int DefaultButton = kNoButton;  // the focused button; kNoButton: the first
  TMessageIcon IconKind = TMessageIcon::Exclamation;
  TMessageBeep BeepKind = TMessageBeep::None;
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
//
// The seam belongs to the window thread: once a QCoreApplication exists, asking
// from any other thread is a programming error. It fails a debug build's
// assertion; a release build writes a debug line and takes the Esc answer (or
// Cancel) without showing anything.
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

inline constexpr const char* kMoreInfoCaption = "More Info >>|<< Less Info";

int ShowMessageBox(const TMessageBoxParams& params);
bool InputBox(const std::string& title, const std::string& prompt, std::string& value);
bool ChooseFolder(const std::string& title, const std::string& startFolder,
                  const std::string& presetName, std::string& folder);

void ShowWarning(const std::string& text, int help = 0);
void ShowWarningMore(const std::string& text, const std::string& more, int help = 0);
void ShowInformation(const std::string& text, int help = 0);
void ShowInformationMore(const std::string& text, const std::string& more, int help = 0);
// mrYes for Yes, mrNo otherwise. The buttons are named by TQuestionButton.
TModalResult AskQuestion(const std::string& text, int help = 0, int defaultButton = kNoButton,
                         int escapeResult = kNoButton);
TModalResult AskQuestionMore(const std::string& text, const std::string& more, int help = 0,
                             int escapeResult = kNoButton, int defaultButton = kNoButton);

// The error report of every window's error handler.
void ShowException(const std::string& text, int help, const std::exception& error);
