#include "sfv/crcsourcepool.h"

#include "support/diskinfo.h"
#include "support/paths.h"

int HashingThreadsFor(const std::string& folder) {
  return IsOnRotationalDisk(folder.empty() ? "." : folder) ? 1 : UsableProcessorCount();
}

TCRCSourcePool::TCRCSourcePool(int jobs, std::atomic<std::uint64_t>* bytes)
    : jobs_(jobs), bytes_(bytes) {}

TCRCSourcePool::~TCRCSourcePool() = default;

TCRCSource& TCRCSourcePool::SourceFor(const std::string& sfvPath) {
  int jobs = jobs_;
  if (jobs <= 0) {
    const std::string folder = ExtractFilePath(sfvPath);
    auto known = threadsByFolder_.find(folder);
    if (known == threadsByFolder_.end()) {
      known = threadsByFolder_.emplace(folder, HashingThreadsFor(folder)).first;
    }
    jobs = known->second;
  }
  std::unique_ptr<TParallelCRCSource>& source = sources_[jobs];
  if (!source) source = std::make_unique<TParallelCRCSource>(jobs, bytes_);
  return *source;
}
