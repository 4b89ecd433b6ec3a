// What happens to the user's files when a batch goes wrong half way: a source that
// disappears, a destination that fills up, another file system, a cancel, and names
// that lead out of the folder an operation is confined to.

#include "fault_helpers.h"
#include "fileops/fileprogress.h"
#include "fileops/shfileoperation.h"
#include "shfileoperation_helpers.h"

#include "common/temp_tree.h"

#include <QDir>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string Bytes(std::size_t size, char fill) {
  return std::string(size, fill);
}

// Records what a progress display would have shown and answers for its Cancel.
class TFakeProgressFactory : public TFileOperationProgressFactory {
 public:
  std::function<bool(const std::string& file)> OnUpdate = [](const std::string&) { return true; };
  std::vector<std::string> Titles;
  std::vector<std::string> Files;
  std::uint64_t LastDone = 0;
  std::uint64_t LastTotal = 0;

  std::unique_ptr<TFileOperationProgress> Create(const std::string& title, QObject*) override {
    Titles.push_back(title);
    return std::make_unique<TDisplay>(*this);
  }

 private:
  class TDisplay : public TFileOperationProgress {
   public:
    explicit TDisplay(TFakeProgressFactory& owner) : owner_(owner) {}
    bool Update(const std::string& file, std::uint64_t done, std::uint64_t total) override {
      owner_.Files.push_back(file);
      owner_.LastDone = done;
      owner_.LastTotal = total;
      return owner_.OnUpdate(file);
    }

   private:
    TFakeProgressFactory& owner_;
  };
};

}  // namespace

TEST(SHFileOperationFaults, ASourceThatVanishesMidBatchIsReportedAndTheRestIsDone) {
  TTempTree t;
  const std::string a = t.Write("in/a.bin", Bytes(2 * 1024 * 1024, 'a'));
  const std::string b = t.Write("in/b.bin", "b");
  const std::string c = t.Write("in/c.bin", "c");
  TFakeProgressFactory progress;
  progress.OnUpdate = [&](const std::string&) {
    ::unlink(b.c_str());
    return true;
  };
  TScopedFileOperationProgressFactory installed(progress);
  TReportLog reports;

  auto op = MakeOperation(foCopy, kSetTransfer, {a, b, c},
                          {t.File("out/a.bin"), t.File("out/b.bin"), t.File("out/c.bin")});
  op->SetOnReport(reports.Recorder());
  EXPECT_FALSE(op->Execute());

  EXPECT_EQ(t.Read("out/a.bin").size(), 2u * 1024 * 1024);
  EXPECT_EQ(t.Read("out/c.bin"), "c");
  EXPECT_FALSE(t.Exists("out/b.bin"));
  EXPECT_FALSE(HasLeftovers(t.File("out")));
  ASSERT_EQ(reports.Texts.size(), 1u);
  EXPECT_EQ(reports.Texts[0],
            "These files could not be copied:\r" + b + ": No such file or directory");
}

TEST(SHFileOperationFaults, CancelStopsTheBatchWithoutAPartialCopyOrAWarning) {
  TTempTree t;
  const std::string big = t.Write("in/big.bin", Bytes(3 * 1024 * 1024, 'x'));
  const std::string next = t.Write("in/next.bin", "n");
  t.Write("out/big.bin", "the old one stays until a complete copy replaces it");
  TFakeProgressFactory progress;
  progress.OnUpdate = [](const std::string&) { return false; };
  TScopedFileOperationProgressFactory installed(progress);

  auto op = MakeOperation(foCopy, kSetTransfer, {big, next},
                          {t.File("out/big.bin"), t.File("out/next.bin")});
  op->SetProgressTitle("Copying the set");
  EXPECT_FALSE(op->Execute());

  EXPECT_TRUE(op->AnyOperationsAborted());
  EXPECT_TRUE(op->Failures().empty());
  EXPECT_THAT(progress.Titles, ElementsAre("Copying the set"));
  EXPECT_EQ(t.Read("out/big.bin"), "the old one stays until a complete copy replaces it");
  EXPECT_FALSE(t.Exists("out/next.bin"));
  EXPECT_FALSE(HasLeftovers(t.File("out")));
}

TEST(SHFileOperationFaults, ProgressCountsTheWholeBatchAndRespectsSilentAndSimple) {
  TTempTree t;
  const std::string a = t.Write("a.bin", Bytes(1500 * 1024, 'a'));
  const std::string b = t.Write("b.bin", Bytes(100, 'b'));
  TFakeProgressFactory progress;
  TScopedFileOperationProgressFactory installed(progress);

  auto named = MakeOperation(foCopy, {fofNoConfirmation}, {a, b}, {t.File("one")});
  ASSERT_TRUE(named->Execute());
  EXPECT_THAT(progress.Titles, ElementsAre("Copying files"));
  EXPECT_EQ(progress.LastDone, 1500u * 1024 + 100);
  EXPECT_EQ(progress.LastTotal, progress.LastDone);
  EXPECT_EQ(progress.Files.back(), b);

  progress.Files.clear();
  auto simple = MakeOperation(foCopy, {fofSimpleProgress}, {a}, {t.File("two")});
  ASSERT_TRUE(simple->Execute());
  EXPECT_THAT(progress.Files, ::testing::Each(std::string()));

  auto silent = MakeOperation(foCopy, {fofSilent}, {a}, {t.File("three")});
  ASSERT_TRUE(silent->Execute());
  EXPECT_EQ(progress.Titles.size(), 2u);
}

TEST(SHFileOperationFaults, AFullDestinationLeavesTheSourceAndTheOldTargetIntact) {
  TTempTree t;
  const std::string source = t.Write("in/big.bin", Bytes(300 * 1024, 's'));
  t.Write("out/big.bin", "old target");
  TReportLog reports;
  bool ok = true;
  {
    TFileSizeLimit limit(100 * 1024);
    auto op = MakeOperation(foCopy, kSetTransfer, {source}, {t.File("out/big.bin")});
    op->SetOnReport(reports.Recorder());
    ok = op->Execute();
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(t.Read("in/big.bin"), Bytes(300 * 1024, 's'));
  EXPECT_EQ(t.Read("out/big.bin"), "old target");
  EXPECT_FALSE(HasLeftovers(t.File("out")));
  ASSERT_EQ(reports.Texts.size(), 1u);
  EXPECT_EQ(reports.Texts[0], "These files could not be copied:\r" + source + ": File too large");
}

TEST(SHFileOperationFaults, AMoveAcrossFileSystemsCopiesKeepsMetadataThenRemovesTheSource) {
  TTempTree t;
  const std::string other = t.MakeDir("other");
  TPrivateTmpfs fs(other, "4m");
  MOUNT_OR_SKIP(fs);
  const std::string a = t.Write("in/a.bin", "alpha");
  ASSERT_EQ(::chmod(a.c_str(), 0604), 0);
  const struct timespec times[2] = {{1078693508, 0}, {1078693508, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, a.c_str(), times, 0), 0);
  t.Write("in/set/sub/b.bin", "beta");
  ASSERT_EQ(::symlink("sub/b.bin", t.File("in/set/link").c_str()), 0);
  t.Write("other/a.bin", "replaced by the move");

  auto op = MakeOperation(foMove, kSetTransfer, {a, t.File("in/set")},
                          {other + "a.bin", other + "moved/set"});
  ASSERT_TRUE(op->Execute());

  EXPECT_EQ(t.Read("other/a.bin"), "alpha");
  EXPECT_EQ(t.Read("other/moved/set/sub/b.bin"), "beta");
  EXPECT_EQ(t.Read("other/moved/set/link"), "beta");
  struct stat st {};
  ASSERT_EQ(::stat((other + "a.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1078693508);
  EXPECT_FALSE(t.Exists("in/a.bin"));
  EXPECT_FALSE(t.Exists("in/set"));
  EXPECT_FALSE(HasLeftovers(other));
  EXPECT_FALSE(HasLeftovers(other + "moved"));
}

TEST(SHFileOperationFaults, AFullFileSystemKeepsEverySourceAndNoPartialFile) {
  TTempTree t;
  const std::string small = t.MakeDir("small");
  TPrivateTmpfs fs(small, "64k");
  MOUNT_OR_SKIP(fs);
  const std::string first = t.Write("in/first.bin", Bytes(1024, '1'));
  const std::string big = t.Write("in/big.bin", Bytes(256 * 1024, 'B'));
  const std::string folder = t.File("in/folder");
  t.Write("in/folder/part1.bin", Bytes(8 * 1024, 'p'));
  t.Write("in/folder/part2.bin", Bytes(200 * 1024, 'q'));
  const std::string last = t.Write("in/last.bin", Bytes(1024, 'L'));
  TReportLog reports;

  auto op =
      MakeOperation(foMove, kSetTransfer, {first, big, folder, last},
                    {small + "first.bin", small + "big.bin", small + "folder", small + "last.bin"});
  op->SetOnReport(reports.Recorder());
  EXPECT_FALSE(op->Execute());

  // What fitted moved; what did not is still entirely at its source.
  EXPECT_EQ(t.Read("small/first.bin"), Bytes(1024, '1'));
  EXPECT_EQ(t.Read("small/last.bin"), Bytes(1024, 'L'));
  EXPECT_FALSE(t.Exists("in/first.bin"));
  EXPECT_FALSE(t.Exists("in/last.bin"));
  EXPECT_EQ(t.Read("in/big.bin"), Bytes(256 * 1024, 'B'));
  EXPECT_EQ(t.Read("in/folder/part1.bin"), Bytes(8 * 1024, 'p'));
  EXPECT_EQ(t.Read("in/folder/part2.bin"), Bytes(200 * 1024, 'q'));
  EXPECT_FALSE(t.Exists("small/big.bin"));
  EXPECT_FALSE(t.Exists("small/folder"));
  EXPECT_FALSE(HasLeftovers(small));
  ASSERT_EQ(reports.Texts.size(), 1u);
  EXPECT_THAT(reports.Texts[0], HasSubstr(": No space left on device"));
  EXPECT_THAT(reports.Texts[0], HasSubstr("big.bin"));
  EXPECT_THAT(reports.Texts[0], HasSubstr("part2.bin"));
}

TEST(SHFileOperationFaults, AConfinedOperationNeverTouchesFilesOutsideItsFolder) {
  TTempTree t;
  const std::string folder = t.MakeDir("sets/x");
  const std::string inside = t.Write("sets/x/a.bin", "a");
  t.Write("sets/outside.nfo", "not ours");
  t.Write("elsewhere/secret.txt", "not ours either");
  ASSERT_EQ(::symlink(t.File("elsewhere").c_str(), t.File("sets/x/escape").c_str()), 0);
  TReportLog reports;

  auto del = MakeOperation(foDelete, {fofNoConfirmation},
                           {folder + "../outside.nfo", inside, folder + "escape/secret.txt"});
  del->SetConfineTo(folder);
  del->SetOnReport(reports.Recorder());
  EXPECT_FALSE(del->Execute());
  EXPECT_FALSE(t.Exists("sets/x/a.bin"));
  EXPECT_EQ(t.Read("sets/outside.nfo"), "not ours");
  EXPECT_EQ(t.Read("elsewhere/secret.txt"), "not ours either");
  ASSERT_EQ(del->Failures().size(), 2u);
  EXPECT_EQ(del->Failures()[0].Reason, "outside " + folder + ", left where it is");

  const std::string b = t.Write("sets/x/b.bin", "b");
  auto rename = MakeOperation(foRename, {}, {b}, {folder + "../b.bin"});
  rename->SetConfineTo(folder);
  rename->SetOnReport(reports.Recorder());
  EXPECT_FALSE(rename->Execute());
  EXPECT_EQ(t.Read("sets/x/b.bin"), "b");
  EXPECT_FALSE(t.Exists("sets/b.bin"));
  EXPECT_EQ(reports.Texts.size(), 2u);
}
