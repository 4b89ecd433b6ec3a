#include "manager/datasetsethost.h"

#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "dataset/ntierdataset.h"

#include <gtest/gtest.h>

namespace {

// A rename through the list's own dataset: the row's name changes, the marks follow
// and the renamed row becomes the current one.
TEST(DatasetSetHost, RenameReachesTheListTheMarksAndTheCurrentRow) {
  TTempTree tree;
  tree.Write("b.sfv", "");
  tree.Write("a.sfv", "");
  TNTierDataset list;
  for (const char* column : {"Status", "Marked", "Filename", "Path", "FileDetails"})
    list.AddColumn(column, column, NTierType::String, 2);
  list.AddColumn("MovedOrDeleted", "", NTierType::Boolean, 17);
  list.PrepareColumns();
  for (const char* name : {"a.sfv", "b.sfv"}) {
    const int row = list.AppendRow();
    list.FieldByName("Path", row).SetAsString(tree.Path());
    list.FieldByName("Filename", row).SetAsString(name);
    list.FieldByName("Status", row).SetAsString("Verified OK");
    list.FieldByName("MovedOrDeleted", row).SetAsBoolean(false);
  }
  list.SetSelected(0, true);

  int current = -1;
  std::vector<std::string> marks;
  TDatasetSetHost::TWindow window;
  window.SetCurrentRow = [&](int row) { current = row; };
  window.RenameMarkEntry = [&](const std::string& from, const std::string& to) {
    marks = {from, to};
  };
  TDatasetSetHost host(list, window);
  pugi::xml_document config;
  config.append_child("config");
  TSetCommands commands(host, config);

  TScriptedScope script;
  script->Input("c");
  commands.RenameSets();
  EXPECT_EQ(host.Row(0).Filename, "c.sfv");
  EXPECT_FALSE(host.Row(0).MovedOrDeleted);
  EXPECT_EQ(marks, (std::vector<std::string>{tree.Path() + "a.sfv", tree.Path() + "c.sfv"}));
  EXPECT_EQ(list.FieldByName("Filename", current).AsString(), "c.sfv");
}

}  // namespace
