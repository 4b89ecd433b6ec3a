#include "support/system.h"

#include "support/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <climits>
#include <stdexcept>

#include <unistd.h>

std::string GetTempFolder() {
  const QString temp = QDir::tempPath();
  if (!temp.isEmpty() && QDir().mkpath(temp)) {
    const std::string folder = IncludeTrailingPathDelimiter(QFile::encodeName(temp).toStdString());
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
  return ExtractFilePath(ApplicationFilePath()) + "Checkwell Help.htm";
}
