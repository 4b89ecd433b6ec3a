#include "fileops/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

QString FromBytes(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

bool IsNumber(const QString& text) {
  bool ok = false;
  text.toUInt(&ok);
  return ok;
}

// The freedesktop trash keeps files in $XDG_DATA_HOME/Trash/files, or on other
// file systems in $topdir/.Trash-$uid/files or $topdir/.Trash/$uid/files.
bool IsInTrashFolder(const QString& trashedPath) {
  const QFileInfo trashed(trashedPath);
  if (trashedPath.isEmpty() || !trashed.isAbsolute()) return false;
  const QFileInfo files(trashed.absolutePath());
  if (files.fileName() != QLatin1String("files")) return false;
  const QFileInfo trash(files.absolutePath());
  const QString trashName = trash.fileName();
  if (trashName == QLatin1String("Trash") || trashName.startsWith(QLatin1String(".Trash-"))) {
    return true;
  }
  return IsNumber(trashName) &&
         QFileInfo(trash.absolutePath()).fileName() == QLatin1String(".Trash");
}

// Qt 6.4 reports success yet drops the file into the current folder when the
// user's data folder is missing; with the folder in place it uses the trash.
void EnsureDataFolder() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!data.isEmpty()) QDir().mkpath(data);
}

// What a misplaced trash left behind around the returned file: its info file and
// the two folders, when nothing else is in them.
void RemoveStrayTrashFolders(const QString& landed) {
  const QFileInfo file(landed);
  const QDir files = file.absoluteDir();
  QDir info(files.absoluteFilePath(QStringLiteral("../info")));
  QFile::remove(info.absoluteFilePath(file.fileName() + QStringLiteral(".trashinfo")));
  QDir().rmdir(info.absolutePath());
  QDir().rmdir(files.absolutePath());
}

TTrashOutcome MoveOneToTrash(const std::string& path) {
  TTrashOutcome outcome;
  outcome.Path = path;
  // A folder given as "dir/" is trashed as "dir".
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const QString name = QFileInfo(FromBytes(trimmed)).absoluteFilePath();
  const QFileInfo before(name);
  if (!before.exists() && !before.isSymLink()) {
    outcome.Error = "The file does not exist";
    return outcome;
  }

  QFile file(name);
  if (!file.moveToTrash()) {
    outcome.Error = file.errorString().toStdString();
    if (outcome.Error.empty()) outcome.Error = "The trash refused the file";
    return outcome;
  }
  const QString landed = file.fileName();
  if (IsInTrashFolder(landed)) {
    outcome.Trashed = true;
    return outcome;
  }
  // Reported as trashed but put somewhere else: the user would never find it
  // there, so it goes back where it was and counts as a failure.
  if (landed != name && std::rename(ToBytes(landed).c_str(), ToBytes(name).c_str()) != 0) {
    outcome.Error = "The file was moved to " + ToBytes(landed) + " instead of the trash";
    return outcome;
  }
  RemoveStrayTrashFolders(landed);
  outcome.Error = "The file could not be moved to the trash";
  return outcome;
}

}  // namespace

std::vector<TTrashOutcome> MoveToTrash(const std::vector<std::string>& paths) {
  EnsureDataFolder();
  std::vector<TTrashOutcome> outcomes;
  outcomes.reserve(paths.size());
  for (const std::string& path : paths) outcomes.push_back(MoveOneToTrash(path));
  return outcomes;
}
