#pragma once

#include "sfv/crcsource.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

// How many threads should hash the files listed by an SFV in folder: one on a disk
// that seeks, where several readers make its heads jump between files, else one
// per processor this process may use.
int HashingThreadsFor(const std::string& folder);

// The CRC sources of a run over many SFVs, one per thread count, kept for the run
// so that threads start once instead of once per SFV. Serves one caller thread.
class TCRCSourcePool {
 public:
  // jobs > 0 fixes the thread count; otherwise each SFV's folder decides
  // (HashingThreadsFor, asked once per folder). bytes (optional) counts every
  // byte read, for progress displays.
  explicit TCRCSourcePool(int jobs = 0, std::atomic<std::uint64_t>* bytes = nullptr);
  ~TCRCSourcePool();
  TCRCSourcePool(const TCRCSourcePool&) = delete;
  TCRCSourcePool& operator=(const TCRCSourcePool&) = delete;

  TCRCSource& SourceFor(const std::string& sfvPath);

 private:
  int jobs_;
  std::atomic<std::uint64_t>* bytes_;
  std::unordered_map<std::string, int> threadsByFolder_;
  std::map<int, std::unique_ptr<TParallelCRCSource>> sources_;  // by thread count
};
