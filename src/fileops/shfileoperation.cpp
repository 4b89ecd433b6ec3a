#include "fileops/shfileoperation.h"

#include "fileops/anchoredentry.h"
#include "fileops/fileprogress.h"
#include "fileops/pathsafety.h"
#include "fileops/trash.h"
#include "support/paths.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsUsablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

// "name (2).ext", "name (3).ext", ... beside path: the first that is free.
std::string FreeNameFor(const std::string& path) {
  const std::string bare = ExcludeTrailingPathDelimiter(path);
  struct stat st {};
  const bool folder = ::lstat(bare.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  const std::string ext = folder ? std::string() : ExtractFileExt(bare);
  const std::string stem = bare.substr(0, bare.size() - ext.size());
  for (int n = 2;; ++n) {
    const std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (!Exists(candidate)) return candidate;
  }
}

// Never replaces an existing file. A name that differs only in letter case may
// lead to the very same file on a case-insensitive file system: that is a rename.
std::string RenameNoReplace(const TAnchoredEntry& source, const TAnchoredEntry& target) {
  const int from = source.Folder.Get();
  const int to = target.Folder.Get();
  const char* fromName = source.Name.c_str();
  const char* toName = target.Name.c_str();
  struct stat st {};
  if (::fstatat(from, fromName, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    return std::generic_category().message(errno);
  }
  struct stat existing {};
  if (::fstatat(to, toName, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (existing.st_dev != st.st_dev || existing.st_ino != st.st_ino) {
      return target.Path + " already exists";
    }
    return ::renameat(from, fromName, to, toName) == 0 ? std::string()
                                                       : std::generic_category().message(errno);
  }
  if (::renameat2(from, fromName, to, toName, RENAME_NOREPLACE) == 0) return {};
  const int error = errno;
  // Some file systems cannot promise "no replace"; the look above is the best left.
  if (error == EINVAL || error == ENOSYS) {
    return ::renameat(from, fromName, to, toName) == 0 ? std::string()
                                                       : std::generic_category().message(errno);
  }
  return error == EEXIST ? target.Path + " already exists" : std::generic_category().message(error);
}

std::string TrashOrWhyNot(const TAnchoredEntry& entry) {
  const TTrashOutcome outcome = MoveToTrashAt(entry.Folder.Get(), entry.Name, entry.Path);
  if (outcome.Trashed) return {};
  return outcome.Error.empty() ? "refused by the trash" : outcome.Error;
}

}  // namespace

int ShellFunctionCode(TSHFileOp operation) {
  switch (operation) {
    case foMove:
      return 1;
    case foCopy:
      return 2;
    case foDelete:
      return 3;
    case foRename:
      return 4;
  }
  return 0;
}

std::uint16_t ShellOptionBits(TSHFileOpFlags flags) {
  static constexpr std::uint16_t kValues[] = {
      0x0040,  // fofAllowUndo
      0x0002,  // fofConfirmMouse
      0x0080,  // fofFilesOnly
      0x0001,  // fofMultiDestFiles
      0x0010,  // fofNoConfirmation
      0x0200,  // fofNoConfirmMkDir
      0x0008,  // fofRenameOnCollision
      0x0004,  // fofSilent
      0x0100,  // fofSimpleProgress
      0x0400,  // fofNoErrorUI
  };
  std::uint16_t bits = 0;
  for (unsigned flag = 0; flag < std::size(kValues); ++flag) {
    if (flags.Contains(static_cast<TSHFileOpFlag>(flag))) bits |= kValues[flag];
  }
  return bits;
}

TSHFileOperation::TSHFileOperation(QObject* owner) : QObject(owner) {}

std::string TSHFileOperation::DefaultTitle() const {
  switch (operation_) {
    case foCopy:
      return "Copying files";
    case foMove:
      return "Moving files";
    case foDelete:
      return flags_.Contains(fofAllowUndo) ? "Moving files to the trash" : "Deleting files";
    case foRename:
      return "Renaming files";
  }
  return {};
}

std::string TSHFileOperation::FailureHeading() const {
  switch (operation_) {
    case foCopy:
      return "These files could not be copied:";
    case foMove:
      return "These files could not be moved:";
    case foDelete:
      return flags_.Contains(fofAllowUndo) ? "These files could not be moved to the trash:"
                                           : "These files could not be deleted:";
    case foRename:
      return "These files could not be renamed:";
  }
  return {};
}

std::vector<TSHFileOperation::TJob> TSHFileOperation::PlanJobs() {
  std::vector<TJob> jobs;
  const bool multi = flags_.Contains(fofMultiDestFiles);
  for (std::size_t i = 0; i < filesFrom_.size(); ++i) {
    const std::string& source = filesFrom_[i];
    if (!IsUsablePath(source)) {
      AddFailure(i, {source, "not a usable path"});
      continue;
    }
    TJob job{i, source, {}};
    if (operation_ == foRename || ((operation_ == foCopy || operation_ == foMove) && multi)) {
      if (i >= filesTo_.size() || !IsUsablePath(filesTo_[i])) {
        AddFailure(i, {source, "no destination given"});
        continue;
      }
      job.Target = filesTo_[i];
      if (operation_ == foRename && job.Target.find('/') == std::string::npos) {
        job.Target = ExtractFilePath(ExcludeTrailingPathDelimiter(source)) + job.Target;
      }
    } else if (operation_ != foDelete) {
      if (filesTo_.size() != 1 || !IsUsablePath(filesTo_[0])) {
        AddFailure(i, {source, "no destination folder given"});
        continue;
      }
      job.Target = IncludeTrailingPathDelimiter(filesTo_[0]) +
                   ExtractFileName(ExcludeTrailingPathDelimiter(source));
    }
    if (Admissible(job)) jobs.push_back(std::move(job));
  }
  return jobs;
}

bool TSHFileOperation::Admissible(const TJob& job) {
  if (!confineTo_.empty()) {
    if (!IsInsideFolderTree(job.Source, confineTo_)) {
      AddFailure(job.Index, {job.Source, "outside " + confineTo_ + ", left where it is"});
      return false;
    }
    if (operation_ == foRename && !IsInsideFolderTree(job.Target, confineTo_)) {
      AddFailure(job.Index,
                 {job.Source, "the new name " + job.Target + " is outside " + confineTo_});
      return false;
    }
  }
  if (!confineTargetsTo_.empty() && (operation_ == foCopy || operation_ == foMove) &&
      !IsInsideFolderTree(job.Target, confineTargetsTo_)) {
    AddFailure(job.Index,
               {job.Source, "its target " + job.Target + " is outside " + confineTargetsTo_});
    return false;
  }
  return true;
}

void TSHFileOperation::RunTransfers(const std::vector<TJob>& jobs) {
  TFileOperationProgressFactory* factory =
      flags_.Contains(fofSilent) ? nullptr : FileOperationProgressFactory();
  TProgressTracker progress(factory, progressTitle_.empty() ? DefaultTitle() : progressTitle_,
                            parent(), !flags_.Contains(fofSimpleProgress), progressDelay_);
  // Sizes are only worth a walk over the sources when someone may watch them.
  std::vector<std::uint64_t> sizes(jobs.size(), 0);
  if (factory != nullptr) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i)
      total += sizes[i] = TFileTransfer::TreeSize(jobs[i].Source);
    progress.SetTotal(total);
  }
  TFileTransfer transfer(progress);
  std::size_t reported = 0;
  for (std::size_t i = 0; i < jobs.size() && !transfer.Cancelled(); ++i) {
    std::string target = jobs[i].Target;
    if (flags_.Contains(fofRenameOnCollision) && Exists(ExcludeTrailingPathDelimiter(target))) {
      target = FreeNameFor(target);
    }
    const std::uint64_t before = progress.Done();
    if (operation_ == foCopy) {
      transfer.Copy(jobs[i].Source, target, sources_, targets_);
    } else {
      transfer.Move(jobs[i].Source, target, sources_, targets_);
    }
    // A rename moves no bytes; the display still has to move on by the item's size.
    const std::uint64_t moved = progress.Done() - before;
    if (!transfer.Cancelled() && moved < sizes[i])
      progress.Advance(jobs[i].Source, sizes[i] - moved);
    const auto& failures = transfer.Failures();
    for (; reported < failures.size(); ++reported) AddFailure(jobs[i].Index, failures[reported]);
  }
  anyOperationsAborted_ = transfer.Cancelled() || progress.Cancelled();
}

void TSHFileOperation::RunDeletes(const std::vector<TJob>& jobs) {
  TFileOperationProgressFactory* factory =
      flags_.Contains(fofSilent) ? nullptr : FileOperationProgressFactory();
  TProgressTracker progress(factory, progressTitle_.empty() ? DefaultTitle() : progressTitle_,
                            parent(), !flags_.Contains(fofSimpleProgress), progressDelay_);
  progress.SetTotal(jobs.size());
  const bool toTrash = flags_.Contains(fofAllowUndo);
  for (const TJob& job : jobs) {
    TAnchoredEntry entry;
    std::string error;
    if (sources_.Resolve(job.Source, entry, error)) {
      error = toTrash ? TrashOrWhyNot(entry) : RemoveEntryAt(entry.Folder.Get(), entry.Name);
    }
    if (!error.empty()) AddFailure(job.Index, {job.Source, error});
    if (!progress.Advance(job.Source, 1)) break;
  }
  anyOperationsAborted_ = progress.Cancelled();
}

void TSHFileOperation::RunRenames(const std::vector<TJob>& jobs) {
  for (const TJob& job : jobs) {
    TAnchoredEntry source, target;
    std::string error;
    if (sources_.Resolve(job.Source, source, error) &&
        sources_.Resolve(ExcludeTrailingPathDelimiter(job.Target), target, error)) {
      error = RenameNoReplace(source, target);
    }
    if (!error.empty()) AddFailure(job.Index, {job.Source, error});
  }
}

bool TSHFileOperation::ConfineResolvers() {
  sources_ = TEntryResolver();
  targets_ = TEntryResolver();
  confineError_.clear();
  return (confineTo_.empty() || sources_.ConfineTo(confineTo_, confineError_)) &&
         (confineTargetsTo_.empty() || targets_.ConfineTo(confineTargetsTo_, confineError_));
}

void TSHFileOperation::AddFailure(std::size_t index, TFileOpFailure failure) {
  const auto at = std::upper_bound(failureIndices_.begin(), failureIndices_.end(), index);
  const auto offset = at - failureIndices_.begin();
  failureIndices_.insert(at, index);
  failures_.insert(failures_.begin() + offset, std::move(failure));
}

void TSHFileOperation::ReportFailures() const {
  if (failures_.empty() || flags_.Contains(fofNoErrorUI) || !onReport_) return;
  std::string text = FailureHeading();
  for (const TFileOpFailure& failure : failures_) {
    text += "\r" + failure.Path + ": " + failure.Reason;
  }
  onReport_(text);
}

bool TSHFileOperation::Execute() {
  failures_.clear();
  failureIndices_.clear();
  anyOperationsAborted_ = false;
  std::vector<TJob> jobs = PlanJobs();
  if (!ConfineResolvers()) {
    for (const TJob& job : jobs) AddFailure(job.Index, {job.Source, confineError_});
    jobs.clear();
  }
  switch (operation_) {
    case foCopy:
    case foMove:
      RunTransfers(jobs);
      break;
    case foDelete:
      RunDeletes(jobs);
      break;
    case foRename:
      RunRenames(jobs);
      break;
  }
  ReportFailures();
  return failures_.empty() && !anyOperationsAborted_;
}
