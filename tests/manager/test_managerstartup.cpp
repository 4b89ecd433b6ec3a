#include "manager/managerstartup.h"

#include "config/config.h"
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

TEST(ClosingState, FilterWrittenOrRemovedAndCurrentDirAlwaysPresent) {
  pugi::xml_document config;
  LoadXMLText(config, R"(<config filter="old"/>)");
  WriteClosingState(config, "cd1 rar", {1, 2, 3, 4});
  EXPECT_EQ(
      XMLText(config.document_element()),
      R"(<config filter="cd1 rar" currentDir=""><mainForm top="1" left="2" height="3" width="4"/></config>)");
  WriteClosingState(config, "", {-5, 6, 7, 8});
  EXPECT_EQ(XMLText(config.document_element()),
            R"(<config currentDir=""><mainForm top="-5" left="6" height="7" width="8"/></config>)");
}

}  // namespace
