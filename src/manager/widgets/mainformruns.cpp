#include "manager/widgets/mainform.h"

#include "checkwindow/widgets/checksfvwindow.h"
#include "config/options.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "manager/checkrun.h"
#include "manager/pathsearch.h"
#include "manager/sfvlist.h"
#include "sfv/crcsourcepool.h"
#include "sfv/sfvfiles.h"
#include "sfv/sfvformat.h"
#include "support/exceptions.h"
#include "support/guard.h"
#include "support/messages.h"
#include "support/pacer.h"
#include "support/paths.h"
#include "support/strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

// Check runs: the search and the verification passes, Visual Check and the
// recheck of an SFV a check window hands back.

namespace {

// A hand-back that arrives while a command works on the rows waits this long
// before it tries again.
constexpr int kRecheckRetryMilliseconds = 100;

}  // namespace

// The window as the check pass sees it: yields go through the window's pacer; the
// running row is made current, and changed rows are shown, at the next frame.
class TMainForm::TRunHost final : public TCheckRunHost {
 public:
  explicit TRunHost(TMainForm& form) : form_(form) {}
  void Yield() override { form_.pacer_->Yield(); }
  bool AbortRequested() const override { return form_.abortRequested_; }
  void ShowRunningRow(int row) override {
    form_.runningRow_ = row;
    form_.runningRowShown_ = false;
  }
  // Every frame repaints the list (ShowFrame); a repaint per status change would
  // cost more than many small files take to verify.
  void RowChanged(int) override {}

 private:
  TMainForm& form_;
};

// --- The run frame -------------------------------------------------------------

void TMainForm::actStartExecute() {
  const std::optional<TRunMode> mode = RunModeFromNumber(ReadOption(*config_, kDefaultStartAction));
  if (!mode) {
    if (AskQuestion("There is no default \"Start\" action. Would you like to choose one now?") ==
        mrYes)
      actOptionsExecute();
    return;
  }
  RunFrame(*mode);
}

void TMainForm::actStartSearchOnlyExecute() {
  RunFrame(TRunMode::SearchOnly);
}

void TMainForm::actStartSearchAndCheckExecute() {
  RunFrame(TRunMode::SearchAndCheckAll);
}

void TMainForm::actStartCheckWaitingExecute() {
  RunFrame(TRunMode::CheckWaitingOnly);
}

void TMainForm::actStartCheckAllExecute() {
  RunFrame(TRunMode::CheckAll);
}

void TMainForm::actStartCheckSelectedExecute() {
  RunFrame(TRunMode::CheckSelectedOnly);
}

void TMainForm::RunFrame(TRunMode mode) {
  if (running_) return;
  running_ = true;
  SetActionsEnabled(false);
  if (mode == TRunMode::CheckSelectedOnly) grd_->EnsureSelection();
  ds_->SetSelectionLocked(true);
  // A header click would reorder the rows under the check pass.
  grd_->SetColumnSorting(false);
  abortRequested_ = false;
  const QMetaObject::Connection frames =
      connect(pacer_, &TFramePacer::FrameDue, this, &TMainForm::ShowRunFrame);
  {
    const auto restore = qScopeGuard([&] {
      disconnect(frames);
      abortRequested_ = false;
      running_ = false;
      runningRow_ = -1;
      ds_->SetSelectionLocked(false);
      grd_->SetColumnSorting(true);
      chkShowHidden_->setEnabled(true);
      SetActionsEnabled(false);
    });
    GuardedCommand("", [&] { ExecuteRun(mode); });
  }
  pacer_->Flush();
  if (mode != TRunMode::SearchOnly) MarkGoodAfterRun();
}

void TMainForm::MarkGoodAfterRun() {
  if (!ReadOption(*config_, kMarkGoodAsSkipAuto)) return;
  actMarkGoodAsSkipExecute();
  // A window closed during the run saved its configuration before these marks.
  if (closing_) SaveClosingState();
}

void TMainForm::LockForRun() {
  for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
    // "needsRows" marks the commands that act on rows (mainform.cpp).
    if (action->property("needsRows").toBool()) action->setEnabled(false);
  }
  for (QAction* action : {actStart, actStartSearchOnly, actStartSearchAndCheck,
                          actStartCheckWaiting, actStartCheckAll, actStartCheckSelected})
    action->setEnabled(false);
  actStop->setEnabled(true);
  popMove_->setEnabled(false);
  popCopy_->setEnabled(false);
  chkShowHidden_->setEnabled(false);
}

void TMainForm::ShowRunFrame() {
  if (appendingRows_) {
    // The rows found since the last frame reach the grid as one change.
    ds_->EndUpdate();
    ds_->BeginUpdate();
  }
  if (!runningRowShown_ && runningRow_ >= 0 && runningRow_ < ds_->RowCount()) {
    runningRowShown_ = true;
    grd_->SetCurrentDataRow(runningRow_);
  }
}

void TMainForm::ExecuteRun(TRunMode mode) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto end = qScopeGuard([this] {
    grd_->InvalidateData();
    SetRunStateText(QStringLiteral("Complete"));
    UpdateSummary();
    QApplication::restoreOverrideCursor();
  });
  if (mode == TRunMode::SearchOnly || mode == TRunMode::SearchAndCheckAll) {
    SetRunStateText(QStringLiteral("Running..."));
    SearchPaths();
  }
  if (mode != TRunMode::SearchOnly) CheckRows(mode);
}

void TMainForm::actStopExecute() {
  SetRunStateText(QStringLiteral("Aborted"));
  abortRequested_ = true;
}

// --- The search ----------------------------------------------------------------

bool TMainForm::MatchesFilter(const std::string& fileName) const {
  return TSearchFilter(FilterText().toStdString()).Matches(fileName);
}

void TMainForm::SearchPaths() {
  ds_->Clear();
  grd_->InvalidateData();
  pacer_->RequestFrame();
  pacer_->Yield();
  // Back on afterwards, unless the run around the search keeps it off.
  grd_->SetColumnSorting(false);
  const auto sorting = qScopeGuard([this] { grd_->SetColumnSorting(!running_); });

  // Copied: the Paths window may rewrite the document while the walk yields.
  std::vector<std::string> folders;
  if (UseLaunchedPaths()) {
    folders = launchedPaths_;
  } else if (HasActivePath(*config_)) {
    folders = ActiveConfiguredPaths(*config_);
  } else if (AskQuestion("There are no active paths. Would you like to set up paths now?") ==
             mrYes) {
    actPathsExecute();
  }

  TPathSearch search(*list_, TSearchFilter(FilterText().toStdString()), ShowHiddenChecked(),
                     [this] {
                       pacer_->Yield();
                       return abortRequested_;
                     });
  {
    search_ = &search;
    ds_->BeginUpdate();
    appendingRows_ = true;
    const auto appended = qScopeGuard([this] {
      search_ = nullptr;
      appendingRows_ = false;
      ds_->EndUpdate();
    });
    for (const std::string& folder : folders) search.SearchFolder(folder);
  }
  list_->Resort();
  grd_->InvalidateData();
  UpdateSummary();
  pacer_->Flush();
}

void TMainForm::SearchFolder(const std::string& folder) {
  if (search_ != nullptr) {
    search_->SearchFolder(folder);
    return;
  }
  TPathSearch search(*list_, TSearchFilter(FilterText().toStdString()), ShowHiddenChecked(),
                     [this] {
                       pacer_->Yield();
                       return abortRequested_;
                     });
  search.SearchFolder(folder);
}

// --- The check pass --------------------------------------------------------------

void TMainForm::CheckRows(TRunMode mode) {
  if (ds_->RowCount() == 0) {
    grd_->viewport()->update();
    return;
  }
  if (mode == TRunMode::CheckSelectedOnly) grd_->EnsureSelection();
  TRunHost host(*this);
  // The hashing threads start once for the run, not once per SFV.
  TCRCSourcePool sources;
  TCheckRun run(*list_, host, &sources);
  check_ = &run;
  const auto done = qScopeGuard([this] { check_ = nullptr; });
  run.CheckRows(mode);
  // The last row verified is current at the end, whether a frame showed it or not.
  ShowRunFrame();
  grd_->InvalidateData();
}

void TMainForm::ReportProgress(const std::string& sfvPath, int done, int total) {
  if (check_ != nullptr) {
    check_->ReportProgress(sfvPath, done, total);
    return;
  }
  if (runningRow_ < 0 || runningRow_ >= ds_->RowCount()) return;
  list_->SetStatus(runningRow_, ProgressStatus(done, total));
  grd_->InvalidateRow(runningRow_);
}

// --- Visual Check ----------------------------------------------------------------

void TMainForm::actVisualCheckSFVExecute() {
  if (grd_->ActionRowCount() == 0) return;
  if (showDetails_) {
    showDetails_ = false;
    ShowFileDetails();
  }
  grd_->EnsureSelection();
  {
    BeginBusy();
    const auto end = qScopeGuard([this] {
      runningRow_ = -1;
      EndBusy();
    });
    GuardedCommand("", [&] {
      for (int row = 0; row < ds_->RowCount(); ++row)
        if (ds_->IsSelected(row) && !list_->MovedOrDeleted(row)) VisualCheckRow(row);
    });
  }
  MarkGoodAfterRun();
}

void TMainForm::VisualCheckRow(int row) {
  const std::string file = list_->FullPath(row);
  if (!FileExists(file)) {
    ShowWarning(file + " was not found.");
    return;
  }
  for (TfrmCheckSFV* open : findChildren<TfrmCheckSFV*>(Qt::FindDirectChildrenOnly)) {
    if (open->isVisible() && !open->Closing() && SameTextASCII(open->SFVPath(), file)) {
      open->showNormal();
      open->raise();
      open->activateWindow();
      return;
    }
  }
  std::string text, problem;
  if (!LoadSFVText(file, text, problem)) {
    ShowWarning("The SFV file " + file + " " + problem + ".");
    return;
  }
  // A window of its own on screen, put away with the manager at the latest.
  const QPointer<TfrmCheckSFV> window = new TfrmCheckSFV(this, this);
  grd_->SetCurrentDataRow(row);
  runningRow_ = row;
  const std::string folder = IncludeTrailingPathDelimiter(list_->Path(row));
  const std::string name = list_->Filename(row);
  std::string details;
  bool mine = false;
  const TVerifyResult result = window->RunVerification([&](TVerifyOptions options) {
    options.OnProgress = [this](const std::string& path, int done, int total) {
      ReportProgress(path, done, total);
    };
    return VerifySFV(std::move(text), folder, name, *config_, details, mine, options);
  });
  WriteVerifyResult(*list_, row, result, details, mine);
  grd_->InvalidateRow(row);
  UpdateSummary();
}

// --- Recheck hand-back -----------------------------------------------------------

void TMainForm::RecheckSFV(const std::string& sfvPath) {
  // Selection locked: a run or a command is working on the rows by position.
  if (ds_->SelectionLocked()) {
    QTimer::singleShot(kRecheckRetryMilliseconds, this, [this, sfvPath] { RecheckSFV(sfvPath); });
    return;
  }
  const std::string name = ExtractFileName(sfvPath);
  const std::string folder = ExtractFilePath(sfvPath);
  int found = -1;
  for (int row = 0; row < ds_->RowCount() && found < 0; ++row) {
    if (SameTextASCII(list_->Filename(row), name) &&
        SameTextASCII(IncludeTrailingPathDelimiter(list_->Path(row)), folder))
      found = row;
  }
  GuardedCommand("", [&] {
    if (found < 0 || !list_->ReadRowDetailsIfReadable(found)) return;
    grd_->InvalidateData();
    grd_->SetCurrentDataRow(found);
    actVisualCheckSFVExecute();
  });
  list_->Resort();
  grd_->InvalidateData();
  UpdateSummary();
}
