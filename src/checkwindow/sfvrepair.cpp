#include "checkwindow/sfvrepair.h"

#include "config/udfxml.h"
#include "fileops/pathsafety.h"
#include "fileops/shfileoperation.h"
#include "sfv/crc.h"
#include "sfv/filelookup.h"
#include "sfv/sfvformat.h"
#include "support/datetime.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/strings.h"

#include <pugixml.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <exception>

namespace {

// Listed names are found the way the verification finds them, without regard to
// letter case, so a repair acts on the file the rows showed as found.
bool FindListed(const std::string& path, TFoundFile& found) {
  TFileLookup lookup;
  return lookup.Find(path, found);
}

// The file on disk behind a listed name; folders do not count.
bool FindListedFile(const std::string& path, std::string& diskPath) {
  TFoundFile found;
  struct stat st {};
  if (!FindListed(path, found) || ::stat(found.Path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    return false;
  }
  diskPath = found.Path;
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// The time stamp and size a verification records for a found file.
void SetFoundFileDetails(pugi::xml_node file, const std::string& path) {
  TFoundFile found;
  if (!FindListed(path, found)) return;
  const long long seconds = static_cast<long long>(found.ModifiedTime);
  const std::string timestamp = DateTimeToXML(FromUnixTime(seconds - ((seconds % 2) + 2) % 2));
  pugi::xml_attribute stamp = file.attribute("timestamp");
  if (!stamp) stamp = file.append_attribute("timestamp");
  stamp.set_value(timestamp.c_str());
  pugi::xml_attribute size = file.attribute("size");
  if (!size) size = file.append_attribute("size");
  size.set_value(std::to_string(found.Size).c_str());
}

pugi::xml_node Root(pugi::xml_document& document) {
  return document.child("fileDetails");
}

void WarnOutside(const std::vector<std::string>& paths, const std::string& folder) {
  if (paths.empty()) return;
  std::string text = "These files lie outside " + folder + " and were left untouched:";
  for (const std::string& path : paths) text += "\r" + path;
  ShowWarning(text);
}

// The warnings of the file operations and of WriteSFV are shown here, where the user acts.
void ShowReport(const std::string& text) {
  ShowWarning(text);
}

void AddOnce(std::vector<std::string>& list, const std::string& path) {
  if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
}

void ShowWriteError(const std::exception& error) {
  TMessageBoxParams p;
  p.Caption = "Error";
  p.Text = error.what();
  p.IconKind = TMessageIcon::Error;
  p.BeepKind = TMessageBeep::Error;
  p.Stacked = true;
  p.EscapeResult = 0;
  p.DefaultButton = 0;
  p.Buttons = {"OK"};
  ShowMessageBox(p);
}

}  // namespace

void TSFVRepair::actRemoveExecute() {
  if (host_.ActionRowCount() == 0) return;
  host_.EnsureSelection();
  const bool single = host_.ActionRowCount() == 1;
  const std::string question = single ? "Remove the highlighted entry from the sfv?"
                                      : "Remove the highlighted entries from the sfv?";
  bool anyFileExists = false;
  for (int row : host_.SelectedRows()) {
    std::string diskPath;
    if (FindListedFile(host_.RowPath(row) + host_.RowFilename(row), diskPath)) {
      anyFileExists = true;
      break;
    }
  }
  if (!anyFileExists) {
    if (AskQuestion(question, 0, 1, 1) == mrYes) ApplyToSFV(TApplyMode::amRemove);
    return;
  }
  TMessageBoxParams p;
  p.Caption = "Question";
  p.Text = question;
  p.IconKind = TMessageIcon::Question;
  p.BeepKind = TMessageBeep::Question;
  p.Stacked = false;
  p.MinButtonWidth = 100;
  p.DefaultButton = 2;
  p.EscapeResult = 2;
  p.Buttons = {"Yes", single ? "Yes and Delete File" : "Yes and Delete Files", "No"};
  switch (ShowMessageBox(p)) {
    case 0:
      ApplyToSFV(TApplyMode::amRemove);
      break;
    case 1:
      ApplyToSFV(TApplyMode::amRemoveAndDelete);
      break;
    default:
      break;
  }
}

void TSFVRepair::actRefreshCRCExecute() {
  if (host_.ActionRowCount() == 0) return;
  const std::string question =
      host_.ActionRowCount() == 1
          ? "Recalculate the CRC for the highlighted file and update the sfv?"
          : "Recalculate the CRC for the highlighted files and update the sfv?";
  if (AskQuestion(question, 0, 1, 1) == mrYes) ApplyToSFV(TApplyMode::amRefresh);
}

void TSFVRepair::actTidySFVExecute() {
  ApplyToSFV(TApplyMode::amTidy);
}

void TSFVRepair::actRenameExecute() {
  if (host_.ActionRowCount() == 0) return;
  host_.EnsureSelection();
  pugi::xml_document document;
  LoadXMLText(document, host_.FileDetailsXML());
  const std::string sfvFolder = ExtractFilePath(host_.SFVPath());

  // Rows are renamed in their own folder (which is the SFV's, or one below it),
  // and only the entry that the row shows is changed.
  std::vector<int> rows;
  std::vector<std::string> outside;
  for (int row : host_.SelectedRows()) {
    const std::string full = host_.RowPath(row) + host_.RowFilename(row);
    if (IsInsideFolderTree(full, sfvFolder)) {
      rows.push_back(row);
    } else {
      AddOnce(outside, full);
    }
  }
  WarnOutside(outside, sfvFolder);

  bool changed = false;
  for (int row : rows) {
    const std::string oldName = host_.RowFilename(row);
    const std::string folder = host_.RowPath(row);
    std::string newName = oldName;
    bool accepted = false;
    while (InputBox("Rename file", "Filename", newName) && newName != oldName) {
      std::string oldOnDisk;
      TFoundFile clash;
      if (!IsValidFileName(newName)) {
        ShowWarning("Invalid Filename " + newName + ".");
      } else if (!FindListedFile(folder + oldName, oldOnDisk)) {
        ShowWarning("File " + folder + oldName + " does not exist.");
      } else if (FindListed(folder + newName, clash) && !SameFile(oldOnDisk, clash.Path)) {
        ShowWarning("File " + folder + newName + " already exists.");
      } else {
        accepted = true;
        break;
      }
    }
    if (!accepted) continue;

    pugi::xml_node entry;
    for (pugi::xml_node file : Root(document).children("file")) {
      if (SameTextASCII(file.attribute("name").value(), folder + oldName)) {
        entry = file;
        break;
      }
    }
    if (!entry) continue;
    const std::string entryFolder = ExtractFilePath(entry.attribute("name").value());
    std::string oldOnDisk;
    if (FindListedFile(entryFolder + oldName, oldOnDisk)) {
      TSHFileOperation rename;
      rename.SetOperation(foRename);
      rename.SetFlags({fofNoConfirmation, fofSilent});
      rename.SetConfineTo(sfvFolder);
      rename.SetOnReport(ShowReport);
      rename.FilesFrom().push_back(oldOnDisk);
      rename.FilesTo().push_back(entryFolder + newName);
      // The operation has told the user why; an entry must never name a file that
      // is not there, so it keeps its old name.
      if (!rename.Execute()) continue;
    }
    entry.attribute("name").set_value((entryFolder + newName).c_str());
    if (!entry.attribute("size")) SetFoundFileDetails(entry, entryFolder + newName);
    changed = true;
  }
  if (!changed) return;
  host_.SetFileDetailsXML(XMLText(document));
  ApplyToSFV(TApplyMode::amAfterRename);
}

void TSFVRepair::ApplyToSFV(TApplyMode mode) {
  if (host_.RowCount() == 0) return;
  pugi::xml_document document;
  LoadXMLText(document, host_.FileDetailsXML());
  const std::string sfvPath = host_.SFVPath();
  const std::string sfvFolder = ExtractFilePath(sfvPath);

  bool changed = mode == TApplyMode::amAfterRename || mode == TApplyMode::amTidy;
  std::vector<std::string> toDelete;
  std::vector<std::string> outside;
  if (!changed) {
    host_.EnsureSelection();
    for (int row : host_.SelectedRows()) {
      const std::string full = host_.RowPath(row) + host_.RowFilename(row);
      std::vector<pugi::xml_node> matches;
      for (pugi::xml_node file : Root(document).children("file")) {
        if (SameTextASCII(file.attribute("name").value(), full)) matches.push_back(file);
      }
      for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        pugi::xml_node file = *it;
        if (mode == TApplyMode::amRefresh) {
          std::uint32_t crc = 0;
          std::string diskPath;
          if (!FindListedFile(file.attribute("name").value(), diskPath) ||
              !GetFileCRC32(diskPath, crc)) {
            ShowWarning("Unable to generate a CRC for " + full);
            return;
          }
          pugi::xml_attribute listed = file.attribute("CRC");
          if (!listed) listed = file.append_attribute("CRC");
          listed.set_value(CRCToText(crc).c_str());
        } else {
          Root(document).remove_child(file);
          std::string diskPath;
          if (mode == TApplyMode::amRemoveAndDelete && FindListedFile(full, diskPath)) {
            AddOnce(IsInsideFolderTree(diskPath, sfvFolder) ? toDelete : outside, diskPath);
          }
        }
        changed = true;
      }
    }
  }

  if (!toDelete.empty()) {
    TSHFileOperation trash;
    trash.SetOperation(foDelete);
    trash.SetFlags({fofAllowUndo, fofNoConfirmation});
    trash.SetConfineTo(sfvFolder);
    trash.SetOnReport(ShowReport);
    trash.SetFilesFrom(toDelete);
    trash.Execute();
  }
  WarnOutside(outside, sfvFolder);
  if (!changed) return;

  std::string text = XMLText(document);
  host_.SetFileDetailsXML(text);
  try {
    WriteSFV(text, sfvPath, ShowReport);
  } catch (const std::exception& error) {
    ShowWriteError(error);
    return;
  }

  if (host_.OpenedByManager()) {
    host_.SaveWindowPlacement();
    host_.HandBackToManager(sfvPath);
    return;
  }
  host_.RemoveAllRows();
  SortFileDetails(Root(document), "name");
  text = XMLText(document);
  host_.SetFileDetailsXML(text);
  host_.VerifyAsView(text);
}
