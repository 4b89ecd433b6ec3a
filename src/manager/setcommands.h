#pragma once

#include "support/report.h"

#include <pugixml.hpp>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QObject;

// What the set commands read of one row of the SFV list.
struct TSetRow {
  std::string Path;  // folder of the SFV, ending in "/"
  std::string Filename;
  std::string Status;
  std::string FileDetails;
  std::string Marked;
  bool MovedOrDeleted = false;
};

enum class TSetMode { Move, Copy };
enum class TSetForm { Folder = 0, Zips = 1, SubFolders = 2 };

// What the set commands need of the manager window. The window implements it over
// its list and status bar; tests with a plain vector of rows.
class TSetCommandHost {
 public:
  virtual ~TSetCommandHost() = default;

  // Selected rows, or the current row when none is selected.
  virtual int ActionRowCount() const = 0;
  // Selects the current row when no row is selected.
  virtual void EnsureSelection() = 0;
  virtual int SelectedCount() const = 0;
  virtual int SelectedRow(int n) const = 0;
  virtual TSetRow Row(int row) const = 0;
  virtual void SetMovedOrDeleted(int row) = 0;
  virtual void SetFilename(int row, const std::string& filename) = 0;
  // Carries the SFV's skip and hide entries over to its new path.
  virtual void RenameMarkEntry(const std::string& oldPath, const std::string& newPath) = 0;
  // Sorts the list again and makes the row with this file name the current one.
  virtual void ResortAndLocate(const std::string& filename) = 0;

  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // The second panel of the status bar.
  virtual void ShowStatusText(const std::string& text) = 0;
  virtual void UpdateSummary() = 0;
  virtual void Repaint() = 0;
  // A yield point of a long command (the window's frame pacer).
  virtual void Yield() = 0;
  // True once the window is closing: a running archive is given up.
  virtual bool AbortRequested() const = 0;
  // The configured and the launched search folders, each ending in "/".
  virtual std::vector<std::string> SearchFolders() const = 0;
  // The owner of the file operations, above whose window their progress shows.
  virtual QObject* OperationOwner() const = 0;
};

// The manager's commands on whole SFV sets: move, copy, zip, delete, rename.
// Every question and message goes through the message seam; every file step goes
// through the file-operation layer confined to the set's folder tree (and, for
// targets, to the destination), so an SFV that lists "../x" reaches nothing
// outside. Settings are read from the configuration document when needed.
class TSetCommands {
 public:
  TSetCommands(TSetCommandHost& host, pugi::xml_document& config);

  // The six move and copy commands.
  void MoveOrCopy(TSetMode mode, TSetForm form);
  // The configured default form of the Move or Copy button, if any.
  static std::optional<TSetForm> DefaultForm(const pugi::xml_document& config, TSetMode mode);
  // Asks whether to choose a default now; true on Yes (the caller opens the Options).
  static bool AskForDefault(TSetMode mode);

  void DeleteSets();
  void RenameSets();

  // The routines of one set; false when a pre-check stopped it.
  bool MoveOrCopySet(TSetMode mode, int row, const std::string& destination);
  bool ZipSet(TSetMode mode, int row, const std::string& destination);
  // Removes folder if it is empty, then its parents, asking first when ask is set.
  // Never removes nor climbs above a search folder.
  void RemoveEmptyFolder(const std::string& folder, bool ask);

  // The listed file as it is on disk: blanks of the name turned into underscores
  // one by one, first to last, until a file exists. False when none does.
  static bool ResolveListedFile(std::string& path);
  // The new SFV name for what the user typed: its extension replaced by ".sfv".
  static std::string RenamedSFVName(const std::string& entered);

  // The warnings of the file operations are shown here, where the user acts.
  static void ShowReport(const std::string& text);

 private:
  std::string RememberedFolder() const;
  void SetRememberedFolder(const std::string& folder);
  bool RemoveFoldersWithoutAsking() const;
  bool IsSearchFolder(const std::string& folder) const;
  bool RewriteUnverifiedSFV(const TSetRow& row);
  bool DeleteSet(int row, bool& stop);
  void RenameSet(int row, std::string& lastName);
  bool WaitForWorker(const std::function<void()>& work, const std::function<std::string()>& status);

  TSetCommandHost& host_;
  pugi::xml_document& config_;
  // The folders of the files a delete queued, as on disk (names are case-sensitive).
  std::set<std::string> touchedFolders_;
};
