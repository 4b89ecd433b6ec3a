#pragma once

#include "sfv/verify.h"
#include "support/packedstrings.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TProgressLine;

// Prints a verification as text lines (the format is described in the --help text)
// and counts what it printed. Each row is printed as soon as it and every row before
// it has its final status, so a large SFV streams instead of waiting for its end.
class TConsoleReport final : public TVerifyView {
 public:
  // progress (optional) is erased before lines are written when both share a terminal.
  TConsoleReport(std::FILE* out, bool quiet, TProgressLine* progress = nullptr);

  void BeginSFV();
  // Prints what is left of the SFV's rows and its result line.
  void EndSFV(const std::string& sfvPath, TVerifyResult result);
  void PrintSummary();
  // Rows of the current SFV so far.
  std::size_t RowCount() const { return rows_.size(); }

  // TVerifyView
  void ShowView() override {}
  void AttachSFV(const std::string&) override {}
  int AppendRow() override;
  void SetFilename(int row, const std::string& fileName) override;
  void SetPath(int row, const std::string& folder) override;
  void SetStatus(int row, TFileStatus status) override;
  void SetSize(int, std::int64_t) override {}
  void SetTimestamp(int, TDateTime) override {}
  TFileStatus GetStatus(int row) const override;
  void MakeCurrent(int) override {}
  void Repaint() override {}
  void ShowSummary() override {}
  void SetFileDetailsXML(const std::string&) override {}

 private:
  // An SFV may list millions of files: a row holds only indexes into the tables below.
  static constexpr std::uint32_t kNoName = UINT32_MAX;
  struct TRow {
    std::uint32_t folder = 0;          // in folders_
    std::uint32_t fileName = kNoName;  // in fileNames_
    TFileStatus status = TFileStatus::None;
  };
  std::string_view FileName(const TRow& row) const;
  void PrintReadyRows();
  void WriteLine(const std::string& first, const std::string& path);

  std::FILE* out_;
  bool quiet_;
  bool sharesTerminal_;
  TProgressLine* progress_;
  std::deque<TRow> rows_;  // no copying as it grows
  TPackedStrings fileNames_;
  std::vector<std::string> folders_{""};
  std::unordered_map<std::string, std::uint32_t> folderIndex_;
  std::size_t printed_ = 0;
  std::string line_, path_;
  // Totals of the whole run.
  int sfvByResult_[4] = {0, 0, 0, 0};
  int filesOK_ = 0, filesIgnored_ = 0, filesFailed_ = 0;
};
