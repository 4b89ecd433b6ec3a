#include "fileops/trash.h"

#include "common/environment.h"
#include "common/temp_tree.h"

#include <QDir>

#include <gtest/gtest.h>

#include <string>

namespace {

// A trash of the test's own, and a current folder of its own: the place Qt
// misplaces files into when the trash cannot take them.
class MoveToTrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldFolder_ = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(home_.MakeDir("cwd")));
  }
  void TearDown() override { QDir::setCurrent(oldFolder_); }

  QStringList CurrentFolderEntries() const {
    return QDir(QString::fromStdString(home_.File("cwd")))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  TTempTree home_;
  TPrivateTrash trash_{home_};
  TTempTree files_;

 private:
  QString oldFolder_;
};

}  // namespace

TEST_F(MoveToTrashTest, ReportsEachFileAndCreatesTheMissingDataFolder) {
  // The data folder does not exist yet: Qt alone would report success and leave
  // the file in the current folder.
  const std::string a = files_.Write("a.nfo", "a");
  const std::string folder = files_.MakeDir("sub");
  files_.Write("sub/inner.txt", "x");
  const std::string missing = files_.File("missing.nfo");

  const std::vector<TTrashOutcome> outcomes = MoveToTrash({a, missing, folder});
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_TRUE(outcomes[0].Trashed) << outcomes[0].Error;
  EXPECT_EQ(outcomes[0].Path, a);
  EXPECT_FALSE(outcomes[1].Trashed);
  EXPECT_FALSE(outcomes[1].Error.empty());
  EXPECT_TRUE(outcomes[2].Trashed) << outcomes[2].Error;

  EXPECT_FALSE(files_.Exists("a.nfo"));
  EXPECT_TRUE(trash_.Holds("a.nfo"));
  EXPECT_TRUE(trash_.Holds("sub/inner.txt"));
  EXPECT_TRUE(CurrentFolderEntries().isEmpty());
}

TEST_F(MoveToTrashTest, AFileTheTrashMisplacesComesBack) {
  // A data folder that cannot be made: Qt then reports success for a file it put
  // into the current folder.
  home_.Write("blocker", "");
  const TScopedEnvironment blocked("XDG_DATA_HOME", home_.File("blocker/share"));
  const std::string a = files_.Write("a.nfo", "keep me");

  const std::vector<TTrashOutcome> outcomes = MoveToTrash({a});
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_FALSE(outcomes[0].Trashed);
  EXPECT_FALSE(outcomes[0].Error.empty());
  EXPECT_EQ(files_.Read("a.nfo"), "keep me");
  EXPECT_TRUE(CurrentFolderEntries().isEmpty()) << CurrentFolderEntries().join(",").toStdString();
}
