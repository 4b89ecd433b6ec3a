#include "manager/datasetsethost.h"

#include "dataset/ntierdataset.h"

namespace {

template <typename F, typename... A>
void CallIfSet(const F& function, A&&... arguments) {
  if (function) function(std::forward<A>(arguments)...);
}

}  // namespace

TDatasetSetHost::TDatasetSetHost(TNTierDataset& list, TWindow window)
    : list_(list), window_(std::move(window)) {}

int TDatasetSetHost::ActionRowCount() const {
  return window_.ActionRowCount ? window_.ActionRowCount() : list_.SelectedCount();
}

void TDatasetSetHost::EnsureSelection() {
  CallIfSet(window_.EnsureSelection);
}

int TDatasetSetHost::SelectedCount() const {
  return list_.SelectedCount();
}

int TDatasetSetHost::SelectedRow(int n) const {
  return list_.SelectedRow(n);
}

TSetRow TDatasetSetHost::Row(int row) const {
  TSetRow set;
  set.Path = list_.FieldByName("Path", row).AsString();
  set.Filename = list_.FieldByName("Filename", row).AsString();
  set.Status = list_.FieldByName("Status", row).AsString();
  set.FileDetails = list_.FieldByName("FileDetails", row).AsString();
  set.Marked = list_.FieldByName("Marked", row).AsString();
  set.MovedOrDeleted = list_.FieldByName("MovedOrDeleted", row).AsBoolean();
  return set;
}

void TDatasetSetHost::SetMovedOrDeleted(int row) {
  if (window_.SetMovedOrDeleted) return window_.SetMovedOrDeleted(row);
  list_.FieldByName("MovedOrDeleted", row).SetAsBoolean(true);
}

void TDatasetSetHost::SetFilename(int row, const std::string& filename) {
  if (window_.SetFilename) return window_.SetFilename(row, filename);
  list_.FieldByName("Filename", row).SetAsString(filename);
}

void TDatasetSetHost::RenameMarkEntry(const std::string& oldPath, const std::string& newPath) {
  CallIfSet(window_.RenameMarkEntry, oldPath, newPath);
}

void TDatasetSetHost::ResortAndLocate(const std::string& filename) {
  if (window_.Resort)
    window_.Resort();
  else
    list_.Resort();
  const int row = list_.FindString("Filename", 0, filename, false, true);
  if (row >= 0) CallIfSet(window_.SetCurrentRow, row);
  CallIfSet(window_.Repaint);
}

void TDatasetSetHost::BeginBusy() {
  CallIfSet(window_.BeginBusy);
}

void TDatasetSetHost::EndBusy() {
  CallIfSet(window_.EndBusy);
}

void TDatasetSetHost::ShowStatusText(const std::string& text) {
  CallIfSet(window_.ShowStatusText, text);
}

void TDatasetSetHost::UpdateSummary() {
  CallIfSet(window_.UpdateSummary);
}

void TDatasetSetHost::Repaint() {
  CallIfSet(window_.Repaint);
}

void TDatasetSetHost::Yield() {
  CallIfSet(window_.Yield);
}

bool TDatasetSetHost::AbortRequested() const {
  return window_.AbortRequested && window_.AbortRequested();
}

std::vector<std::string> TDatasetSetHost::SearchFolders() const {
  return window_.SearchFolders ? window_.SearchFolders() : std::vector<std::string>{};
}
