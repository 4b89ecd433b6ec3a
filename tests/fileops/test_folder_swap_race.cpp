// A hostile process swaps a folder of a set for a link to somewhere else while the
// file layer works below it: whatever the timing, nothing outside the set is hit.

#include "fileops/shfileoperation.h"
#include "shfileoperation_helpers.h"

#include "support/filedescriptor.h"

#include "common/environment.h"
#include "common/temp_tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

constexpr int kRounds = 300;

// Swaps set/sub for a link to outside and back, as fast as it can.
class TFolderSwapper {
 public:
  TFolderSwapper(std::string folder, std::string outside)
      : folder_(std::move(folder)), outside_(std::move(outside)), thread_([this] { Run(); }) {}
  ~TFolderSwapper() {
    stop_ = true;
    thread_.join();
  }
  TFolderSwapper(const TFolderSwapper&) = delete;
  TFolderSwapper& operator=(const TFolderSwapper&) = delete;

 private:
  void Run() {
    const std::string held = folder_ + ".held";
    while (!stop_) {
      if (::rename(folder_.c_str(), held.c_str()) != 0) continue;
      if (::symlink(outside_.c_str(), folder_.c_str()) == 0) {
        std::this_thread::yield();
        ::unlink(folder_.c_str());
      }
      ::rename(held.c_str(), folder_.c_str());
    }
  }

  std::string folder_, outside_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

TEST(SHFileOperationRace, AFolderSwappedForALinkNeverLeadsOutOfTheSet) {
  struct TCase {
    const char* Name;
    TSHFileOp Operation;
    TSHFileOpFlags Flags;
    const char* Target;  // below the set, for renames and moves
  };
  const TCase cases[] = {
      {"trash", foDelete, {fofAllowUndo, fofSilent}, ""},
      {"delete", foDelete, {fofSilent}, ""},
      {"rename", foRename, {fofSilent}, "sub/renamed.nfo"},
      {"move", foMove, {fofMultiDestFiles, fofSilent}, "moved/f.nfo"},
      {"copy", foCopy, {fofMultiDestFiles, fofSilent}, "copied/f.nfo"},
  };
  const TTempTree home;
  const TPrivateTrash trash(home);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TTempTree t;
    const std::string set = t.MakeDir("set");
    const std::string outside = t.MakeDir("outside");
    t.MakeDir("set/sub");
    t.MakeDir("outside/sub");
    // The real folder is filled through its descriptor, wherever the swapper has it.
    const TFileDescriptor real(::open(t.File("set/sub").c_str(), O_RDONLY | O_DIRECTORY));
    ASSERT_TRUE(real.Valid());

    int escapes = 0;
    {
      const TFolderSwapper swapper(t.File("set/sub"), t.File("outside/sub"));
      for (int round = 0; round < kRounds; ++round) {
        const TFileDescriptor file(
            ::openat(real.Get(), "f.nfo", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        ASSERT_TRUE(file.Valid());
        t.Write("outside/sub/f.nfo", "outside");
        ::unlink(t.File("outside/sub/renamed.nfo").c_str());
        ::unlinkat(real.Get(), "renamed.nfo", 0);

        auto op = MakeOperation(c.Operation, c.Flags, {set + "sub/f.nfo"},
                                {std::string(c.Target).empty() ? "" : set + c.Target});
        op->SetConfineTo(set);
        op->SetConfineTargetsTo(set);
        op->Execute();
        if (!t.Exists("outside/sub/f.nfo") || t.Exists("outside/sub/renamed.nfo") ||
            (t.Exists("set/copied/f.nfo") && t.Read("set/copied/f.nfo") == "outside")) {
          ++escapes;
        }
      }
    }
    EXPECT_EQ(escapes, 0) << "of " << kRounds << " rounds";
    EXPECT_FALSE(trash.Holds("sub")) << "a whole folder went to the trash";
  }
}
