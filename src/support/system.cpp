#include "support/system.h"

#include "support/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

std::string GetTempFolder() {
  // TMPDIR is read here rather than through QDir::tempPath, which resolves the
  // folder and so reports nothing at all for one that does not exist yet.
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder = fromEnvironment != nullptr && *fromEnvironment != '\0'
                           ? std::string(fromEnvironment)
                           : QFile::encodeName(QDir::tempPath()).toStdString();
  if (!folder.empty()) {
    folder = IncludeTrailingPathDelimiter(folder);
    QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(folder)));
    if (DirectoryExists(folder)) return folder;
  }
  throw std::runtime_error("Can't use windows temporary dir");
}

std::string ApplicationFilePath() {
  if (QCoreApplication::instance() != nullptr) {
    const QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty()) return QFile::encodeName(path).toStdString();
  }
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  return n > 0 && static_cast<std::size_t>(n) < sizeof buffer
             ? std::string(buffer, static_cast<std::size_t>(n))
             : std::string();
}

std::string HelpFilePath() {
  // Beside the program in a build or portable copy; under share/doc once installed.
  const std::string folder = ExtractFilePath(ApplicationFilePath());
  const std::string beside = folder + "Checkwell Help.htm";
  const std::string installed = folder + "../share/doc/checkwell/Checkwell Help.htm";
  return !FileExists(beside) && FileExists(installed) ? installed : beside;
}

void ReturnFreeMemory() {
#ifdef __GLIBC__
  ::malloc_trim(0);
#endif
}
