#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QObject;

// What a long file operation shows while it runs. The window program installs a
// dialog; without one the work runs unseen and cannot be cancelled.
class TFileOperationProgress {
 public:
  virtual ~TFileOperationProgress() = default;
  // done of total units (bytes, or items for deletes and renames); file is empty
  // when names are not to be shown. Returns false once the user asked to stop.
  // The dialog lets the window process its events here, so the window stays alive.
  virtual bool Update(const std::string& file, std::uint64_t done, std::uint64_t total) = 0;
};

class TFileOperationProgressFactory {
 public:
  virtual ~TFileOperationProgressFactory() = default;
  // owner: the object that owns the operation, so the dialog can sit above its window.
  virtual std::unique_ptr<TFileOperationProgress> Create(const std::string& title,
                                                         QObject* owner) = 0;
};

// Installs the factory used from now on and returns the previous one; nullptr
// means no progress display. The caller keeps ownership.
TFileOperationProgressFactory* SetFileOperationProgressFactory(
    TFileOperationProgressFactory* factory);
TFileOperationProgressFactory* FileOperationProgressFactory();

class TScopedFileOperationProgressFactory {
 public:
  explicit TScopedFileOperationProgressFactory(TFileOperationProgressFactory& factory)
      : previous_(SetFileOperationProgressFactory(&factory)) {}
  ~TScopedFileOperationProgressFactory() { SetFileOperationProgressFactory(previous_); }
  TScopedFileOperationProgressFactory(const TScopedFileOperationProgressFactory&) = delete;
  TScopedFileOperationProgressFactory& operator=(const TScopedFileOperationProgressFactory&) =
      delete;

 private:
  TFileOperationProgressFactory* previous_;
};

// Counts the work of one batch and brings up the display only once the batch has
// run for longer than the delay, so quick operations never flash a dialog.
class TProgressTracker {
 public:
  // factory may be nullptr (nothing is shown, nothing can cancel).
  TProgressTracker(TFileOperationProgressFactory* factory, std::string title, QObject* owner,
                   bool showNames, std::chrono::milliseconds delay);

  void SetTotal(std::uint64_t total) { total_ = total; }
  // Adds units done on file; returns false once the user has cancelled.
  bool Advance(const std::string& file, std::uint64_t units);
  bool Cancelled() const { return cancelled_; }
  std::uint64_t Done() const { return done_; }

 private:
  TFileOperationProgressFactory* factory_;
  std::string title_;
  QObject* owner_;
  bool showNames_;
  std::chrono::milliseconds delay_;
  std::chrono::steady_clock::time_point start_;
  std::unique_ptr<TFileOperationProgress> display_;
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
  bool cancelled_ = false;
};
