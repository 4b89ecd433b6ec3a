#pragma once

#include <pugixml.hpp>

#include <sys/types.h>

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TSFVList;

// The words of the list's "Filter" box. Every word must occur in a file name, ASCII
// letter case ignored; a text of blanks only lets every name through.
class TSearchFilter {
 public:
  explicit TSearchFilter(std::string_view text);
  bool Matches(std::string_view fileName) const;

 private:
  std::vector<std::string> words_;  // upper-cased
};

bool MatchesFilter(std::string_view filterText, std::string_view fileName);

// The extension (from the last ".") is ".SFV" in any letter case; ".sfv" alone counts.
bool IsSFVFileName(std::string_view name);

// Some `path` element anywhere in the configuration is active.
bool HasActivePath(const pugi::xml_document& config);
// The folders of the active children of the first `paths` element, in document order.
std::vector<std::string> ActiveConfiguredPaths(const pugi::xml_document& config);

// Walks folders depth first and adds a row to the list for every SFV file that
// passes the filter, is not listed yet and is not hidden (unless hidden rows are
// shown), with the mark and status the mark lists hold for it. Hidden and system
// entries are walked like any other. Links to folders are followed, but a folder
// already entered in this search (same device and inode) is not entered again, so
// links back into the tree cannot make the walk endless.
class TPathSearch {
 public:
  // Called after every directory entry; true stops the search, which then throws
  // EAbort. The rows added so far stay.
  using TEntryDone = std::function<bool()>;

  TPathSearch(TSFVList& list, TSearchFilter filter, bool showHidden, TEntryDone entryDone);

  // A folder that does not exist or cannot be listed adds nothing.
  void SearchFolder(const std::string& folder);
  int AddedRows() const { return added_; }

 private:
  void AbortIfAsked() const;
  void AddCandidate(const std::string& folder, const std::string& name);

  TSFVList& list_;
  TSearchFilter filter_;
  bool showHidden_;
  TEntryDone entryDone_;
  std::set<std::pair<dev_t, ino_t>> entered_;
  int added_ = 0;
};
