#include "config/widgets/configureextensions.h"
#include "config/widgets/extension.h"
#include "config/widgets/radiogroup.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"

#include "common/scripted_interaction.h"
#include "fake_owner.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

constexpr const char* kRules =
    R"(<config><extensions><extension value=".nfo" action="N"/><extension value=".jpg" action="IRD"/><extension value="o'k" action="X"/></extensions></config>)";

// What a test does in the edit dialog and what it saw there.
struct TDialogTurn {
  explicit TDialogTurn(std::string typedText, int chosen = -1)
      : typed(std::move(typedText)), action(chosen) {}
  std::string typed;  // typed into the emptied box
  int action;         // chosen; -1 leaves the choice
  QString title, shownText;
  int shownAction = -2;
  QString textAfterOK;
};

// Drives the edit dialog like a user: types, chooses, presses OK; a dialog that
// stays open after OK is cancelled.
TDialogRunner Turns(std::vector<TDialogTurn>& turns, size_t& next) {
  return [&turns, &next](QDialog& dialog) {
    auto& edit = dynamic_cast<TdlgExtension&>(dialog);
    TDialogTurn& turn = turns.at(next++);
    edit.show();
    turn.title = edit.windowTitle();
    turn.shownText = edit.edtExtension->text();
    turn.shownAction = edit.rgpAction->ItemIndex();
    edit.edtExtension->clear();
    QTest::keyClicks(edit.edtExtension, QString::fromStdString(turn.typed));
    if (turn.action >= 0) edit.rgpAction->SetItemIndex(turn.action);
    QTest::mouseClick(edit.btnOK, Qt::LeftButton);
    turn.textAfterOK = edit.edtExtension->text();
    if (edit.isVisible()) edit.reject();
    return edit.result();
  };
}

struct TListFixture {
  TFakeOwner owner;
  TScriptedScope script;
  TfrmConfigureExtensions* window;
  std::unique_ptr<QAbstractItemModelTester> tester;
  std::vector<TDialogTurn> turns;
  size_t next = 0;

  explicit TListFixture(const char* config = kRules) : owner(config) {
    window = new TfrmConfigureExtensions(owner);
    window->SetDialogRunner(Turns(turns, next));
    window->show();
    tester = std::make_unique<QAbstractItemModelTester>(
        window->Grid().model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }
  ~TListFixture() { window->close(); }
  // Each row as value=shown action.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int row = 1; row <= window->Rows().RowCount(); ++row)
      rows.push_back(window->Grid().CellText(0, row) + "=" + window->Grid().CellText(1, row));
    return rows;
  }
};

}  // namespace

TEST(ConfigureExtensions, ListsTheRulesWithTheirDescriptions) {
  TListFixture f;
  EXPECT_EQ(f.window->windowTitle(), "Configure Extensions");
  EXPECT_EQ(f.window->pos(), QPoint(70, 70));
  EXPECT_EQ(f.owner.menu, std::vector<std::string>{"Configure Extensions"});
  EXPECT_EQ(f.window->Grid().CellText(0, 0), "Extension");
  EXPECT_EQ(f.window->Grid().CellText(1, 0), "Action");
  EXPECT_EQ(f.Rows(), (std::vector<std::string>{
                          ".nfo=Treat as normal",
                          ".jpg=Ignore when checking, remove from SFV and delete file when moving",
                          "o'k=Unknown action.... will treat as normal"}));
  EXPECT_TRUE(f.window->actEdit->isEnabled());
}

TEST(ConfigureExtensions, AnEmptyListCreatesTheElementAndLeavesEditAndDeleteOff) {
  TListFixture f("<config/>");
  EXPECT_EQ(f.owner.Child("extensions"), "<extensions/>");
  EXPECT_FALSE(f.window->actEdit->isEnabled());
  EXPECT_FALSE(f.window->actDelete->isEnabled());
}

TEST(ConfigureExtensions, ARuleWithAnUnknownAttributeFailsTheLoad) {
  TFakeOwner owner(R"(<config><extensions><extension value=".a" kind="b"/></extensions></config>)");
  EXPECT_ANY_THROW(TfrmConfigureExtensions window(owner));
  EXPECT_TRUE(owner.menu.empty());
}

TEST(ConfigureExtensions, NewStoresTypedCapitalsInLowerCaseWithADotAndSaves) {
  TListFixture f("<config/>");
  f.turns.emplace_back("NFO", 2);
  f.window->actNew->trigger();
  EXPECT_EQ(f.turns[0].title, "Extension [New]");
  EXPECT_EQ(f.turns[0].shownText, "");
  EXPECT_EQ(f.turns[0].shownAction, 0);
  EXPECT_EQ(f.turns[0].textAfterOK, ".nfo");
  EXPECT_EQ(f.owner.Child("extensions"),
            R"(<extensions><extension value=".nfo" action="IS"/></extensions>)");
  EXPECT_EQ(f.owner.saves, 1);
  EXPECT_NE(f.owner.Saved().find(R"(value=".nfo")"), std::string::npos);
  EXPECT_TRUE(f.window->actDelete->isEnabled());
}

TEST(ConfigureExtensions, EditingAnUnknownCodeShowsNormalAndStoresN) {
  TListFixture f;
  f.window->Grid().SetCurrentDataRow(2);  // o'k: the apostrophe needs no quoting
  f.turns.emplace_back("ok'");
  f.window->actEdit->trigger();
  EXPECT_EQ(f.turns[0].title, "Extension [Edit]");
  EXPECT_EQ(f.turns[0].shownText, "o'k");
  EXPECT_EQ(f.turns[0].shownAction, 0);
  EXPECT_EQ(f.Rows().back(), ".ok'=Treat as normal");
  EXPECT_EQ(f.owner.saves, 1);

  // A rule gone from the document since the rows were loaded.
  f.owner.Config().select_node("//extension[@value='.jpg']").node().attribute("value") = ".png";
  f.window->Grid().SetCurrentDataRow(1);
  f.script->Answer(0);
  f.window->actEdit->trigger();
  EXPECT_EQ(f.script->Texts(), std::vector<std::string>{"Extension .jpg was not found."});
  EXPECT_EQ(f.owner.saves, 1);
}

TEST(ConfigureExtensions, DeleteTakesTheCurrentRowOrEverySelectedRow) {
  TListFixture f(
      R"(<config><extensions><extension value=".a" action="N"/><extension value=".b" action="N"/>
      <extension value=".c" action="N"/><extension value=".d" action="N"/></extensions></config>)");
  f.window->Grid().SetCurrentDataRow(1);
  f.script->Press("Yes");
  f.window->actDelete->trigger();
  EXPECT_EQ(f.script->Texts().back(), "Delete the selected extension?");
  EXPECT_EQ(f.Rows().size(), 3u);
  EXPECT_EQ(f.Rows()[1], ".c=Treat as normal");

  f.script->Press("No");
  f.window->actDelete->trigger();
  EXPECT_EQ(f.Rows().size(), 3u);
  EXPECT_EQ(f.owner.saves, 1);

  for (int row = 0; row < 3; ++row) f.window->Rows().SetSelected(row, true);
  f.script->Press("Yes");
  f.window->actDelete->trigger();
  EXPECT_EQ(f.script->Texts().back(), "Delete the selected extensions?");
  EXPECT_EQ(f.owner.Child("extensions"), "<extensions/>");
  EXPECT_EQ(f.owner.saves, 2);
  EXPECT_FALSE(f.window->actDelete->isEnabled());
}

TEST(EditExtension, ChecksTheTextInOrder) {
  TFakeOwner owner(kRules);
  struct TCase {
    const char* typed;
    const char* oldValue;
    const char* warning;  // "" when accepted
    const char* shown;    // the box after OK
  } cases[] = {
      {"   ", "", "Extension must have a value.", "   "},
      {"tar.gz", "", "Invalid Extension.", "tar.gz"},
      {"a:b", "", "Invalid Extension.", "a:b"},
      {"NFO", "", "Extension .nfo has already been used.", ".nfo"},
      {".nfo", ".NFO", "", ".nfo"},
      {".", "", "", "."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.typed);
    TScriptedScope script;
    if (*c.warning != '\0') script->Answer(0);
    TdlgExtension dialog(owner.Config(), "t");
    dialog.SetOldValue(c.oldValue);
    dialog.show();
    QTest::keyClicks(dialog.edtExtension, QString::fromLatin1(c.typed));
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    EXPECT_EQ(dialog.edtExtension->text().toStdString(), c.shown);
    if (*c.warning != '\0') {
      EXPECT_EQ(script->Texts(), std::vector<std::string>{c.warning});
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_EQ(dialog.edtExtension->selectedText(), dialog.edtExtension->text());
    } else {
      EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
  }
}
