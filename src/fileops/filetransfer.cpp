#include "fileops/filetransfer.h"

#include "fileops/anchoredentry.h"
#include "fileops/fileprogress.h"
#include "support/filedescriptor.h"
#include "support/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kBlockSize = 1024 * 1024;
// Leaves room for the temporary prefix and suffix inside the 255-byte name limit.
constexpr std::size_t kMaxTempStem = 200;

std::string ErrorText(int error) {
  return std::generic_category().message(error);
}

std::string Join(const std::string& folder, const std::string& name) {
  return IncludeTrailingPathDelimiter(folder) + name;
}

std::string ParentOf(const std::string& path) {
  return ExtractFilePath(ExcludeTrailingPathDelimiter(path));
}

// Removes a temporary copy unless the copy was put in place.
class TTempGuard {
 public:
  TTempGuard(std::string path, bool folder) : path_(std::move(path)), folder_(folder) {}
  ~TTempGuard() {
    if (path_.empty()) return;
    if (folder_) {
      RemovePermanently(path_);
    } else {
      ::unlink(path_.c_str());
    }
  }
  TTempGuard(const TTempGuard&) = delete;
  TTempGuard& operator=(const TTempGuard&) = delete;
  void Release() { path_.clear(); }

 private:
  std::string path_;
  bool folder_;
};

bool LStat(const std::string& path, struct stat& st) {
  return ::lstat(path.c_str(), &st) == 0;
}

// A dot-name beside target, so the temporary copy sits on the target's file
// system and can be renamed into place; the X's are for mkostemp and mkdtemp.
std::string TempTemplateBeside(const std::string& target) {
  std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(target));
  if (name.size() > kMaxTempStem) name.resize(kMaxTempStem);
  return ParentOf(target) + "." + name + ".cw-XXXXXX";
}

std::string RandomSuffix() {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<int> pick(0, sizeof(kChars) - 2);
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += kChars[pick(device)];
  return suffix;
}

bool MakeFolders(const std::string& folder, int& error) {
  if (folder.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(ExcludeTrailingPathDelimiter(folder), ec);
  if (ec) {
    error = ec.value();
    return false;
  }
  return true;
}

// Best effort: makes a rename durable before the source of a move goes away.
void SyncFolder(const std::string& folder) {
  TFileDescriptor dir(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) ::fsync(dir.Get());
}

// Ownership can only be kept where the user may give it; a failure there is not one of the copy.
void ApplyMetadata(int fd, const struct stat& st) {
  [[maybe_unused]] const int owned = ::fchown(fd, st.st_uid, st.st_gid);
  ::fchmod(fd, st.st_mode & 07777);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ::futimens(fd, times);
}

void ApplyFolderMetadata(const std::string& folder, const struct stat& st) {
  [[maybe_unused]] const int owned = ::lchown(folder.c_str(), st.st_uid, st.st_gid);
  ::chmod(folder.c_str(), st.st_mode & 07777);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ::utimensat(AT_FDCWD, folder.c_str(), times, 0);
}

bool ListFolder(const std::string& folder, std::vector<std::string>& names, int& error) {
  const TFileDescriptor listed(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listed.Valid()) {
    error = errno;
    return false;
  }
  return ListFolderAt(listed.Get(), names, error);
}

// Both resolved as far as they exist, so "x/../a" and links do not hide a folder
// being copied into itself.
bool IsSameOrBelow(const std::string& path, const std::string& folder) {
  std::error_code ec;
  const std::string p = std::filesystem::weakly_canonical(ExcludeTrailingPathDelimiter(path), ec);
  if (ec) return false;
  const std::string f = std::filesystem::weakly_canonical(ExcludeTrailingPathDelimiter(folder), ec);
  if (ec) return false;
  return p == f || p.starts_with(IncludeTrailingPathDelimiter(f));
}

// One block from in to out, inside the kernel where the two file systems allow
// it, else through buffer. The bytes copied, 0 at the end, or -1 with errno set.
ssize_t CopyBlock(int in, int out, std::vector<char>& buffer, bool& kernelCopy) {
  while (kernelCopy) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kBlockSize, 0);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
        errno != EBADF && errno != EPERM) {
      return -1;
    }
    // Both descriptors keep their offsets, so the plain copy goes on from here.
    kernelCopy = false;
  }
  if (buffer.empty()) buffer.resize(kBlockSize);
  ssize_t n = 0;
  do {
    n = ::read(in, buffer.data(), buffer.size());
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return n;
  for (ssize_t written = 0; written < n;) {
    const ssize_t w = ::write(out, buffer.data() + written, static_cast<size_t>(n - written));
    if (w < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    written += w;
  }
  return n;
}

bool ReadLink(const std::string& path, std::string& text, int& error) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) {
      error = errno;
      return false;
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      text.assign(buffer.data(), static_cast<std::size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string RemovePermanently(const std::string& path) {
  TAnchoredEntry entry;
  std::string error;
  if (!TEntryResolver().Resolve(path, entry, error)) return error;
  return RemoveEntryAt(entry.Folder.Get(), entry.Name);
}

TFileTransfer::TFileTransfer(TProgressTracker& progress) : progress_(progress) {}

std::uint64_t TFileTransfer::TreeSize(const std::string& path) {
  struct stat st {};
  if (!LStat(ExcludeTrailingPathDelimiter(path), st)) return 0;
  if (!S_ISDIR(st.st_mode)) return S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  std::uint64_t total = 0;
  std::error_code ec;
  namespace fs = std::filesystem;
  for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec),
       end;
       !ec && it != end; it.increment(ec)) {
    std::error_code sizeError;
    if (it->is_regular_file(sizeError) && !it->is_symlink(sizeError)) {
      const auto size = it->file_size(sizeError);
      if (!sizeError) total += size;
    }
  }
  return total;
}

template <typename TCopy>
bool TFileTransfer::Through(const TAnchoredEntry& from, const TAnchoredEntry& to, TCopy copy) {
  const std::string source = PinnedPath(from.Folder.Get(), from.Name);
  const std::string target = PinnedPath(to.Folder.Get(), to.Name);
  aliases_ = {{source, from.Path}, {target, to.Path}};
  const bool ok = copy(source, target);
  aliases_.clear();
  return ok;
}

std::string TFileTransfer::Shown(const std::string& path) const {
  for (const TAlias& alias : aliases_) {
    if (path.starts_with(alias.Pinned)) return alias.Shown + path.substr(alias.Pinned.size());
  }
  return path;
}

bool TFileTransfer::Fail(const std::string& path, const std::string& reason) {
  failures_.push_back({Shown(path), reason});
  return false;
}

bool TFileTransfer::FailErrno(const std::string& path, int error) {
  return Fail(path, ErrorText(error));
}

bool TFileTransfer::Advance(const std::string& file, std::uint64_t bytes) {
  if (!progress_.Advance(Shown(file), bytes)) cancelled_ = true;
  return !cancelled_;
}

bool TFileTransfer::CopyFileAtomic(const std::string& source, const std::string& target) {
  // O_NONBLOCK: a FIFO must not hang the copy; it is refused below like any non-file.
  TFileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!in.Valid()) return FailErrno(source, errno);
  struct stat st {};
  if (::fstat(in.Get(), &st) != 0) return FailErrno(source, errno);
  if (!S_ISREG(st.st_mode)) return Fail(source, "not a regular file");
  ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);

  std::string temp = TempTemplateBeside(target);
  TFileDescriptor out(::mkostemp(temp.data(), O_CLOEXEC));
  if (!out.Valid()) return FailErrno(source, errno);
  TTempGuard guard(temp, false);

  std::uint64_t copied = 0;
  bool kernelCopy = true;
  for (;;) {
    const ssize_t n = CopyBlock(in.Get(), out.Get(), buffer_, kernelCopy);
    if (n < 0) return FailErrno(source, errno);
    if (n == 0) break;
    copied += static_cast<std::uint64_t>(n);
    if (!Advance(source, static_cast<std::uint64_t>(n))) return false;
  }

  struct stat after {};
  if (::fstat(in.Get(), &after) != 0) return FailErrno(source, errno);
  if (copied != static_cast<std::uint64_t>(st.st_size) || after.st_size != st.st_size ||
      after.st_mtim.tv_sec != st.st_mtim.tv_sec || after.st_mtim.tv_nsec != st.st_mtim.tv_nsec) {
    return Fail(source, "the file changed while it was being copied");
  }
  ApplyMetadata(out.Get(), st);
  if (::fsync(out.Get()) != 0) return FailErrno(source, errno);
  struct stat written {};
  if (::fstat(out.Get(), &written) != 0) return FailErrno(source, errno);
  if (static_cast<std::uint64_t>(written.st_size) != copied) {
    return Fail(source, "the copy is incomplete");
  }
  // The close is where some file systems first say the data did not reach the disk.
  if (const int error = out.Close()) return FailErrno(source, error);
  if (::rename(temp.c_str(), target.c_str()) != 0) return FailErrno(source, errno);
  guard.Release();
  return true;
}

bool TFileTransfer::CopyLinkAtomic(const std::string& source, const std::string& target) {
  std::string text;
  int error = 0;
  if (!ReadLink(source, text, error)) return FailErrno(source, error);
  std::string temp;
  for (int attempt = 0;; ++attempt) {
    temp = TempTemplateBeside(target);
    temp.replace(temp.size() - 6, 6, RandomSuffix());
    if (::symlink(text.c_str(), temp.c_str()) == 0) break;
    if (errno != EEXIST || attempt == 20) return FailErrno(source, errno);
  }
  TTempGuard guard(temp, false);
  if (::rename(temp.c_str(), target.c_str()) != 0) return FailErrno(source, errno);
  guard.Release();
  return true;
}

bool TFileTransfer::CopyEntry(const std::string& source, const std::string& target) {
  struct stat st {};
  if (!LStat(source, st)) return FailErrno(source, errno);
  if (S_ISLNK(st.st_mode)) return CopyLinkAtomic(source, target);
  if (S_ISREG(st.st_mode)) {
    struct stat existing {};
    if (LStat(target, existing) && S_ISDIR(existing.st_mode)) {
      return Fail(target, "a folder of that name is in the way");
    }
    return CopyFileAtomic(source, target);
  }
  if (!S_ISDIR(st.st_mode)) return Fail(source, "not a file, folder or link");
  struct stat existing {};
  if (!LStat(target, existing)) {
    // Owner-only until the contents are in, whatever the source's mode says.
    if (::mkdir(target.c_str(), 0700) != 0) return FailErrno(target, errno);
    const bool ok = CopyFolderContents(source, target);
    ApplyFolderMetadata(target, st);
    return ok;
  }
  if (!S_ISDIR(existing.st_mode)) return Fail(target, "a file of that name is in the way");
  return CopyFolderContents(source, target);
}

bool TFileTransfer::CopyFolderContents(const std::string& source, const std::string& target) {
  std::vector<std::string> names;
  int error = 0;
  if (!ListFolder(source, names, error)) return FailErrno(source, error);
  bool ok = true;
  for (const std::string& name : names) {
    if (!CopyEntry(Join(source, name), Join(target, name))) ok = false;
    if (cancelled_) return false;
  }
  return ok;
}

bool TFileTransfer::CopyFolderAtomic(const std::string& source, const std::string& target) {
  struct stat st {};
  if (!LStat(source, st)) return FailErrno(source, errno);
  std::string temp = TempTemplateBeside(target);
  if (::mkdtemp(temp.data()) == nullptr) return FailErrno(target, errno);
  TTempGuard guard(temp, true);
  if (!CopyFolderContents(source, temp)) return false;
  ApplyFolderMetadata(temp, st);
  if (::rename(temp.c_str(), ExcludeTrailingPathDelimiter(target).c_str()) != 0) {
    return FailErrno(target, errno);
  }
  guard.Release();
  return true;
}

bool TFileTransfer::Copy(const std::string& sourcePath, const std::string& targetPath) {
  return Copy(sourcePath, targetPath, TEntryResolver(), TEntryResolver());
}

bool TFileTransfer::Copy(const std::string& sourcePath, const std::string& targetPath,
                         const TEntryResolver& sources, const TEntryResolver& targets) {
  const std::string source = ExcludeTrailingPathDelimiter(sourcePath);
  const std::string target = ExcludeTrailingPathDelimiter(targetPath);
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0) return FailErrno(source, errno);
  const bool isFolder = S_ISDIR(st.st_mode);
  bool merge = false;
  struct stat existing {};
  if (isFolder) {
    if (IsSameOrBelow(target, source)) return Fail(source, "a folder cannot be copied into itself");
    if (LStat(target, existing)) {
      if (!S_ISDIR(existing.st_mode)) return Fail(target, "a file of that name is in the way");
      merge = true;
    }
  } else {
    if (!S_ISREG(st.st_mode)) return Fail(source, "not a regular file or folder");
    if (::stat(target.c_str(), &existing) == 0) {
      if (S_ISDIR(existing.st_mode)) return Fail(target, "a folder of that name is in the way");
      if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) {
        return Fail(source, "source and destination are the same file");
      }
    }
  }
  int error = 0;
  if (!MakeFolders(ParentOf(target), error)) return FailErrno(target, error);
  TAnchoredEntry from, to;
  std::string reason;
  if (!sources.Resolve(source, from, reason)) return Fail(source, reason);
  if (!targets.Resolve(target, to, reason)) return Fail(target, reason);
  return Through(from, to, [&](const std::string& pinnedSource, const std::string& pinnedTarget) {
    if (merge) return CopyFolderContents(pinnedSource, pinnedTarget);
    return isFolder ? CopyFolderAtomic(pinnedSource, pinnedTarget)
                    : CopyFileAtomic(pinnedSource, pinnedTarget);
  });
}

bool TFileTransfer::MoveAcrossDevices(const TAnchoredEntry& from, const TAnchoredEntry& to,
                                      bool isFolder) {
  // The copy reaches both through their folders' descriptors too, so what is
  // removed below is what was copied.
  const bool copied = Through(from, to, [&](const std::string& source, const std::string& target) {
    struct stat st {};
    if (!LStat(source, st)) return FailErrno(source, errno);
    bool ok = false;
    struct stat existing {};
    if (isFolder) {
      ok = LStat(target, existing) ? CopyFolderContents(source, target)
                                   : CopyFolderAtomic(source, target);
    } else if (S_ISLNK(st.st_mode)) {
      ok = CopyLinkAtomic(source, target);
    } else {
      ok = CopyFileAtomic(source, target);
    }
    if (ok) SyncFolder(ParentOf(target));
    return ok;
  });
  if (!copied) return false;
  const std::string error = RemoveEntryAt(from.Folder.Get(), from.Name);
  if (!error.empty()) {
    return Fail(from.Path,
                "copied to " + to.Path + ", but the original could not be removed: " + error);
  }
  return true;
}

bool TFileTransfer::MergeFolderInto(const TAnchoredEntry& from, const TAnchoredEntry& to) {
  // O_NOFOLLOW: a folder swapped for a link on the way is refused, never entered.
  const TFileDescriptor fromFolder(::openat(from.Folder.Get(), from.Name.c_str(),
                                            O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fromFolder.Valid()) return FailErrno(from.Path, errno);
  const TFileDescriptor toFolder(
      ::openat(to.Folder.Get(), to.Name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!toFolder.Valid()) return FailErrno(to.Path, errno);
  std::vector<std::string> names;
  int error = 0;
  if (!ListFolderAt(fromFolder.Get(), names, error)) return FailErrno(from.Path, error);
  bool ok = true;
  for (const std::string& name : names) {
    const TAnchoredEntry child{TFileDescriptor(::fcntl(fromFolder.Get(), F_DUPFD_CLOEXEC, 0)), name,
                               Join(from.Path, name)};
    const TAnchoredEntry childTarget{TFileDescriptor(::fcntl(toFolder.Get(), F_DUPFD_CLOEXEC, 0)),
                                     name, Join(to.Path, name)};
    if (!child.Folder.Valid() || !childTarget.Folder.Valid()) return FailErrno(child.Path, errno);
    if (!MoveEntry(child, childTarget)) ok = false;
    if (cancelled_) return false;
  }
  if (ok && ::unlinkat(from.Folder.Get(), from.Name.c_str(), AT_REMOVEDIR) != 0) {
    return FailErrno(from.Path, errno);
  }
  return ok;
}

bool TFileTransfer::MoveEntry(const TAnchoredEntry& from, const TAnchoredEntry& to) {
  struct stat st {};
  if (::fstatat(from.Folder.Get(), from.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return FailErrno(from.Path, errno);
  }
  const bool isFolder = S_ISDIR(st.st_mode);
  struct stat existing {};
  if (::fstatat(to.Folder.Get(), to.Name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) return true;
    const bool targetIsFolder = S_ISDIR(existing.st_mode);
    if (isFolder && !targetIsFolder) return Fail(to.Path, "a file of that name is in the way");
    if (!isFolder && targetIsFolder) return Fail(to.Path, "a folder of that name is in the way");
  }
  if (::renameat(from.Folder.Get(), from.Name.c_str(), to.Folder.Get(), to.Name.c_str()) == 0) {
    return true;
  }
  const int error = errno;
  if (error == EXDEV) return MoveAcrossDevices(from, to, isFolder);
  if (isFolder && (error == ENOTEMPTY || error == EEXIST)) return MergeFolderInto(from, to);
  return FailErrno(from.Path, error);
}

bool TFileTransfer::Move(const std::string& sourcePath, const std::string& targetPath) {
  return Move(sourcePath, targetPath, TEntryResolver(), TEntryResolver());
}

bool TFileTransfer::Move(const std::string& sourcePath, const std::string& targetPath,
                         const TEntryResolver& sources, const TEntryResolver& targets) {
  const std::string source = ExcludeTrailingPathDelimiter(sourcePath);
  const std::string target = ExcludeTrailingPathDelimiter(targetPath);
  struct stat st {};
  if (!LStat(source, st)) return FailErrno(source, errno);
  if (source == target) return true;
  if (S_ISDIR(st.st_mode) && IsSameOrBelow(target, source)) {
    return Fail(source, "a folder cannot be moved into itself");
  }
  int error = 0;
  if (!MakeFolders(ParentOf(target), error)) return FailErrno(target, error);
  TAnchoredEntry from, to;
  std::string reason;
  if (!sources.Resolve(source, from, reason)) return Fail(source, reason);
  if (!targets.Resolve(target, to, reason)) return Fail(target, reason);
  return MoveEntry(from, to);
}
