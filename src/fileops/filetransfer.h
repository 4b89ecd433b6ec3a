#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TEntryResolver;
struct TAnchoredEntry;
class TProgressTracker;

// One file that an operation could not handle, and why. Path is the source that
// was not done (or, when something at the target stood in the way, the target).
struct TFileOpFailure {
  std::string Path;
  std::string Reason;
};

// Copies and moves files and folder trees so that no data is ever lost.
//
// A copy is written to a temporary name beside its target, synced to disk and
// checked against the source's size before it takes the target's name; an
// existing target file is therefore replaced only by a complete copy. A move is
// rename(2) where it can be; across file systems it is such a copy, and the source
// is removed only once the copy is in place. Whatever step fails, the source stays
// as it was and the temporary copy is removed. Permissions and modification times
// travel with the data.
class TFileTransfer {
 public:
  // progress receives bytes as they are copied (and whole sizes for renames); its
  // cancel stops the transfer at the next block.
  explicit TFileTransfer(TProgressTracker& progress);

  // source: a file (links are followed) or a folder, copied with everything in it
  // (links inside are copied as links); an existing folder target is merged into.
  bool Copy(const std::string& source, const std::string& target);
  // The same with the source found by sources and the target by targets; the copy
  // reads and writes through the descriptors of the folders they resolve.
  bool Copy(const std::string& source, const std::string& target, const TEntryResolver& sources,
            const TEntryResolver& targets);
  // source: a file, link or folder; an existing folder target is merged into.
  bool Move(const std::string& source, const std::string& target);
  // The same with the source found by sources and the target by targets: the
  // renames (and, across file systems, the reads and the removal of the source)
  // act through the descriptors of the folders they resolve.
  bool Move(const std::string& source, const std::string& target, const TEntryResolver& sources,
            const TEntryResolver& targets);

  const std::vector<TFileOpFailure>& Failures() const { return failures_; }
  bool Cancelled() const { return cancelled_; }

  // Bytes below path (its own size for a file); what cannot be read counts 0.
  static std::uint64_t TreeSize(const std::string& path);

 private:
  // Runs copy(source, target) on paths that reach both entries through their
  // folders' descriptors; messages and progress still show the caller's paths.
  template <typename TCopy>
  bool Through(const TAnchoredEntry& from, const TAnchoredEntry& to, TCopy copy);
  std::string Shown(const std::string& path) const;

  bool Fail(const std::string& path, const std::string& reason);
  bool FailErrno(const std::string& path, int error);
  bool Advance(const std::string& file, std::uint64_t bytes);

  bool CopyFileAtomic(const std::string& source, const std::string& target);
  bool CopyLinkAtomic(const std::string& source, const std::string& target);
  bool CopyEntry(const std::string& source, const std::string& target);
  bool CopyFolderContents(const std::string& source, const std::string& target);
  bool CopyFolderAtomic(const std::string& source, const std::string& target);
  bool MoveEntry(const TAnchoredEntry& from, const TAnchoredEntry& to);
  bool MoveAcrossDevices(const TAnchoredEntry& from, const TAnchoredEntry& to, bool isFolder);
  bool MergeFolderInto(const TAnchoredEntry& from, const TAnchoredEntry& to);

  TProgressTracker& progress_;
  std::vector<TFileOpFailure> failures_;
  std::vector<char> buffer_;
  struct TAlias {
    std::string Pinned, Shown;
  };
  std::vector<TAlias> aliases_;
  bool cancelled_ = false;
};

// Removes a file, link or folder tree for good; "" or the reason it failed.
std::string RemovePermanently(const std::string& path);
