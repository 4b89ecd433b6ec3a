#pragma once

#include "manager/keyindex.h"
#include "sfv/extensionrules.h"

#include <pugixml.hpp>

#include <QObject>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TNTierDataset;

// Status texts of a row, as stored and shown.
inline constexpr const char* kStatusWaiting = "Waiting";
inline constexpr const char* kStatusRunning = "Running...";
inline constexpr const char* kStatusVerifiedOK = "Verified OK";
inline constexpr const char* kStatusFailed = "Failed";
inline constexpr const char* kStatusAccepted = "Accepted";
inline constexpr const char* kStatusAborted = "Aborted";

// Mark codes of a row.
inline constexpr char kMarkNormal = 'N';
inline constexpr char kMarkSkip = 'S';
inline constexpr char kMarkHide = 'H';

// What the mark lists hold for one SFV.
struct TMarkLookup {
  char Mark = kMarkNormal;
  std::string Status;
};

// The manager's SFV list: one row per SFV in the dataset, and the user's Skip and
// Hide marks kept in the configuration document. Both are indexed by the path
// folded to ASCII upper case, so a search that adds tens of thousands of SFVs does
// not walk the rows or the mark lists once per SFV; the answers stay those of a
// walk in document order.
//
// Rows are best changed through this class. Code that changes Path or Filename
// fields directly, or edits the mark lists with pugixml, calls InvalidateIndex.
class TSFVList : public QObject {
  Q_OBJECT

 public:
  TSFVList(TNTierDataset& rows, pugi::xml_document& config, QObject* parent = nullptr);
  ~TSFVList() override;

  TNTierDataset& Rows() const { return rows_; }
  pugi::xml_document& Config() const { return config_; }

  // Defines the columns (Glyph, Key, Status, Marked, Filename, Path,
  // MovedOrDeleted, FileDetails, Mine), prepares them and stores the sort "Filename".
  void DefineColumns();
  // Sorts by the dataset's current sort list.
  void Resort();

  // Row fields.
  int RowCount() const;
  std::int32_t Key(int row) const;
  std::string Status(int row) const;
  char Marked(int row) const;
  std::string Filename(int row) const;
  std::string Path(int row) const;
  // Path (delimiter ensured) + Filename.
  std::string FullPath(int row) const;
  bool MovedOrDeleted(int row) const;
  std::string FileDetails(int row) const;
  bool Mine(int row) const;
  void SetStatus(int row, std::string_view status);
  void SetMarked(int row, char mark);
  void SetMovedOrDeleted(int row);
  void SetPathAndFilename(int row, const std::string& path, const std::string& filename);

  // Some row has this Path and Filename (ASCII letter case ignored), moved rows included.
  bool IsListed(const std::string& path, const std::string& filename) const;
  // Appends a row with a fresh Key and reads its SFV; returns the row.
  // AppendRow leaves the SFV unread.
  int AddRow(std::string_view status, const std::string& filename, const std::string& path,
             bool movedOrDeleted, char mark);
  int AppendRow(std::string_view status, const std::string& filename, const std::string& path,
                bool movedOrDeleted, char mark);
  // Parses the row's SFV; on success FileDetails and Mine take the result. Errors
  // reading the file propagate.
  void ReadRowDetails(int row);
  // The same within the limits of an SFV list (size, text); true when the SFV
  // was read and parsed, else the row is left as it was.
  bool ReadRowDetailsIfReadable(int row);
  // The first row with that Key, or -1.
  int FindRowByKey(std::int32_t key) const;

  // The mark lists.
  TMarkLookup LookupMark(const std::string& fullPath) const;
  pugi::xml_node GetSkipList();
  pugi::xml_node GetHideList();
  void RemoveMarkEntries(pugi::xml_node list, const std::string& fullPath);
  void AppendMarkEntry(pugi::xml_node list, const std::string& fullPath, const std::string& status);
  void RefreshMarkLists();
  void RenameMarkEntry(const std::string& oldPath, const std::string& newPath);

  // Drops both indexes; they are rebuilt at their next use.
  void InvalidateIndex();

  // The key generator is seeded from the clock; tests seed it themselves.
  void SeedKeys(std::uint32_t seed) { keys_.seed(seed); }

 private:
  // The entries of a path in document order: one, unless the list was edited by
  // hand; the lookups read the first, a removal takes them all.
  struct TMarkEntry {
    pugi::xml_node First;
    std::vector<pugi::xml_node> More;
  };
  struct TMarkIndex {
    pugi::xml_node List;
    TKeyIndex<TMarkEntry> First;
    bool Valid = false;
  };

  pugi::xml_node MarkList(const char* name);
  void EnsureRowIndex() const;
  void EnsureMarkIndex(TMarkIndex& index, const char* name) const;
  // The index of list when it is the mark list the lookups use, else null.
  TMarkIndex* IndexOf(const pugi::xml_node& list) const;
  static void IndexEntry(TMarkIndex& index, pugi::xml_node entry);
  // The row's Path with the delimiter ensured.
  std::string Folder(int row) const;
  bool ParseRowDetails(int row, const std::string& folder, const std::string& text);
  // Keys are folded into a reused buffer, valid until the next key: a key string
  // made per question would cost more than the lookup. Path and file name:
  std::string_view RowKey(std::string_view path, std::string_view filename) const;
  std::string_view FoldedKey(std::string_view text) const;

  TNTierDataset& rows_;
  pugi::xml_document& config_;
  std::mt19937 keys_;
  int glyph_ = -1, key_ = -1, status_ = -1, marked_ = -1, filename_ = -1, path_ = -1, moved_ = -1,
      details_ = -1, mine_ = -1;
  mutable TKeyIndex<int> listed_;
  mutable std::string keyBuffer_;
  mutable int indexedRows_ = -1;
  mutable TMarkIndex skipIndex_, hideIndex_;
  // Read again only when the rules changed; a walk of the whole document per SFV
  // would cost a search time in proportion to the marks remembered.
  TExtensionRules rules_;
};

// Path + Filename with the delimiter ensured.
std::string SFVFullPath(const std::string& path, const std::string& filename);
// The index key of a text: ASCII letters upper-cased.
std::string MarkKey(std::string_view text);
