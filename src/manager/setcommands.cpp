#include "manager/setcommands.h"

#include "config/config.h"
#include "config/options.h"
#include "fileops/shfileoperation.h"
#include "fileops/ziparchive.h"
#include "sfv/sfvformat.h"
#include "support/debug.h"
#include "support/files.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/strings.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

namespace {

constexpr const char* kCR = "\r";
constexpr const char* kVerifiedOK = "Verified OK";

// Ends the busy mode and repaints whichever way a command leaves.
class TBusy {
 public:
  explicit TBusy(TSetCommandHost& host) : host_(host) { host_.BeginBusy(); }
  ~TBusy() {
    host_.EndBusy();
    host_.Repaint();
  }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TSetCommandHost& host_;
};

std::string Verb(TSetMode mode) {
  return mode == TSetMode::Move ? "Moving " : "Copying ";
}
std::string LowerVerb(TSetMode mode) {
  return mode == TSetMode::Move ? "move " : "copy ";
}

// The name as listed, relative to the SFV's folder.
std::string RelativeName(const std::string& name, const std::string& folder) {
  return name.compare(0, folder.size(), folder) == 0 ? name.substr(folder.size()) : name;
}

bool EntryExists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

// True when the folder holds nothing; a folder that cannot be listed counts as empty.
bool FolderIsEmpty(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return true;
  bool empty = true;
  while (dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  ::closedir(dir);
  return empty;
}

std::string Canonical(const std::string& folder) {
  std::error_code error;
  const auto path = std::filesystem::weakly_canonical(std::filesystem::path(folder), error);
  return IncludeTrailingPathDelimiter(error ? folder : path.string());
}

std::vector<std::string> ReadLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  lines.push_back(std::move(line));
  return lines;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

TSetCommands::TSetCommands(TSetCommandHost& host, pugi::xml_document& config)
    : host_(host), config_(config) {}

void TSetCommands::ShowReport(const std::string& text) {
  ShowWarning(text);
}

std::string TSetCommands::RememberedFolder() const {
  return ReadText(ConfigRoot(config_), kCurrentDirAttribute, "");
}

void TSetCommands::SetRememberedFolder(const std::string& folder) {
  WriteText(ConfigRoot(config_), kCurrentDirAttribute, folder);
}

bool TSetCommands::RemoveFoldersWithoutAsking() const {
  return ReadRemoveDirsWithoutAskingForFileOps(config_);
}

std::optional<TSetForm> TSetCommands::DefaultForm(const pugi::xml_document& config, TSetMode mode) {
  const std::optional<std::string> value =
      ReadAttribute(ConfigRoot(config),
                    mode == TSetMode::Move ? kDefaultMoveAction.Name : kDefaultCopyAction.Name);
  if (value == "0") return TSetForm::Folder;
  if (value == "1") return TSetForm::Zips;
  if (value == "2") return TSetForm::SubFolders;
  return std::nullopt;
}

bool TSetCommands::AskForDefault(TSetMode mode) {
  const std::string word = mode == TSetMode::Move ? "Move" : "Copy";
  return AskQuestion("There is no default \"" + word +
                     "\" action. Would you like to choose one now?") == mrYes;
}

void TSetCommands::MoveOrCopy(TSetMode mode, TSetForm form) {
  if (host_.ActionRowCount() == 0) return;
  std::string destination;
  if (!ChooseFolder("Select a destination filder", RememberedFolder(), "Choose Folder",
                    destination))
    return;
  destination = IncludeTrailingPathDelimiter(destination);
  SetRememberedFolder(destination);

  host_.Yield();
  host_.EnsureSelection();
  TBusy busy(host_);
  const int count = host_.SelectedCount();
  for (int n = 0; n < count && !host_.AbortRequested(); ++n) {
    const int row = host_.SelectedRow(n);
    const TSetRow set = host_.Row(row);
    if (set.Status == "Waiting" || set.Status == "Running..." || set.MovedOrDeleted) continue;
    if (!FileExists(set.Path + set.Filename)) {
      ShowWarning(set.Path + set.Filename + " was not found.");
      continue;
    }
    if (set.Status != kVerifiedOK && set.Status != "Accepted" &&
        AskQuestion(set.Filename + " is not Verified OK. Continue anyway?") != mrYes)
      continue;
    bool done = false;
    switch (form) {
      case TSetForm::Folder:
        done = MoveOrCopySet(mode, row, destination);
        break;
      case TSetForm::SubFolders:
        done = MoveOrCopySet(mode, row, destination + ChangeFileExt(set.Filename, ""));
        break;
      case TSetForm::Zips:
        done = ZipSet(mode, row, destination);
        break;
    }
    if (mode == TSetMode::Move && done) RemoveEmptyFolder(set.Path, !RemoveFoldersWithoutAsking());
  }
}

bool TSetCommands::RewriteUnverifiedSFV(const TSetRow& row) {
  try {
    WriteSFV(row.FileDetails, row.Path + row.Filename, ShowReport);
    return true;
  } catch (const std::exception& error) {
    // Moving on would carry the old list (with its ignored entries) along.
    ShowWarning(error.what());
    return false;
  }
}

bool TSetCommands::MoveOrCopySet(TSetMode mode, int row, const std::string& destinationFolder) {
  const std::string destination = IncludeTrailingPathDelimiter(destinationFolder);
  const TSetRow set = host_.Row(row);
  if (set.Status != kVerifiedOK && !RewriteUnverifiedSFV(set)) return false;

  pugi::xml_document details;
  details.load_string(set.FileDetails.c_str());
  const pugi::xml_node root = details.child("fileDetails");

  const std::string sfvTarget = destination + set.Filename;
  if (FileExists(sfvTarget)) {
    ShowWarning(Verb(mode) + set.Path + set.Filename + kCR + " would cause " + sfvTarget +
                " and possibly more to be overwritten." + kCR + "Action aborted.");
    return false;
  }
  if (DirectoryExists(sfvTarget)) {
    ShowWarning("Can't " + LowerVerb(mode) + set.Path + set.Filename + kCR + " to  " + destination +
                " because there is a folder with the same name." + kCR + "Action aborted.");
    return false;
  }
  for (const pugi::xml_node file : root.children("file")) {
    const std::string action = file.attribute("action").value();
    if (action == "IRD" || action == "IRL") continue;
    const std::string target = destination + RelativeName(file.attribute("name").value(), set.Path);
    if (FileExists(target)) {
      ShowWarning(Verb(mode) + set.Path + set.Filename + kCR + " would cause " + target +
                  " and possibly more to be overwritten." + kCR + "Action aborted.");
      return false;
    }
    if (DirectoryExists(target)) {
      ShowWarning("Can't " + LowerVerb(mode) + set.Path + ExtractFileName(target) + kCR + " to " +
                  ExtractFilePath(target) + " because there is a folder with the same name." + kCR +
                  "Action aborted.");
      return false;
    }
  }

  QObject* owner = host_.OperationOwner();
  TSHFileOperation recycle(owner);
  recycle.SetOperation(foDelete);
  recycle.SetFlags({fofAllowUndo, fofNoConfirmation});
  TSHFileOperation transfer(owner);
  transfer.SetOperation(mode == TSetMode::Move ? foMove : foCopy);
  transfer.SetFlags({fofMultiDestFiles, fofNoConfirmation, fofNoConfirmMkDir});
  for (TSHFileOperation* operation : {&recycle, &transfer}) {
    operation->SetConfineTo(set.Path);
    operation->SetOnReport(ShowReport);
  }
  transfer.SetConfineTargetsTo(destination);

  for (const pugi::xml_node file : root.children("file")) {
    const std::string action = file.attribute("action").value();
    const std::string name = file.attribute("name").value();
    if (action == "IRL") continue;
    if (action == "IRD") {
      if (FileExists(name)) recycle.FilesFrom().push_back(name);
      continue;
    }
    if (!EntryExists(name)) continue;
    transfer.FilesFrom().push_back(name);
    transfer.FilesTo().push_back(destination + RelativeName(name, set.Path));
  }

  // The destination is where the targets are confined to, so it has to be there.
  std::error_code created;
  std::filesystem::create_directories(destination, created);

  // The SFV goes last, and only once every listed file has arrived: a set that a
  // full disk or a Cancel stopped halfway keeps its list beside the files still there.
  bool succeeded = transfer.FilesFrom().empty() || transfer.Execute();
  if (succeeded) {
    transfer.SetFilesFrom({set.Path + set.Filename});
    transfer.SetFilesTo({sfvTarget});
    succeeded = transfer.Execute();
  }
  if (!recycle.FilesFrom().empty()) succeeded = recycle.Execute() && succeeded;
  // A set that is (partly) still in place is not shown as moved away.
  if (mode == TSetMode::Move && succeeded) host_.SetMovedOrDeleted(row);
  host_.Repaint();
  return true;
}

bool TSetCommands::WaitForWorker(const std::function<void()>& work,
                                 const std::function<std::string()>& status) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  });
  std::string shown;
  bool aborted = false;
  for (;;) {
    {
      std::unique_lock lock(mutex);
      if (finished.wait_for(lock, std::chrono::milliseconds(10), [&] { return done; })) break;
    }
    const std::string text = status();
    if (text != shown) host_.ShowStatusText(shown = text);
    host_.Yield();
    if (!aborted && host_.AbortRequested()) aborted = true;
  }
  worker.join();
  // The command's error handler shows it, as for any failure on the window thread.
  if (failure) std::rethrow_exception(failure);
  return !aborted;
}

bool TSetCommands::ZipSet(TSetMode mode, int row, const std::string& destinationFolder) {
  const std::string destination = IncludeTrailingPathDelimiter(destinationFolder);
  const TSetRow set = host_.Row(row);
  const std::string archive = destination + ChangeFileExt(set.Filename, ".zip");
  if (set.Status != kVerifiedOK && !RewriteUnverifiedSFV(set)) return true;

  pugi::xml_document details;
  details.load_string(set.FileDetails.c_str());

  QObject* owner = host_.OperationOwner();
  if (EntryExists(archive)) {
    if (AskQuestion(archive + " exists. Overwrite?") != mrYes) return true;
    TSHFileOperation old(owner);
    old.SetOperation(foDelete);
    old.SetFlags({fofAllowUndo, fofNoConfirmation});
    old.SetConfineTo(destination);
    old.SetOnReport(ShowReport);
    old.FilesFrom().push_back(archive);
    // The new archive never replaces a file, so an old one still there ends the set.
    if (!old.Execute()) return true;
  }

  TSHFileOperation recycle(owner);
  recycle.SetOperation(foDelete);
  recycle.SetFlags({fofAllowUndo, fofNoConfirmation});
  TSHFileOperation remove(owner);
  remove.SetOperation(foDelete);
  remove.SetFlags({fofNoConfirmation});
  for (TSHFileOperation* operation : {&recycle, &remove}) {
    operation->SetConfineTo(set.Path);
    operation->SetOnReport(ShowReport);
  }
  std::vector<std::string> entries;
  for (const pugi::xml_node file : details.child("fileDetails").children("file")) {
    const std::string action = file.attribute("action").value();
    const std::string name = file.attribute("name").value();
    if (action == "IRL") continue;
    if (action == "IRD") {
      if (FileExists(name)) recycle.FilesFrom().push_back(name);
      continue;
    }
    if (!FileExists(name)) continue;
    remove.FilesFrom().push_back(name);
    entries.push_back(RelativeName(name, set.Path));
  }
  entries.push_back(set.Filename);

  std::mutex mutex;
  std::string current;
  std::atomic<bool> cancel{false};
  const TZipFileEvent onFile = [&](const std::string& name) {
    std::lock_guard lock(mutex);
    current = name;
  };
  std::string phase;
  const auto status = [&] {
    std::lock_guard lock(mutex);
    return current.empty() ? phase + archive : phase + archive + " (" + current + ")";
  };
  const auto finish = [&] {
    host_.Repaint();
    host_.UpdateSummary();
  };

  phase = "Creating ";
  host_.ShowStatusText(phase + archive);
  host_.Yield();
  TZipOutcome created;
  bool live = WaitForWorker(
      [&] { created = CreateZipArchive(set.Path, entries, archive, onFile, &cancel); },
      [&] {
        if (host_.AbortRequested()) cancel = true;
        return status();
      });
  if (!live || created.Cancelled) return finish(), true;
  if (!created.Ok) DebugMessage(created.Error);
  if (ZipEntryCount(archive) != static_cast<std::int64_t>(remove.FilesFrom().size()) + 1) {
    ShowWarning("Failed creating " + archive + ".");
    return finish(), true;
  }

  {
    std::lock_guard lock(mutex);
    current.clear();
  }
  phase = "Testing ";
  host_.ShowStatusText(phase + archive);
  host_.Yield();
  TZipOutcome tested;
  live = WaitForWorker([&] { tested = TestZipArchive(archive, onFile, &cancel); },
                       [&] {
                         if (host_.AbortRequested()) cancel = true;
                         return status();
                       });
  if (!live || tested.Cancelled) return finish(), true;
  if (!tested.Ok) {
    DebugMessage(tested.Error);
    ShowWarning("Failed testing " + archive + ".");
    return finish(), true;
  }

  if (mode == TSetMode::Move) {
    if (!recycle.FilesFrom().empty()) recycle.Execute();
    remove.FilesFrom().push_back(set.Path + set.Filename);
    if (remove.Execute()) host_.SetMovedOrDeleted(row);
  }
  finish();
  return true;
}

bool TSetCommands::IsSearchFolder(const std::string& folder) const {
  const std::string canonical = Canonical(folder);
  for (const std::string& search : host_.SearchFolders()) {
    if (search.empty()) continue;
    if (IncludeTrailingPathDelimiter(search) == IncludeTrailingPathDelimiter(folder) ||
        Canonical(search) == canonical)
      return true;
  }
  return false;
}

void TSetCommands::RemoveEmptyFolder(const std::string& start, bool ask) {
  std::string folder = IncludeTrailingPathDelimiter(start);
  for (;;) {
    host_.Yield();
    // The search folder the set was found in, and all above it, are the user's own.
    if (folder == "/" || IsSearchFolder(folder)) return;
    if (!FolderIsEmpty(folder)) return;
    if (ask && AskQuestion("The directory " + folder + " is empty." + kCR +
                           "Would you like to remove it?") != mrYes)
      return;

    char current[PATH_MAX];
    if (::getcwd(current, sizeof current) && IncludeTrailingPathDelimiter(current) == folder) {
      if (::chdir("..") != 0) DebugMessage(std::string("chdir: ") + std::strerror(errno));
    }
    if (RememberedFolder() == folder && ::getcwd(current, sizeof current))
      SetRememberedFolder(IncludeTrailingPathDelimiter(current));

    // Through the parent's descriptor; rmdir never takes a folder that has anything in it.
    const std::string trimmed = ExcludeTrailingPathDelimiter(folder);
    const std::string parent = ExtractFilePath(trimmed);
    if (parent.empty()) return;
    TFileDescriptor parentFolder(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parentFolder.Valid())
      ::unlinkat(parentFolder.Get(), ExtractFileName(trimmed).c_str(), AT_REMOVEDIR);
    folder = parent;
  }
}

bool TSetCommands::ResolveListedFile(std::string& path) {
  const std::string folder = ExtractFilePath(path);
  std::string name = ExtractFileName(path);
  while (!FileExists(folder + name)) {
    const auto blank = name.find(' ');
    if (blank == std::string::npos) return false;
    name[blank] = '_';
  }
  path = folder + name;
  return true;
}

void TSetCommands::DeleteSets() {
  if (host_.ActionRowCount() == 0) return;
  host_.EnsureSelection();
  TBusy busy(host_);
  const int count = host_.SelectedCount();
  const std::string question = count == 1 ? "Delete " + host_.Row(host_.SelectedRow(0)).Filename +
                                                " and all of it's related files?"
                                          : "Delete the " + std::to_string(count) +
                                                " selected sfv's and all of their related files?";
  if (AskQuestion(question) != mrYes) return;
  for (int n = 0; n < count; ++n) {
    bool stop = false;
    DeleteSet(host_.SelectedRow(n), stop);
    if (stop) return;
  }
}

bool TSetCommands::DeleteSet(int row, bool& stop) {
  const TSetRow set = host_.Row(row);
  if (set.Status == "Running..." || set.MovedOrDeleted) return false;
  const std::string folder = IncludeTrailingPathDelimiter(set.Path);
  const std::string sfvPath = folder + set.Filename;
  if (!FileExists(sfvPath)) {
    ShowWarning(set.Path + set.Filename + " was not found.");
    return false;
  }
  TSHFileOperation recycle(host_.OperationOwner());
  recycle.SetOperation(foDelete);
  recycle.SetFlags({fofAllowUndo, fofNoConfirmation});
  recycle.SetConfineTo(folder);
  recycle.SetOnReport(ShowReport);
  touchedFolders_.clear();

  for (const std::string& line : ReadLines(ReadTextFile(sfvPath))) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed[0] == ';') continue;
    const auto blank = line.rfind(' ');
    if (blank == std::string::npos) {
      // Not a list this program understands: nothing more is touched.
      stop = true;
      return false;
    }
    std::string path = folder + line.substr(0, blank);
    if (!ResolveListedFile(path)) continue;
    recycle.FilesFrom().push_back(path);
    touchedFolders_.insert(ExtractFilePath(path));
  }
  recycle.FilesFrom().push_back(sfvPath);
  touchedFolders_.insert(folder);

  const bool deleted = recycle.Execute();
  if (deleted) {
    // Sorted, so a parent comes before its sub folders.
    for (const std::string& touchedFolder : touchedFolders_)
      RemoveEmptyFolder(touchedFolder, !RemoveFoldersWithoutAsking());
    host_.SetMovedOrDeleted(row);
  }
  host_.Repaint();
  return deleted;
}

std::string TSetCommands::RenamedSFVName(const std::string& entered) {
  const auto dot = entered.rfind('.');
  return (dot == std::string::npos ? entered : entered.substr(0, dot)) + ".sfv";
}

void TSetCommands::RenameSets() {
  if (host_.ActionRowCount() == 0) return;
  host_.EnsureSelection();
  std::string locate;
  {
    TBusy busy(host_);
    const int count = host_.SelectedCount();
    for (int n = 0; n < count; ++n) RenameSet(host_.SelectedRow(n), locate);
  }
  host_.ResortAndLocate(locate);
}

void TSetCommands::RenameSet(int row, std::string& locate) {
  const TSetRow set = host_.Row(row);
  if (set.MovedOrDeleted) return;
  const std::string oldPath = set.Path + set.Filename;
  if (!FileExists(oldPath)) {
    ShowWarning(oldPath + " was not found.");
    return;
  }
  const std::string proposed = ChangeFileExt(set.Filename, "");
  std::string entered = proposed;
  std::string newName;
  for (;;) {
    if (!InputBox("Rename SFV File", "Filename", entered) || entered == proposed) {
      locate = set.Filename;
      return;
    }
    if (ContainsAnyChar("\\/:*?\"<>|", entered)) {
      ShowWarning("Invalid Filename " + entered + ".");
      continue;
    }
    newName = RenamedSFVName(entered);
    if (EntryExists(set.Path + newName)) {
      ShowWarning("File " + entered + " already exists.");
      continue;
    }
    break;
  }
  TSHFileOperation rename(host_.OperationOwner());
  rename.SetOperation(foRename);
  rename.SetFlags({fofNoConfirmation, fofNoErrorUI});
  rename.SetConfineTo(set.Path);
  rename.FilesFrom().push_back(oldPath);
  rename.FilesTo().push_back(newName);
  rename.Execute();
  if (FileExists(set.Path + newName)) {
    host_.RenameMarkEntry(oldPath, set.Path + newName);
    host_.SetFilename(row, newName);
    locate = newName;
  } else {
    locate = set.Filename;
  }
}
