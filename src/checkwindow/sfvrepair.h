#pragma once

#include <QEvent>

#include "support/files.h"

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <vector>

// A check window that the manager opened posts this to the manager once it has
// rewritten its SFV; the manager then verifies the SFV named by its RecheckPath again.
inline constexpr QEvent::Type WM_RECHECKSFV = static_cast<QEvent::Type>(QEvent::User + 101);

// What the repairs need of the window that shows the rows of one SFV. The window
// implements it; tests implement it with a plain list of rows.
class TSFVRepairHost {
 public:
  virtual ~TSFVRepairHost() = default;

  // Rows an action applies to: the selected rows, or the current row when none is selected.
  virtual int ActionRowCount() const = 0;
  // Selects the current row when no row is selected.
  virtual void EnsureSelection() = 0;
  // The selected rows, in the order the user selected them.
  virtual std::vector<int> SelectedRows() const = 0;
  virtual int RowCount() const = 0;
  // The row's file-name part, and its folder part ending in "/".
  virtual std::string RowFilename(int row) const = 0;
  virtual std::string RowPath(int row) const = 0;

  virtual std::string SFVPath() const = 0;
  // The window's working copy of the fileDetails text.
  virtual std::string FileDetailsXML() const = 0;
  virtual void SetFileDetailsXML(const std::string& text) = 0;
  // The SFV file as the window last read or wrote it; none while the window has
  // not read it itself, and then a rewrite cannot tell whether it was changed.
  virtual std::optional<TFileIdentity> SFVIdentity() const = 0;
  virtual void SetSFVIdentity(const TFileIdentity& identity) = 0;
  // Reads the SFV afresh, remembers its identity and verifies it with the window
  // as the view, as when the window opened.
  virtual void VerifySFVAgain() = 0;

  // True when the manager opened the window: a rewritten SFV then goes back to it.
  virtual bool OpenedByManager() const = 0;
  virtual void SaveWindowPlacement() = 0;
  // Sets the manager's RecheckPath to sfvPath, closes the window and queues
  // WM_RECHECKSFV to the manager (posted, so it arrives after this call returns).
  virtual void HandBackToManager(const std::string& sfvPath) = 0;

  // Called every few milliseconds while a CRC is computed off the window's thread:
  // lets the window process its pending events and answers true once it is
  // closing, which stops the computation and the action with it.
  virtual bool YieldAndQueryClosing() = 0;

  // Empties the rows; the column definitions stay.
  virtual void RemoveAllRows() = 0;
  // Verifies fileDetailsXML against SFVPath() with the window as the view, no
  // progress callback and the window's own abort query (VerifyFileDetails); a
  // verification that runs to its end leaves its text as the working copy.
  virtual void VerifyAsView(const std::string& fileDetailsXML) = 0;
};

// How ApplyToSFV changes the working copy before the SFV is rewritten.
enum class TApplyMode {
  amRemove,           // drop the entries of the highlighted rows
  amRemoveAndDelete,  // drop them and send their files to the trash
  amRefresh,          // recompute the CRC of the highlighted rows' files
  amAfterRename,      // the copy already holds the new names
  amTidy,             // rewrite as it is
};

// The repair actions of the check window. Every question, input box and warning
// goes through the message seam; no file outside the SFV's folder tree is ever
// renamed or deleted (such rows are left alone and named in one warning).
//
// The SFV is rewritten only when it is still the file the window read (another
// program may have changed it meanwhile: the window then verifies it again) and
// when it is no link to a file outside its folder; either refusal is told and
// writes nothing. The new SFV is written before any file goes to the trash.
//
// An error while writing the SFV ends the action with the error's own message in
// an error box, and no file is trashed; other errors (a working copy that is no
// XML) escape to the caller.
// "Refresh CRC" hashes off the window's thread; closing the window stops it, and
// then nothing is written and nothing is said.
class TSFVRepair {
 public:
  explicit TSFVRepair(TSFVRepairHost& host) : host_(host) {}

  void actRemoveExecute();
  void actRefreshCRCExecute();
  void actRenameExecute();
  void actTidySFVExecute();

  void ApplyToSFV(TApplyMode mode);

 private:
  // Each changes the document and answers whether the SFV is to be rewritten.
  // RemoveEntries also gives the files to trash once the SFV is rewritten.
  bool RemoveEntries(pugi::xml_document& document, bool deleteFiles,
                     std::vector<std::string>& toTrash);
  bool RefreshCRCs(pugi::xml_document& document);
  void RewriteAndHandBack(pugi::xml_document& document, const std::vector<std::string>& toTrash);
  // False, once the user has been told why, when the SFV must not be rewritten now.
  bool MayRewriteSFV();
  // Path and file name of the highlighted rows, in selection order.
  std::vector<std::string> HighlightedFiles();

  TSFVRepairHost& host_;
};
