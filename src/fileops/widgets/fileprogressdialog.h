#pragma once

#include "fileops/fileprogress.h"
#include "support/pacer.h"

#include <QPointer>
#include <QProgressDialog>

class QWidget;

// The progress display of long file operations: a modal dialog with a Cancel
// button. Updates come per file or block, but the dialog shows them and lets the
// window program process its events at frame rate, through its pacer; being
// modal, it lets no other command start meanwhile.
class TFileProgressDialog final : public TFileOperationProgress {
 public:
  TFileProgressDialog(const std::string& title, QWidget* parent);
  ~TFileProgressDialog() override;
  TFileProgressDialog(const TFileProgressDialog&) = delete;
  TFileProgressDialog& operator=(const TFileProgressDialog&) = delete;

  bool Update(const std::string& file, std::uint64_t done, std::uint64_t total) override;

  QProgressDialog* Dialog() const { return dialog_; }

 private:
  void ShowPending();

  // Guarded: a window closed while the dialog waits takes the dialog with it.
  QPointer<QProgressDialog> dialog_;
  TFramePacer pacer_;
  QString pendingFile_;
  int pendingValue_ = 0;
};

// Installed by the window program with TScopedFileOperationProgressFactory.
class TFileProgressDialogFactory final : public TFileOperationProgressFactory {
 public:
  std::unique_ptr<TFileOperationProgress> Create(const std::string& title, QObject* owner) override;
};
