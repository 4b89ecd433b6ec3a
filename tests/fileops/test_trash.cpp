#include "fileops/trash.h"
#include "sfv/sfvformat.h"

#include "fault_helpers.h"

#include "common/environment.h"
#include "common/temp_tree.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::StartsWith;

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

  QStringList InfoFiles() const {
    return QDir(QString::fromStdString(home_.File(".local/share/Trash/info")))
        .entryList(QDir::Files | QDir::Hidden);
  }

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

TEST_F(MoveToTrashTest, ALinkIsTrashedAsTheLinkWithItsRestoreInformation) {
  const std::string target = files_.Write("target.bin", "the target");
  const std::string link = files_.File("my link.bin");
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::vector<TTrashOutcome> outcomes = MoveToTrash({link});
    ASSERT_TRUE(outcomes.at(0).Trashed) << outcomes.at(0).Error;
  }

  EXPECT_EQ(files_.Read("target.bin"), "the target");
  struct stat st {};
  ASSERT_EQ(::lstat(home_.File(".local/share/Trash/files/my link.bin").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // The second link of that name did not replace the first in the trash.
  ASSERT_EQ(InfoFiles().size(), 2);
  const std::string info = home_.Read(".local/share/Trash/info/my link.bin.trashinfo");
  EXPECT_THAT(info,
              HasSubstr("[Trash Info]\nPath=" +
                        QDir(QString::fromStdString(files_.Path())).canonicalPath().toStdString() +
                        "/my%20link.bin\n"));
  EXPECT_THAT(info, ContainsRegex(
                        "\nDeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\n"));
}

TEST_F(MoveToTrashTest, TheRestoreInformationGoesWhenTheFileCannotBeTrashed) {
  struct TCase {
    const char* Name;
    std::function<std::string(const TTempTree& home, const TTempTree& files)> Victim;
    std::function<std::unique_ptr<TFileSizeLimit>()> Fault;
    const char* Reason;
  };
  const TCase cases[] = {
      {"a full disk",
       [](const TTempTree&, const TTempTree& files) { return files.Write("a.nfo", "a"); },
       [] { return std::make_unique<TFileSizeLimit>(0); }, "cannot write to the trash"},
      // No folder can move into itself, not even as root.
      {"a failing move",
       [](const TTempTree& home, const TTempTree&) { return home.File(".local"); },
       [] { return nullptr; }, "cannot move it to the trash"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    MoveToTrash({files_.Write("warm-up.nfo", "makes the trash folders")});
    const std::string victim = c.Victim(home_, files_);
    std::vector<TTrashOutcome> outcomes;
    {
      const std::unique_ptr<TFileSizeLimit> fault = c.Fault();
      outcomes = MoveToTrash({victim});
    }
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].Trashed);
    EXPECT_THAT(outcomes[0].Error, HasSubstr(c.Reason));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(victim)));
    for (const QString& info : InfoFiles())
      EXPECT_TRUE(info.startsWith("warm-up")) << info.toStdString();
  }
}

TEST_F(MoveToTrashTest, AFileOnAnotherFileSystemGoesToTheTrashAtItsTop) {
  const std::string uid = std::to_string(::getuid());
  struct TCase {
    const char* Name;
    std::function<void(const std::string& top)> Prepare;
    std::string Trash;  // below the top
  };
  const TCase cases[] = {
      {"no shared trash", [](const std::string&) {}, ".Trash-" + uid},
      {"a shared, sticky .Trash",
       [](const std::string& top) { ::mkdir((top + ".Trash").c_str(), 01777); }, ".Trash/" + uid},
      {"a .Trash that is not sticky",
       [](const std::string& top) { ::mkdir((top + ".Trash").c_str(), 0777); }, ".Trash-" + uid},
      {"a .Trash that is a link",
       [](const std::string& top) {
         ::mkdir((top + "elsewhere").c_str(), 01777);
         ::symlink("elsewhere", (top + ".Trash").c_str());
       },
       ".Trash-" + uid},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string top = files_.MakeDir(std::string("mnt-") + c.Name) + "/";
    const TPrivateTmpfs fs(top, "1m");
    MOUNT_OR_SKIP(fs);
    c.Prepare(top);
    const std::string a = files_.Write(std::string("mnt-") + c.Name + "/sub/a.nfo", "a");

    const std::vector<TTrashOutcome> outcomes = MoveToTrash({a});
    ASSERT_TRUE(outcomes.at(0).Trashed) << outcomes.at(0).Error;
    EXPECT_EQ(files_.Read(std::string("mnt-") + c.Name + "/" + c.Trash + "/files/a.nfo"), "a");
    EXPECT_TRUE(
        files_.Exists(std::string("mnt-") + c.Name + "/" + c.Trash + "/info/a.nfo.trashinfo"));
    EXPECT_FALSE(trash_.Holds("a.nfo"));
  }
}

TEST(WriteSFVTrash, IRDFilesGoThroughTheFileLayerAndEveryRefusalIsReportedOnce) {
  const TTempTree home;
  const TPrivateTrash trash(home);
  home.Write(".local/share/Trash", "a file where the trash folder belongs");
  const TTempTree tree;
  const std::string outside = tree.Write("outside.nfo", "not the set's");
  const std::string folder = tree.MakeDir("set");
  const std::string inside = tree.Write("set/info.nfo", "notes");
  std::vector<std::string> reports;
  WriteSFV("<fileDetails><file name='" + folder + "../outside.nfo' CRC='1' action='IRD'/>" +
               "<file name='" + inside + "' CRC='2' action='IRD'/></fileDetails>",
           folder + "set.sfv", [&](const std::string& text) { reports.push_back(text); });

  ASSERT_EQ(reports.size(), 1u);
  EXPECT_THAT(reports[0], StartsWith("These files could not be moved to the trash:\r" + folder +
                                     "../outside.nfo: outside "));
  EXPECT_THAT(reports[0], HasSubstr("\r" + inside + ": "));
  EXPECT_EQ(tree.Read("outside.nfo"), "not the set's");
  EXPECT_EQ(tree.Read("set/info.nfo"), "notes");
  EXPECT_TRUE(tree.Exists("set/set.sfv"));
}
