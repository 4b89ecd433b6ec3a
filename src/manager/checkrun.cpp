#include "manager/checkrun.h"

#include "dataset/ntierdataset.h"
#include "manager/sfvlist.h"
#include "sfv/crcsourcepool.h"
#include "sfv/sfvfiles.h"
#include "support/paths.h"

std::string ProgressStatus(int done, int total) {
  const long long percent = total > 0 ? static_cast<long long>(done) * 100 / total : 0;
  return "Running " + std::to_string(percent) + "%";
}

bool IsRowPicked(TRunMode mode, const TSFVList& list, int row) {
  if (list.MovedOrDeleted(row)) return false;
  switch (mode) {
    case TRunMode::SearchOnly:
      return false;
    case TRunMode::SearchAndCheckAll:
    case TRunMode::CheckAll: {
      const char mark = list.Marked(row);
      return mark != kMarkSkip && mark != kMarkHide;
    }
    case TRunMode::CheckWaitingOnly: {
      const std::string status = list.Status(row);
      return status == kStatusWaiting || status == kStatusAborted;
    }
    case TRunMode::CheckSelectedOnly:
      return list.Rows().IsSelected(row);
  }
  return false;
}

void WriteVerifyResult(TSFVList& list, int row, TVerifyResult result,
                       const std::string& fileDetails, bool mine) {
  list.SetStatus(row, VerifyResultText(result));
  TNTierDataset& rows = list.Rows();
  rows.FieldByName("FileDetails", row).SetAsString(fileDetails);
  rows.FieldByName("Mine", row).SetAsBoolean(mine);
}

TCheckRun::TCheckRun(TSFVList& list, TCheckRunHost& host, TCRCSourcePool* pool)
    : list_(list), host_(host), pool_(pool) {}

void TCheckRun::CheckRows(TRunMode mode) {
  // Taken once: the commands that add or remove rows are off while a run goes on.
  const int count = list_.RowCount();
  for (int row = 0; row < count && row < list_.RowCount(); ++row) {
    if (!IsRowPicked(mode, list_, row)) continue;
    if (host_.AbortRequested()) break;
    CheckRow(row);
  }
  runningRow_ = -1;
}

TVerifyResult TCheckRun::CheckRow(int row) {
  runningRow_ = row;
  host_.ShowRunningRow(row);
  list_.SetStatus(row, kStatusRunning);
  host_.RowChanged(row);

  const std::string folder = IncludeTrailingPathDelimiter(list_.Path(row));
  const std::string name = list_.Filename(row);
  std::string text, problem;
  if (!LoadSFVText(folder + name, text, problem)) {
    list_.SetStatus(row, kStatusFailed);
    host_.RowChanged(row);
    return vrFailed;
  }
  TVerifyOptions options;
  options.OnProgress = [this](const std::string& path, int done, int total) {
    ReportProgress(path, done, total);
  };
  options.OnQueryAbort = [this](bool& abort) { abort = host_.AbortRequested(); };
  options.Yield = [this] { host_.Yield(); };
  if (pool_ != nullptr) options.CRCSource = &pool_->SourceFor(folder + name);
  rules_.Refresh(list_.Config());
  options.Rules = &rules_;
  std::string details;
  bool mine = false;
  const TVerifyResult result =
      VerifySFV(std::move(text), folder, name, list_.Config(), details, mine, options);
  WriteVerifyResult(list_, row, result, details, mine);
  host_.RowChanged(row);
  return result;
}

void TCheckRun::ReportProgress(const std::string&, int done, int total) {
  if (runningRow_ < 0 || runningRow_ >= list_.RowCount()) return;
  list_.SetStatus(runningRow_, ProgressStatus(done, total));
  host_.RowChanged(runningRow_);
}
