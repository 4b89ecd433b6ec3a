#include "checkwindow/widgets/texteditor.h"

#include <QStandardPaths>

std::optional<TEditorCommand> TextEditorCommand(const QString& filePath,
                                                const TExecutableLookup& find) {
  static const char* const kEditors[] = {
      "gnome-text-editor", "gedit",   "kate",     "kwrite", "mousepad", "xed", "pluma",
      "featherpad",        "leafpad", "xdg-open",
  };
  for (const char* name : kEditors) {
    const QString program = find(QString::fromLatin1(name));
    if (!program.isEmpty()) return TEditorCommand{program, {filePath}};
  }
  return std::nullopt;
}

std::optional<TEditorCommand> TextEditorCommand(const QString& filePath) {
  return TextEditorCommand(
      filePath, [](const QString& name) { return QStandardPaths::findExecutable(name); });
}
