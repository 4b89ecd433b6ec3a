#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Zip archives of SFV sets, written and tested with libzip. Everything here may
// run on a worker thread: it touches no window, asks nothing and only reports
// through the callbacks it is given (called on the thread that runs it).

// A file of the archive begins (being packed, or being read back by the test).
using TZipFileEvent = std::function<void(const std::string& name)>;

struct TZipOutcome {
  bool Ok = false;
  bool Cancelled = false;
  std::string Error;  // why not, when not
};

// Packs the files names (relative to root, "/" separated, folder parts kept as
// entry names) into archivePath. The sources are opened beneath a descriptor of
// root, so a listed name that climbs out of it (".." parts, links) is refused and
// fails the archive. The archive is written under a temporary name beside
// archivePath, flushed, and takes its real name only when complete, never
// replacing an existing file: a failed or cancelled run leaves no archive behind.
// Files that would not shrink (packed media, archives) are stored as they are.
TZipOutcome CreateZipArchive(const std::string& root, const std::vector<std::string>& names,
                             const std::string& archivePath, const TZipFileEvent& onFile,
                             const std::atomic<bool>* cancel = nullptr);

// The number of entries, or -1 when the archive cannot be opened.
std::int64_t ZipEntryCount(const std::string& archivePath);

// Reads every entry back and checks its CRC-32 and size; Ok only when all pass.
TZipOutcome TestZipArchive(const std::string& archivePath, const TZipFileEvent& onFile,
                           const std::atomic<bool>* cancel = nullptr);

// Whether a file is worth deflating: false for names that are packed already, and
// for data whose sample looks random.
bool WorthDeflating(const std::string& name, const unsigned char* sample, std::size_t size);
