#include "fileops/shfileoperation.h"
#include "shfileoperation_helpers.h"

#include "common/environment.h"
#include "common/temp_tree.h"

#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using ::testing::HasSubstr;

namespace {

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

void SetModeAndTime(const std::string& path, mode_t mode, time_t mtime) {
  ASSERT_EQ(::chmod(path.c_str(), mode), 0);
  const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST(SHFileOperationCodes, MatchTheShellsNumbers) {
  EXPECT_EQ(ShellFunctionCode(foMove), 1);
  EXPECT_EQ(ShellFunctionCode(foCopy), 2);
  EXPECT_EQ(ShellFunctionCode(foDelete), 3);
  EXPECT_EQ(ShellFunctionCode(foRename), 4);
  EXPECT_EQ(ShellOptionBits({fofAllowUndo, fofNoConfirmation}), 0x0050);
  EXPECT_EQ(ShellOptionBits(kSetTransfer), 0x0211);
  // Stored flag sets are bit n for member n.
  EXPECT_EQ(TSHFileOpFlags({fofAllowUndo, fofSimpleProgress}).Bits(), (1 << 0) | (1 << 8));
}

TEST(SHFileOperationCopy, OneTargetPerSourceCreatesFoldersAndKeepsMetadata) {
  TTempTree t;
  const std::string a = t.Write("in/a.bin", "alpha");
  const std::string b = t.Write("in/sub/b.bin", "beta");
  SetModeAndTime(a, 0640, 1078693508);
  const std::string old = t.Write("out/x/b.bin", "an older b, longer than the new one");

  auto op = MakeOperation(foCopy, kSetTransfer, {a, b},
                          {t.File("out/new/deep/a.bin"), t.File("out/x/b.bin")});
  ASSERT_TRUE(op->Execute());

  EXPECT_EQ(t.Read("out/new/deep/a.bin"), "alpha");
  EXPECT_EQ(t.Read("out/x/b.bin"), "beta");
  EXPECT_EQ(t.Read("in/a.bin"), "alpha");
  EXPECT_EQ(t.Read("in/sub/b.bin"), "beta");
  const struct stat copied = StatOf(t.File("out/new/deep/a.bin"));
  EXPECT_EQ(copied.st_mode & 07777, 0640u);
  EXPECT_EQ(copied.st_mtim.tv_sec, 1078693508);
  EXPECT_FALSE(HasLeftovers(t.File("out/x")));
  EXPECT_FALSE(HasLeftovers(t.File("out/new/deep")));
  EXPECT_FALSE(op->AnyOperationsAborted());
}

TEST(SHFileOperationCopy, IntoOneFolderTakesFoldersWithEverythingInThem) {
  TTempTree t;
  t.Write("set/disc1/a.r00", "r00");
  t.Write("set/disc1/deeper/a.r01", "r01");
  ASSERT_EQ(::symlink("deeper/a.r01", t.File("set/disc1/link").c_str()), 0);
  const std::string sfv = t.Write("set/x.sfv", "a.r00 00000000");

  auto op = MakeOperation(foCopy, {fofNoConfirmation, fofNoConfirmMkDir},
                          {t.File("set/disc1/"), sfv}, {t.File("dest")});
  ASSERT_TRUE(op->Execute());

  EXPECT_EQ(t.Read("dest/disc1/a.r00"), "r00");
  EXPECT_EQ(t.Read("dest/disc1/deeper/a.r01"), "r01");
  EXPECT_EQ(t.Read("dest/x.sfv"), "a.r00 00000000");
  const struct stat link = StatOf(t.File("dest/disc1/link"));
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(t.Read("dest/disc1/link"), "r01");
  EXPECT_TRUE(t.Exists("set/disc1/deeper/a.r01"));
  EXPECT_FALSE(HasLeftovers(t.File("dest")));
}

TEST(SHFileOperationCopy, RefusesWhatWouldDestroyOrLoopOverItsSource) {
  TTempTree t;
  const std::string a = t.Write("a.bin", "keep me");
  t.Write("tree/f.bin", "f");
  t.MakeDir("folder/a.bin");

  auto op = MakeOperation(foCopy, kSetTransfer, {a, t.File("tree"), a},
                          {a, t.File("tree/inner/tree"), t.File("folder/a.bin")});
  EXPECT_FALSE(op->Execute());

  EXPECT_EQ(t.Read("a.bin"), "keep me");
  EXPECT_FALSE(t.Exists("tree/inner"));
  EXPECT_TRUE(QDir(QString::fromStdString(t.File("folder/a.bin"))).exists());
  ASSERT_EQ(op->Failures().size(), 3u);
  EXPECT_EQ(op->Failures()[0].Reason, "source and destination are the same file");
  EXPECT_EQ(op->Failures()[1].Reason, "a folder cannot be copied into itself");
  EXPECT_EQ(op->Failures()[2].Reason, "a folder of that name is in the way");
}

TEST(SHFileOperationCopy, RenameOnCollisionKeepsTheExistingFile) {
  TTempTree t;
  const std::string a = t.Write("in/a.bin", "new");
  t.Write("out/a.bin", "old");
  t.Write("out/a (2).bin", "older");

  auto op = MakeOperation(foCopy, {fofRenameOnCollision}, {a}, {t.File("out")});
  ASSERT_TRUE(op->Execute());
  EXPECT_EQ(t.Read("out/a.bin"), "old");
  EXPECT_EQ(t.Read("out/a (2).bin"), "older");
  EXPECT_EQ(t.Read("out/a (3).bin"), "new");
}

TEST(SHFileOperationMove, MovesFilesAndMergesFoldersIntoExistingOnes) {
  TTempTree t;
  const std::string sfv = t.Write("in/x.sfv", "sfv");
  t.Write("in/sub/a.rar", "a");
  t.Write("in/sub/more/b.rar", "b");
  t.Write("out/sub/already.txt", "here before");

  auto op = MakeOperation(foMove, kSetTransfer, {t.File("in/sub/"), sfv},
                          {t.File("out/sub"), t.File("out/x.sfv")});
  ASSERT_TRUE(op->Execute());

  EXPECT_EQ(t.Read("out/x.sfv"), "sfv");
  EXPECT_EQ(t.Read("out/sub/a.rar"), "a");
  EXPECT_EQ(t.Read("out/sub/more/b.rar"), "b");
  EXPECT_EQ(t.Read("out/sub/already.txt"), "here before");
  EXPECT_FALSE(t.Exists("in/sub"));
  EXPECT_FALSE(t.Exists("in/x.sfv"));
}

TEST(SHFileOperationMove, NeverPutsAFileWhereAFolderStandsOrAFolderIntoItself) {
  TTempTree t;
  const std::string a = t.Write("a.bin", "a");
  t.Write("dir/f", "f");
  t.Write("out/a.bin/inside", "folder content");
  TReportLog reports;

  auto op = MakeOperation(foMove, kSetTransfer, {a, t.File("dir")},
                          {t.File("out/a.bin"), t.File("dir/sub")});
  op->SetOnReport(reports.Recorder());
  EXPECT_FALSE(op->Execute());
  EXPECT_EQ(t.Read("a.bin"), "a");
  EXPECT_EQ(t.Read("dir/f"), "f");
  EXPECT_EQ(t.Read("out/a.bin/inside"), "folder content");
  ASSERT_EQ(reports.Texts.size(), 1u);
  EXPECT_THAT(reports.Texts[0], HasSubstr("These files could not be moved:"));
}

TEST(SHFileOperationDelete, RemovesForGoodAndReportsEveryFailureInOneWarning) {
  TTempTree t;
  const std::string a = t.Write("a.bin", "a");
  t.Write("folder/inner/b.bin", "b");
  const std::string missing = t.File("missing.bin");
  const std::string alsoMissing = t.File("gone.bin");
  TReportLog reports;

  auto op =
      MakeOperation(foDelete, {fofNoConfirmation}, {a, missing, t.File("folder/"), alsoMissing});
  op->SetOnReport(reports.Recorder());
  EXPECT_FALSE(op->Execute());  // the strict responder fails the test on any dialog

  EXPECT_FALSE(t.Exists("a.bin"));
  EXPECT_FALSE(t.Exists("folder"));
  EXPECT_EQ(reports.Texts, std::vector<std::string>{"These files could not be deleted:\r" +
                                                    missing + ": No such file or directory\r" +
                                                    alsoMissing + ": No such file or directory"});
}

TEST(SHFileOperationDelete, NoErrorUILeavesTheFailuresToTheCaller) {
  TTempTree t;
  TReportLog reports;
  auto op = MakeOperation(foDelete, {fofNoConfirmation, fofNoErrorUI}, {t.File("missing"), ""});
  op->SetOnReport(reports.Recorder());
  EXPECT_FALSE(op->Execute());
  EXPECT_TRUE(reports.Texts.empty());
  ASSERT_EQ(op->Failures().size(), 2u);
  EXPECT_EQ(op->Failures()[1].Reason, "not a usable path");
}

// The desktop trash of a throw-away home, so the user's own trash is never touched.
class SHFileOperationTrash : public ::testing::Test {
 protected:
  TTempTree home_dir_;
  TPrivateTrash trash_{home_dir_};
};

TEST_F(SHFileOperationTrash, AllowUndoSendsFilesToTheTrashAndWithoutItTheyAreGone) {
  const std::string a = home_dir_.Write("work/a.nfo", "nfo");
  const std::string b = home_dir_.Write("work/b.nfo", "other");

  auto undoable = MakeOperation(foDelete, {fofAllowUndo, fofNoConfirmation}, {a});
  ASSERT_TRUE(undoable->Execute());
  EXPECT_FALSE(home_dir_.Exists("work/a.nfo"));
  EXPECT_TRUE(trash_.Holds("a.nfo"));

  auto permanent = MakeOperation(foDelete, {fofNoConfirmation}, {b});
  ASSERT_TRUE(permanent->Execute());
  EXPECT_FALSE(home_dir_.Exists("work/b.nfo"));
  EXPECT_FALSE(trash_.Holds("b.nfo"));
}

TEST_F(SHFileOperationTrash, AFileTheTrashCannotTakeIsReported) {
  TReportLog reports;
  const std::string missing = home_dir_.File("work/none.nfo");
  auto op = MakeOperation(foDelete, {fofAllowUndo, fofNoConfirmation}, {missing});
  op->SetOnReport(reports.Recorder());
  EXPECT_FALSE(op->Execute());
  ASSERT_EQ(reports.Texts.size(), 1u);
  EXPECT_THAT(reports.Texts[0],
              HasSubstr("These files could not be moved to the trash:\r" + missing + ": "));
}

TEST(SHFileOperationRename, NeverReplacesButAllowsALetterCaseChange) {
  TTempTree t;
  const std::string a = t.Write("a.bin", "a");
  const std::string b = t.Write("b.bin", "b");
  t.Write("c.bin", "c");

  auto op = MakeOperation(foRename, {fofNoConfirmation}, {a, b}, {t.File("A.BIN"), "c.bin"});
  EXPECT_FALSE(op->Execute());

  EXPECT_EQ(t.Read("A.BIN"), "a");
  EXPECT_FALSE(t.Exists("a.bin"));
  EXPECT_EQ(t.Read("b.bin"), "b");
  EXPECT_EQ(t.Read("c.bin"), "c");
  ASSERT_EQ(op->Failures().size(), 1u);
  EXPECT_EQ(op->Failures()[0].Reason, t.File("c.bin") + " already exists");
}
