#include "fileops/fileprogress.h"

#include <utility>

namespace {
TFileOperationProgressFactory* gProgressFactory = nullptr;
}  // namespace

TFileOperationProgressFactory* SetFileOperationProgressFactory(
    TFileOperationProgressFactory* factory) {
  TFileOperationProgressFactory* previous = gProgressFactory;
  gProgressFactory = factory;
  return previous;
}

TFileOperationProgressFactory* FileOperationProgressFactory() {
  return gProgressFactory;
}

TProgressTracker::TProgressTracker(TFileOperationProgressFactory* factory, std::string title,
                                   QObject* owner, bool showNames, std::chrono::milliseconds delay)
    : factory_(factory),
      title_(std::move(title)),
      owner_(owner),
      showNames_(showNames),
      delay_(delay),
      start_(std::chrono::steady_clock::now()) {}

bool TProgressTracker::Advance(const std::string& file, std::uint64_t units) {
  done_ += units;
  if (cancelled_) return false;
  if (factory_ == nullptr) return true;
  if (!display_) {
    if (std::chrono::steady_clock::now() - start_ < delay_) return true;
    display_ = factory_->Create(title_, owner_);
    if (!display_) {
      factory_ = nullptr;  // the factory declined; do not ask again for every block
      return true;
    }
  }
  const std::uint64_t total = total_ < done_ ? done_ : total_;
  if (!display_->Update(showNames_ ? file : std::string(), done_, total)) cancelled_ = true;
  return !cancelled_;
}
