#include "sfv/sfvfiles.h"

#include "common/temp_tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::vector<std::string> Paths(const std::vector<TSFVFile>& files) {
  std::vector<std::string> paths;
  for (const auto& f : files) paths.push_back(f.Path + (f.Named ? " (named)" : ""));
  return paths;
}

}  // namespace

TEST(SFVFiles, FoldersAreSearchedBelowInPathOrder) {
  TTempTree tree;
  tree.Write("b/z.sfv", "");
  tree.Write("b/A.SFV", "");
  tree.Write("a/deep/er/x.Sfv", "");
  tree.Write("a/notes.txt", "");
  tree.Write("a/.sfv", "");  // no name before the extension
  tree.Write("a/list.sfv.bak", "");
  const std::string named = tree.Write("named.txt", "");
  ASSERT_EQ(::symlink(tree.Path().c_str(), tree.File("a/loop").c_str()), 0);
  std::vector<std::string> problems;
  const auto files =
      CollectSFVFiles({named, tree.Path(), tree.Path() + "b", tree.File("none")}, problems);
  const std::string d = tree.Path();
  // The folder's own files come once: a second mention is dropped.
  EXPECT_THAT(Paths(files),
              ElementsAre(named + " (named)", d + "a/deep/er/x.Sfv", d + "b/A.SFV", d + "b/z.sfv"));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_THAT(problems[0], HasSubstr(tree.File("none") + ": cannot be read"));
}

TEST(SFVFiles, OnlyTextOfSensibleSizeIsAnSFV) {
  TTempTree tree;
  std::string text, problem;
  EXPECT_TRUE(LoadSFVText(tree.Write("a.sfv", "a.bin 00000000\r\n"), text, problem));
  EXPECT_EQ(text, "a.bin 00000000\r\n");
  EXPECT_TRUE(LoadSFVText(tree.Write("empty.sfv", ""), text, problem));
  // Tabs, form feeds, Latin-1 and NUL padding at the end are still text.
  EXPECT_TRUE(
      LoadSFVText(tree.Write("odd.sfv", std::string("a\tb \xe9 0\f\r\n\0\0", 12)), text, problem));
  // A NUL inside is the parse's to refuse, with its own reason.
  EXPECT_TRUE(LoadSFVText(tree.Write("nul.sfv", std::string("a\0b 0", 5)), text, problem));
  EXPECT_FALSE(LoadSFVText(tree.Write("ctl.sfv", "a.bin \x01\x02"), text, problem));
  EXPECT_THAT(problem, HasSubstr("not a text file"));
  EXPECT_FALSE(LoadSFVText(tree.MakeDir("folder.sfv"), text, problem));
  EXPECT_THAT(problem, HasSubstr("not a regular file"));
  EXPECT_FALSE(LoadSFVText(tree.File("gone.sfv"), text, problem));
  EXPECT_THAT(problem, HasSubstr("cannot be read: No such file"));
  const std::string fifo = tree.File("pipe.sfv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(LoadSFVText(fifo, text, problem));
  EXPECT_THAT(problem, HasSubstr("not a regular file"));
  const std::string huge = tree.Write("huge.sfv", "");
  ASSERT_EQ(::truncate(huge.c_str(), kMaxSFVSize + 1), 0);
  EXPECT_FALSE(LoadSFVText(huge, text, problem));
  EXPECT_THAT(problem, HasSubstr("too large"));
}
