#include "sfv/crcsource.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

constexpr auto kPollInterval = 10ms;
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kJobsPerTake = 4;

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// How to wait. For a file the caller needs now, a short spin and short naps; for
// work done ahead, naps long enough that the workers build up a lead in the
// meantime, so the caller wakes rarely and never takes a core from them.
struct TWaitStyle {
  int spins;
  std::chrono::microseconds firstNap;
};
constexpr TWaitStyle kWaitForNeeded{256, 20us};
constexpr TWaitStyle kWaitForAhead{0, 200us};

// Waits until ready() says so, at no cost to the thread that makes it true: no
// wake-up call is needed, because the waiter naps in steps growing up to a
// millisecond. With thousands of small files a wake-up per file would cost the
// workers more than the hashing. poll is called at least every kPollInterval;
// returns false when it asked to stop.
template <typename TReady>
bool AwaitReady(const TReady& ready, const TCRCWaitPoll& poll, TWaitStyle style) {
  for (int spin = 0; spin < style.spins; ++spin) {
    if (ready()) return true;
    CpuRelax();
  }
  std::chrono::microseconds delay = style.firstNap;
  TClock::time_point lastPoll = TClock::now();
  while (!ready()) {
    std::this_thread::sleep_for(delay);
    delay = std::min<std::chrono::microseconds>(delay * 2, 1ms);
    if (poll && TClock::now() - lastPoll >= kPollInterval) {
      if (poll()) return false;
      lastPoll = TClock::now();
    }
  }
  return true;
}

}  // namespace

class TParallelCRCSource::TImpl {
 public:
  TImpl(int jobs, std::atomic<std::uint64_t>* bytes, std::int64_t hashAheadLimit)
      : hashAheadLimit_(hashAheadLimit) {
    const int count = std::max(jobs, 1);
    workerCount_ = static_cast<std::size_t>(count);
    workers_.reserve(workerCount_);
    for (int i = 0; i < count; ++i) {
      try {
        workers_.emplace_back([this, bytes] { Run(bytes); });
      } catch (const std::system_error&) {
        // No room for another thread: those started do the work.
        if (workers_.empty()) throw std::bad_alloc();
        break;
      }
    }
  }

  ~TImpl() {
    {
      const std::lock_guard lock(mutex_);
      quit_ = true;
      if (announced_) announced_->cancel = true;
      if (urgent_) urgent_->cancel = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_) worker.join();
  }

  void Announce(std::shared_ptr<const TPackedStrings> names) {
    std::shared_ptr<TBatch> batch;
    if (names && !names->Empty()) batch = std::make_shared<TBatch>(std::move(names), true);
    nextFind_ = 0;
    handedOut_.clear();
    Publish(announced_, std::move(batch));
  }

  TLookupStatus Find(std::string_view name, TFoundFile& found, const TCRCWaitPoll& poll) {
    std::size_t index = kNone;
    // A batch given up on (after a stop) answers nothing more.
    if (announced_ && !announced_->cancel && nextFind_ < announced_->jobs.size() &&
        announced_->Name(nextFind_) == name) {
      index = nextFind_++;
      TJob& job = announced_->jobs[index];
      if (!AwaitReady([&job] { return job.stage.load(std::memory_order_acquire) >= 1; }, poll,
                      AheadWaitStyle(index))) {
        announced_->cancel = true;
        return TLookupStatus::Aborted;
      }
      ThrowIfOutOfMemory();
      if (job.opened) {
        found.Path.assign(name);
        found.Size = job.knownSize;
        found.ModifiedTime = job.modifiedTime;
        found.Regular = job.regular;
        handedOut_.push_back(index);
        return TLookupStatus::Found;
      }
    }
    // Not opened ahead (missing under that exact name, or not readable): ask the
    // file system the slow way, which also tries other letter cases.
    if (!lookup_.Find(std::string(name), found)) return TLookupStatus::NotFound;
    handedOut_.push_back(kNone);
    return TLookupStatus::Found;
  }

  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc, const TCRCWaitPoll& poll) {
    std::size_t index = kNone;
    if (!handedOut_.empty()) {
      index = handedOut_.front();
      handedOut_.pop_front();
    }
    std::shared_ptr<TBatch> batch = announced_;
    TWaitStyle style = AheadWaitStyle(index);
    if (index == kNone || !batch || batch->cancel || batch->Name(index) != request.Path ||
        !HashedAhead(*batch, batch->jobs[index])) {
      style = kWaitForNeeded;
      auto names = std::make_shared<TPackedStrings>();
      names->Add(request.Path);
      batch = std::make_shared<TBatch>(std::move(names), false);
      batch->jobs[0].knownSize = request.KnownSize;
      urgentWaiting_ = true;
      Publish(urgent_, batch);
      index = 0;
    }
    TJob& job = batch->jobs[index];
    const bool ready =
        AwaitReady([&job] { return job.stage.load(std::memory_order_acquire) >= 2; }, poll, style);
    urgentWaiting_ = false;
    ThrowIfOutOfMemory();
    if (!ready) {
      batch->cancel = true;
      if (announced_) announced_->cancel = true;
      return TCRCStatus::Aborted;
    }
    crc = job.crc;
    return job.status;
  }

 private:
  // Kept small: a batch may hold millions.
  struct TJob {
    std::int64_t knownSize = -1;  // hashes; for probes, the size found
    std::time_t modifiedTime = 0;
    std::uint32_t crc = 0;
    TCRCStatus status = TCRCStatus::Failed;
    bool opened = false;
    bool regular = false;
    std::atomic<std::uint8_t> stage{0};  // 1: examined, 2: hashed; the fields above are final then
  };
  // Workers take jobs by counting `taken` up, without a lock.
  struct TBatch {
    TBatch(std::shared_ptr<const TPackedStrings> fileNames, bool probes)
        : names(std::move(fileNames)), jobs(names->Size()), probe(probes) {}
    bool HasWork() const { return !cancel && taken < jobs.size(); }
    std::string_view Name(std::size_t index) const { return (*names)[index]; }
    const std::shared_ptr<const TPackedStrings> names;  // as listed (probes) or as found
    std::vector<TJob> jobs;                             // one per name
    const bool probe;  // open and examine each file before hashing it
    std::atomic<std::size_t> taken{0};
    std::atomic<bool> cancel{false};
  };

  // Known once the job is examined (stage 1): a probe of a larger file leaves the hash
  // to the caller's request.
  bool HashedAhead(const TBatch& batch, const TJob& job) const {
    return !batch.probe || !job.regular || job.knownSize <= hashAheadLimit_;
  }

  // How to wait for an announced job. The first ones of a batch have had no time
  // to get ahead: a short SFV would otherwise nap for each set it checks.
  TWaitStyle AheadWaitStyle(std::size_t index) const {
    return index < workerCount_ ? kWaitForNeeded : kWaitForAhead;
  }

  // A worker that ran out of memory could not answer; the caller hears of it.
  void ThrowIfOutOfMemory() {
    if (outOfMemory_.exchange(false)) throw std::bad_alloc();
  }

  void Publish(std::shared_ptr<TBatch>& slot, std::shared_ptr<TBatch> batch) {
    {
      const std::lock_guard lock(mutex_);
      if (slot) slot->cancel = true;
      slot = std::move(batch);
    }
    wake_.notify_all();
  }

  void Run(std::atomic<std::uint64_t>* bytes) {
    // Every descriptor a worker uses is opened and closed by the worker itself.
    // A table of its own spares the threads the lock on a shared one, which
    // thousands of small files a second would otherwise contend for.
    ::unshare(CLONE_FILES);
    TFileCRCReader reader;
    TFolderOpener opener;
    std::string path;
    reader.SetByteCounter(bytes);
    for (;;) {
      std::shared_ptr<TBatch> batch;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] {
          return quit_ || (urgent_ && urgent_->HasWork()) || (announced_ && announced_->HasWork());
        });
        if (quit_) return;
        // A file the caller waits for goes before work done ahead.
        batch = urgent_ && urgent_->HasWork() ? urgent_ : announced_;
      }
      const bool ahead = batch != urgent_;
      for (;;) {
        const std::size_t perTake = JobsPerTake(batch->jobs.size());
        const std::size_t first = batch->taken.fetch_add(perTake);
        const std::size_t last = std::min(first + perTake, batch->jobs.size());
        if (first >= last || batch->cancel) break;
        for (std::size_t index = first; index < last && !batch->cancel; ++index) {
          try {
            Work(*batch, index, reader, opener, path, hashAheadLimit_);
          } catch (const std::bad_alloc&) {
            outOfMemory_ = true;
            batch->jobs[index].stage.store(2, std::memory_order_release);
          }
        }
        if (ahead && urgentWaiting_.load()) break;
      }
    }
  }

  // Long batches are taken a few neighbouring jobs at a time: workers writing to
  // jobs that share a cache line slow each other down with every small file. Short
  // batches go one at a time, or a worker left with the last few large files
  // would hash them alone while the others wait.
  std::size_t JobsPerTake(std::size_t batchSize) const {
    return std::clamp<std::size_t>(batchSize / (workerCount_ * 64), 1, kJobsPerTake);
  }

  // path: the worker's buffer for the file's name.
  static void Work(TBatch& batch, std::size_t index, TFileCRCReader& reader, TFolderOpener& opener,
                   std::string& path, std::int64_t hashAheadLimit) {
    TJob& job = batch.jobs[index];
    const std::atomic<bool>& cancel = batch.cancel;
    path.assign(batch.Name(index));
    std::uint32_t crc = 0;
    if (!batch.probe) {
      job.status = reader.Compute(path, crc, &cancel, job.knownSize);
    } else if (const TFileDescriptor file = opener.Open(path); !file.Valid()) {
      job.stage.store(1, std::memory_order_release);
    } else {
      // One open serves both passes: what the presence pass reports and what the
      // checksum pass reads are the same file.
      struct stat info {};
      if (::fstat(file.Get(), &info) == 0) {
        job.opened = true;
        job.knownSize = static_cast<std::int64_t>(info.st_size);
        job.modifiedTime = info.st_mtim.tv_sec;
        job.regular = S_ISREG(info.st_mode);
      }
      job.stage.store(1, std::memory_order_release);
      if (job.opened && job.regular && job.knownSize <= hashAheadLimit) {
        job.status =
            reader.ComputeOpen(file.Get(), static_cast<std::uint64_t>(job.knownSize), crc, &cancel);
      }
    }
    job.crc = crc;
    job.stage.store(2, std::memory_order_release);
  }

  // The caller's side; only the caller's thread uses these.
  TFileLookup lookup_;
  std::size_t nextFind_ = 0;
  std::deque<std::size_t> handedOut_;  // announced job of each file found, in order

  std::mutex mutex_;
  std::condition_variable wake_;
  std::shared_ptr<TBatch> announced_;  // replaced only by the caller, under the mutex
  std::shared_ptr<TBatch> urgent_;
  std::atomic<bool> urgentWaiting_{false};
  std::atomic<bool> outOfMemory_{false};
  bool quit_ = false;
  std::size_t workerCount_ = 0;  // set before the first thread starts
  const std::int64_t hashAheadLimit_;
  std::vector<std::thread> workers_;  // last: the threads use everything above
};

TParallelCRCSource::TParallelCRCSource(int jobs, std::atomic<std::uint64_t>* bytes,
                                       std::int64_t hashAheadLimit)
    : impl_(std::make_unique<TImpl>(jobs, bytes, hashAheadLimit)) {}

TParallelCRCSource::~TParallelCRCSource() = default;

void TParallelCRCSource::Announce(std::shared_ptr<const TPackedStrings> names) {
  impl_->Announce(std::move(names));
}

TLookupStatus TParallelCRCSource::Find(std::string_view name, TFoundFile& found,
                                       const TCRCWaitPoll& poll) {
  return impl_->Find(name, found, poll);
}

TCRCStatus TParallelCRCSource::Compute(const TCRCRequest& request, std::uint32_t& crc,
                                       const TCRCWaitPoll& poll) {
  return impl_->Compute(request, crc, poll);
}

class TBackgroundCRCSource::TImpl {
 public:
  TFileLookup lookup;
  std::unique_ptr<TParallelCRCSource> worker;  // started by the first hash
};

TBackgroundCRCSource::TBackgroundCRCSource() : impl_(std::make_unique<TImpl>()) {}

TBackgroundCRCSource::~TBackgroundCRCSource() = default;

TLookupStatus TBackgroundCRCSource::Find(std::string_view name, TFoundFile& found,
                                         const TCRCWaitPoll&) {
  return impl_->lookup.Find(std::string(name), found) ? TLookupStatus::Found
                                                      : TLookupStatus::NotFound;
}

TCRCStatus TBackgroundCRCSource::Compute(const TCRCRequest& request, std::uint32_t& crc,
                                         const TCRCWaitPoll& poll) {
  if (!impl_->worker) impl_->worker = std::make_unique<TParallelCRCSource>(1);
  // Nothing announced: the worker hashes only the file asked for.
  return impl_->worker->Compute(request, crc, poll);
}
