#include "common/scripted_interaction.h"
#include "support/exceptions.h"
#include "support/guard.h"
#include "support/messages.h"
#include "support/versiondata.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <thread>

TEST(MessageFamily, QuestionAnswersYesOnlyForTheFirstButton) {
  TScriptedScope script;
  script->Press("&Yes").Answer(1);
  EXPECT_EQ(AskQuestion("Go?"), mrYes);
  EXPECT_EQ(AskQuestion("Go?", 0, 1, 1), mrNo);
  const auto& asked = script->Asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].params.Caption, "Question");
  EXPECT_EQ(asked[1].params.DefaultButton, 1);
  EXPECT_EQ(asked[1].params.EscapeResult, 1);
  EXPECT_EQ(asked[1].params.Buttons, (std::vector<std::string>{"&Yes", "&No"}));
}

TEST(MessageFamily, HelpAddsAButtonAndNamesIt) {
  TScriptedScope script;
  script->Answer(0).Answer(0);
  ShowWarning("w", 12);
  ShowWarningMore("w", "more");
  const auto& asked = script->Asked();
  EXPECT_EQ(asked[0].params.Buttons, (std::vector<std::string>{"OK", "Help"}));
  EXPECT_EQ(asked[0].params.HelpButton, 1);
  EXPECT_TRUE(asked[0].params.Stacked);
  EXPECT_EQ(asked[1].params.Buttons, (std::vector<std::string>{"OK", kMoreInfoCaption}));
  EXPECT_EQ(asked[1].params.MoreButton, 1);
  EXPECT_FALSE(asked[1].params.Stacked);
}

TEST(ShowException, EachKindPicksItsBox) {
  TScriptedScope script;
  script->Answer(0).Answer(0).Answer(0).Answer(0).Answer(0).Answer(0);
  ShowException("t", 0, EQelException("m", TMessageBoxKind::Warning));
  ShowException("t", 0, EQelException("m", TMessageBoxKind::WarningMore));
  ShowException("t", 0, EQelException("m", TMessageBoxKind::Information));
  ShowException("t", 0, EQelException("m", TMessageBoxKind::InformationMore));
  ShowException("t", 0, std::runtime_error("boom"));
  ShowException("t", 0, EAssertionFailed("a"));
  ShowException("t", 0, EAbort());
  const auto& a = script->Asked();
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[0].params.Caption, "Warning");
  EXPECT_EQ(a[0].params.Text, "m");
  EXPECT_EQ(a[1].params.Text, "t");
  EXPECT_EQ(a[1].params.MoreText, "m");
  EXPECT_EQ(a[2].params.Caption, "Information");
  EXPECT_EQ(a[3].params.MoreText, "m");
  EXPECT_EQ(a[4].params.Caption, "Error");
  EXPECT_EQ(a[4].params.MinButtonWidth, 90);
  EXPECT_EQ(a[4].params.MoreText, "boom");
  EXPECT_EQ(a[5].params.Caption, "Assertion Failure");
  EXPECT_THROW(ShowException("t", 0, EQelException("m", static_cast<TMessageBoxKind>(7))),
               std::runtime_error);
}

TEST(ShowException, ReportsOfEveryKindCarryTheirFixedFields) {
  TScriptedScope script;
  script->Answer(0).Answer(0).Answer(0);
  ShowException("Loading failed", 7, std::runtime_error("disk gone"));
  ShowException("t", 0, EAssertionFailed("broken promise"));
  ShowException("t", 0, EQelException("plain", TMessageBoxKind::ErrorReport));
  const auto& a = script->Asked();
  ASSERT_EQ(a.size(), 3u);
  const TMessageBoxParams& error = a[0].params;
  EXPECT_EQ(error.Text, "Loading failed");
  EXPECT_EQ(error.MoreText, "disk gone");
  EXPECT_EQ(error.IconKind, TMessageIcon::Error);
  EXPECT_EQ(error.BeepKind, TMessageBeep::Error);
  EXPECT_FALSE(error.Stacked);
  EXPECT_EQ(error.EscapeResult, 0);
  EXPECT_EQ(error.Buttons, (std::vector<std::string>{"OK", kMoreInfoCaption, "Help"}));
  EXPECT_EQ(error.MoreButton, 1);
  EXPECT_EQ(error.HelpButton, 2);
  EXPECT_EQ(error.HelpContext, 7);
  const TMessageBoxParams& assertion = a[1].params;
  EXPECT_EQ(assertion.Text, "broken promise");
  EXPECT_EQ(assertion.IconKind, TMessageIcon::Error);
  EXPECT_EQ(assertion.BeepKind, TMessageBeep::Error);
  EXPECT_TRUE(assertion.Stacked);
  EXPECT_EQ(assertion.Buttons, (std::vector<std::string>{"OK"}));
  // Kind 0 of the program's own error is an ordinary error report.
  EXPECT_EQ(a[2].params.Caption, "Error");
  EXPECT_EQ(a[2].params.MoreText, "plain");
}

TEST(ShowException, AnUnknownKindIsAnErrorOfItsOwn) {
  try {
    ShowException("t", 0, EQelException("m", static_cast<TMessageBoxKind>(-1)));
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Need to create a messageboxkind for ");
  }
}

TEST(GuardedCommand, ReportsWhatEscapesAndRunsCleanupFirst) {
  TScriptedScope script;
  script->Answer(0).Answer(0).Answer(0);
  bool cleanedUp = false;
  struct TCleanup {
    bool& flag;
    ~TCleanup() { flag = true; }
  };
  EXPECT_TRUE(GuardedCommand("Move", [] {}));
  EXPECT_FALSE(GuardedCommand("Move", [&] {
    TCleanup cleanup{cleanedUp};
    throw std::runtime_error("no room");
  }));
  EXPECT_TRUE(cleanedUp);
  EXPECT_FALSE(GuardedCommand("", [] { throw std::runtime_error("own text"); }));
  EXPECT_FALSE(GuardedCommand("Odd", [] { throw 42; }));
  const auto& a = script->Asked();
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].params.Text, "Move");
  EXPECT_EQ(a[0].params.MoreText, "no room");
  EXPECT_EQ(a[1].params.Text, "own text");
  EXPECT_EQ(a[2].params.MoreText, "Unknown error");
}

TEST(GuardedCommand, AbortIsSilentAndABadKindIsStillReported) {
  TScriptedScope script;
  script->Answer(0);
  EXPECT_FALSE(GuardedCommand("Stop", [] { throw EAbort(); }));
  EXPECT_TRUE(script->Asked().empty());
  EXPECT_FALSE(
      GuardedCommand("Odd", [] { throw EQelException("m", static_cast<TMessageBoxKind>(9)); }));
  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].params.MoreText, "Need to create a messageboxkind for ");
}

TEST(ScriptedInteraction, AnUnscriptedQuestionFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(ShowWarning("surprise"), "Unexpected message box");
  EXPECT_NONFATAL_FAILURE(
      {
        std::string value = "x";
        InputBox("Rename", "New name", value);
      },
      "Unexpected input box");
  EXPECT_NONFATAL_FAILURE(
      {
        std::string folder;
        ChooseFolder("Move to", "/", "", folder);
      },
      "Unexpected folder chooser");
  EXPECT_NONFATAL_FAILURE(
      {
        TScriptedScope script;
        script->Press("Cancel");
        AskQuestion("Go?");
      },
      "No button \"Cancel\"");
}

TEST(ScriptedInteraction, UnexpectedQuestionsTakeTheCautiousAnswer) {
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(answer = AskQuestion("Delete?", 0, 1, 1), "Unexpected");
  EXPECT_EQ(answer, mrNo);
}

TEST(ScriptedInteraction, AnswersInputAndFoldersInOrder) {
  TScriptedScope script;
  script->Input("new.bin").CancelInput().Folder("/data/out").CancelFolder();
  std::string value = "old.bin";
  EXPECT_TRUE(InputBox("Rename", "New name", value));
  EXPECT_EQ(value, "new.bin");
  EXPECT_FALSE(InputBox("Rename", "New name", value));
  EXPECT_EQ(value, "new.bin");
  std::string folder;
  EXPECT_TRUE(ChooseFolder("Move to", "/data/", "out", folder));
  EXPECT_EQ(folder, "/data/out/");
  EXPECT_FALSE(ChooseFolder("Move to", "/data/", "", folder));
  EXPECT_TRUE(script->AllAnswersUsed());
  EXPECT_EQ(script->Asked()[0].initial, "old.bin");
  EXPECT_EQ(script->Asked()[2].initial, "/data/");
}

TEST(VersionData, TitleFollowsTheNumbersAndTheBuildKind) {
  TVersionData data;
  data.ProductName = "Checkwell";
  data.FileVersion = "1.2.3.45";
  ParseFileVersion(data);
  EXPECT_EQ(data.Major, 1);
  EXPECT_EQ(data.Build, 45);
  EXPECT_EQ(VersionWindowTitle(data), "Checkwell 1.2.3");
  data.DebugBuild = true;
  EXPECT_EQ(VersionWindowTitle(data), "Checkwell 1.2.3 (Debug Version)");
  data.DebugBuild = false;
  data.PreRelease = true;
  EXPECT_EQ(VersionWindowTitle(data), "Checkwell 1.2.3 (Pre-Release Version)");

  data.FileVersion = "2.x";
  ParseFileVersion(data);
  EXPECT_EQ(data.Major, 2);
  EXPECT_EQ(data.Minor, 0);
  EXPECT_EQ(data.Build, 0);
  EXPECT_EQ(VersionWindowTitle(TVersionData{}), "");
}

TEST(VersionData, ThisBuildIsStamped) {
  const TVersionData data = CurrentVersionData();
  EXPECT_EQ(data.ProductName, "Checkwell");
  EXPECT_EQ(data.FileVersion.rfind("1.2.0.", 0), 0u);
  EXPECT_EQ(data.Major, 1);
  EXPECT_EQ(data.Minor, 2);
  EXPECT_FALSE(data.PreRelease);
}

// Dialogs are widgets, which live on the window thread: a question from any
// other thread is a programming error and never reaches the installed dialogs.
TEST(MessageSeam, IsForTheWindowThreadOnly) {
  const auto askFromAWorker = [] {
    TMessageBoxParams question;
    question.Buttons = {"&Yes", "&No"};
    question.EscapeResult = 1;
    std::string name = "x";
    std::string folder;
    int answer = -1;
    bool input = true, chosen = true;
    std::thread([&] {
      answer = ShowMessageBox(question);
      input = InputBox("Rename file", "Filename", name);
      chosen = ChooseFolder("Folder", "/", "", folder);
    }).join();
    return answer == 1 && !input && !chosen;
  };
#ifdef QT_NO_DEBUG
  TScriptedScope script;
  EXPECT_TRUE(askFromAWorker()) << "each takes its Esc or Cancel answer";
  EXPECT_TRUE(script->Asked().empty());
#else
  EXPECT_DEATH(askFromAWorker(), "window thread");
#endif
}
