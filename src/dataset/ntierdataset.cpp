#include "dataset/ntierdataset.h"

#include "dataset/ntiersort.h"

#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace {

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

std::string Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

TNTierFieldKind KindOf(std::uint8_t type) {
  switch (type) {
    case NTierType::String:
    case NTierType::YesNo:
      return TNTierFieldKind::String;
    case NTierType::Integer:
    case NTierType::SmallInteger:
    case NTierType::LargeInteger:
      return TNTierFieldKind::Integer;
    case NTierType::DateTime:
      return TNTierFieldKind::DateTime;
    case NTierType::Date:
      return TNTierFieldKind::Date;
    case NTierType::Time:
      return TNTierFieldKind::Time;
    case NTierType::Float:
      return TNTierFieldKind::Float;
    default:
      return TNTierFieldKind::Boolean;
  }
}

}  // namespace

// Shows the busy state for the lifetime of the scope, also when it ends by an error.
class TNTierDataset::TBusyScope {
 public:
  explicit TBusyScope(TNTierDataset& dataset) : dataset_(dataset) { emit dataset_.BusyBegin(); }
  ~TBusyScope() { emit dataset_.BusyEnd(); }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  TNTierDataset& dataset_;
};

class TNTierDataset::TUpdateScope {
 public:
  explicit TUpdateScope(TNTierDataset& dataset) : dataset_(dataset) { dataset_.BeginUpdate(); }
  ~TUpdateScope() { dataset_.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TNTierDataset& dataset_;
};

std::string TNTierColumn::HeaderText() const {
  const std::string override = Trim(HeaderOverride);
  return override.empty() ? Caption : override;
}

std::string TNTierColumn::DisplayFormat() const {
  const std::string override = Trim(DisplayFormatOverride);
  return override.empty() ? DefaultDisplayFormat : override;
}

size_t TNTierDataset::TCaseInsensitiveHash::operator()(std::string_view text) const {
  size_t hash = 1469598103934665603ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(Upper(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

bool TNTierDataset::TCaseInsensitiveEqual::operator()(std::string_view a,
                                                      std::string_view b) const {
  return SameText(a, b);
}

TNTierDataset::TNTierDataset(QObject* parent) : TNTierDataset("ds", parent) {}

TNTierDataset::TNTierDataset(const std::string& name, QObject* parent) : QObject(parent) {
  setObjectName(QString::fromStdString(name));
}

TNTierDataset::~TNTierDataset() {
  Reset();
}

std::string TNTierDataset::Name() const {
  return objectName().toStdString();
}

// Columns ----------------------------------------------------------------------

TNTierColumn& TNTierDataset::AddColumn(const std::string& name, const std::string& caption,
                                       std::uint8_t type, unsigned options) {
  if (!rows_.Empty()) {
    throw std::runtime_error("Can't add a field to a TNTierDataSet which has rows - ( " + name +
                             " )");
  }
  auto column = std::make_unique<TNTierColumn>();
  if (const size_t dot = name.find('.'); dot != std::string::npos) {
    column->Name = name.substr(dot + 1);
    column->Source = name;
  } else if (!name.empty() && name.front() == '#') {
    column->Name = name.substr(1);
    column->Source = "#";
  } else {
    column->Name = name;
    column->Source = name;
  }
  column->Caption = caption;
  column->Type = type;
  column->Options = options;
  column->Width = type == NTierType::String ? 200 : 100;
  column->StoredWidth = column->Width;
  const bool numeric = type == NTierType::Integer || type == NTierType::SmallInteger ||
                       type == NTierType::LargeInteger || type == NTierType::Float;
  column->Alignment = numeric ? TNTierAlignment::Right : TNTierAlignment::Left;
  defined_.push_back(std::move(column));
  return *defined_.back();
}

void TNTierDataset::PrepareColumns() {
  Clear();
  active_.clear();
  activeByName_.clear();
  kinds_.clear();
  for (const auto& column : defined_) {
    column->ActiveIndex = -1;
    if ((column->Options & (NTierOption::Hidden | NTierOption::Displayed)) == 0) continue;
    column->ActiveIndex = static_cast<int>(active_.size());
    active_.push_back(column.get());
    kinds_.push_back(KindOf(column->Type));
    // emplace keeps the first column of a name, as a linear search would find it.
    activeByName_.emplace(column->Name, column->ActiveIndex);
  }
  texts_.Reset(kinds_.size());
}

void TNTierDataset::ClearColumns() {
  Reset();
  defined_.clear();
}

TNTierColumn& TNTierDataset::Columns(int index) {
  return const_cast<TNTierColumn&>(std::as_const(*this).Columns(index));
}

const TNTierColumn& TNTierDataset::Columns(int index) const {
  if (index < 0 || index >= ColumnCount()) FailColumn("Columns(" + std::to_string(index) + ")");
  return *active_[static_cast<size_t>(index)];
}

int TNTierDataset::IndexOfColumn(std::string_view name) const {
  const auto found = activeByName_.find(name);
  return found == activeByName_.end() ? -1 : found->second;
}

void TNTierDataset::FailColumn(const std::string& call) const {
  throw std::runtime_error("Request for Invalid Column - ( " + Name() + "." + call + " )");
}

// Rows -------------------------------------------------------------------------

int TNTierDataset::AppendRow() {
  if (active_.empty()) {
    throw std::runtime_error("Can't add rows to a TNTierDataSet if no columns are defined - ( " +
                             Name() + " )");
  }
  const int index = RowCount();
  if (updateDepth_ == 0) emit RowAboutToBeAppended(index);
  // A new row is not selected, so the cached selection stays right.
  rows_.Append(&texts_, kinds_);
  if (updateDepth_ == 0) emit RowAppended(index);
  return index;
}

void TNTierDataset::DeleteRow(int row) {
  if (row < 0 || row >= RowCount()) {
    throw std::runtime_error("Can't delete, Invalid Row - ( " + Name() + ".DeleteRow(" +
                             std::to_string(row) + ") )");
  }
  if (updateDepth_ == 0) emit RowAboutToBeDeleted(row);
  ++structureChanges_;
  const bool wasSelected = rows_[static_cast<size_t>(row)].selected_;
  rows_.Delete(static_cast<size_t>(row));
  ForgetSelectedRow(row, wasSelected);
  if (updateDepth_ == 0) emit RowDeleted(row);
}

void TNTierDataset::DeleteRows(std::vector<int> rows) {
  for (const int row : rows) {
    if (row < 0 || row >= RowCount()) {
      throw std::runtime_error("Can't delete, Invalid Row - ( " + Name() + ".DeleteRows(" +
                               std::to_string(row) + ") )");
    }
  }
  if (rows.empty()) return;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  TUpdateScope update(*this);
  ++structureChanges_;
  const std::vector<size_t> indexes(rows.begin(), rows.end());
  rows_.Delete(indexes);
  InvalidateSelection();
}

void TNTierDataset::ForgetSelectedRow(int row, bool wasSelected) {
  if (!selectionCacheValid_) return;
  // The selected rows after it move up by one. Rows deleted from the last to the
  // first touch only the end of the list.
  auto later = std::lower_bound(selectedCache_.begin(), selectedCache_.end(), row);
  if (wasSelected) later = selectedCache_.erase(later);
  for (; later != selectedCache_.end(); ++later) --*later;
}

TNTierRow& TNTierDataset::Rows(int row) {
  return const_cast<TNTierRow&>(std::as_const(*this).Rows(row));
}

const TNTierRow& TNTierDataset::Rows(int row) const {
  if (row < 0 || row >= RowCount()) {
    throw std::runtime_error("Request for Invalid Row - ( " + Name() + ".Rows(" +
                             std::to_string(row) + ") )");
  }
  return rows_[static_cast<size_t>(row)];
}

TNTierField& TNTierDataset::Fields(int column, int row) {
  return const_cast<TNTierField&>(std::as_const(*this).Fields(column, row));
}

const TNTierField& TNTierDataset::Fields(int column, int row) const {
  if (column < 0 || column >= ColumnCount()) {
    FailColumn("Fields(" + std::to_string(column) + ")");
  }
  if (row < 0 || row >= RowCount()) {
    throw std::runtime_error("Request for Invalid Row - ( " + Name() + ".Fields(" +
                             std::to_string(row) + ") )");
  }
  return rows_[static_cast<size_t>(row)].Field(column);
}

TNTierField& TNTierDataset::FieldByName(std::string_view name, int row) {
  return const_cast<TNTierField&>(std::as_const(*this).FieldByName(name, row));
}

const TNTierField& TNTierDataset::FieldByName(std::string_view name, int row) const {
  const int column = IndexOfColumn(name);
  if (column < 0) {
    FailColumn("FieldByName(" + std::string(name) + "," + std::to_string(row) + ")");
  }
  if (row < 0 || row >= RowCount()) {
    throw std::runtime_error("Request for Invalid Row - ( " + Name() + ".FieldByName(" +
                             std::string(name) + "," + std::to_string(row) + ") )");
  }
  return rows_[static_cast<size_t>(row)].Field(column);
}

void TNTierDataset::Clear() {
  emit BeforeClear(this);
  {
    TUpdateScope update(*this);
    ++structureChanges_;
    rows_.Clear();
    texts_.Reset(kinds_.size());
    selectedCache_ = {};
    selectionCacheValid_ = true;
  }
  if (filterHintGlyph_) filterHintGlyph_->setProperty("visible", false);
  emit AfterClear(this);
}

void TNTierDataset::Reset() {
  emit BeforeReset(this);
  Clear();
  sortFields_.clear();
  for (const auto& column : defined_) column->ActiveIndex = -1;
  active_.clear();
  activeByName_.clear();
  kinds_.clear();
  texts_.Reset(0);
  if (sorter_) sorter_->Release();
  sortedRows_ = {};
  newPositionOf_ = {};
  keyFields_ = {};
  emit AfterReset(this);
}

void TNTierDataset::RefreshData() {
  TUpdateScope update(*this);
  emit OnRefreshData(this);
}

void TNTierDataset::BeginUpdate() {
  if (updateDepth_++ == 0) emit BulkChangeAboutToBegin();
}

void TNTierDataset::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) emit BulkChangeEnded();
}

// Selection --------------------------------------------------------------------

const std::vector<int>& TNTierDataset::SelectedRows() const {
  if (!selectionCacheValid_) {
    selectedCache_.clear();
    for (size_t i = 0; i < rows_.Size(); ++i) {
      if (rows_[i].selected_) selectedCache_.push_back(static_cast<int>(i));
    }
    selectionCacheValid_ = true;
  }
  return selectedCache_;
}

bool TNTierDataset::IsSelected(int row) const {
  return row >= 0 && row < RowCount() && rows_[static_cast<size_t>(row)].selected_;
}

void TNTierDataset::SetSelected(int row, bool value) {
  if (row < 0 || row >= RowCount()) {
    throw std::runtime_error("Invalid Row - ( " + Name() + ".SetSelected(" + std::to_string(row) +
                             ") )");
  }
  TNTierRow& target = rows_[static_cast<size_t>(row)];
  if (selectionLocked_ || target.selected_ == value) return;
  target.selected_ = value;
  // Selecting rows in order keeps the list of selected rows as it goes;
  // anything else builds it again when it is next asked for.
  if (selectionCacheValid_) {
    if (value && (selectedCache_.empty() || selectedCache_.back() < row)) {
      selectedCache_.push_back(row);
    } else if (!value && selectedCache_.back() == row) {
      selectedCache_.pop_back();
    } else {
      InvalidateSelection();
    }
  }
  emit OnSelectionChanged(this);
}

void TNTierDataset::ClearSelection() {
  if (selectionLocked_) return;
  for (size_t i = 0; i < rows_.Size(); ++i) rows_[i].selected_ = false;
  selectedCache_.clear();
  selectionCacheValid_ = true;
  emit OnSelectionChanged(this);
}

void TNTierDataset::InvertSelection() {
  if (selectionLocked_) return;
  for (size_t i = 0; i < rows_.Size(); ++i) rows_[i].selected_ = !rows_[i].selected_;
  InvalidateSelection();
}

int TNTierDataset::SelectedCount() const {
  return static_cast<int>(SelectedRows().size());
}

int TNTierDataset::SelectedRow(int n) const {
  const std::vector<int>& selected = SelectedRows();
  return n >= 0 && n < static_cast<int>(selected.size()) ? selected[static_cast<size_t>(n)] : -1;
}

int TNTierDataset::FirstSelected() const {
  const std::vector<int>& selected = SelectedRows();
  return selected.empty() ? -1 : selected.front();
}

// Sorting ----------------------------------------------------------------------

std::vector<TNTierDataset::TSortKey> TNTierDataset::ParseSortList(const std::string& list) const {
  std::vector<TSortKey> keys;
  const std::string whole = Trim(list);
  size_t start = 0;
  while (true) {
    const size_t comma = whole.find(',', start);
    std::string item = Trim(std::string_view(whole).substr(
        start, comma == std::string::npos ? std::string::npos : comma - start));
    TSortKey key;
    if (!item.empty() && item.front() == '*') {
      key.Descending = true;
      item = Trim(std::string_view(item).substr(1));
    }
    key.Column = IndexOfColumn(item);
    if (key.Column < 0) FailColumn("Sort(" + item + ")");
    keys.push_back(key);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return keys;
}

void TNTierDataset::SortRows(const std::vector<TSortKey>& keys) {
  if (!sorter_) sorter_ = std::make_unique<TNTierRowSorter>();
  std::vector<TNTierRow*>& rows = rows_.Slots();
  const size_t count = rows.size();
  std::vector<const TNTierField*>& fields = keyFields_;
  fields.resize(count);
  for (const TSortKey& key : keys) {
    for (size_t i = 0; i < count; ++i) fields[i] = &rows[i]->Field(key.Column);
    // Every row of a column holds the same field class.
    const TNTierFieldKind kind = fields.front()->Kind();
    const bool text = kind == TNTierFieldKind::String;
    TNTierSortKey& values = sorter_->AddKey(text, key.Descending, count);
    // The rows lie anywhere in memory, so every step below would wait for a
    // field, then for its text, one row after another. Asking for them a few
    // rows ahead lets those waits overlap.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < count; ++i) {
      if (i + kAhead < count) __builtin_prefetch(fields[i + kAhead]);
      if (text && i + kAhead / 2 < count) __builtin_prefetch(fields[i + kAhead / 2]->TextAddress());
      const TNTierField* field = fields[i];
      if (field->IsNull()) {
        values.AddNull();
      } else if (text) {
        values.AddText(field->Text());
      } else if (kind == TNTierFieldKind::Boolean) {
        values.AddNumber(field->AsBoolean() ? 1 : 0);
      } else if (kind == TNTierFieldKind::Integer) {
        values.AddNumber(field->AsInteger());
      } else {
        values.AddNumber(field->AsFloat());
      }
    }
  }
  const std::vector<int>& order = sorter_->Sort(RowCount());

  newPositionOf_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    newPositionOf_[static_cast<size_t>(order[i])] = static_cast<int>(i);
  }
  if (updateDepth_ == 0) emit RowsAboutToBeReordered();
  ++structureChanges_;
  sortedRows_.resize(count);
  for (size_t i = 0; i < count; ++i) sortedRows_[i] = rows[static_cast<size_t>(order[i])];
  rows.swap(sortedRows_);  // the old array stays as the buffer of the next sort
  InvalidateSelection();
  if (updateDepth_ == 0) emit RowsReordered(newPositionOf_);
}

bool TNTierDataset::Sort(const std::string& list) {
  if (list.empty()) {
    ClearSort();
    return true;
  }
  sortFields_ = list;
  if (rows_.Empty()) return true;
  emit BeforeSort(this);
  try {
    const std::vector<TSortKey> keys = ParseSortList(list);
    TBusyScope busy(*this);
    SortRows(keys);
  } catch (const std::exception&) {
    if (quietSortErrors_) return false;
    throw;
  }
  emit AfterSort(this);
  return true;
}

bool TNTierDataset::Resort() {
  return sortFields_.empty() || Sort(sortFields_);
}

// Finding ----------------------------------------------------------------------

int TNTierDataset::FindInteger(std::string_view columnName, int startRow,
                               std::int32_t value) const {
  if (startRow < 0 || startRow >= RowCount()) return -1;
  const int column = IndexOfColumn(columnName);
  if (column < 0) FailColumn("Fields(-1)");
  for (int row = startRow; row < RowCount(); ++row) {
    if (rows_[static_cast<size_t>(row)].Field(column).AsInteger() == value) return row;
  }
  return -1;
}

int TNTierDataset::FindString(std::string_view columnName, int startRow, std::string_view text,
                              bool ignoreCase, bool wholeValue) const {
  if (startRow < 0 || startRow >= RowCount()) return -1;
  const int column = IndexOfColumn(columnName);
  if (column < 0) FailColumn("Fields(-1)");
  const auto matches = [&](std::string_view value) {
    if (wholeValue ? value.size() != text.size() : value.size() < text.size()) return false;
    value = value.substr(0, text.size());
    return ignoreCase ? SameText(value, text) : value == text;
  };
  const bool isString = active_[static_cast<size_t>(column)]->Type == NTierType::String ||
                        active_[static_cast<size_t>(column)]->Type == NTierType::YesNo;
  for (int row = startRow; row < RowCount(); ++row) {
    const TNTierField& field = rows_[static_cast<size_t>(row)].Field(column);
    // String fields are compared in place; others through their text form.
    const bool found = isString ? matches(field.Text()) : matches(field.AsString());
    if (found) return row;
  }
  return -1;
}

// Loading ----------------------------------------------------------------------

void TNTierDataset::LoadFromXML(const pugi::xml_node& document) {
  TBusyScope busy(*this);
  TUpdateScope update(*this);
  Clear();
  pugi::xml_node root = document;
  if (document.type() == pugi::node_document) {
    root =
        document.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
  }

  size_t children = 0;
  for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) ++children;

  rowLimitReached_ = false;
  size_t toLoad = children;
  if (const pugi::xml_attribute limitAttribute = root.attribute("rowLimit")) {
    const std::string_view text = limitAttribute.value();
    long long limit = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), limit);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
      throw ENTierConversionError("'" + std::string(text) + "' is not a valid integer value");
    }
    // A negative limit cannot be met; it means no limit, like 0.
    if (limit > 0 && children > static_cast<size_t>(limit)) {
      rowLimitReached_ = true;
      toLoad = static_cast<size_t>(limit);
    }
  }
  if (filterHintGlyph_) filterHintGlyph_->setProperty("visible", rowLimitReached_);

  size_t index = 0;
  for (pugi::xml_node child = root.first_child(); child && index < toLoad;
       child = child.next_sibling(), ++index) {
    const int row = AppendRow();
    if (child.type() != pugi::node_element) {
      throw std::runtime_error("Row data is not an element - ( " + Name() + ".LoadFromXML(" +
                               std::to_string(index) + ") )");
    }
    for (const pugi::xml_attribute attribute : child.attributes()) {
      FieldByName(attribute.name(), row).SetAsString(attribute.value());
    }
  }
  if (!sortFields_.empty()) Sort(sortFields_);
}
