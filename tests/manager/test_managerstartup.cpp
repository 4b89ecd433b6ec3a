#include "manager/managerstartup.h"

#include "config/udfxml.h"

#include "common/temp_tree.h"

#include <gtest/gtest.h>

namespace {

TEST(LaunchPaths, ReadOnceInFileOrderKeepingExistingFoldersOnly) {
  TTempTree tree;
  const std::string good = tree.MakeDir("good/");
  const std::string other = tree.MakeDir("other/");
  const std::string file =
      tree.Write("LaunchPaths.txt", other + "\r\n" + tree.Path() + "missing/\n\n" + good + "\n");
  std::vector<std::string> paths = TakeLaunchPaths(file);
  EXPECT_FALSE(tree.Exists("LaunchPaths.txt"));
  KeepExistingFolders(paths);
  EXPECT_EQ(paths, std::vector<std::string>({other, good}));
  EXPECT_EQ(LaunchPathsTip(paths), "Launched with the following paths\r\r" + other + "\r\n" + good);
  EXPECT_TRUE(TakeLaunchPaths(file).empty());
}

TEST(MainFormBounds, EachAbsentAttributeTakesItsDefault) {
  pugi::xml_document config;
  LoadXMLText(config, R"(<config><mainForm width="900" top="oops"/></config>)");
  const TWindowBounds bounds = ReadMainFormBounds(config.document_element().child("mainForm"), 800);
  EXPECT_EQ(bounds, (TWindowBounds{30, 20, 740, 900}));
}

TEST(DefaultLoadRun, OnlySearchOnlyAndSearchAndCheckAllRun) {
  const struct {
    const char* config;
    std::optional<TRunMode> run;
  } cases[] = {
      {"<config/>", std::nullopt},
      {R"(<config defaultLoadAction="0"/>)", TRunMode::SearchOnly},
      {R"(<config defaultLoadAction="1"/>)", TRunMode::SearchAndCheckAll},
      {R"(<config defaultLoadAction="2"/>)", std::nullopt},
      {R"(<config defaultLoadAction="3"/>)", std::nullopt},
      {R"(<config defaultLoadAction="x"/>)", std::nullopt},
  };
  for (const auto& c : cases) {
    pugi::xml_document config;
    LoadXMLText(config, c.config);
    EXPECT_EQ(DefaultLoadRun(config), c.run) << c.config;
  }
}

}  // namespace
