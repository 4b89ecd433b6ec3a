#include "fileops/pathsafety.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <vector>

namespace {

// The kernel's own limit on links followed while resolving one path.
constexpr int kMaxLinks = 40;

void Split(const std::string& path, std::deque<std::string>& parts, bool atFront) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    if (slash > start) pieces.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  if (atFront) {
    parts.insert(parts.begin(), pieces.begin(), pieces.end());
  } else {
    parts.insert(parts.end(), pieces.begin(), pieces.end());
  }
}

std::string Join(const std::vector<std::string>& parts) {
  if (parts.empty()) return "/";
  std::string path;
  for (const std::string& part : parts) path += "/" + part;
  return path;
}

[[noreturn]] void Fail(const std::string& path, int error) {
  throw std::runtime_error("Cannot resolve " + path + ": " + std::strerror(error));
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) Fail(".", errno);
  return buffer;
}

std::string ReadLink(const std::string& link) {
  std::vector<char> buffer(PATH_MAX);
  const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
  if (length < 0) Fail(link, errno);
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

std::string ResolvePath(const std::string& path) {
  if (path.empty()) throw std::runtime_error("Cannot resolve an empty path");

  std::deque<std::string> pending;
  Split(path, pending, false);
  std::vector<std::string> resolved;
  // The first `existing` parts of resolved are real folders (no links): only a
  // part right below them is looked at on disk. Parts below a missing one are
  // taken as folders still to be made, so a later ".." may climb back.
  std::size_t existing = 0;
  if (path.front() != '/') {
    Split(CurrentFolder(), pending, true);
  }

  int links = 0;
  while (!pending.empty()) {
    std::string part = std::move(pending.front());
    pending.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      if (!resolved.empty()) resolved.pop_back();
      existing = std::min(existing, resolved.size());
      continue;
    }
    resolved.push_back(part);
    if (existing + 1 != resolved.size()) continue;

    const std::string current = Join(resolved);
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) continue;
      Fail(path, errno);
    }
    if (S_ISLNK(st.st_mode)) {
      if (++links > kMaxLinks) Fail(path, ELOOP);
      const std::string target = ReadLink(current);
      resolved.pop_back();
      if (!target.empty() && target.front() == '/') {
        resolved.clear();
        existing = 0;
      }
      Split(target, pending, true);
      continue;
    }
    ++existing;
  }
  return Join(resolved);
}

bool IsInsideFolderTree(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty()) return false;
  std::string resolvedPath, resolvedFolder;
  try {
    resolvedPath = ResolvePath(path);
    resolvedFolder = ResolvePath(folder);
  } catch (const std::runtime_error&) {
    return false;
  }
  if (resolvedFolder == "/") return resolvedPath != "/";
  return resolvedPath.size() > resolvedFolder.size() + 1 &&
         resolvedPath.compare(0, resolvedFolder.size(), resolvedFolder) == 0 &&
         resolvedPath[resolvedFolder.size()] == '/';
}
