#pragma once

#include "manager/setcommands.h"

#include <functional>

class TNTierDataset;

// The set commands' view of the manager window: rows and selection from the SFV
// list's dataset, everything that belongs to the window (busy mode, status bar,
// current row, mark lists, the pacer) through the callbacks the window fills in.
class TDatasetSetHost : public TSetCommandHost {
 public:
  struct TWindow {
    std::function<int()> ActionRowCount;
    std::function<void()> EnsureSelection;
    std::function<void(int row)> SetCurrentRow;
    std::function<void(const std::string& oldPath, const std::string& newPath)> RenameMarkEntry;
    std::function<void()> BeginBusy, EndBusy, UpdateSummary, Repaint, Yield;
    std::function<void(const std::string& text)> ShowStatusText;
    std::function<bool()> AbortRequested;
    std::function<std::vector<std::string>()> SearchFolders;
    // Writes that go through the list's own model when it keeps an index of the
    // rows; without them the dataset's fields are written directly.
    std::function<void(int row)> SetMovedOrDeleted;
    std::function<void(int row, const std::string& filename)> SetFilename;
    std::function<void()> Resort;
    QObject* Owner = nullptr;
  };

  TDatasetSetHost(TNTierDataset& list, TWindow window);

  int ActionRowCount() const override;
  void EnsureSelection() override;
  int SelectedCount() const override;
  int SelectedRow(int n) const override;
  TSetRow Row(int row) const override;
  void SetMovedOrDeleted(int row) override;
  void SetFilename(int row, const std::string& filename) override;
  void RenameMarkEntry(const std::string& oldPath, const std::string& newPath) override;
  void ResortAndLocate(const std::string& filename) override;
  void BeginBusy() override;
  void EndBusy() override;
  void ShowStatusText(const std::string& text) override;
  void UpdateSummary() override;
  void Repaint() override;
  void Yield() override;
  bool AbortRequested() const override;
  std::vector<std::string> SearchFolders() const override;
  QObject* OperationOwner() const override { return window_.Owner; }

 private:
  TNTierDataset& list_;
  TWindow window_;
};
