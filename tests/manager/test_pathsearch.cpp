#include "dataset/ntierdataset.h"
#include "manager/pathsearch.h"
#include "manager/sfvlist.h"
#include "support/exceptions.h"
#include "support/paths.h"

#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

namespace {

const char* const kSFV = "a.rar 01234567\r\n";

struct TSearchFixture {
  TTempTree tree;
  pugi::xml_document config;
  TNTierDataset rows{"ds", nullptr};
  TSFVList list{rows, config};
  TSearchFixture() {
    config.append_child("config");
    list.DefineColumns();
  }
  std::string Folder(const std::string& relative = "") const {
    return IncludeTrailingPathDelimiter(tree.Path() + relative);
  }
  // Searches the folders and returns "path below the tree|status|mark" per row, sorted.
  std::vector<std::string> Search(const std::vector<std::string>& folders,
                                  const std::string& filter = "", bool showHidden = false) {
    TPathSearch search(list, TSearchFilter(filter), showHidden, {});
    for (const std::string& folder : folders) search.SearchFolder(Folder(folder));
    return Rows();
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> result;
    for (int row = 0; row < list.RowCount(); ++row)
      result.push_back(list.FullPath(row).substr(tree.Path().size()) + "|" + list.Status(row) +
                       "|" + list.Marked(row));
    std::sort(result.begin(), result.end());
    return result;
  }
};

TEST(PathSearch, FilterWordsMustAllOccur) {
  const struct {
    const char* filter;
    const char* name;
    bool matches;
  } cases[] = {
      {"", "anything.sfv", true},
      {" \t", "anything.sfv", true},
      {"cd1 rar", "Movie.CD1.rar.sfv", true},
      {"cd1 rar", "Movie.CD2.sfv", false},
      {"  cd1 \x01", "movie.cd1.sfv", true},
      {"cd1  rar", "Movie.CD1.rar.sfv", false},  // two blanks: an empty word matches nothing
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesFilter(c.filter, c.name), c.matches) << c.filter << " / " << c.name;
}

TEST(PathSearch, OnlyTheLastExtensionCounts) {
  for (const char* name : {"a.sfv", "A.Sfv", ".sfv", "x.y.SFV"}) EXPECT_TRUE(IsSFVFileName(name));
  for (const char* name : {"a.sfv.bak", "a.sfvx", "sfv", "a.sf"}) EXPECT_FALSE(IsSFVFileName(name));
}

TEST(PathSearch, ActivePathsComeFromTheFirstPathsElement) {
  pugi::xml_document config;
  config.load_string(R"(<config><paths><path value="/a/" active="Y"/><path value="/b/" active="N"/>
    <path value="/c/" active="y"/><path value="/d/" active="Y"/></paths></config>)");
  EXPECT_TRUE(HasActivePath(config));
  EXPECT_EQ(ActiveConfiguredPaths(config), (std::vector<std::string>{"/a/", "/d/"}));
  config.load_string(R"(<config><paths><path value="/a/" active="N"/></paths></config>)");
  EXPECT_FALSE(HasActivePath(config));
}

TEST(PathSearch, FindsSFVsDepthFirstIncludingHiddenOnesAndListsEachOnce) {
  TSearchFixture f;
  f.tree.Write("a/Movie.SFV", kSFV);
  f.tree.Write("a/notes.txt", "x");
  f.tree.Write("a/b/.hidden.sfv", kSFV);
  f.tree.Write("a/b/c/x.sfv.bak", kSFV);
  // Nested active paths: the inner folder's SFV is found twice and listed once.
  EXPECT_EQ(f.Search({"a", "a/b"}),
            (std::vector<std::string>{"a/Movie.SFV|Waiting|N", "a/b/.hidden.sfv|Waiting|N"}));
  EXPECT_NE(f.list.FileDetails(0).find("a.rar"), std::string::npos);
  // A later search over the same list adds nothing twice.
  EXPECT_EQ(f.Search({"a"}).size(), 2u);
}

TEST(PathSearch, MarkedSFVsComeBackWithTheirStoredStatusAndHiddenOnesOnlyWhenShown) {
  TSearchFixture f;
  f.tree.Write("s.sfv", kSFV);
  f.tree.Write("h.sfv", kSFV);
  f.list.AppendMarkEntry(f.list.GetSkipList(), f.Folder() + "S.SFV", "Failed");
  f.list.AppendMarkEntry(f.list.GetHideList(), f.Folder() + "h.sfv", "Verified OK");
  EXPECT_EQ(f.Search({""}), std::vector<std::string>{"s.sfv|Failed|S"});
  f.rows.Clear();
  EXPECT_EQ(f.Search({""}, "", true),
            (std::vector<std::string>{"h.sfv|Verified OK|H", "s.sfv|Failed|S"}));
}

TEST(PathSearch, LinksAreFollowedButNoFolderIsEnteredTwice) {
  TSearchFixture f;
  f.tree.Write("tree/sub/x.sfv", kSFV);
  f.tree.Write("other/y.sfv", kSFV);
  namespace fs = std::filesystem;
  fs::create_directory_symlink(f.Folder("tree"), f.Folder("tree/sub") + "back");
  fs::create_directory_symlink(f.Folder("other"), f.Folder("tree") + "other");
  fs::create_symlink(f.Folder() + "nowhere", f.Folder("tree") + "dangling.sfv");
  EXPECT_EQ(f.Search({"tree"}),
            (std::vector<std::string>{"tree/other/y.sfv|Waiting|N", "tree/sub/x.sfv|Waiting|N"}));
}

TEST(PathSearch, AnSFVThatCannotBeReadIsAddedWithoutDetails) {
  TSearchFixture f;
  const std::string big = f.tree.Write("big.sfv", "");
  ASSERT_EQ(::truncate(big.c_str(), 300ll << 20), 0);  // beyond what an SFV list may be
  f.tree.Write("binary.sfv", std::string("\x01\x02\x03", 3));
  f.tree.Write("good.sfv", kSFV);
  EXPECT_EQ(f.Search({""}).size(), 3u);
  for (int row = 0; row < f.list.RowCount(); ++row)
    EXPECT_EQ(f.list.FileDetails(row).empty(), f.list.Filename(row) != "good.sfv");
}

TEST(PathSearch, AStopAfterAnEntryKeepsTheRowsFoundSoFar) {
  TSearchFixture f;
  for (const char* name : {"1/a.sfv", "2/b.sfv", "3/c.sfv", "4/d.sfv"}) f.tree.Write(name, kSFV);
  TPathSearch search(f.list, TSearchFilter(""), false, [&] { return f.list.RowCount() >= 2; });
  EXPECT_THROW(search.SearchFolder(f.Folder()), EAbort);
  EXPECT_EQ(f.list.RowCount(), 2);
}

}  // namespace
