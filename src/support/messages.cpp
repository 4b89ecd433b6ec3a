#include "support/messages.h"

#include "support/debug.h"
#include "support/exceptions.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

// Without a window there is nobody to ask: messages go to stderr and every
// question takes its Esc answer, which callers treat as the cautious one.
class TConsoleInteraction final : public TUserInteraction {
 public:
  int MessageBox(const TMessageBoxParams& params) override {
    std::string text = params.Text;
    for (char& c : text) {
      if (c == '\r') c = '\n';
    }
    std::fprintf(stderr, "%s: %s\n", params.Caption.c_str(), text.c_str());
    if (!params.MoreText.empty()) std::fprintf(stderr, "%s\n", params.MoreText.c_str());
    return params.EscapeResult >= 0 ? params.EscapeResult : 0;
  }
  bool InputBox(const std::string&, const std::string&, std::string&) override { return false; }
  bool ChooseFolder(const std::string&, const std::string&, const std::string&,
                    std::string&) override {
    return false;
  }
};

TConsoleInteraction& ConsoleInteraction() {
  static TConsoleInteraction console;
  return console;
}

TUserInteraction* gInteraction = nullptr;

// Dialogs are widgets, and widgets live on the window thread only. A caller on
// another thread is told off in a debug build; a release build keeps running
// and answers as if the user had pressed Esc, since no dialog can be shown.
bool OnWindowThread(const char* seam) {
  const QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr || QThread::currentThread() == application->thread()) return true;
  DebugMessage(std::string(seam) + " called off the window thread");
  Q_ASSERT_X(false, seam, "the message seam is for the window thread only");
  return false;
}

std::vector<std::string> WithHelp(std::vector<std::string> buttons, int help) {
  if (help != 0) buttons.emplace_back("Help");
  return buttons;
}

TMessageBoxParams Family(const std::string& caption, TMessageIcon icon, TMessageBeep beep,
                         const std::string& text, int help) {
  TMessageBoxParams p;
  p.Caption = caption;
  p.IconKind = icon;
  p.BeepKind = beep;
  p.Text = text;
  p.HelpContext = help;
  p.MinButtonWidth = 75;
  p.EscapeResult = 0;
  p.DefaultButton = 0;
  return p;
}

void Plain(const std::string& caption, TMessageIcon icon, TMessageBeep beep,
           const std::string& text, int help) {
  TMessageBoxParams p = Family(caption, icon, beep, text, help);
  p.Buttons = WithHelp({"OK"}, help);
  p.HelpButton = help != 0 ? 1 : kNoButton;
  p.Stacked = true;
  ShowMessageBox(p);
}

void WithMore(const std::string& caption, TMessageIcon icon, TMessageBeep beep,
              const std::string& text, const std::string& more, int help) {
  TMessageBoxParams p = Family(caption, icon, beep, text, help);
  p.MoreText = more;
  p.Buttons = WithHelp({"OK", kMoreInfoCaption}, help);
  p.MoreButton = 1;
  p.HelpButton = help != 0 ? 2 : kNoButton;
  p.Stacked = false;
  ShowMessageBox(p);
}

}  // namespace

TUserInteraction* SetUserInteraction(TUserInteraction* interaction) {
  TUserInteraction* previous = gInteraction;
  gInteraction = interaction;
  return previous;
}

TUserInteraction& UserInteraction() {
  return gInteraction != nullptr ? *gInteraction : ConsoleInteraction();
}

int ShowMessageBox(const TMessageBoxParams& params) {
  if (!OnWindowThread("ShowMessageBox")) return ConsoleInteraction().MessageBox(params);
  return UserInteraction().MessageBox(params);
}

bool InputBox(const std::string& title, const std::string& prompt, std::string& value) {
  if (!OnWindowThread("InputBox")) return false;
  return UserInteraction().InputBox(title, prompt, value);
}

bool ChooseFolder(const std::string& title, const std::string& startFolder,
                  const std::string& presetName, std::string& folder) {
  if (!OnWindowThread("ChooseFolder")) return false;
  return UserInteraction().ChooseFolder(title, startFolder, presetName, folder);
}

void ShowWarning(const std::string& text, int help) {
  Plain("Warning", TMessageIcon::Exclamation, TMessageBeep::Exclamation, text, help);
}

void ShowWarningMore(const std::string& text, const std::string& more, int help) {
  WithMore("Warning", TMessageIcon::Exclamation, TMessageBeep::Exclamation, text, more, help);
}

void ShowInformation(const std::string& text, int help) {
  Plain("Information", TMessageIcon::Information, TMessageBeep::Default, text, help);
}

void ShowInformationMore(const std::string& text, const std::string& more, int help) {
  WithMore("Information", TMessageIcon::Information, TMessageBeep::Default, text, more, help);
}

TModalResult AskQuestion(const std::string& text, int help, int defaultButton, int escapeResult) {
  TMessageBoxParams p =
      Family("Question", TMessageIcon::Question, TMessageBeep::Question, text, help);
  p.Buttons = WithHelp({"&Yes", "&No"}, help);
  p.HelpButton = help != 0 ? 2 : kNoButton;
  p.DefaultButton = defaultButton;
  p.EscapeResult = escapeResult;
  return ShowMessageBox(p) == qbYes ? mrYes : mrNo;
}

TModalResult AskQuestionMore(const std::string& text, const std::string& more, int help,
                             int escapeResult, int defaultButton) {
  TMessageBoxParams p =
      Family("Question", TMessageIcon::Question, TMessageBeep::Question, text, help);
  p.MoreText = more;
  p.Buttons = WithHelp({"&Yes", "&No", kMoreInfoCaption}, help);
  p.MoreButton = 2;
  p.HelpButton = help != 0 ? 3 : kNoButton;
  p.DefaultButton = defaultButton;
  p.EscapeResult = escapeResult;
  return ShowMessageBox(p) == qbYes ? mrYes : mrNo;
}

void ShowException(const std::string& text, int help, const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  if (dynamic_cast<const EAssertionFailed*>(&error) != nullptr) {
    TMessageBoxParams p;
    p.Caption = "Assertion Failure";
    p.Text = error.what();
    p.IconKind = TMessageIcon::Error;
    p.BeepKind = TMessageBeep::Error;
    p.Stacked = true;
    p.Buttons = {"OK"};
    ShowMessageBox(p);
    return;
  }
  if (const auto* qel = dynamic_cast<const EQelException*>(&error)) {
    switch (qel->MessageBoxKind()) {
      case TMessageBoxKind::ErrorReport:
        break;
      case TMessageBoxKind::Warning:
        ShowWarning(qel->what(), help);
        return;
      case TMessageBoxKind::WarningMore:
        ShowWarningMore(text, qel->what(), help);
        return;
      case TMessageBoxKind::Information:
        ShowInformation(qel->what(), help);
        return;
      case TMessageBoxKind::InformationMore:
        ShowInformationMore(text, qel->what(), help);
        return;
      default:
        // A kind made by casting a number that names none of the above.
        throw std::runtime_error("Need to create a messageboxkind for ");
    }
  }
  TMessageBoxParams p;
  p.Caption = "Error";
  p.IconKind = TMessageIcon::Error;
  p.BeepKind = TMessageBeep::Error;
  p.Stacked = false;
  p.MinButtonWidth = 90;
  p.EscapeResult = 0;
  p.DefaultButton = 0;
  p.HelpContext = help;
  p.Text = text;
  p.MoreText = error.what();
  p.Buttons = WithHelp({"OK", kMoreInfoCaption}, help);
  p.MoreButton = 1;
  p.HelpButton = help != 0 ? 2 : kNoButton;
  ShowMessageBox(p);
}
