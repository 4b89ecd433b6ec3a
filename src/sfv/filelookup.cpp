#include "sfv/filelookup.h"

#include "support/strings.h"

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// A dangling link is still an entry of its folder, so it is found (and then fails
// to give a CRC) rather than reported missing.
bool StatEntry(const std::string& path, struct stat& info) {
  return ::stat(path.c_str(), &info) == 0 || ::lstat(path.c_str(), &info) == 0;
}

// The path with trailing blanks and dots removed from its last part; Windows drops
// them when it creates a file, so the file a list names "a.bin." is "a.bin".
// Empty when nothing would be removed or nothing would be left.
std::string TrimmedLikeWindows(const std::string& path) {
  const std::size_t partStart = path.rfind('/') + 1;  // 0 when there is no slash
  const std::size_t kept = path.find_last_not_of(" .");
  if (kept == std::string::npos || kept < partStart || kept + 1 == path.size()) return {};
  return path.substr(0, kept + 1);
}

}  // namespace

bool TFileLookup::Find(const std::string& path, TFoundFile& found) {
  struct stat info {};
  std::string resolved;
  if (!Resolve(path, info, resolved)) {
    const std::string trimmed = TrimmedLikeWindows(path);
    if (trimmed.empty() || !Resolve(trimmed, info, resolved)) return false;
  }
  found.Path = std::move(resolved);
  found.Size = static_cast<std::int64_t>(info.st_size);
  found.ModifiedTime = info.st_mtim.tv_sec;
  found.Regular = S_ISREG(info.st_mode);
  return true;
}

bool TFileLookup::Resolve(const std::string& path, struct stat& info, std::string& resolved) {
  if (StatEntry(path, info)) {
    resolved = path;
    return true;
  }
  return ResolveCaseless(path, resolved) && StatEntry(resolved, info);
}

const TFileLookup::TFolderIndex& TFileLookup::IndexOf(const std::string& folder) {
  const auto known = folders_.find(folder);
  if (known != folders_.end()) return known->second;
  TFolderIndex& index = folders_[folder];
  if (DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      index[LowerCaseASCII(name)].push_back(name);
    }
    ::closedir(dir);
  }
  // Several names may differ only in case; the choice must not depend on the
  // order the file system happens to list them in.
  for (auto& [key, names] : index) std::sort(names.begin(), names.end());
  return index;
}

bool TFileLookup::ResolveCaseless(const std::string& path, std::string& resolved) {
  const bool absolute = !path.empty() && path[0] == '/';
  resolved.assign(absolute ? 1 : 0, '/');
  std::size_t start = absolute ? 1 : 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    const bool last = end == path.size();
    if (part.empty() || part == "." || part == "..") {
      resolved += part;
    } else {
      const TFolderIndex& index = IndexOf(resolved);
      const auto match = index.find(LowerCaseASCII(part));
      if (match == index.end()) return false;
      const auto& names = match->second;
      // An exact name in the listing wins over its case variants.
      resolved += std::find(names.begin(), names.end(), part) != names.end() ? part : names.front();
    }
    if (last) break;
    resolved += '/';
    start = end + 1;
  }
  return true;
}
