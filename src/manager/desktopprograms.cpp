#include "manager/desktopprograms.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

std::string FindProgram(const char* name) {
  return QStandardPaths::findExecutable(QString::fromLatin1(name)).toStdString();
}

// The .desktop file of the default text/plain application, or empty.
std::string DefaultTextApplication() {
  if (FindProgram("xdg-mime").empty()) return {};
  QProcess query;
  query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
  if (!query.waitForFinished(3000) || query.exitCode() != 0) return {};
  const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
  if (id.isEmpty()) return {};
  return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id).toStdString();
}

}  // namespace

TDesktopCommand TextEditorCommand() {
  if (const std::string gio = FindProgram("gio"); !gio.empty()) {
    if (const std::string desktop = DefaultTextApplication(); !desktop.empty())
      return {gio, {"launch", desktop}};
  }
  for (const char* editor : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed",
                             "pluma", "featherpad", "leafpad"}) {
    if (const std::string program = FindProgram(editor); !program.empty()) return {program, {}};
  }
  return {"xdg-open", {}};
}

TDesktopCommand FileManagerCommand() {
  if (const std::string open = FindProgram("xdg-open"); !open.empty()) return {open, {}};
  if (const std::string gio = FindProgram("gio"); !gio.empty()) return {gio, {"open"}};
  return {"xdg-open", {}};
}
