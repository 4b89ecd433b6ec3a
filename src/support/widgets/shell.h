#pragma once

#include <string>

// Hands a document or web page to the desktop, which opens it with the
// program associated with it. Targets with a scheme ("https://...",
// "mailto:...") are URLs; anything else is a local path in file-system bytes.
// Nothing is reported back: a desktop without a handler simply does nothing.

// Qt offers no verbs: every verb, "open" or empty included, opens the target.
void ShellOpen(const std::string& verb, const std::string& target);
void ShellOpenDefault(const std::string& target);

// The program's help file. Help topics are not addressable in a plain HTML
// file opened by the desktop, so every context opens the file at its start.
void ShowHelp(int helpContext = 0);
