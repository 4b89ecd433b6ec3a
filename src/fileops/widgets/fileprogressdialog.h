#pragma once

#include "fileops/fileprogress.h"

#include <QPointer>
#include <QProgressDialog>

class QWidget;

// The progress display of long file operations: a modal dialog with a Cancel
// button. It keeps the window program alive by processing events at each update;
// being modal, it lets no other command start meanwhile.
class TFileProgressDialog final : public TFileOperationProgress {
 public:
  TFileProgressDialog(const std::string& title, QWidget* parent);
  ~TFileProgressDialog() override;
  TFileProgressDialog(const TFileProgressDialog&) = delete;
  TFileProgressDialog& operator=(const TFileProgressDialog&) = delete;

  bool Update(const std::string& file, std::uint64_t done, std::uint64_t total) override;

  QProgressDialog* Dialog() const { return dialog_; }

 private:
  // Guarded: a window closed while the dialog waits takes the dialog with it.
  QPointer<QProgressDialog> dialog_;
};

// Installed by the window program with TScopedFileOperationProgressFactory.
class TFileProgressDialogFactory final : public TFileOperationProgressFactory {
 public:
  std::unique_ptr<TFileOperationProgress> Create(const std::string& title, QObject* owner) override;
};
