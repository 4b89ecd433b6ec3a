#include "config/widgets/configureextensions.h"
#include "config/widgets/options.h"
#include "config/widgets/paths.h"
#include "config/widgets/radiogroup.h"
#include "manager/widgets/mainform.h"

#include "common/scripted_interaction.h"
#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

struct TManagerFixture {
  TTempTree tree;
  TScriptedScope script;
  std::unique_ptr<TMainForm> form;

  TManagerFixture() {
    tree.Write("c.xml", "<config/>");
    Open();
  }
  void Open() {
    form = std::make_unique<TMainForm>(tree.File("c.xml"));
    form->show();
  }
  // Closes the manager as the user does, then starts it again on the same file.
  void Reopen() {
    form->close();
    form.reset();
    Open();
  }
  QStringList WindowMenu() const {
    QStringList captions;
    for (const QAction* item : form->WindowMenu().actions()) captions << item->text();
    return captions;
  }
};

// Chooses "Search Only" as the default Start action and leaves with button.
TDialogRunner ChooseSearchOnly(bool ok) {
  return [ok](QDialog& dialog) {
    auto& options = dynamic_cast<TdlgOptions&>(dialog);
    options.show();
    options.rgpStart->SetItemIndex(0);
    QTest::mouseClick(ok ? options.btnOK : options.btnCancel, Qt::LeftButton);
    return options.result();
  };
}

}  // namespace

TEST(ManagerSettings, OptionsOKSavesAndMarksTheDefaultsWhileCancelLeavesTheFile) {
  TManagerFixture f;
  const std::string before = f.tree.Read("c.xml");
  f.form->SetDialogRunner(ChooseSearchOnly(false));
  f.form->actOptions->trigger();
  EXPECT_EQ(f.tree.Read("c.xml"), before);
  EXPECT_FALSE(f.form->actStartSearchOnly->font().bold());

  f.form->SetDialogRunner(ChooseSearchOnly(true));
  f.form->actOptions->trigger();
  EXPECT_NE(f.tree.Read("c.xml").find(R"(defaultStartAction="0")"), std::string::npos);
  EXPECT_TRUE(f.form->actStartSearchOnly->font().bold());
}

TEST(ManagerSettings, EachWindowOpensOnceAndListsItselfInTheWindowMenu) {
  TManagerFixture f;
  f.form->actPaths->trigger();
  TfrmPaths* paths = f.form->PathsWindow();
  ASSERT_NE(paths, nullptr);
  f.form->actPaths->trigger();
  f.form->actConfigureExtensions->trigger();
  f.form->actConfigureExtensions->trigger();
  EXPECT_EQ(f.form->PathsWindow(), paths);
  EXPECT_EQ(f.WindowMenu(), QStringList({"Paths", "Configure Extensions"}));
  EXPECT_TRUE(f.form->ExtensionsWindow()->isVisible());

  paths->close();
  f.form->ExtensionsWindow()->close();
  EXPECT_TRUE(f.WindowMenu().isEmpty());
}

TEST(ManagerSettings, APathAndItsCheckBoxSurviveClosingTheManagerWithTheWindowOpen) {
  TManagerFixture f;
  const std::string folder = f.tree.MakeDir("music");
  f.form->actPaths->trigger();
  f.script->Folder(folder);
  f.form->PathsWindow()->actNew->trigger();
  f.form->PathsWindow()->List().item(0)->setCheckState(Qt::Unchecked);
  f.Reopen();
  f.form->actPaths->trigger();
  ASSERT_EQ(f.form->PathsWindow()->Entries(), (std::vector<TSearchPath>{{folder, false}}));
}
