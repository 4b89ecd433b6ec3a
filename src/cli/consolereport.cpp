#include "cli/consolereport.h"

#include "cli/progressline.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

namespace {

bool IsFinal(TFileStatus status) {
  switch (status) {
    case TFileStatus::OK:
    case TFileStatus::Ignored:
    case TFileStatus::CRCFailed:
    case TFileStatus::NotFound:
    case TFileStatus::NoCRC:
      return true;
    case TFileStatus::None:
    case TFileStatus::Waiting:
    case TFileStatus::Running:
      return false;
  }
  return false;
}

// A stranger's list could name files with escape sequences that rewrite what the
// terminal shows; there they appear as "\x1B" and the like. Scripts reading a pipe
// or file get the bytes.
void AppendEscaped(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b != 0x7f) {
      line += c;
    } else {
      line += "\\x";
      line += kHex[b >> 4];
      line += kHex[b & 0xf];
    }
  }
}

}  // namespace

TConsoleReport::TConsoleReport(std::FILE* out, bool quiet, TProgressLine* progress)
    : out_(out),
      quiet_(quiet),
      sharesTerminal_(::isatty(::fileno(out)) != 0),
      progress_(progress) {}

void TConsoleReport::BeginSFV() {
  rows_.clear();
  fileNames_ = TPackedStrings();
  folders_.resize(1);
  folderIndex_.clear();
  printed_ = 0;
}

int TConsoleReport::AppendRow() {
  rows_.emplace_back();
  return static_cast<int>(rows_.size()) - 1;
}

void TConsoleReport::SetFilename(int row, const std::string& fileName) {
  TRow& target = rows_.at(static_cast<std::size_t>(row));
  target.fileName = static_cast<std::uint32_t>(fileNames_.Size());
  fileNames_.Add(fileName);
}

void TConsoleReport::SetPath(int row, const std::string& folder) {
  TRow& target = rows_.at(static_cast<std::size_t>(row));
  // The files of a set mostly share a few folders.
  const auto [known, added] =
      folderIndex_.try_emplace(folder, static_cast<std::uint32_t>(folders_.size()));
  if (added) folders_.push_back(folder);
  target.folder = known->second;
}

void TConsoleReport::SetStatus(int row, TFileStatus status) {
  rows_.at(static_cast<std::size_t>(row)).status = status;
  if (static_cast<std::size_t>(row) == printed_ && IsFinal(status)) PrintReadyRows();
}

TFileStatus TConsoleReport::GetStatus(int row) const {
  return rows_.at(static_cast<std::size_t>(row)).status;
}

std::string_view TConsoleReport::FileName(const TRow& row) const {
  return row.fileName == kNoName ? std::string_view() : fileNames_[row.fileName];
}

void TConsoleReport::PrintReadyRows() {
  while (printed_ < rows_.size() && IsFinal(rows_[printed_].status)) {
    const TRow& row = rows_[printed_++];
    const bool ok = row.status == TFileStatus::OK;
    const bool ignored = row.status == TFileStatus::Ignored;
    filesOK_ += ok;
    filesIgnored_ += ignored;
    filesFailed_ += !ok && !ignored;
    if (progress_) progress_->FileDone();
    if (!quiet_ || (!ok && !ignored)) {
      path_.assign(folders_[row.folder]);
      path_ += FileName(row);
      WriteLine(FileStatusText(row.status), path_);
    }
  }
  if (progress_) progress_->Tick();
}

void TConsoleReport::EndSFV(const std::string& sfvPath, TVerifyResult result) {
  // After a stop, rows that never got a final status have nothing to report.
  PrintReadyRows();
  ++sfvByResult_[result];
  if (!quiet_ || (result != vrVerifiedOK && result != vrAccepted)) {
    WriteLine(std::string("SFV ") + VerifyResultText(result), sfvPath);
  }
  BeginSFV();
}

void TConsoleReport::PrintSummary() {
  const int sfvCount = sfvByResult_[0] + sfvByResult_[1] + sfvByResult_[2] + sfvByResult_[3];
  char text[256];
  std::snprintf(text, sizeof text,
                "SFV %d,  Verified OK %d,  Accepted %d,  Failed %d,  Aborted %d;  "
                "Files %d,  OK %d,  Ignored %d,  Failed %d",
                sfvCount, sfvByResult_[vrVerifiedOK], sfvByResult_[vrAccepted],
                sfvByResult_[vrFailed], sfvByResult_[vrAborted],
                filesOK_ + filesIgnored_ + filesFailed_, filesOK_, filesIgnored_, filesFailed_);
  if (progress_) progress_->Clear();
  std::fprintf(out_, "Summary\t%s\n", text);
  std::fflush(out_);
}

void TConsoleReport::WriteLine(const std::string& first, const std::string& path) {
  line_.assign(first);
  line_ += '\t';
  if (sharesTerminal_) {
    AppendEscaped(line_, path);
  } else {
    // A line break inside a name would split the record.
    const std::size_t start = line_.size();
    line_ += path;
    for (std::size_t i = start; i < line_.size(); ++i) {
      if (line_[i] == '\n' || line_[i] == '\r') line_[i] = '?';
    }
  }
  line_ += '\n';
  if (sharesTerminal_ && progress_) progress_->Clear();
  std::fwrite(line_.data(), 1, line_.size(), out_);
  if (sharesTerminal_) std::fflush(out_);
}
