#include "manager/sfvlist.h"

#include "dataset/ntierdataset.h"
#include "sfv/sfvfiles.h"
#include "sfv/sfvformat.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/strings.h"

#include <chrono>

namespace {

constexpr std::int32_t kKeyLimit = 99999999;

bool SameFile(const pugi::xml_node& entry, const std::string& key) {
  return MarkKey(entry.attribute("file").value()) == key;
}

void AppendFolded(std::string& key, std::string_view text) {
  const std::size_t start = key.size();
  key.resize(start + text.size());
  char* const out = key.data() + start;
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = UpperCaseASCII(text[i]);
}

}  // namespace

std::string SFVFullPath(const std::string& path, const std::string& filename) {
  return IncludeTrailingPathDelimiter(path) + filename;
}

std::string MarkKey(std::string_view text) {
  return UpperCaseASCII(text);
}

TSFVList::TSFVList(TNTierDataset& rows, pugi::xml_document& config, QObject* parent)
    : QObject(parent),
      rows_(rows),
      config_(config),
      keys_(
          static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
  const auto drop = [this] { indexedRows_ = -1; };
  connect(&rows_, &TNTierDataset::RowDeleted, this, drop);
  // The index of a long list goes with its rows, not at the next search's first
  // question.
  connect(&rows_, &TNTierDataset::AfterClear, this, [this] {
    indexedRows_ = -1;
    listed_.Clear();
  });
  connect(&rows_, &TNTierDataset::AfterReset, this, drop);
  // A bulk change signals no single row. The index's row count tells whether rows
  // went in it: a search appends through this class once per frame of its bulk
  // change, and throwing the index away per frame would make it rebuild all rows
  // fifty times a second.
}

TSFVList::~TSFVList() = default;

std::string_view TSFVList::RowKey(std::string_view path, std::string_view filename) const {
  keyBuffer_.clear();
  AppendFolded(keyBuffer_, path);
  keyBuffer_.push_back('\0');
  AppendFolded(keyBuffer_, filename);
  return keyBuffer_;
}

std::string_view TSFVList::FoldedKey(std::string_view text) const {
  keyBuffer_.clear();
  AppendFolded(keyBuffer_, text);
  return keyBuffer_;
}

void TSFVList::DefineColumns() {
  TNTierColumn& glyph = rows_.AddColumn("Glyph", "", NTierType::String,
                                        NTierOption::Displayed | NTierOption::FixedWidth);
  glyph.NoReverse = true;
  rows_.AddColumn("Key", "Key", NTierType::Integer, NTierOption::Hidden);
  rows_.AddColumn("Status", "Status", NTierType::String, NTierOption::Displayed);
  rows_.AddColumn("Marked", "Marked", NTierType::String, NTierOption::Hidden);
  rows_.AddColumn("Filename", "Filename", NTierType::String, NTierOption::Displayed);
  rows_.AddColumn("Path", "Path", NTierType::String, NTierOption::Displayed);
  rows_.AddColumn("MovedOrDeleted", "MovedOrDeleted", NTierType::Boolean, NTierOption::Hidden);
  rows_.AddColumn("FileDetails", "FileDetails", NTierType::String, NTierOption::Hidden);
  rows_.AddColumn("Mine", "Mine", NTierType::Boolean, NTierOption::Hidden);
  rows_.PrepareColumns();
  glyph_ = rows_.IndexOfColumn("Glyph");
  key_ = rows_.IndexOfColumn("Key");
  status_ = rows_.IndexOfColumn("Status");
  marked_ = rows_.IndexOfColumn("Marked");
  filename_ = rows_.IndexOfColumn("Filename");
  path_ = rows_.IndexOfColumn("Path");
  moved_ = rows_.IndexOfColumn("MovedOrDeleted");
  details_ = rows_.IndexOfColumn("FileDetails");
  mine_ = rows_.IndexOfColumn("Mine");
  rows_.Sort("Filename");
  InvalidateIndex();
}

void TSFVList::Resort() {
  rows_.Resort();
}

int TSFVList::RowCount() const {
  return rows_.RowCount();
}

std::int32_t TSFVList::Key(int row) const {
  return rows_.Fields(key_, row).AsInteger();
}

std::string TSFVList::Status(int row) const {
  return rows_.Fields(status_, row).AsString();
}

char TSFVList::Marked(int row) const {
  const std::string_view mark = rows_.Fields(marked_, row).Text();
  return mark.empty() ? kMarkNormal : mark.front();
}

std::string TSFVList::Filename(int row) const {
  return rows_.Fields(filename_, row).AsString();
}

std::string TSFVList::Path(int row) const {
  return rows_.Fields(path_, row).AsString();
}

std::string TSFVList::FullPath(int row) const {
  return SFVFullPath(Path(row), Filename(row));
}

bool TSFVList::MovedOrDeleted(int row) const {
  return rows_.Fields(moved_, row).AsBoolean();
}

std::string TSFVList::FileDetails(int row) const {
  return rows_.Fields(details_, row).AsString();
}

bool TSFVList::Mine(int row) const {
  return rows_.Fields(mine_, row).AsBoolean();
}

void TSFVList::SetStatus(int row, std::string_view status) {
  rows_.Fields(status_, row).SetAsString(status);
}

void TSFVList::SetMarked(int row, char mark) {
  rows_.Fields(marked_, row).SetAsString(std::string_view(&mark, 1));
}

void TSFVList::SetMovedOrDeleted(int row) {
  rows_.Fields(moved_, row).SetAsBoolean(true);
}

void TSFVList::SetPathAndFilename(int row, const std::string& path, const std::string& filename) {
  const bool indexed = indexedRows_ == rows_.RowCount();
  if (indexed) {
    const std::string_view key = RowKey(Path(row), Filename(row));
    if (int* const count = listed_.Find(key); count && --*count == 0) listed_.Erase(key);
  }
  rows_.Fields(path_, row).SetAsString(path);
  rows_.Fields(filename_, row).SetAsString(filename);
  if (indexed) ++listed_.Insert(RowKey(path, filename), 0);
}

void TSFVList::EnsureRowIndex() const {
  if (indexedRows_ == rows_.RowCount()) return;
  listed_.Clear();
  listed_.Reserve(static_cast<size_t>(rows_.RowCount()));
  for (int row = 0; row < rows_.RowCount(); ++row)
    ++listed_.Insert(RowKey(rows_.Fields(path_, row).Text(), rows_.Fields(filename_, row).Text()),
                     0);
  indexedRows_ = rows_.RowCount();
}

bool TSFVList::IsListed(const std::string& path, const std::string& filename) const {
  EnsureRowIndex();
  return listed_.Contains(RowKey(path, filename));
}

int TSFVList::AddRow(std::string_view status, const std::string& filename, const std::string& path,
                     bool movedOrDeleted, char mark) {
  const int row = AppendRow(status, filename, path, movedOrDeleted, mark);
  ReadRowDetails(row);
  return row;
}

int TSFVList::AppendRow(std::string_view status, const std::string& filename,
                        const std::string& path, bool movedOrDeleted, char mark) {
  EnsureRowIndex();
  std::uniform_int_distribution<std::int32_t> draw(0, kKeyLimit - 1);
  const int row = rows_.AppendRow();
  rows_.Fields(key_, row).SetAsInteger(draw(keys_));
  SetStatus(row, status);
  rows_.Fields(filename_, row).SetAsString(filename);
  rows_.Fields(path_, row).SetAsString(path);
  rows_.Fields(moved_, row).SetAsBoolean(movedOrDeleted);
  SetMarked(row, mark);
  ++listed_.Insert(RowKey(path, filename), 0);
  indexedRows_ = rows_.RowCount();
  return row;
}

void TSFVList::ReadRowDetails(int row) {
  const std::string folder = Folder(row);
  ParseRowDetails(row, folder, ReadTextFile(folder + Filename(row)));
}

bool TSFVList::ReadRowDetailsIfReadable(int row) {
  const std::string folder = Folder(row);
  std::string text, problem;
  return LoadSFVText(folder + Filename(row), text, problem) && ParseRowDetails(row, folder, text);
}

std::string TSFVList::Folder(int row) const {
  return IncludeTrailingPathDelimiter(Path(row));
}

bool TSFVList::ParseRowDetails(int row, const std::string& folder, const std::string& text) {
  std::string details;
  bool mine = false;
  rules_.Refresh(config_);
  if (!ParseSFV(text, folder, rules_, details, mine)) return false;
  rows_.Fields(details_, row).SetAsString(details);
  rows_.Fields(mine_, row).SetAsBoolean(mine);
  return true;
}

int TSFVList::FindRowByKey(std::int32_t key) const {
  return rows_.FindInteger("Key", 0, key);
}

pugi::xml_node TSFVList::MarkList(const char* name) {
  pugi::xml_node root = config_.document_element();
  pugi::xml_node list = root.child(name);
  if (!list) list = root.append_child(name);
  return list;
}

pugi::xml_node TSFVList::GetSkipList() {
  return MarkList("skip");
}

pugi::xml_node TSFVList::GetHideList() {
  return MarkList("hide");
}

void TSFVList::IndexEntry(TMarkIndex& index, pugi::xml_node entry) {
  bool added = false;
  TMarkEntry& found =
      index.First.Insert(MarkKey(entry.attribute("file").value()), TMarkEntry{entry, {}}, &added);
  if (!added) found.More.push_back(entry);
}

TSFVList::TMarkIndex* TSFVList::IndexOf(const pugi::xml_node& list) const {
  const std::string_view name = list.name();
  if (name != "skip" && name != "hide") return nullptr;
  if (config_.document_element().child(list.name()) != list) return nullptr;
  TMarkIndex& index = name == "skip" ? skipIndex_ : hideIndex_;
  EnsureMarkIndex(index, list.name());
  return &index;
}

void TSFVList::EnsureMarkIndex(TMarkIndex& index, const char* name) const {
  const pugi::xml_node list = config_.document_element().child(name);
  if (index.Valid && index.List == list) return;
  index.First.Clear();
  index.List = list;
  for (pugi::xml_node entry = list.first_child(); entry; entry = entry.next_sibling())
    if (entry.type() == pugi::node_element) IndexEntry(index, entry);
  index.Valid = true;
}

TMarkLookup TSFVList::LookupMark(const std::string& fullPath) const {
  TMarkLookup result;
  EnsureMarkIndex(skipIndex_, "skip");
  EnsureMarkIndex(hideIndex_, "hide");
  const std::string_view key = FoldedKey(fullPath);
  if (const TMarkEntry* const found = skipIndex_.First.Find(key)) {
    result.Mark = kMarkSkip;
    result.Status = found->First.attribute("status").value();
    return result;
  }
  if (const TMarkEntry* const found = hideIndex_.First.Find(key)) {
    result.Mark = kMarkHide;
    result.Status = found->First.attribute("status").value();
  }
  return result;
}

void TSFVList::RemoveMarkEntries(pugi::xml_node list, const std::string& fullPath) {
  const std::string key = MarkKey(fullPath);
  // Marking all of a long list back to Normal would walk the whole mark list once
  // per row; the index names the entries a path has.
  if (TMarkIndex* const index = IndexOf(list)) {
    const TMarkEntry* const found = index->First.Find(key);
    if (!found) return;
    list.remove_child(found->First);
    for (const pugi::xml_node& entry : found->More) list.remove_child(entry);
    index->First.Erase(key);
    return;
  }
  for (pugi::xml_node entry = list.last_child(); entry;) {
    const pugi::xml_node previous = entry.previous_sibling();
    if (entry.type() == pugi::node_element && SameFile(entry, key)) list.remove_child(entry);
    entry = previous;
  }
}

void TSFVList::AppendMarkEntry(pugi::xml_node list, const std::string& fullPath,
                               const std::string& status) {
  const bool skip = std::string_view(list.name()) == "skip";
  pugi::xml_node entry = list.append_child(skip ? "skipfile" : "hidefile");
  entry.append_attribute("file") = fullPath.c_str();
  entry.append_attribute("status") = status.c_str();
  for (TMarkIndex* index : {&skipIndex_, &hideIndex_})
    if (index->Valid && index->List == list) IndexEntry(*index, entry);
}

void TSFVList::RefreshMarkLists() {
  // Rows by full path, the last row of a path winning as in a walk over all rows.
  std::unordered_map<std::string, int> lastRow;
  for (int row = 0; row < rows_.RowCount(); ++row) lastRow[MarkKey(FullPath(row))] = row;
  for (pugi::xml_node list : {GetSkipList(), GetHideList()}) {
    for (pugi::xml_node entry = list.last_child(); entry;) {
      const pugi::xml_node previous = entry.previous_sibling();
      if (entry.type() == pugi::node_element) {
        const std::string file = entry.attribute("file").value();
        if (!FileExists(file)) {
          list.remove_child(entry);
        } else if (const auto found = lastRow.find(MarkKey(file)); found != lastRow.end()) {
          pugi::xml_attribute status = entry.attribute("status");
          if (!status) status = entry.append_attribute("status");
          status = Status(found->second).c_str();
        }
      }
      entry = previous;
    }
  }
  InvalidateIndex();
}

void TSFVList::RenameMarkEntry(const std::string& oldPath, const std::string& newPath) {
  const std::string key = MarkKey(oldPath);
  for (pugi::xml_node list : {GetSkipList(), GetHideList()}) {
    for (pugi::xml_node entry = list.first_child(); entry; entry = entry.next_sibling()) {
      if (entry.type() != pugi::node_element || !SameFile(entry, key)) continue;
      pugi::xml_attribute file = entry.attribute("file");
      file = newPath.c_str();
      InvalidateIndex();
      return;
    }
  }
}

void TSFVList::InvalidateIndex() {
  indexedRows_ = -1;
  skipIndex_.Valid = false;
  hideIndex_.Valid = false;
}
