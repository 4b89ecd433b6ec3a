#pragma once

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QWidget;

// Which face the program shows: the manager, or the check window for one SFV.
struct TEntryChoice {
  bool OpenManager = true;
  std::string SFVPath;
};

// Only the first argument counts (the desktop passes the SFV there); an absent
// or empty one opens the manager. arguments excludes the program's own name.
TEntryChoice ChooseEntry(const std::vector<std::string>& arguments);

using TDocumentFactory = std::function<std::unique_ptr<pugi::xml_document>()>;
using TURLOpener = std::function<void(const std::string& url)>;

// The start-up check that XML documents can be created at all. On failure the
// user is told (and may go to the product's links page); returns false and the
// program must end without opening a window.
bool CheckXMLParser(const TDocumentFactory& createDocument, const TURLOpener& openURL);

// The window the choice asks for, ready to show: the manager stand-in, or a
// stand-alone check window with its configuration loaded from configPath and its
// launch file set. nullptr when the check window could not load its
// configuration (already reported); the program then ends.
std::unique_ptr<QWidget> CreateMainWindow(const TEntryChoice& choice,
                                          const std::string& configPath);

// The whole program after QApplication exists, with the configuration file next
// to the program (or in the user's configuration folder); returns the exit code.
int RunCheckwell(QApplication& application, const std::vector<std::string>& arguments);
// The same with the configuration file at configPath.
int RunCheckwell(QApplication& application, const std::vector<std::string>& arguments,
                 const std::string& configPath);
