#pragma once

#include "fileops/anchoredentry.h"
#include "fileops/filetransfer.h"
#include "support/report.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

enum TSHFileOp { foCopy, foDelete, foMove, foRename };

// Bit n of TSHFileOpFlags is member n, so the order fixes each flag's bit.
enum TSHFileOpFlag {
  fofAllowUndo,          // deleted files go to the trash
  fofConfirmMouse,       // accepted; nothing is ever confirmed
  fofFilesOnly,          // accepted; names are never expanded as wildcards
  fofMultiDestFiles,     // FilesTo holds one target per source
  fofNoConfirmation,     // accepted; nothing is ever confirmed
  fofNoConfirmMkDir,     // accepted; missing target folders are always created
  fofRenameOnCollision,  // a copy or move to an existing name gets "name (2).ext" instead
  fofSilent,             // no progress display
  fofSimpleProgress,     // progress without file names
  fofNoErrorUI,          // no warning goes to OnReport; the caller reads Failures()
};

// A set of TSHFileOpFlag in 16 bits.
class TSHFileOpFlags {
 public:
  constexpr TSHFileOpFlags() = default;
  constexpr TSHFileOpFlags(std::initializer_list<TSHFileOpFlag> flags) {
    for (TSHFileOpFlag flag : flags) Include(flag);
  }
  constexpr bool Contains(TSHFileOpFlag flag) const { return (bits_ & Bit(flag)) != 0; }
  constexpr TSHFileOpFlags& Include(TSHFileOpFlag flag) {
    bits_ = static_cast<std::uint16_t>(bits_ | Bit(flag));
    return *this;
  }
  constexpr TSHFileOpFlags& Exclude(TSHFileOpFlag flag) {
    bits_ = static_cast<std::uint16_t>(bits_ & ~Bit(flag));
    return *this;
  }
  constexpr std::uint16_t Bits() const { return bits_; }
  friend constexpr bool operator==(TSHFileOpFlags, TSHFileOpFlags) = default;

 private:
  static constexpr std::uint16_t Bit(TSHFileOpFlag flag) {
    return static_cast<std::uint16_t>(1u << static_cast<unsigned>(flag));
  }
  std::uint16_t bits_ = 0;
};

// The Windows shell's numbers for the operation (FO_*) and its options (FOF_*),
// for logs and for anyone comparing a batch with the platform it came from.
int ShellFunctionCode(TSHFileOp operation);
std::uint16_t ShellOptionBits(TSHFileOpFlags flags);

// Copies, moves, deletes or renames a batch of files in one call, without ever
// asking for confirmation:
//  - foCopy, foMove: source i goes to FilesTo[i] with fofMultiDestFiles, otherwise
//    into the one folder FilesTo[0]. Missing folders are created, an existing file
//    is replaced, a folder is taken with everything in it. See TFileTransfer for
//    how no data is lost on the way.
//  - foDelete: to the desktop trash with fofAllowUndo, otherwise removed for good.
//  - foRename: source i is renamed to FilesTo[i] (a bare name stays in the source's
//    folder); an existing file is never replaced.
// Every failure is collected; unless fofNoErrorUI is set they are handed together
// as one warning to the OnReport handler once the batch has run (the operation
// opens no dialog itself). Unless fofSilent is set, a batch that runs longer than
// ProgressDelay shows the installed progress display (see fileprogress.h), whose
// Cancel stops the batch and sets AnyOperationsAborted.
class TSHFileOperation : public QObject {
  Q_OBJECT

 public:
  explicit TSHFileOperation(QObject* owner = nullptr);

  std::vector<std::string>& FilesFrom() { return filesFrom_; }
  const std::vector<std::string>& FilesFrom() const { return filesFrom_; }
  void SetFilesFrom(const std::vector<std::string>& files) { filesFrom_ = files; }
  std::vector<std::string>& FilesTo() { return filesTo_; }
  const std::vector<std::string>& FilesTo() const { return filesTo_; }
  void SetFilesTo(const std::vector<std::string>& files) { filesTo_ = files; }

  TSHFileOpFlags Flags() const { return flags_; }
  void SetFlags(TSHFileOpFlags flags) { flags_ = flags; }
  TSHFileOp Operation() const { return operation_; }
  void SetOperation(TSHFileOp operation) { operation_ = operation; }
  // Title of the progress display; by default one that names the operation.
  const std::string& ProgressTitle() const { return progressTitle_; }
  void SetProgressTitle(const std::string& title) { progressTitle_ = title; }
  std::chrono::milliseconds ProgressDelay() const { return progressDelay_; }
  void SetProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

  // When set, no source (nor a rename's new name) outside this folder's tree is
  // touched: such entries are refused and reported like any other failure. Callers
  // that act on the names an SFV lists set the SFV's folder here. Each trash,
  // delete, rename and move then finds its file below a descriptor of this folder
  // and acts through it, so a folder swapped for a link meanwhile leads nowhere.
  const std::string& ConfineTo() const { return confineTo_; }
  void SetConfineTo(const std::string& folder) { confineTo_ = folder; }
  // The same for the targets of a copy or move (the destination folder).
  const std::string& ConfineTargetsTo() const { return confineTargetsTo_; }
  void SetConfineTargetsTo(const std::string& folder) { confineTargetsTo_ = folder; }

  // Receives the one warning that lists every failure of a batch. Without it the
  // failures are only in Failures(): a window sets it to show them.
  void SetOnReport(TReportEvent onReport) { onReport_ = std::move(onReport); }

  // True when every entry was done; false after any failure or a cancel.
  bool Execute();

  // Set by each Execute: the user cancelled part of the batch.
  bool AnyOperationsAborted() const { return anyOperationsAborted_; }
  // What the last Execute could not do, in batch order.
  const std::vector<TFileOpFailure>& Failures() const { return failures_; }

 private:
  struct TJob {
    std::size_t Index = 0;  // in FilesFrom
    std::string Source;
    std::string Target;  // empty for deletes
  };

  std::vector<TJob> PlanJobs();
  bool Admissible(const TJob& job);
  void RunTransfers(const std::vector<TJob>& jobs);
  void RunDeletes(const std::vector<TJob>& jobs);
  void RunRenames(const std::vector<TJob>& jobs);
  bool ConfineResolvers();
  std::string DefaultTitle() const;
  std::string FailureHeading() const;
  void AddFailure(std::size_t index, TFileOpFailure failure);
  void ReportFailures() const;

  std::vector<std::string> filesFrom_;
  std::vector<std::string> filesTo_;
  TSHFileOpFlags flags_;
  TSHFileOp operation_ = foCopy;
  std::string progressTitle_;
  std::chrono::milliseconds progressDelay_{1000};
  std::string confineTo_;
  std::string confineTargetsTo_;
  TEntryResolver sources_;
  TEntryResolver targets_;
  std::string confineError_;
  TReportEvent onReport_;
  bool anyOperationsAborted_ = false;
  std::vector<TFileOpFailure> failures_;
  std::vector<std::size_t> failureIndices_;  // keeps failures_ in batch order
};
