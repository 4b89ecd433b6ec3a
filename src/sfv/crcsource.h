#pragma once

#include "sfv/crc.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One file to hash. KnownSize >= 0 when a directory search has just found a regular
// file of that size (see TFileCRCReader::Compute).
struct TCRCRequest {
  std::string Path;
  std::int64_t KnownSize = -1;
};

// Called every few milliseconds while a CRC is awaited (the caller processes its
// events there); returning true stops the hash at its next block.
using TCRCWaitPoll = std::function<bool()>;

// Where a verification gets its CRCs. Hashing never runs on the calling thread, so
// the caller stays responsive and can stop inside a large file. A source serves one
// caller thread.
class TCRCSource {
 public:
  virtual ~TCRCSource() = default;

  // The files the checksum pass is going to ask for, in that order. A source may
  // hash ahead; a verification that stops early simply asks for fewer.
  virtual void Announce(const std::vector<TCRCRequest>& requests) { (void)requests; }

  // Waits for the CRC of the request's file, calling poll at least every ~10 ms meanwhile.
  virtual TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc,
                             const TCRCWaitPoll& poll) = 0;
};

// Hashes one file at a time on demand, on one worker thread kept for the source's life.
class TBackgroundCRCSource final : public TCRCSource {
 public:
  TBackgroundCRCSource();
  ~TBackgroundCRCSource() override;
  TBackgroundCRCSource(const TBackgroundCRCSource&) = delete;
  TBackgroundCRCSource& operator=(const TBackgroundCRCSource&) = delete;

  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc,
                     const TCRCWaitPoll& poll) override;

 private:
  class TImpl;
  std::unique_ptr<TImpl> impl_;
};

// Hashes the announced files ahead of the verification on up to `jobs` threads;
// answers come back in announcement order whatever the thread count.
class TParallelCRCSource final : public TCRCSource {
 public:
  // bytes (optional) counts every byte read, for progress displays.
  explicit TParallelCRCSource(int jobs, std::atomic<std::uint64_t>* bytes = nullptr);
  ~TParallelCRCSource() override;
  TParallelCRCSource(const TParallelCRCSource&) = delete;
  TParallelCRCSource& operator=(const TParallelCRCSource&) = delete;

  void Announce(const std::vector<TCRCRequest>& requests) override;
  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc,
                     const TCRCWaitPoll& poll) override;

 private:
  class TImpl;
  std::unique_ptr<TImpl> impl_;
};
