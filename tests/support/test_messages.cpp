#include "common/scripted_interaction.h"
#include "support/exceptions.h"
#include "support/messages.h"

#include <gtest/gtest.h>

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
  ShowException("t", 0, EQelException("m", 1));
  ShowException("t", 0, EQelException("m", 2));
  ShowException("t", 0, EQelException("m", 3));
  ShowException("t", 0, EQelException("m", 4));
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
  EXPECT_THROW(ShowException("t", 0, EQelException("m", 7)), std::runtime_error);
}
