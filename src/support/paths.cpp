#include "support/paths.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace {

// Where the extension starts, or npos when the file name has no dot.
std::size_t ExtensionStart(std::string_view path) {
  const std::size_t dot = path.find_last_of("./");
  return dot != std::string_view::npos && path[dot] == '.' ? dot : std::string_view::npos;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExtractFilePath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const std::size_t dot = ExtensionStart(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
  const std::size_t dot = ExtensionStart(path);
  std::string result(dot == std::string_view::npos ? path : path.substr(0, dot));
  result += extension;
  return result;
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

std::string AbsoluteFilePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}
