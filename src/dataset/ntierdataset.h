#pragma once

#include "dataset/ntierfield.h"
#include "dataset/ntierrow.h"

#include <QObject>
#include <QPointer>

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TNTierDataset;
class TNTierRowSorter;

// Column type codes given to AddColumn. The code picks the field class, the
// default width and the alignment; codes above 9 give boolean fields.
namespace NTierType {
inline constexpr std::uint8_t String = 0;
inline constexpr std::uint8_t Integer = 1;
inline constexpr std::uint8_t DateTime = 2;
inline constexpr std::uint8_t Date = 3;
inline constexpr std::uint8_t Time = 4;
inline constexpr std::uint8_t Boolean = 5;
inline constexpr std::uint8_t YesNo = 6;  // a string column the grid can show as check boxes
inline constexpr std::uint8_t SmallInteger = 7;
inline constexpr std::uint8_t LargeInteger = 8;
inline constexpr std::uint8_t Float = 9;
}  // namespace NTierType

// Column option bits given to AddColumn. Other bits are kept with the column.
namespace NTierOption {
inline constexpr unsigned Hidden = 1;      // carried in every row, not shown
inline constexpr unsigned Displayed = 2;   // carried and shown by the grid
inline constexpr unsigned FixedWidth = 8;  // the grid keeps the stored width
}  // namespace NTierOption

enum class TNTierAlignment { Left, Right, Center };

// One column definition. The dataset reads Name, Type and Options; the rest is
// presentation that only the grid reads and writes.
struct TNTierColumn {
  std::string Name;
  std::string Source;
  std::string Caption;
  std::uint8_t Type = NTierType::String;
  unsigned Options = 0;
  int Width = 200;
  TNTierAlignment Alignment = TNTierAlignment::Left;
  bool NoReverse = false;

  // Presentation.
  std::string HeaderOverride;
  std::string DisplayFormatOverride;
  std::string DefaultDisplayFormat;
  int MultiLineMode = 1;  // 0 none, 1 header only, 2 data only, 3 both
  int YesNoStyle = 0;     // 0 to 5, for type YesNo
  std::string NullText;
  bool OwnerDraw = true;
  int StoredWidth = 200;

  // Position among the active columns (the field index in every row), -1 while inactive.
  int ActiveIndex = -1;

  bool IsActive() const { return ActiveIndex >= 0; }
  bool IsDisplayed() const { return (Options & NTierOption::Displayed) != 0; }
  bool IsFixedWidth() const { return (Options & NTierOption::FixedWidth) != 0; }
  // The trimmed override when it is not blank, else the caption.
  std::string HeaderText() const;
  // The trimmed override when it is not blank, else the default format.
  std::string DisplayFormat() const;
};

// The in-memory table behind every list: named typed columns, rows of fields, a
// selection flag per row, a stored sort list, finds, and a loader from XML.
// Usage errors throw std::runtime_error, conversions ENTierConversionError;
// error texts carry the dataset's objectName ("ds" in the program's windows).
class TNTierDataset : public QObject {
  Q_OBJECT

 public:
  explicit TNTierDataset(QObject* parent = nullptr);
  TNTierDataset(const std::string& name, QObject* parent);
  ~TNTierDataset() override;

  std::string Name() const;

  // Column structure.
  TNTierColumn& AddColumn(const std::string& name, const std::string& caption, std::uint8_t type,
                          unsigned options);
  void PrepareColumns();
  // Reset, then forget the column definitions too.
  void ClearColumns();
  int ColumnCount() const { return static_cast<int>(active_.size()); }
  TNTierColumn& Columns(int index);
  const TNTierColumn& Columns(int index) const;
  int DefinedColumnCount() const { return static_cast<int>(defined_.size()); }
  TNTierColumn& DefinedColumns(int index) { return *defined_.at(static_cast<size_t>(index)); }
  int IndexOfColumn(std::string_view name) const;

  // Rows.
  int RowCount() const { return static_cast<int>(rows_.Size()); }
  int AppendRow();
  // Listeners hear of each deleted row; a view of many rows takes the deletion
  // of many faster from DeleteRows, as one change.
  void DeleteRow(int row);
  // Deletes the given rows (any order, repeats allowed) as one change: the
  // remaining rows keep their order and selection. Checks every index first and
  // deletes nothing when one is out of range.
  void DeleteRows(std::vector<int> rows);
  TNTierRow& Rows(int row);
  const TNTierRow& Rows(int row) const;
  TNTierField& Fields(int column, int row);
  const TNTierField& Fields(int column, int row) const;
  TNTierField& FieldByName(std::string_view name, int row);
  const TNTierField& FieldByName(std::string_view name, int row) const;
  void Clear();
  void Reset();
  void RefreshData();

  // Appends and deletes between the two calls reach listeners as one change
  // (BulkChangeEnded) instead of a signal per row. Calls nest.
  void BeginUpdate();
  void EndUpdate();
  // Counts the changes that remove or move rows (deletes, clears, resets, sorts);
  // appends leave it. A view that sees it unchanged over a bulk change knows that
  // rows were only appended.
  std::uint64_t StructureChanges() const { return structureChanges_; }

  // Selection.
  bool IsSelected(int row) const;
  void SetSelected(int row, bool value);
  void ClearSelection();
  void InvertSelection();
  int SelectedCount() const;
  int SelectedRow(int n) const;
  int FirstSelected() const;
  bool SelectionLocked() const { return selectionLocked_; }
  void SetSelectionLocked(bool value) { selectionLocked_ = value; }

  // Sorting and finding.
  bool Sort(const std::string& list);
  bool Resort();
  void ClearSort() { sortFields_.clear(); }
  const std::string& SortFields() const { return sortFields_; }
  const std::string& FactorySortFields() const { return factorySortFields_; }
  void SetFactorySortFields(const std::string& value) { factorySortFields_ = value; }
  bool QuietSortErrors() const { return quietSortErrors_; }
  void SetQuietSortErrors(bool value) { quietSortErrors_ = value; }
  int FindInteger(std::string_view columnName, int startRow, std::int32_t value) const;
  int FindString(std::string_view columnName, int startRow, std::string_view text, bool ignoreCase,
                 bool wholeValue) const;

  // Loading: one row per child of the root element, one field per attribute.
  void LoadFromXML(const pugi::xml_node& document);
  bool RowLimitReached() const { return rowLimitReached_; }

  // Names the grid keeps its column order in.
  std::vector<std::string>& ColumnOrder() { return columnOrder_; }
  const std::vector<std::string>& ColumnOrder() const { return columnOrder_; }

  // The indicator shown while a load stopped at its row limit: any object with a
  // writable "visible" property (a widget). Dropped when it is destroyed.
  void SetFilterHintGlyph(QObject* indicator) { filterHintGlyph_ = indicator; }
  QObject* FilterHintGlyph() const { return filterHintGlyph_; }

 signals:
  void BeforeClear(TNTierDataset* sender);
  void AfterClear(TNTierDataset* sender);
  void BeforeReset(TNTierDataset* sender);
  void AfterReset(TNTierDataset* sender);
  void BeforeSort(TNTierDataset* sender);
  void AfterSort(TNTierDataset* sender);
  void OnSelectionChanged(TNTierDataset* sender);
  // Owners fill the dataset in a handler of this (the grid's RefreshData asks for it).
  void OnRefreshData(TNTierDataset* sender);

  // Structure changes for views; always in balanced pairs.
  void RowAboutToBeAppended(int row);
  void RowAppended(int row);
  void RowAboutToBeDeleted(int row);
  void RowDeleted(int row);
  void RowsAboutToBeReordered();
  // newPositionOf[old index] is the row's index after the reorder.
  void RowsReordered(const std::vector<int>& newPositionOf);
  void BulkChangeAboutToBegin();
  void BulkChangeEnded();
  // Work that may take a while (sorting, loading): a view shows a busy cursor.
  void BusyBegin();
  void BusyEnd();

 private:
  struct TCaseInsensitiveHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const;
  };
  struct TCaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  struct TSortKey {
    int Column = 0;
    bool Descending = false;
  };
  class TBusyScope;
  class TUpdateScope;

  [[noreturn]] void FailColumn(const std::string& call) const;
  void InvalidateSelection() { selectionCacheValid_ = false; }
  // Keeps the selected rows' indexes right when a row goes.
  void ForgetSelectedRow(int row, bool wasSelected);
  const std::vector<int>& SelectedRows() const;
  std::vector<TSortKey> ParseSortList(const std::string& list) const;
  void SortRows(const std::vector<TSortKey>& keys);

  std::vector<std::unique_ptr<TNTierColumn>> defined_;
  std::vector<TNTierColumn*> active_;
  std::unordered_map<std::string, int, TCaseInsensitiveHash, TCaseInsensitiveEqual> activeByName_;
  // The field kinds of the active columns, in order: every new row's fields.
  std::vector<TNTierFieldKind> kinds_;
  TNTierTextCache texts_;
  TNTierRowList rows_;

  std::string sortFields_;
  std::string factorySortFields_;
  std::vector<std::string> columnOrder_;
  bool quietSortErrors_ = true;
  bool selectionLocked_ = false;
  bool rowLimitReached_ = false;
  QPointer<QObject> filterHintGlyph_;
  int updateDepth_ = 0;
  std::uint64_t structureChanges_ = 0;

  // Kept between sorts, with the buffers it needs.
  std::unique_ptr<TNTierRowSorter> sorter_;
  std::vector<TNTierRow*> sortedRows_;
  std::vector<int> newPositionOf_;
  std::vector<const TNTierField*> keyFields_;

  mutable std::vector<int> selectedCache_;
  mutable bool selectionCacheValid_ = false;
};
