#include "fileops/anchoredentry.h"

#include "fileops/pathsafety.h"
#include "support/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

// The kernel answers EAGAIN when a rename raced a ".." walk; a racer that never
// stops must not keep the lookup spinning for ever.
constexpr int kMaxLookupRetries = 64;

std::string ErrorText(int error) {
  return std::generic_category().message(error);
}

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, slash - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = slash + 1;
  }
  return parts;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return path;
  return std::string(buffer) + "/" + path;
}

// Parts of path below root's parts, or false when path does not start with them.
bool Below(const std::vector<std::string>& path, const std::vector<std::string>& root,
           std::string& relative) {
  if (path.size() < root.size()) return false;
  for (std::size_t i = 0; i < root.size(); ++i) {
    if (path[i] != root[i]) return false;
  }
  relative.clear();
  for (std::size_t i = root.size(); i < path.size(); ++i) {
    relative += (relative.empty() ? "" : "/") + path[i];
  }
  if (relative.empty()) relative = ".";
  return true;
}

// Without openat2 every part is opened without following links, and ".." is
// refused outright: stricter than the kernel's own check, never looser.
int OpenPartByPart(int root, const std::string& relative) {
  TFileDescriptor current(::fcntl(root, F_DUPFD_CLOEXEC, 0));
  for (const std::string& part : Components(relative)) {
    if (!current.Valid()) return -1;
    if (part == "..") {
      errno = EXDEV;
      return -1;
    }
    current.Reset(
        ::openat(current.Get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return current.Release();
}

int OpenFolderBeneath(int root, const std::string& relative) {
  open_how how{};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  for (int attempt = 0; attempt < kMaxLookupRetries; ++attempt) {
    const long fd = ::syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno == ENOSYS) return OpenPartByPart(root, relative);
    if (errno != EAGAIN && errno != EINTR) return -1;
  }
  return -1;
}

// A name that ends in "." or ".." names a folder by way of its parent's parent;
// such a path is taken in its resolved form so that the last part is a real name.
std::string WithRealLastPart(const std::string& path, std::string& error) {
  const std::string trimmed = ExcludeTrailingPathDelimiter(path);
  const std::string last = ExtractFileName(trimmed);
  if (last != "." && last != ".." && !last.empty()) return trimmed;
  try {
    return ResolvePath(trimmed);
  } catch (const std::runtime_error& failure) {
    error = failure.what();
    return {};
  }
}

std::string RemoveFolderContents(int folder) {
  std::vector<std::string> names;
  int error = 0;
  if (!ListFolderAt(folder, names, error)) return ErrorText(error);
  for (const std::string& name : names) {
    const std::string failure = RemoveEntryAt(folder, name);
    if (!failure.empty()) return failure;
  }
  return {};
}

}  // namespace

bool TEntryResolver::ConfineTo(const std::string& folder, std::string& error) {
  try {
    rootPath_ = ExcludeTrailingPathDelimiter(ResolvePath(folder));
  } catch (const std::runtime_error& failure) {
    error = failure.what();
    return false;
  }
  root_.Reset(::open(rootPath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!root_.Valid()) {
    error = "cannot open " + folder + ": " + ErrorText(errno);
    return false;
  }
  return true;
}

bool TEntryResolver::Resolve(const std::string& path, TAnchoredEntry& entry,
                             std::string& error) const {
  entry.Path = path;
  const std::string real = WithRealLastPart(path, error);
  if (real.empty()) {
    if (error.empty()) error = "not a usable path";
    return false;
  }
  entry.Name = ExtractFileName(real);
  const std::string parent = ExtractFilePath(real);
  if (Confined())
    return ResolveBeneath(parent.empty() ? Absolute(".") : Absolute(parent), entry, error);
  entry.Folder.Reset(
      ::open(parent.empty() ? "." : parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!entry.Folder.Valid()) {
    error = ErrorText(errno);
    return false;
  }
  return true;
}

bool TEntryResolver::ResolveBeneath(const std::string& parent, TAnchoredEntry& entry,
                                    std::string& error) const {
  const std::vector<std::string> root = Components(rootPath_);
  // The path as written first; when it reaches the folder by another way (a link
  // above it, "set/../set", say), its resolved form. Either is only a guide: the
  // lookup below the folder's descriptor is what keeps the entry inside.
  std::string relative;
  if (Below(Components(parent), root, relative)) {
    entry.Folder.Reset(OpenFolderBeneath(root_.Get(), relative));
    if (entry.Folder.Valid()) return true;
    if (errno != EXDEV && errno != ELOOP) {
      error = ErrorText(errno);
      return false;
    }
  }
  bool below = false;
  try {
    below = Below(Components(ResolvePath(parent)), root, relative);
  } catch (const std::runtime_error&) {
    below = false;
  }
  if (below) entry.Folder.Reset(OpenFolderBeneath(root_.Get(), relative));
  if (!below || (!entry.Folder.Valid() && (errno == EXDEV || errno == ELOOP))) {
    error = "outside " + rootPath_ + "/, left where it is";
    return false;
  }
  if (!entry.Folder.Valid()) {
    error = ErrorText(errno);
    return false;
  }
  return true;
}

bool ListFolderAt(int folder, std::vector<std::string>& names, int& error) {
  TFileDescriptor listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* dir = listing.Valid() ? ::fdopendir(listing.Get()) : nullptr;
  if (dir == nullptr) {
    error = errno;
    return false;
  }
  (void)listing.Release();  // closedir closes it
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  error = errno;
  ::closedir(dir);
  return error == 0;
}

std::string PinnedPath(int folder, const std::string& name) {
  return "/proc/self/fd/" + std::to_string(folder) + "/" + name;
}

std::string RemoveEntryAt(int folder, const std::string& name) {
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrorText(errno);
  if (!S_ISDIR(st.st_mode)) {
    return ::unlinkat(folder, name.c_str(), 0) == 0 ? std::string() : ErrorText(errno);
  }
  // O_NOFOLLOW: a folder swapped for a link since the look above is refused, not followed.
  const TFileDescriptor inner(
      ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!inner.Valid()) return ErrorText(errno);
  const std::string failure = RemoveFolderContents(inner.Get());
  if (!failure.empty()) return failure;
  return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 ? std::string() : ErrorText(errno);
}
