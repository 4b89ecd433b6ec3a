#include "support/widgets/shell.h"

#include "support/system.h"

#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace {

// A scheme of two or more letters: "c:" would be a drive, not a scheme.
bool HasScheme(const QString& target) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  return scheme.match(target).hasMatch();
}

QUrl TargetUrl(const std::string& target) {
  const QString text = QFile::decodeName(QByteArray::fromStdString(target));
  return HasScheme(text) ? QUrl(text, QUrl::TolerantMode) : QUrl::fromLocalFile(text);
}

}  // namespace

void ShellOpen(const std::string& /*verb*/, const std::string& target) {
  if (target.empty()) return;
  QDesktopServices::openUrl(TargetUrl(target));
}

void ShellOpenDefault(const std::string& target) {
  ShellOpen("open", target);
}

void ShowHelp(int /*helpContext*/) {
  ShellOpenDefault(HelpFilePath());
}
