#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A program line that opens a file in a plain-text editor.
struct TEditorCommand {
  QString Program;
  QStringList Arguments;
};

// Full path of an executable found on the search path, or empty.
using TExecutableLookup = std::function<QString(const QString& name)>;

// The first graphical text editor installed, in an order that prefers the
// desktops' own editors; xdg-open when none of them is there (it may pick a
// viewer, but something opens). Terminal editors from $EDITOR are of no use to
// a program started from a desktop, so they are not considered. nullopt when
// not even xdg-open exists.
std::optional<TEditorCommand> TextEditorCommand(const QString& filePath,
                                                const TExecutableLookup& find);
std::optional<TEditorCommand> TextEditorCommand(const QString& filePath);
