#include "manager/widgets/mainform.h"

#include "common/environment.h"
#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "dataset/ntierdataset.h"
#include "manager/sfvlist.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPixmap>

#include <cstdlib>

namespace {

// The window's own commands on real sets: a verified set moved into a zip that
// unzip accepts, and a set moved into a sub folder whose emptied folder is offered.
TEST(MainFormSetOps, MoveToZipsAndToSubFolders) {
  TTempTree tree;
  TTempTree home;
  TPrivateTrash trash(home);
  tree.Write("in/one/a.rar", std::string(50000, 'a'));
  tree.Write("in/one/sub/b.rar", "b");
  tree.Write("in/one/one.sfv", "a.rar 00000000\nsub/b.rar 00000000\n");
  tree.Write("in/two/c.rar", "c");
  tree.Write("in/two/two.sfv", "c.rar 00000000\n");
  tree.MakeDir("zips/");
  tree.MakeDir("out/");

  // The start-up version check stays off: the test's events must not reach for the site.
  tree.Write("checkwell.xml", R"(<config checkForNewVersion="N"/>)");
  TMainForm form(tree.File("checkwell.xml"));
  form.resize(900, 360);
  form.show();
  const int one = form.List().AddRow("Verified OK", "one.sfv", tree.Path() + "in/one/", false, 'N');
  const int two = form.List().AddRow("Verified OK", "two.sfv", tree.Path() + "in/two/", false, 'N');
  form.EndBusy();

  TScriptedScope script;
  script->Folder(tree.Path() + "zips/");
  form.Rows().ClearSelection();
  form.Rows().SetSelected(one, true);
  form.actMoveToZips->trigger();
  const std::string archive = tree.Path() + "zips/one.zip";
  EXPECT_EQ(std::system(("unzip -tq '" + archive + "' >/dev/null").c_str()), 0);
  EXPECT_FALSE(tree.Exists("in/one/a.rar"));
  EXPECT_FALSE(tree.Exists("in/one/sub/b.rar"));
  EXPECT_FALSE(tree.Exists("in/one/one.sfv"));
  EXPECT_TRUE(form.List().MovedOrDeleted(one));

  script->Folder(tree.Path() + "out/").Press("&Yes");
  form.Rows().ClearSelection();
  form.Rows().SetSelected(form.List().FindRowByKey(form.List().Key(two)), true);
  form.actMoveToSubFolders->trigger();
  EXPECT_TRUE(tree.Exists("out/two/two.sfv"));
  EXPECT_TRUE(tree.Exists("out/two/c.rar"));
  EXPECT_FALSE(tree.Exists("in/two"));
  EXPECT_EQ(script->Texts().back(),
            "The directory " + tree.Path() + "in/two/ is empty.\rWould you like to remove it?");

  if (const char* shot = std::getenv("CHECKWELL_SCREENSHOT")) {
    QApplication::processEvents();
    form.grab().save(QString::fromLocal8Bit(shot));
  }
}

}  // namespace
