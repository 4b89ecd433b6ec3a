#include "fileops/pathsafety.h"

#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <stdexcept>
#include <string>

namespace {

class PathSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_ = tree_.MakeDir("set");
    tree_.Write("set/a.bin", "a");
    tree_.Write("set/sub/b.bin", "b");
    tree_.Write("set2/c.bin", "c");
    tree_.Write("outside.nfo", "o");
  }
  void Link(const std::string& target, const std::string& link) const {
    ASSERT_EQ(::symlink(target.c_str(), tree_.File(link).c_str()), 0) << link;
  }

  TTempTree tree_;
  std::string set_;
};

}  // namespace

TEST_F(PathSafetyTest, NamesBelowTheFolderAreInside) {
  EXPECT_TRUE(IsInsideFolderTree(set_ + "a.bin", set_));
  EXPECT_TRUE(IsInsideFolderTree(set_ + "sub/b.bin", set_));
  EXPECT_TRUE(IsInsideFolderTree(set_ + "sub/../a.bin", set_));
  EXPECT_TRUE(IsInsideFolderTree(set_ + "./not yet/there.bin", set_));
  EXPECT_TRUE(IsInsideFolderTree(set_ + "a.bin", tree_.Path() + "set"))
      << "with or without the trailing slash";
}

TEST_F(PathSafetyTest, NamesThatClimbOutAreOutside) {
  EXPECT_FALSE(IsInsideFolderTree(set_ + "../outside.nfo", set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + "sub/../../outside.nfo", set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + "missing/../../outside.nfo", set_));
  EXPECT_FALSE(IsInsideFolderTree(tree_.File("set2/c.bin"), set_)) << "a sibling sharing a prefix";
  EXPECT_FALSE(IsInsideFolderTree("/etc/passwd", set_));
  EXPECT_FALSE(IsInsideFolderTree("", set_));
}

TEST_F(PathSafetyTest, TheFolderItselfIsNotInsideItsTree) {
  EXPECT_FALSE(IsInsideFolderTree(set_, set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + ".", set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + "sub/..", set_));
  EXPECT_TRUE(IsInsideFolderTree(set_ + "sub", "/"));
}

TEST_F(PathSafetyTest, SymbolicLinksAreFollowed) {
  Link(tree_.File("outside.nfo"), "set/link.nfo");
  Link("../set2", "set/up");
  Link(set_ + "sub", "set/down");
  Link("loop", "set/loop");
  EXPECT_FALSE(IsInsideFolderTree(set_ + "link.nfo", set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + "up/c.bin", set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + "up/new.bin", set_)) << "a missing file behind a link";
  EXPECT_TRUE(IsInsideFolderTree(set_ + "down/b.bin", set_));
  EXPECT_FALSE(IsInsideFolderTree(set_ + "down/../../outside.nfo", set_))
      << "\"..\" after a link climbs from where the link leads";
  EXPECT_FALSE(IsInsideFolderTree(set_ + "loop", set_));
}

TEST_F(PathSafetyTest, AFolderReachedThroughALinkHoldsItsOwnFiles) {
  Link(set_, "alias");
  EXPECT_TRUE(IsInsideFolderTree(tree_.File("alias/a.bin"), set_));
  EXPECT_TRUE(IsInsideFolderTree(set_ + "a.bin", tree_.File("alias/")));
  EXPECT_EQ(ResolvePath(tree_.File("alias/sub/./b.bin")), ResolvePath(set_ + "sub/b.bin"));
}

TEST(ResolvePath, RelativePathsStartAtTheCurrentFolder) {
  const TTempTree tree;
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(tree.Path().c_str()), 0);
  const std::string resolved = ResolvePath("x/../y");
  const std::string here = ResolvePath(".");
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_EQ(resolved, here + "/y");
  EXPECT_THROW(ResolvePath(""), std::runtime_error);
}
