#include "checkwindow/sfvrepair.h"

#include "config/udfxml.h"
#include "fileops/pathsafety.h"
#include "fileops/shfileoperation.h"
#include "sfv/crc.h"
#include "sfv/crcsource.h"
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
#include <unordered_map>
#include <unordered_set>

namespace {

// A name the list cannot hold would come back as a comment, as no entry, or as
// the folder itself the next time it is read.
bool FitsSFVLine(std::string_view name) {
  const std::size_t first = name.find_first_not_of(" \t");
  return first != std::string_view::npos && name[first] != ';' &&
         name.find_first_of("\r\n") == std::string_view::npos;
}

// Listed names are found the way the verification finds them, without regard to
// letter case, so a repair acts on the file the rows showed as found: the file on
// disk behind a listed name, folders not counting. A lookup keeps the folder
// listings it has read, so one serves a whole action that renames nothing.
bool FindListedFile(TFileLookup& lookup, const std::string& path, std::string& diskPath) {
  TFoundFile found;
  struct stat st {};
  if (!lookup.Find(path, found) || ::stat(found.Path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    return false;
  }
  diskPath = found.Path;
  return true;
}

// For the rename, whose every step may have changed the folder since the last look.
bool FindListed(const std::string& path, TFoundFile& found) {
  TFileLookup lookup;
  return lookup.Find(path, found);
}

bool FindListedFile(const std::string& path, std::string& diskPath) {
  TFileLookup lookup;
  return FindListedFile(lookup, path, diskPath);
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
  SetAttribute(
      file, "timestamp",
      DateTimeToXML(FromUnixTime(EvenSeconds(static_cast<long long>(found.ModifiedTime)))));
  SetAttribute(file, "size", std::to_string(found.Size));
}

// The CRC of a listed file, computed off this thread; poll keeps the caller alive.
TCRCStatus ListedFileCRC(TCRCSource& source, const std::string& name, std::uint32_t& crc,
                         const TCRCWaitPoll& poll) {
  TFoundFile found;
  switch (source.Find(name, found, poll)) {
    case TLookupStatus::Aborted:
      return TCRCStatus::Aborted;
    case TLookupStatus::NotFound:
      return TCRCStatus::Failed;
    case TLookupStatus::Found:
      break;
  }
  TCRCRequest request;
  request.Path = found.Path;
  if (found.Regular) request.KnownSize = found.Size;
  return source.Compute(request, crc, poll);
}

// The `file` elements by name without regard to letter case, each name's elements
// in document order: an action on thousands of rows looks each row up here
// instead of walking the whole document once per row.
class TEntryIndex {
 public:
  explicit TEntryIndex(pugi::xml_node root) {
    std::size_t position = 0;
    for (pugi::xml_node file : root.children("file")) {
      byName_[Key(file)].push_back({position++, file});
    }
  }

  // The elements listed under name, taken out of the index: a name whose rows are
  // highlighted twice is acted on once, as a walk after the first would find none.
  std::vector<pugi::xml_node> Take(const std::string& name) {
    std::vector<pugi::xml_node> files;
    const auto found = byName_.find(LowerCaseASCII(name));
    if (found == byName_.end()) return files;
    for (const TEntry& entry : found->second) files.push_back(entry.file);
    byName_.erase(found);
    return files;
  }

  pugi::xml_node First(const std::string& name) const {
    const auto found = byName_.find(LowerCaseASCII(name));
    return found == byName_.end() || found->second.empty() ? pugi::xml_node()
                                                           : found->second.front().file;
  }

  // Gives the element its new name and files it under that name in document order.
  void Rename(pugi::xml_node file, const std::string& newName) {
    std::vector<TEntry>& old = byName_[Key(file)];
    const auto at = std::find_if(old.begin(), old.end(),
                                 [&](const TEntry& entry) { return entry.file == file; });
    if (at == old.end()) return;
    const TEntry moved = *at;
    old.erase(at);
    file.attribute("name").set_value(newName.c_str());
    std::vector<TEntry>& now = byName_[Key(file)];
    now.insert(
        std::lower_bound(now.begin(), now.end(), moved,
                         [](const TEntry& a, const TEntry& b) { return a.position < b.position; }),
        moved);
  }

 private:
  struct TEntry {
    std::size_t position;
    pugi::xml_node file;
  };
  static std::string Key(pugi::xml_node file) {
    return LowerCaseASCII(file.attribute("name").value());
  }
  std::unordered_map<std::string, std::vector<TEntry>> byName_;
};

// Paths in the order they were first added, each once.
class TPathList {
 public:
  void Add(const std::string& path) {
    if (seen_.insert(path).second) paths_.push_back(path);
  }
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
  std::unordered_set<std::string> seen_;
};

pugi::xml_node Root(pugi::xml_document& document) {
  return document.child("fileDetails");
}

void WarnOutside(const TPathList& paths, const std::string& folder) {
  if (paths.Paths().empty()) return;
  std::string text = "These files lie outside " + folder + " and were left untouched:";
  for (const std::string& path : paths.Paths()) text += "\r" + path;
  ShowWarning(text);
}

// The warnings of the file operations and of WriteSFV are shown here, where the user acts.
void ShowReport(const std::string& text) {
  ShowWarning(text);
}

// Sends files to the trash; whatever it refuses is named in one warning.
void Trash(const std::vector<std::string>& files, const std::string& sfvFolder) {
  if (files.empty()) return;
  TSHFileOperation trash;
  trash.SetOperation(foDelete);
  trash.SetFlags({fofAllowUndo, fofNoConfirmation});
  trash.SetConfineTo(sfvFolder);
  trash.SetOnReport(ShowReport);
  trash.SetFilesFrom(files);
  trash.Execute();
}

// A link that leads out of the SFV's folder would have the rewrite land on a
// file the set does not own.
bool LinksOutOfItsFolder(const std::string& sfvPath) {
  struct stat st {};
  return ::lstat(sfvPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
         !IsInsideFolderTree(sfvPath, ExtractFilePath(sfvPath));
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
  TFileLookup lookup;
  for (int row : host_.SelectedRows()) {
    std::string diskPath;
    if (FindListedFile(lookup, host_.RowPath(row) + host_.RowFilename(row), diskPath)) {
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
  if (!MayRewriteSFV()) return;
  pugi::xml_document document;
  LoadXMLText(document, host_.FileDetailsXML());
  const std::string sfvFolder = ExtractFilePath(host_.SFVPath());

  // Rows are renamed in their own folder (which is the SFV's, or one below it),
  // and only the entry that the row shows is changed.
  std::vector<int> rows;
  TPathList outside;
  for (int row : host_.SelectedRows()) {
    const std::string full = host_.RowPath(row) + host_.RowFilename(row);
    if (IsInsideFolderTree(full, sfvFolder)) {
      rows.push_back(row);
    } else {
      outside.Add(full);
    }
  }
  WarnOutside(outside, sfvFolder);

  TEntryIndex index(Root(document));
  bool changed = false;
  for (int row : rows) {
    const std::string oldName = host_.RowFilename(row);
    const std::string folder = host_.RowPath(row);
    std::string newName = oldName;
    bool accepted = false;
    while (InputBox("Rename file", "Filename", newName) && newName != oldName) {
      std::string oldOnDisk;
      TFoundFile clash;
      if (!IsValidFileName(newName) || !FitsSFVLine(newName)) {
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

    const pugi::xml_node entry = index.First(folder + oldName);
    if (!entry) continue;
    const std::string entryFolder = ExtractFilePath(entry.attribute("name").value());
    // The input box let other programs run; a file renamed for an SFV that cannot
    // be rewritten any more would be listed nowhere.
    if (!MayRewriteSFV()) return;
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
    index.Rename(entry, entryFolder + newName);
    if (!entry.attribute("size")) SetFoundFileDetails(entry, entryFolder + newName);
    changed = true;
  }
  if (!changed) return;
  host_.SetFileDetailsXML(XMLText(document));
  ApplyToSFV(TApplyMode::amAfterRename);
}

void TSFVRepair::ApplyToSFV(TApplyMode mode) {
  if (host_.RowCount() == 0 || !MayRewriteSFV()) return;
  pugi::xml_document document;
  LoadXMLText(document, host_.FileDetailsXML());
  bool changed = true;
  std::vector<std::string> toTrash;
  switch (mode) {
    case TApplyMode::amRemove:
    case TApplyMode::amRemoveAndDelete:
      changed = RemoveEntries(document, mode == TApplyMode::amRemoveAndDelete, toTrash);
      break;
    case TApplyMode::amRefresh:
      changed = RefreshCRCs(document);
      break;
    case TApplyMode::amAfterRename:
    case TApplyMode::amTidy:
      break;
  }
  if (changed) RewriteAndHandBack(document, toTrash);
}

std::vector<std::string> TSFVRepair::HighlightedFiles() {
  host_.EnsureSelection();
  std::vector<std::string> files;
  for (int row : host_.SelectedRows()) files.push_back(host_.RowPath(row) + host_.RowFilename(row));
  return files;
}

bool TSFVRepair::RemoveEntries(pugi::xml_document& document, bool deleteFiles,
                               std::vector<std::string>& toTrash) {
  const std::string sfvFolder = ExtractFilePath(host_.SFVPath());
  pugi::xml_node root = Root(document);
  TEntryIndex index(root);
  TFileLookup lookup;
  TPathList toDelete;
  TPathList outside;
  bool changed = false;
  for (const std::string& full : HighlightedFiles()) {
    const std::vector<pugi::xml_node> files = index.Take(full);
    if (files.empty()) continue;
    for (auto file = files.rbegin(); file != files.rend(); ++file) root.remove_child(*file);
    changed = true;
    std::string diskPath;
    if (deleteFiles && FindListedFile(lookup, full, diskPath)) {
      (IsInsideFolderTree(diskPath, sfvFolder) ? toDelete : outside).Add(diskPath);
    }
  }
  toTrash = toDelete.Paths();
  WarnOutside(outside, sfvFolder);
  return changed;
}

bool TSFVRepair::RefreshCRCs(pugi::xml_document& document) {
  // The rows are read before the first hash: a window that closes meanwhile drops them.
  const std::vector<std::string> highlighted = HighlightedFiles();
  TEntryIndex index(Root(document));
  TBackgroundCRCSource source;
  const TCRCWaitPoll poll = [this] { return host_.YieldAndQueryClosing(); };
  bool changed = false;
  for (const std::string& full : highlighted) {
    const std::vector<pugi::xml_node> files = index.Take(full);
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
      std::uint32_t crc = 0;
      switch (ListedFileCRC(source, file->attribute("name").value(), crc, poll)) {
        case TCRCStatus::Aborted:
          return false;
        case TCRCStatus::Failed:
          ShowWarning("Unable to generate a CRC for " + full);
          return false;
        case TCRCStatus::OK:
          SetAttribute(*file, "CRC", CRCToText(crc));
          changed = true;
          break;
      }
    }
  }
  return changed;
}

bool TSFVRepair::MayRewriteSFV() {
  const std::string sfvPath = host_.SFVPath();
  if (LinksOutOfItsFolder(sfvPath)) {
    ShowWarning("The SFV file " + sfvPath +
                " is a link to a file outside its folder.\rIt was left unchanged.");
    return false;
  }
  const std::optional<TFileIdentity> read = host_.SFVIdentity();
  if (read && FileIdentityOf(sfvPath) != *read) {
    ShowWarning("The SFV file " + sfvPath +
                " was changed by another program after it was read.\rNothing was written;"
                " it is checked again.");
    host_.VerifySFVAgain();
    return false;
  }
  return true;
}

void TSFVRepair::RewriteAndHandBack(pugi::xml_document& document,
                                    const std::vector<std::string>& toTrash) {
  // A refresh lets other programs run while it hashes.
  if (!MayRewriteSFV()) return;
  const std::string sfvPath = host_.SFVPath();
  std::string text = XMLText(document);
  host_.SetFileDetailsXML(text);
  try {
    host_.SetSFVIdentity(WriteSFV(text, sfvPath, ShowReport));
  } catch (const std::exception& error) {
    ShowWriteError(error);
    return;
  }
  Trash(toTrash, ExtractFilePath(sfvPath));

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
