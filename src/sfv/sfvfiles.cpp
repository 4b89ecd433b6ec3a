#include "sfv/sfvfiles.h"

#include "support/filedescriptor.h"
#include "support/strings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(int error) {
  return std::strerror(error);
}

bool HasSFVExtension(const std::string& name) {
  return name.size() > 4 && SameTextASCII(std::string_view(name).substr(name.size() - 4), ".sfv");
}

class TDirectory {
 public:
  explicit TDirectory(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~TDirectory() {
    if (dir_) ::closedir(dir_);
  }
  TDirectory(const TDirectory&) = delete;
  TDirectory& operator=(const TDirectory&) = delete;
  DIR* Get() const { return dir_; }

 private:
  DIR* dir_;
};

void SearchFolder(const std::string& folder, std::vector<std::string>& found,
                  std::vector<std::string>& problems) {
  std::vector<std::string> subFolders;
  {
    const TDirectory dir(folder);
    if (!dir.Get()) {
      problems.push_back(folder + ": cannot be read: " + Reason(errno));
      return;
    }
    while (const dirent* entry = ::readdir(dir.Get())) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = folder + name;
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) continue;
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
      }
      if (type == DT_DIR) {
        subFolders.push_back(path + "/");
      } else if (HasSFVExtension(name)) {
        found.push_back(path);
      }
    }
  }
  // Depth first, one open folder at a time, so deep trees do not run out of handles.
  for (const std::string& sub : subFolders) SearchFolder(sub, found, problems);
}

bool LooksBinary(const std::string& text) {
  // Control characters other than the white space of text files mean this is no
  // list of names. A NUL is left to the parse, which names it as the reason.
  const std::string_view sample = std::string_view(text).substr(0, 64 * 1024);
  const std::size_t nul = sample.find('\0');
  return std::any_of(sample.begin(), sample.begin() + std::min(nul, sample.size()), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v';
  });
}

}  // namespace

std::vector<TSFVFile> CollectSFVFiles(const std::vector<std::string>& arguments,
                                      std::vector<std::string>& problems) {
  std::vector<TSFVFile> files;
  for (const std::string& argument : arguments) {
    struct stat info {};
    if (::stat(argument.c_str(), &info) != 0) {
      problems.push_back(argument + ": cannot be read: " + Reason(errno));
      continue;
    }
    if (!S_ISDIR(info.st_mode)) {
      files.push_back({argument, true});
      continue;
    }
    std::vector<std::string> found;
    SearchFolder(argument.back() == '/' ? argument : argument + "/", found, problems);
    std::sort(found.begin(), found.end());
    for (std::string& path : found) files.push_back({std::move(path), false});
  }
  // The same SFV reached twice (named and inside a named folder) is verified once.
  std::unordered_set<std::string> seen;
  std::vector<TSFVFile> unique;
  for (TSFVFile& file : files) {
    if (seen.insert(file.Path).second) unique.push_back(std::move(file));
  }
  return unique;
}

bool LoadSFVText(const std::string& path, std::string& text, std::string& problem) {
  text.clear();
  // Non-blocking: a FIFO named like an SFV must not hang the run.
  const TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  const int fd = file.Get();
  if (fd < 0) {
    problem = "cannot be read: " + Reason(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    problem = "cannot be read: " + Reason(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    problem = "is not a regular file";
    return false;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kMaxSFVSize) {
    problem = "is too large for an SFV list (" + std::to_string(info.st_size >> 20) +
              " MiB; the limit is " + std::to_string(kMaxSFVSize >> 20) + " MiB)";
    return false;
  }
  text.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      problem = "cannot be read: " + Reason(errno);
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  if (LooksBinary(text)) {
    problem = "is not a text file, so it cannot be an SFV list";
    return false;
  }
  return true;
}
