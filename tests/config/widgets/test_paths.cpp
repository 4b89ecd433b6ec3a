#include "config/widgets/paths.h"

#include "common/scripted_interaction.h"
#include "fake_owner.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QPointer>

namespace {

constexpr const char* kTwo =
    R"(<config><paths><path value="/b/" active="Y"/><path value="/A/" active="N"/></paths></config>)";

// Opens the window over owner; the window deletes itself when closed.
TfrmPaths* Open(TFakeOwner& owner) {
  auto* window = new TfrmPaths(owner);
  window->show();
  return window;
}

std::string Listed(const TfrmPaths& window) {
  std::string text;
  for (const TSearchPath& entry : window.Entries())
    text += entry.Folder + (entry.Active ? "+" : "-");
  return text;
}

}  // namespace

TEST(Paths, WithoutPathsAnEmptyElementIsCreatedAndEditDeleteAreOff) {
  TFakeOwner owner(R"(<config><mainForm/></config>)");
  QPointer<TfrmPaths> window = Open(owner);
  EXPECT_EQ(window->windowTitle(), "Paths");
  EXPECT_EQ(window->pos(), QPoint(50, 50));
  EXPECT_EQ(owner.Child("paths"), "<paths/>");
  EXPECT_EQ(window->List().count(), 0);
  EXPECT_FALSE(window->actEdit->isEnabled());
  EXPECT_FALSE(window->actDelete->isEnabled());
  EXPECT_EQ(owner.menu, std::vector<std::string>{"Paths"});
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  EXPECT_TRUE(owner.menu.empty());
}

TEST(Paths, NewAddsACheckedFolderSortedAndRefusesOneThatDiffersInCaseOnly) {
  TFakeOwner owner(kTwo);
  TScriptedScope script;
  TfrmPaths* window = Open(owner);
  script->Folder("/c/").Folder("/B/").Answer(0);
  window->actNew->trigger();
  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].title, "Path for searching");
  EXPECT_EQ(script->Asked()[0].prompt, "Choose Path [New]");
  EXPECT_EQ(script->Asked()[0].initial, "");
  EXPECT_EQ(Listed(*window), "/A/-/b/+/c/+");
  const std::string written =
      R"(<paths><path value="/A/" active="N"/><path value="/b/" active="Y"/><path value="/c/" active="Y"/></paths>)";
  EXPECT_EQ(owner.Child("paths"), written);

  window->actNew->trigger();
  EXPECT_EQ(script->Texts(), std::vector<std::string>{"Duplicate path."});
  EXPECT_EQ(owner.Child("paths"), written);
  EXPECT_TRUE(script->AllAnswersUsed());
  window->close();
}

TEST(Paths, EditingAnEntryToItsOwnFolderIsAccepted) {
  TFakeOwner owner(kTwo);
  TScriptedScope script;
  TfrmPaths* window = Open(owner);
  window->List().setCurrentRow(1);  // /A/, unchecked
  script->Folder("/a/").Folder("/b/").Answer(0);
  window->actEditExecute();
  EXPECT_EQ(script->Asked()[0].prompt, "Choose Path [Edit]");
  EXPECT_EQ(script->Asked()[0].initial, "/A/");
  EXPECT_EQ(Listed(*window), "/a/-/b/+");
  // Onto another entry's folder: refused.
  window->List().setCurrentRow(0);
  window->actEditExecute();
  EXPECT_EQ(script->Texts(), std::vector<std::string>{"Duplicate path."});
  EXPECT_EQ(Listed(*window), "/a/-/b/+");
  window->close();
}

TEST(Paths, DeleteAsksAndNoStillRewritesTheListSorted) {
  TFakeOwner owner(kTwo);
  TScriptedScope script;
  TfrmPaths* window = Open(owner);
  window->List().setCurrentRow(0);
  script->Press("No");
  window->actDeleteExecute();
  ASSERT_EQ(script->Asked().size(), 1u);
  const TMessageBoxParams& asked = script->Asked()[0].params;
  EXPECT_EQ(asked.Text, "Deleting the path '/b/'\rContinue?");
  EXPECT_EQ(asked.DefaultButton, qbNo);
  EXPECT_EQ(asked.EscapeResult, qbNo);
  EXPECT_EQ(owner.Child("paths"),
            R"(<paths><path value="/A/" active="N"/><path value="/b/" active="Y"/></paths>)");

  script->Press("Yes");
  window->actDeleteExecute();
  EXPECT_EQ(owner.Child("paths"), R"(<paths><path value="/A/" active="N"/></paths>)");
  script->Press("Yes");
  window->actDeleteExecute();
  EXPECT_EQ(owner.Child("paths"), "<paths/>");
  EXPECT_FALSE(window->actDelete->isEnabled());
  window->close();
}

TEST(Paths, ACheckBoxChangeReachesTheDocumentAtOnceAndOnClosing) {
  TFakeOwner owner(kTwo);
  TfrmPaths* window = Open(owner);
  window->List().item(0)->setCheckState(Qt::Unchecked);  // /b/
  // In place: the manager may save before this window closes.
  EXPECT_EQ(owner.Child("paths"),
            R"(<paths><path value="/b/" active="N"/><path value="/A/" active="N"/></paths>)");
  window->List().item(1)->setCheckState(Qt::Checked);
  window->close();
  EXPECT_EQ(owner.Child("paths"),
            R"(<paths><path value="/A/" active="Y"/><path value="/b/" active="N"/></paths>)");
}
