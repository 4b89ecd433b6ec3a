#include "fileops/trash.h"

#include "common/temp_tree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Points HOME and XDG_DATA_HOME into a temporary tree, so the user's own trash is
// never touched, and runs the test from a folder of its own.
class MoveToTrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Remember("HOME");
    Remember("XDG_DATA_HOME");
    ::setenv("HOME", home_.MakeDir("home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", home_.File("home/.local/share").c_str(), 1);
    oldFolder_ = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(home_.MakeDir("cwd")));
  }

  void TearDown() override {
    QDir::setCurrent(oldFolder_);
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  std::string Trashed(const std::string& name) const {
    return home_.File("home/.local/share/Trash/files/" + name);
  }
  bool Exists(const std::string& path) const {
    return QFileInfo::exists(QString::fromStdString(path));
  }
  QStringList CurrentFolderEntries() const {
    return QDir(QString::fromStdString(home_.File("cwd")))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  TTempTree home_;
  TTempTree files_;

 private:
  void Remember(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
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
  EXPECT_TRUE(Exists(Trashed("a.nfo")));
  EXPECT_TRUE(Exists(Trashed("sub/inner.txt")));
  EXPECT_TRUE(CurrentFolderEntries().isEmpty());
}

TEST_F(MoveToTrashTest, AFileTheTrashMisplacesComesBack) {
  // A data folder that cannot be made: Qt then reports success for a file it put
  // into the current folder.
  home_.Write("blocker", "");
  ::setenv("XDG_DATA_HOME", home_.File("blocker/share").c_str(), 1);
  const std::string a = files_.Write("a.nfo", "keep me");

  const std::vector<TTrashOutcome> outcomes = MoveToTrash({a});
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_FALSE(outcomes[0].Trashed);
  EXPECT_FALSE(outcomes[0].Error.empty());
  EXPECT_EQ(files_.Read("a.nfo"), "keep me");
  EXPECT_TRUE(CurrentFolderEntries().isEmpty()) << CurrentFolderEntries().join(",").toStdString();
}
