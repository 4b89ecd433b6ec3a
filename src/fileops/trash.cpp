#include "fileops/trash.h"

#include "fileops/anchoredentry.h"
#include "support/filedescriptor.h"
#include "support/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>
#include <utility>

namespace {

// Leaves room for a number and ".trashinfo" inside the 255-byte name limit.
constexpr std::size_t kMaxTrashStem = 200;
constexpr int kMaxNameAttempts = 10000;

std::string ErrorText(int error) {
  return std::generic_category().message(error);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string DataHome() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return ExcludeTrailingPathDelimiter(data);
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* user = ::getpwuid(::getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr) return {};
  return JoinPath(ExcludeTrailingPathDelimiter(home), ".local/share");
}

// Creates the folder and its missing parents, owner-only as the trash wants it.
bool MakeFolders(const std::string& folder, std::string& error) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      error = "cannot make " + part + ": " + ErrorText(errno);
      return false;
    }
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = folder + " is not a folder";
    return false;
  }
  return true;
}

struct TTrashFolders {
  std::string Location;
  TFileDescriptor Files;
  TFileDescriptor Info;
};

// The trash's files/ and info/ folders, made when missing, on device or not at all.
bool OpenTrash(const std::string& trash, dev_t device, TTrashFolders& folders, std::string& error) {
  if (!MakeFolders(JoinPath(trash, "files"), error) || !MakeFolders(JoinPath(trash, "info"), error))
    return false;
  folders.Location = trash;
  folders.Files.Reset(::open(JoinPath(trash, "files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  folders.Info.Reset(::open(JoinPath(trash, "info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat files {
  }, info{};
  if (!folders.Files.Valid() || !folders.Info.Valid() ||
      ::fstat(folders.Files.Get(), &files) != 0 || ::fstat(folders.Info.Get(), &info) != 0) {
    error = "cannot open the trash " + trash + ": " + ErrorText(errno);
    return false;
  }
  if (files.st_dev != device || info.st_dev != device) {
    error = "the trash " + trash + " is on another file system";
    return false;
  }
  return true;
}

// A folder of the user's own: a real folder (no link), owned by the user.
bool IsOwnFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// The highest folder above (and including) folder that is still on device.
std::string TopDirOf(std::string folder, dev_t device) {
  while (folder != "/") {
    const std::string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(folder));
    struct stat st {};
    if (::stat(parent.empty() ? "/" : parent.c_str(), &st) != 0 || st.st_dev != device) break;
    folder = parent.empty() ? "/" : parent;
  }
  return folder;
}

bool OpenTopDirTrash(const std::string& folder, dev_t device, TTrashFolders& folders,
                     std::string& error) {
  const std::string topdir = TopDirOf(folder, device);
  const std::string uid = std::to_string(::getuid());
  // An administrator's shared .Trash counts only as a real, sticky folder.
  const std::string shared = JoinPath(topdir, ".Trash");
  struct stat st {};
  if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
    const std::string own = JoinPath(shared, uid);
    ::mkdir(own.c_str(), 0700);
    std::string sharedError;
    if (IsOwnFolder(own) && OpenTrash(own, device, folders, sharedError)) return true;
  }
  const std::string own = JoinPath(topdir, ".Trash-" + uid);
  if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot make the trash " + own + ": " + ErrorText(errno);
    return false;
  }
  if (!IsOwnFolder(own)) {
    error = own + " is not a trash folder of this user";
    return false;
  }
  return OpenTrash(own, device, folders, error);
}

// The folder's real absolute path, as the kernel knows the open folder.
std::string RealFolderPath(int folder, const std::string& fallback) {
  char buffer[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(folder);
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
  if (n <= 0 || buffer[0] != '/') return fallback;
  return std::string(buffer, static_cast<std::size_t>(n));
}

bool FindTrash(const std::string& folderPath, dev_t device, TTrashFolders& folders,
               std::string& error) {
  const std::string data = DataHome();
  if (data.empty()) {
    error = "there is no home folder for the trash";
    return false;
  }
  const std::string home = JoinPath(data, "Trash");
  std::string homeError;
  if (MakeFolders(data, homeError) && OpenTrash(home, device, folders, homeError)) return true;
  struct stat st {};
  const bool homeIsElsewhere = ::stat(data.c_str(), &st) == 0 && st.st_dev != device;
  if (!homeIsElsewhere) {
    error = homeError;
    return false;
  }
  folders = TTrashFolders();
  return OpenTopDirTrash(folderPath, device, folders, error);
}

std::string PercentEncoded(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char c : path) {
    const bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        std::string_view("/-_.!~*'()").find(static_cast<char>(c)) != std::string_view::npos;
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string InfoText(const std::string& originalPath) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  return "[Trash Info]\nPath=" + PercentEncoded(originalPath) + "\nDeletionDate=" + date + "\n";
}

// name, then "stem.2.ext", "stem.3.ext", ...
std::string TrashName(const std::string& name, int attempt) {
  std::string stem = name;
  std::string ext;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) {
    stem = name.substr(0, dot);
    ext = name.substr(dot);
  }
  if (stem.size() + ext.size() > kMaxTrashStem) {
    if (ext.size() > kMaxTrashStem / 2) ext.clear();
    stem.resize(kMaxTrashStem - ext.size());
  }
  return attempt == 1 ? stem + ext : stem + "." + std::to_string(attempt) + ext;
}

bool WriteAll(int fd, const std::string& text) {
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// Removes a claimed information file unless the file it describes reached the trash.
class TInfoClaim {
 public:
  TInfoClaim(int folder, std::string name) : folder_(folder), name_(std::move(name)) {}
  ~TInfoClaim() {
    if (folder_ < 0) return;
    const int saved = errno;
    ::unlinkat(folder_, name_.c_str(), 0);
    errno = saved;
  }
  TInfoClaim(const TInfoClaim&) = delete;
  TInfoClaim& operator=(const TInfoClaim&) = delete;
  void Keep() { folder_ = -1; }

 private:
  int folder_;
  std::string name_;
};

int RenameNoReplace(int from, const std::string& name, int to, const std::string& target) {
  if (::renameat2(from, name.c_str(), to, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  // Some file systems cannot promise "no replace"; the look for a free name is the best left.
  if (errno == EINVAL || errno == ENOSYS) {
    if (::renameat(from, name.c_str(), to, target.c_str()) == 0) return 0;
  }
  return errno;
}

}  // namespace

TTrashOutcome MoveToTrashAt(int folder, const std::string& name, const std::string& path) {
  TTrashOutcome outcome;
  outcome.Path = path;
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    outcome.Error = errno == ENOENT ? "The file does not exist" : ErrorText(errno);
    return outcome;
  }
  const std::string folderPath =
      RealFolderPath(folder, ExcludeTrailingPathDelimiter(ExtractFilePath(path)));
  TTrashFolders trash;
  if (!FindTrash(folderPath, st.st_dev, trash, outcome.Error)) return outcome;
  const std::string info = InfoText(JoinPath(folderPath, name));

  for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
    const std::string trashName = TrashName(name, attempt);
    const std::string infoName = trashName + ".trashinfo";
    // O_EXCL claims the name: two programs trashing at once never share one.
    TFileDescriptor infoFile(::openat(trash.Info.Get(), infoName.c_str(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!infoFile.Valid()) {
      if (errno == EEXIST) continue;
      outcome.Error = "cannot write to the trash " + trash.Location + ": " + ErrorText(errno);
      return outcome;
    }
    TInfoClaim claim(trash.Info.Get(), infoName);
    struct stat taken {};
    if (::fstatat(trash.Files.Get(), trashName.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) continue;
    if (!WriteAll(infoFile.Get(), info) || ::fsync(infoFile.Get()) != 0) {
      outcome.Error = "cannot write to the trash " + trash.Location + ": " + ErrorText(errno);
      return outcome;
    }
    if (const int error = infoFile.Close()) {
      outcome.Error = "cannot write to the trash " + trash.Location + ": " + ErrorText(error);
      return outcome;
    }
    ::fsync(trash.Info.Get());
    const int error = RenameNoReplace(folder, name, trash.Files.Get(), trashName);
    if (error == EEXIST) continue;
    if (error != 0) {
      outcome.Error = "cannot move it to the trash " + trash.Location + ": " + ErrorText(error);
      return outcome;
    }
    claim.Keep();
    ::fsync(trash.Files.Get());
    outcome.Trashed = true;
    return outcome;
  }
  outcome.Error = "the trash " + trash.Location + " has no free name left";
  return outcome;
}

std::vector<TTrashOutcome> MoveToTrash(const std::vector<std::string>& paths) {
  std::vector<TTrashOutcome> outcomes;
  outcomes.reserve(paths.size());
  const TEntryResolver resolver;
  for (const std::string& path : paths) {
    TAnchoredEntry entry;
    std::string error;
    if (!resolver.Resolve(path, entry, error)) {
      outcomes.push_back({path, false, error});
      continue;
    }
    outcomes.push_back(MoveToTrashAt(entry.Folder.Get(), entry.Name, path));
  }
  return outcomes;
}
