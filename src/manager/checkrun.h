#pragma once

#include "manager/runmode.h"
#include "sfv/extensionrules.h"
#include "sfv/verify.h"

#include <string>

class TCRCSourcePool;
class TSFVList;

// What a check pass needs of the window that shows it.
class TCheckRunHost {
 public:
  virtual ~TCheckRunHost() = default;
  // A yield point: the window catches up at its own pace.
  virtual void Yield() = 0;
  // The run's abort flag, set by "Stop" or by closing the window.
  virtual bool AbortRequested() const = 0;
  // The row being verified; the window makes it current and keeps it in view.
  virtual void ShowRunningRow(int row) = 0;
  // The row's status changed; the window repaints it.
  virtual void RowChanged(int row) = 0;
};

// "Running " + done * 100 div total + "%".
std::string ProgressStatus(int done, int total);

// The row takes part in a run of that mode: never when moved or deleted; modes 1
// and 3 leave Skip and Hide alone, mode 2 takes "Waiting" and "Aborted" rows, mode
// 4 the selected ones; mode 0 verifies nothing.
bool IsRowPicked(TRunMode mode, const TSFVList& list, int row);

// The verification pass of a run: verifies the picked rows in list order without a
// view and writes each result into the row. Hashing runs on the CRC sources'
// threads; the host's yield and abort flag are polled meanwhile, so a stop takes
// effect within a large file and leaves the current row "Aborted".
class TCheckRun {
 public:
  // pool (optional) keeps the hashing threads for the whole run.
  TCheckRun(TSFVList& list, TCheckRunHost& host, TCRCSourcePool* pool = nullptr);

  void CheckRows(TRunMode mode);
  // Verifies one row: "Running...", its progress, then the result. An SFV that is
  // gone or cannot be read gives "Failed", and the run goes on.
  TVerifyResult CheckRow(int row);
  // The progress event: the running row shows how far its verification is.
  void ReportProgress(const std::string& sfvPath, int done, int total);

 private:
  TSFVList& list_;
  TCheckRunHost& host_;
  TCRCSourcePool* pool_;
  TExtensionRules rules_;
  int runningRow_ = -1;
};

// Writes a verification's outcome into a row: its status text, the fileDetails text
// and the "mine" flag.
void WriteVerifyResult(TSFVList& list, int row, TVerifyResult result,
                       const std::string& fileDetails, bool mine);
