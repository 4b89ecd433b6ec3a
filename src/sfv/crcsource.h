#pragma once

#include "sfv/crc.h"
#include "sfv/filelookup.h"
#include "support/packedstrings.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

// One file to hash, as the presence pass found it. KnownSize >= 0 when that search
// saw a regular file of that size (see TFileCRCReader::Compute).
struct TCRCRequest {
  std::string Path;
  std::int64_t KnownSize = -1;
};

// Called every few milliseconds while an answer is awaited (the caller processes its
// events there); returning true stops the work at its next block.
using TCRCWaitPoll = std::function<bool()>;

enum class TLookupStatus { Found, NotFound, Aborted };

// Where a verification looks up its files and gets their CRCs. Hashing never runs on
// the calling thread, so the caller stays responsive and can stop inside a large
// file. A source serves one caller thread.
class TCRCSource {
 public:
  virtual ~TCRCSource() = default;

  // The listed names the presence pass is going to look up, in that order (the
  // checksum pass then asks for those found); none ends an announcement. A source
  // may look them up and hash them ahead, holding on to the names while it does;
  // the answers must be what asking at the time would give.
  virtual void Announce(std::shared_ptr<const TPackedStrings> names) { (void)names; }

  // Looks a listed name up (exactly, else without regard to letter case).
  virtual TLookupStatus Find(std::string_view name, TFoundFile& found,
                             const TCRCWaitPoll& poll) = 0;

  // Waits for the CRC of the request's file, calling poll at least every ~10 ms.
  virtual TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc,
                             const TCRCWaitPoll& poll) = 0;
};

// Looks files up when asked and hashes one file at a time, on a worker thread that
// starts with the first hash and is kept for the source's life.
class TBackgroundCRCSource final : public TCRCSource {
 public:
  TBackgroundCRCSource();
  ~TBackgroundCRCSource() override;
  TBackgroundCRCSource(const TBackgroundCRCSource&) = delete;
  TBackgroundCRCSource& operator=(const TBackgroundCRCSource&) = delete;

  TLookupStatus Find(std::string_view name, TFoundFile& found, const TCRCWaitPoll& poll) override;
  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc,
                     const TCRCWaitPoll& poll) override;

 private:
  class TImpl;
  std::unique_ptr<TImpl> impl_;
};

// Opens, examines and hashes the announced files ahead of the verification on up to
// `jobs` threads, so that many small files cost the caller no system calls at all;
// answers come back in announcement order whatever the thread count.
class TParallelCRCSource final : public TCRCSource {
 public:
  static constexpr std::int64_t kHashAheadAll = std::numeric_limits<std::int64_t>::max();

  // bytes (optional) counts every byte read, for progress displays. Regular files
  // larger than hashAheadLimit bytes are only examined ahead and hashed when asked
  // for, so that a caller showing its progress file by file shows the right one.
  explicit TParallelCRCSource(int jobs, std::atomic<std::uint64_t>* bytes = nullptr,
                              std::int64_t hashAheadLimit = kHashAheadAll);
  ~TParallelCRCSource() override;
  TParallelCRCSource(const TParallelCRCSource&) = delete;
  TParallelCRCSource& operator=(const TParallelCRCSource&) = delete;

  void Announce(std::shared_ptr<const TPackedStrings> names) override;
  TLookupStatus Find(std::string_view name, TFoundFile& found, const TCRCWaitPoll& poll) override;
  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc,
                     const TCRCWaitPoll& poll) override;

 private:
  class TImpl;
  std::unique_ptr<TImpl> impl_;
};
