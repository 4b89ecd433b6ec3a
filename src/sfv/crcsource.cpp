#include "sfv/crcsource.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(10);
}

class TParallelCRCSource::TImpl {
 public:
  TImpl(int jobs, std::atomic<std::uint64_t>* bytes) {
    const int count = jobs < 1 ? 1 : jobs;
    workers_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) workers_.emplace_back([this, bytes] { Run(bytes); });
  }

  ~TImpl() {
    {
      const std::lock_guard lock(mutex_);
      quit_ = true;
      if (batch_) batch_->cancel = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_) worker.join();
  }

  void Announce(const std::vector<TCRCRequest>& requests) {
    auto batch = std::make_shared<TBatch>();
    batch->jobs.reserve(requests.size());
    for (const auto& request : requests) batch->jobs.push_back(TJob{request});
    Replace(std::move(batch));
  }

  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc, const TCRCWaitPoll& poll) {
    std::unique_lock lock(mutex_);
    if (!batch_ || batch_->answered >= batch_->jobs.size() ||
        batch_->jobs[batch_->answered].request.Path != request.Path) {
      // Not what was announced: whatever was hashed ahead is of no use any more.
      auto single = std::make_shared<TBatch>();
      single->jobs.push_back(TJob{request});
      lock.unlock();
      Replace(std::move(single));
      lock.lock();
    }
    const std::shared_ptr<TBatch> batch = batch_;
    const std::size_t index = batch->answered++;
    while (!batch->jobs[index].done) {
      done_.wait_for(lock, kPollInterval);
      if (batch->jobs[index].done || !poll) continue;
      lock.unlock();
      const bool stop = poll();
      lock.lock();
      if (stop) {
        batch->cancel = true;
        return TCRCStatus::Aborted;
      }
    }
    const TJob& job = batch->jobs[index];
    crc = job.crc;
    return job.status;
  }

 private:
  struct TJob {
    TCRCRequest request;
    bool done = false;
    TCRCStatus status = TCRCStatus::Failed;
    std::uint32_t crc = 0;
  };
  struct TBatch {
    std::vector<TJob> jobs;
    std::size_t taken = 0;
    std::size_t answered = 0;
    std::atomic<bool> cancel{false};
  };

  void Replace(std::shared_ptr<TBatch> batch) {
    {
      const std::lock_guard lock(mutex_);
      if (batch_) batch_->cancel = true;
      batch_ = std::move(batch);
    }
    wake_.notify_all();
  }

  void Run(std::atomic<std::uint64_t>* bytes) {
    TFileCRCReader reader;
    reader.SetByteCounter(bytes);
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] {
        return quit_ || (batch_ && !batch_->cancel && batch_->taken < batch_->jobs.size());
      });
      if (quit_) return;
      const std::shared_ptr<TBatch> batch = batch_;
      TJob& job = batch->jobs[batch->taken++];
      lock.unlock();
      std::uint32_t crc = 0;
      const TCRCStatus status =
          reader.Compute(job.request.Path, crc, &batch->cancel, job.request.KnownSize);
      lock.lock();
      job.status = status;
      job.crc = crc;
      job.done = true;
      done_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::shared_ptr<TBatch> batch_;
  bool quit_ = false;
  std::vector<std::thread> workers_;  // last: the threads use everything above
};

TParallelCRCSource::TParallelCRCSource(int jobs, std::atomic<std::uint64_t>* bytes)
    : impl_(std::make_unique<TImpl>(jobs, bytes)) {}

TParallelCRCSource::~TParallelCRCSource() = default;

void TParallelCRCSource::Announce(const std::vector<TCRCRequest>& requests) {
  impl_->Announce(requests);
}

TCRCStatus TParallelCRCSource::Compute(const TCRCRequest& request, std::uint32_t& crc,
                                       const TCRCWaitPoll& poll) {
  return impl_->Compute(request, crc, poll);
}

class TBackgroundCRCSource::TImpl {
 public:
  TParallelCRCSource worker{1};
};

TBackgroundCRCSource::TBackgroundCRCSource() : impl_(std::make_unique<TImpl>()) {}

TBackgroundCRCSource::~TBackgroundCRCSource() = default;

TCRCStatus TBackgroundCRCSource::Compute(const TCRCRequest& request, std::uint32_t& crc,
                                         const TCRCWaitPoll& poll) {
  // No announcement: one file at a time, only the one asked for.
  return impl_->worker.Compute(request, crc, poll);
}
