#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

struct stat;

// What a directory search learns about a listed file.
struct TFoundFile {
  std::string Path;  // the name as it exists on disk
  std::int64_t Size = 0;
  std::time_t ModifiedTime = 0;  // seconds since the Unix epoch
  bool Regular = false;
};

// Finds listed files the way SFV lists expect on a system that ignores letter case:
// a name that does not exist exactly is matched without regard to ASCII letter case,
// folder by folder; an exact match always wins. A name found neither way is looked
// up once more without the trailing blanks and dots of its last part, which
// Windows drops when it creates a file. Every kind of entry counts as found
// (folders, links, special files), so that the checksum, not the search, rejects
// what cannot be read. Folder listings are read once per lookup object, so a large
// SFV costs one listing per folder, not one per entry.
class TFileLookup {
 public:
  bool Find(const std::string& path, TFoundFile& found);

 private:
  // Lower-cased name to the real names in one folder, in byte order.
  using TFolderIndex = std::unordered_map<std::string, std::vector<std::string>>;

  const TFolderIndex& IndexOf(const std::string& folder);
  bool Resolve(const std::string& path, struct stat& info, std::string& resolved);
  bool ResolveCaseless(const std::string& path, std::string& resolved);

  std::unordered_map<std::string, TFolderIndex> folders_;
};
