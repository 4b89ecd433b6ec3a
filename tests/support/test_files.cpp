#include "common/temp_tree.h"
#include "support/filedescriptor.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/system.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace {

std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

// Sets TMPDIR for one test and puts the previous value back.
class TTmpDirScope {
 public:
  explicit TTmpDirScope(const std::string& value) {
    if (const char* old = std::getenv("TMPDIR")) previous_ = old, had_ = true;
    ::setenv("TMPDIR", value.c_str(), 1);
  }
  ~TTmpDirScope() {
    if (had_) {
      ::setenv("TMPDIR", previous_.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }

 private:
  std::string previous_;
  bool had_ = false;
};

}  // namespace

TEST(Files, TextFilesKeepEveryByte) {
  TTempTree t;
  const std::string bytes = std::string("a\r\nb\nc\rd\0e\xff", 11) + std::string(200000, 'z');
  const std::string path = t.File("x.sfv");
  WriteTextFile(path, bytes);
  EXPECT_EQ(ReadTextFile(path), bytes);
  // Rewriting with less text leaves nothing of the old behind.
  WriteTextFile(path, "short");
  EXPECT_EQ(ReadTextFile(path), "short");
  WriteTextFile(path, "");
  EXPECT_EQ(ReadTextFile(path), "");
}

TEST(Files, OpenFailuresNameTheFileAndTheErrorNumber) {
  TTempTree t;
  const std::string missing = t.File("missing.sfv");
  EXPECT_EQ(ErrorText([&] { ReadTextFile(missing); }),
            "Cannot open or create file " + missing + " with " + std::to_string(ENOENT));
  const std::string noFolder = t.File("no/such/folder.sfv");
  EXPECT_EQ(ErrorText([&] { WriteTextFile(noFolder, "x"); }),
            "Cannot open or create file " + noFolder + " with " + std::to_string(ENOENT));
  const std::string existing = t.Write("here.txt", "x");
  EXPECT_EQ(
      ErrorText([&] { TDiskFileStream s(existing, TFileAccess::Write, TFileCreation::CreateNew); }),
      "Cannot open or create file " + existing + " with " + std::to_string(EEXIST));
  EXPECT_EQ(ErrorText([&] { ReadTextFile(t.Path()); }).find("Cannot read "), 0u);
}

TEST(Files, AppendAndTruncateModes) {
  TTempTree t;
  const std::string path = t.Write("log.txt", "one\n");
  {
    TDiskFileStream s(path, TFileAccess::Write, TFileCreation::Append);
    s.Write("two\n");
  }
  EXPECT_EQ(t.Read("log.txt"), "one\ntwo\n");
  {
    TDiskFileStream s(path, TFileAccess::ReadWrite, TFileCreation::TruncateExisting);
    EXPECT_EQ(s.Size(), 0);
  }
  EXPECT_THROW(TDiskFileStream(t.File("none"), TFileAccess::Write, TFileCreation::TruncateExisting),
               std::runtime_error);
  { TDiskFileStream s(t.File("new"), TFileAccess::Write, TFileCreation::OpenAlways); }
  EXPECT_TRUE(t.Exists("new"));
}

TEST(Files, FileNamesRejectEveryReservedCharacter) {
  EXPECT_TRUE(IsValidFileName("a b"));
  EXPECT_TRUE(IsValidFileName(""));
  EXPECT_TRUE(IsValidFileName("disc 1 [x].bin"));
  for (const char c : std::string("\\/:*?\"<>|")) {
    EXPECT_FALSE(IsValidFileName(std::string("a") + c + "b")) << c;
  }
}

TEST(Paths, SplitAtTheLastSlashAndDot) {
  EXPECT_EQ(ExtractFilePath("/data/set/a.sfv"), "/data/set/");
  EXPECT_EQ(ExtractFilePath("a.sfv"), "");
  EXPECT_EQ(ExtractFileName("/data/set/a.sfv"), "a.sfv");
  EXPECT_EQ(ExtractFileName("/data/set/"), "");
  EXPECT_EQ(ExtractFileExt("/data/set/a.part1.sfv"), ".sfv");
  // A dot in a folder name is no extension of the file.
  EXPECT_EQ(ExtractFileExt("/data/v1.0/readme"), "");
  EXPECT_EQ(ChangeFileExt("/data/v1.0/readme", ".xml"), "/data/v1.0/readme.xml");
  EXPECT_EQ(ChangeFileExt("/opt/checkwell.bin", ".xml"), "/opt/checkwell.xml");
  EXPECT_EQ(ChangeFileExt("CHK.EXE", ""), "CHK");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(Paths, ExistenceTellsFilesFromFolders) {
  TTempTree t;
  const std::string file = t.Write("f.bin", "x");
  const std::string folder = t.MakeDir("sub");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(folder));
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(FileExists(t.File("gone")));
  EXPECT_FALSE(FileExists(""));
}

TEST(System, TempFolderIsCreatedWhenMissing) {
  TTempTree t;
  const std::string wanted = t.File("deep/er/tmp");
  {
    TTmpDirScope scope(wanted);
    EXPECT_EQ(GetTempFolder(), wanted + "/");
  }
  EXPECT_TRUE(DirectoryExists(wanted));

  const std::string file = t.Write("plain-file", "x");
  TTmpDirScope scope(file + "/below");
  EXPECT_EQ(ErrorText([] { GetTempFolder(); }), "Can't use windows temporary dir");
}

TEST(System, ProgramPathsPointAtThisTest) {
  const std::string exe = ApplicationFilePath();
  EXPECT_TRUE(FileExists(exe)) << exe;
  EXPECT_EQ(HelpFilePath(), ExtractFilePath(exe) + "Checkwell Help.htm");
}

namespace {

bool IsOpen(int fd) {
  return ::fcntl(fd, F_GETFD) != -1;
}

int OpenNull() {
  return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

}  // namespace

// However a descriptor is handed on, exactly one owner closes it, and only when
// that owner goes: a second close would hit whatever file got the number next.
TEST(FileDescriptor, EveryHandOverLeavesOneOwner) {
  using THandOver = std::function<void(TFileDescriptor&, std::optional<TFileDescriptor>&)>;
  const std::pair<const char*, THandOver> cases[] = {
      {"move construction", [](TFileDescriptor& from, auto& to) { to.emplace(std::move(from)); }},
      {"move assignment over another descriptor",
       [](TFileDescriptor& from, auto& to) {
         to.emplace(OpenNull());
         const int replaced = to->Get();
         *to = std::move(from);
         EXPECT_FALSE(IsOpen(replaced));
       }},
      {"self move assignment",
       [](TFileDescriptor& from, auto& to) {
         TFileDescriptor& same = from;
         from = std::move(same);
         to.emplace(std::move(from));
       }},
      {"release and adopt", [](TFileDescriptor& from, auto& to) { to.emplace(from.Release()); }},
      {"reset to the same descriptor",
       [](TFileDescriptor& from, auto& to) {
         from.Reset(from.Get());
         to.emplace(std::move(from));
       }},
  };
  for (const auto& [name, handOver] : cases) {
    SCOPED_TRACE(name);
    const int fd = OpenNull();
    ASSERT_GE(fd, 0);
    std::optional<TFileDescriptor> owner;
    {
      TFileDescriptor first(fd);
      handOver(first, owner);
      EXPECT_FALSE(first.Valid());
    }
    EXPECT_TRUE(IsOpen(fd));
    ASSERT_TRUE(owner && owner->Get() == fd);
    owner.reset();
    EXPECT_FALSE(IsOpen(fd));
  }
}

TEST(FileDescriptor, AnEarlyCloseIsTheOnlyOne) {
  std::optional<TFileDescriptor> file(std::in_place, OpenNull());
  const int fd = file->Get();
  EXPECT_EQ(file->Close(), 0);
  EXPECT_FALSE(file->Valid());
  const int reused = OpenNull();
  ASSERT_EQ(reused, fd) << "the lowest free number comes back";
  file.reset();
  EXPECT_TRUE(IsOpen(reused));
  ::close(reused);
}
