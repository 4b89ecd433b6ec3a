#include "config/atomicfile.h"

#include "support/filedescriptor.h"
#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw std::runtime_error("Cannot write " + path + ": " + std::strerror(error));
}

// Owns the temporary file until it has been renamed into place.
class TTemporaryFile {
 public:
  // Valid() tells whether the file could be made; Error() why not.
  explicit TTemporaryFile(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      // Hidden, and ending in neither ".sfv" nor ".xml", so nobody mistakes a
      // left-over for the real thing. Created with the mode new files normally get.
      path_ = folder + "." + name + ".tmp" + std::to_string(random() % 1000000);
      file_.Reset(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
      if (file_.Valid() || errno != EEXIST) break;
    }
    if (!file_.Valid()) {
      error_ = errno;
      path_.clear();
    }
  }

  ~TTemporaryFile() {
    file_.Reset();
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  bool Valid() const { return file_.Valid(); }
  int Error() const { return error_; }
  int Descriptor() const { return file_.Get(); }
  const std::string& Path() const { return path_; }

  // Returns 0 or the errno of a failed close.
  int Close() { return file_.Close(); }

  // The file is in place: nothing to clean up any more.
  void Release() { path_.clear(); }

 private:
  std::string path_;
  TFileDescriptor file_;
  int error_ = 0;
};

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Makes the rename itself durable; a folder that cannot be synced costs only that.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) ::fsync(dir.Get());
}

// Where the bytes really go: a link is followed so that it survives the rewrite.
std::string ReplacementTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      std::string target(resolved);
      std::free(resolved);
      return target;
    }
  }
  return path;
}

// rename() asks only the folder; the file's own mode is asked here, so that a
// file marked read-only stays as it is. No write bit for anyone refuses root too.
bool MayWrite(const std::string& target, const struct stat& st) {
  return (st.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

// For a file whose folder takes no temporary file. The whole text is in memory
// and the room for it is taken before the first byte changes, so a full disk
// still leaves the old text; only a crash in the middle can mix the two.
TFileIdentity WriteInPlace(const std::string& path, const std::string& target,
                           std::string_view bytes) {
  TFileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
  if (!file.Valid()) Fail(path, errno);
  const off_t size = static_cast<off_t>(bytes.size());
  if (size > 0) {
    const int error = ::posix_fallocate(file.Get(), 0, size);
    if (error != 0 && error != EOPNOTSUPP) Fail(path, error);
  }
  if (const int error = WriteAll(file.Get(), bytes)) Fail(path, error);
  if (::ftruncate(file.Get(), size) != 0) Fail(path, errno);
  if (::fsync(file.Get()) != 0) Fail(path, errno);
  const TFileIdentity identity = FileIdentityOf(file.Get());
  if (const int error = file.Close()) Fail(path, error);
  return identity;
}

}  // namespace

TFileIdentity WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) throw std::runtime_error("Cannot write a file without a name");
  const std::string target = ReplacementTarget(path);

  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing && S_ISDIR(old.st_mode)) Fail(path, EISDIR);
  if (replacing && !MayWrite(target, old)) Fail(path, EACCES);

  TTemporaryFile temporary(target);
  if (!temporary.Valid()) {
    const int error = temporary.Error();
    if (replacing && S_ISREG(old.st_mode) && (error == EACCES || error == EPERM)) {
      return WriteInPlace(path, target, bytes);
    }
    Fail(path, error);
  }
  if (const int error = WriteAll(temporary.Descriptor(), bytes)) Fail(path, error);
  if (replacing) {
    // Only root may hand the file to another owner; everybody else keeps their own,
    // so a refusal here is expected and harmless.
    [[maybe_unused]] const int owned = ::fchown(temporary.Descriptor(), old.st_uid, old.st_gid);
    if (::fchmod(temporary.Descriptor(), old.st_mode & 07777) != 0) Fail(path, errno);
  }
  if (::fsync(temporary.Descriptor()) != 0) Fail(path, errno);
  // A rename keeps the inode, the size and the time of the last write.
  const TFileIdentity identity = FileIdentityOf(temporary.Descriptor());
  if (const int error = temporary.Close()) Fail(path, error);
  if (::rename(temporary.Path().c_str(), target.c_str()) != 0) Fail(path, errno);
  temporary.Release();
  SyncFolderOf(target);
  return identity;
}
