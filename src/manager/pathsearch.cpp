#include "manager/pathsearch.h"

#include "dataset/ntierdataset.h"
#include "manager/sfvlist.h"
#include "sfv/sfvfiles.h"
#include "sfv/sfvformat.h"
#include "support/exceptions.h"
#include "support/filedescriptor.h"
#include "support/paths.h"
#include "support/strings.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// A character the filter's ends are trimmed of: blanks and control characters.
bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

struct TDirEntry {
  std::string Name;
  unsigned char Type;
};

// The layout getdents64 fills; glibc has no public name for it on every version.
struct TLinuxDirent64 {
  std::uint64_t Inode;
  std::int64_t Offset;
  unsigned short RecordLength;
  unsigned char Type;
  char Name[1];
};

// One folder's entries in the order the file system returns them, read in as few
// getdents64 calls as fit the buffer. The caller closes the folder before it looks
// at the entries, so a deep tree holds one descriptor at a time.
void ReadEntries(int dir, std::vector<TDirEntry>& entries) {
  alignas(TLinuxDirent64) static thread_local char buffer[64 * 1024];
  for (;;) {
    const long n = ::syscall(SYS_getdents64, dir, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (long at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const TLinuxDirent64*>(buffer + at);
      entries.push_back({std::string(entry->Name), entry->Type});
      at += entry->RecordLength;
    }
  }
}

}  // namespace

TSearchFilter::TSearchFilter(std::string_view text) {
  while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
  if (text.empty()) return;
  // Split at every single blank: two in a row make an empty word, which no name
  // holds, so such a filter lets nothing through.
  for (std::size_t start = 0;;) {
    const std::size_t blank = text.find(' ', start);
    words_.push_back(UpperCaseASCII(text.substr(start, blank - start)));
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
}

bool TSearchFilter::Matches(std::string_view fileName) const {
  if (words_.empty()) return true;
  const std::string name = UpperCaseASCII(fileName);
  for (const std::string& word : words_)
    if (word.empty() || name.find(word) == std::string::npos) return false;
  return true;
}

bool MatchesFilter(std::string_view filterText, std::string_view fileName) {
  return TSearchFilter(filterText).Matches(fileName);
}

bool IsSFVFileName(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && SameTextASCII(name.substr(dot), ".SFV");
}

bool HasActivePath(const pugi::xml_document& config) {
  return static_cast<bool>(config.select_node("//path[@active='Y']"));
}

std::vector<std::string> ActiveConfiguredPaths(const pugi::xml_document& config) {
  std::vector<std::string> folders;
  const pugi::xml_node paths = config.select_node("//paths").node();
  for (const pugi::xml_node path : paths.children())
    if (path.type() == pugi::node_element &&
        std::strcmp(path.attribute("active").value(), "Y") == 0)
      folders.emplace_back(path.attribute("value").value());
  return folders;
}

TPathSearch::TPathSearch(TSFVList& list, TSearchFilter filter, bool showHidden,
                         TEntryDone entryDone)
    : list_(list),
      filter_(std::move(filter)),
      showHidden_(showHidden),
      entryDone_(std::move(entryDone)) {}

void TPathSearch::AbortIfAsked() const {
  if (entryDone_ && entryDone_()) throw EAbort();
}

void TPathSearch::SearchFolder(const std::string& start) {
  const std::string folder = IncludeTrailingPathDelimiter(start);
  std::vector<TDirEntry> entries;
  {
    const TFileDescriptor dir(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!dir.Valid() || ::fstat(dir.Get(), &info) != 0) return;
    if (!entered_.emplace(info.st_dev, info.st_ino).second) return;
    // A listing that breaks off still gives the entries read before.
    ReadEntries(dir.Get(), entries);
  }
  for (const TDirEntry& entry : entries) {
    AbortIfAsked();
    if (entry.Name.empty() || entry.Name == "." || entry.Name == "..") continue;
    unsigned char type = entry.Type;
    // Only a link or a file system without types costs a stat; then the link's
    // target decides, and a dangling link is nothing to search.
    if (type == DT_UNKNOWN || type == DT_LNK) {
      struct stat target {};
      if (::stat((folder + entry.Name).c_str(), &target) != 0) continue;
      type = S_ISDIR(target.st_mode) ? DT_DIR : S_ISREG(target.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
      SearchFolder(folder + entry.Name);
    } else if (type == DT_REG && IsSFVFileName(entry.Name)) {
      // Pipes, sockets and devices are never read: a pipe named like an SFV would
      // hold the search forever.
      AddCandidate(folder, entry.Name);
    }
  }
}

void TPathSearch::AddCandidate(const std::string& folder, const std::string& name) {
  if (!filter_.Matches(name) || list_.IsListed(folder, name)) return;
  const TMarkLookup mark = list_.LookupMark(folder + name);
  if (mark.Mark == kMarkHide && !showHidden_) return;
  const int row = list_.AppendRow(mark.Mark == kMarkNormal ? kStatusWaiting : mark.Status, name,
                                  folder, false, mark.Mark);
  // One that cannot be read is listed all the same; its check ends "Failed".
  list_.ReadRowDetailsIfReadable(row);
  ++added_;
}
