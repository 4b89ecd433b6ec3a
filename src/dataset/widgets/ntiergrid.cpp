#include "dataset/widgets/ntiergrid.h"

#include "dataset/widgets/ntiergridmodel.h"
#include "dataset/widgets/ntiergridparts.h"
#include "support/datetime.h"
#include "support/widgets/readablecolour.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString ToDisplay(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A cell shows at most this much of a value (more never fits a cell) and its hint
// a little more: laying out a name of many megabytes at every repaint or mouse
// move would stall the window.
constexpr std::size_t kShownBytes = 1024;
constexpr std::size_t kHintBytes = 4096;
const QChar kEllipsis(0x2026);

bool IsRowMovement(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      return true;
    default:
      return false;
  }
}

// At most limit bytes of a text, cut where a UTF-8 character starts; cut tells
// whether anything was left off.
std::string Prefix(std::string_view text, std::size_t limit, bool& cut) {
  cut = text.size() > limit;
  if (!cut) return std::string(text);
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t at = text.find(separator, start);
    parts.emplace_back(text.substr(start, at == std::string_view::npos ? text.npos : at - start));
    if (at == std::string_view::npos) break;
    start = at + separator.size();
  }
  return parts;
}

// A sort list item without its direction mark.
std::string KeyName(const std::string& item) {
  const std::string trimmed = Trim(item);
  return !trimmed.empty() && trimmed.front() == '*' ? Trim(std::string_view(trimmed).substr(1))
                                                    : trimmed;
}

// Number formats in the usual picture form: "0" a digit always shown, "#" a digit
// shown when significant, "," anywhere before the point groups thousands, "."
// the decimal point; text before and after the digits is copied. Only the first
// ";" section is used.
std::string FormatNumber(const std::string& picture, double value) {
  const std::string section = picture.substr(0, picture.find(';'));
  const size_t first = section.find_first_of("0#.,");
  if (first == std::string::npos) return section;
  const size_t last = section.find_last_of("0#.,");
  const std::string prefix = section.substr(0, first);
  const std::string suffix = section.substr(last + 1);
  const std::string digits = section.substr(first, last - first + 1);
  const size_t point = digits.find('.');
  const std::string whole = digits.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : digits.substr(point + 1);
  const bool grouped = whole.find(',') != std::string::npos;
  const int minWhole = static_cast<int>(std::count(whole.begin(), whole.end(), '0'));
  const int minFraction = static_cast<int>(fraction.find_first_not_of('0') == std::string::npos
                                               ? fraction.size()
                                               : fraction.find_first_not_of('0'));
  const int maxFraction = static_cast<int>(std::count(fraction.begin(), fraction.end(), '0') +
                                           std::count(fraction.begin(), fraction.end(), '#'));

  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", maxFraction, std::fabs(value));
  std::string text = buffer;
  std::string integral = text.substr(0, text.find('.'));
  std::string decimals = text.find('.') == std::string::npos ? "" : text.substr(text.find('.') + 1);
  while (static_cast<int>(decimals.size()) > minFraction && !decimals.empty() &&
         decimals.back() == '0') {
    decimals.pop_back();
  }
  if (integral == "0" && minWhole == 0) integral.clear();
  while (static_cast<int>(integral.size()) < minWhole) integral.insert(integral.begin(), '0');
  if (grouped) {
    for (int at = static_cast<int>(integral.size()) - 3; at > 0; at -= 3) {
      integral.insert(static_cast<size_t>(at), ",");
    }
  }
  const bool negative = value < 0 && (integral.find_first_not_of("0,") != std::string::npos ||
                                      decimals.find_first_not_of('0') != std::string::npos);
  std::string out = negative ? "-" : "";
  out += integral;
  if (!decimals.empty()) out += "." + decimals;
  if (out.empty() || out == "-") out += "0";
  return prefix + out + suffix;
}

}  // namespace

TNTierGrid::TNTierGrid(QWidget* parent)
    : QTableView(parent),
      model_(new TNTierGridModel(this)),
      header_(new TNTierGridHeader(*this)),
      cellTexts_(std::make_unique<TCellTextCache>()) {
  setObjectName("grd");
  model_->SetTextProvider(
      [this](int column, int row) { return ToDisplay(CellText(column, row + 1)); });
  model_->SetAccessibleTextProvider(
      [this](int column, int row) { return AccessibleText(column, row + 1); });
  setModel(model_);
  setHorizontalHeader(header_);
  setItemDelegate(new TNTierGridDelegate(*this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  SetDefaultRowHeight(17);
  viewport()->setMouseTracking(true);

  connect(
      header_, &QHeaderView::sectionMoved, this,
      [this](int, int from, int to) { HeaderColumnMoved(from, to); }, Qt::QueuedConnection);
  connect(header_, &QHeaderView::sectionResized, this,
          [this](int column, int, int width) { HeaderColumnResized(column, width); });
  connect(model_, &QAbstractItemModel::rowsInserted, this, &TNTierGrid::OnRowsInserted);
  connect(model_, &QAbstractItemModel::modelReset, this, &TNTierGrid::OnRowsInserted);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    if (!dataset_) OnDatasetGone();
  });
  // Resets, sorts and removals drop or move the view's selection; it is made again.
  connect(model_, &QAbstractItemModel::modelReset, this, &TNTierGrid::QueueSelectionSync);
  connect(model_, &QAbstractItemModel::layoutChanged, this, &TNTierGrid::QueueSelectionSync);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &TNTierGrid::QueueSelectionSync);
  connect(model_, &QAbstractItemModel::rowsInserted, this, &TNTierGrid::QueueSelectionSync);
}

TNTierGrid::~TNTierGrid() = default;

// Dataset ------------------------------------------------------------------------

TNTierDataset* TNTierGrid::Dataset() const {
  return dataset_;
}

void TNTierGrid::SetDataset(TNTierDataset* dataset) {
  if (dataset_ == dataset) return;
  if (dataset_) disconnect(dataset_, nullptr, this, nullptr);
  dataset_ = dataset;
  model_->SetDataset(dataset);
  if (!dataset) return;
  connect(dataset, &TNTierDataset::OnSelectionChanged, this,
          &TNTierGrid::OnDatasetSelectionChanged);
  connect(dataset, &TNTierDataset::BusyBegin, this,
          [] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); });
  connect(dataset, &TNTierDataset::BusyEnd, this, [] { QGuiApplication::restoreOverrideCursor(); });
  // Sorting from elsewhere (a window's Resort) repaints the markers too.
  connect(dataset, &TNTierDataset::AfterSort, this, [this] { header_->viewport()->update(); });
}

void TNTierGrid::OnDatasetGone() {
  CloseHint();
  viewport()->update();
}

void TNTierGrid::OnDatasetSelectionChanged() {
  viewport()->update();
  QueueSelectionSync();
}

// Keeps a current row whenever there are rows, as a user expects of a list; it
// starts on the first column with text, not on a glyph.
void TNTierGrid::OnRowsInserted() {
  if (refreshing_ || currentIndex().isValid()) return;
  if (model_->rowCount() > 0 && model_->columnCount() > 0) {
    selectionModel()->setCurrentIndex(model_->index(0, FirstTextColumn()),
                                      QItemSelectionModel::NoUpdate);
  }
}

int TNTierGrid::FirstTextColumn() const {
  const auto& columns = model_->DisplayedColumns();
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!Trim(columns[i]->HeaderText()).empty()) return static_cast<int>(i);
  }
  return 0;
}

void TNTierGrid::QueueSelectionSync() {
  if (selectionSyncQueued_) return;
  selectionSyncQueued_ = true;
  QMetaObject::invokeMethod(this, &TNTierGrid::SyncSelection, Qt::QueuedConnection);
}

void TNTierGrid::SyncSelection() {
  selectionSyncQueued_ = false;
  QItemSelection selection;
  const int columns = model_->columnCount();
  const int rows = model_->rowCount();
  if (dataset_ && columns > 0) {
    // The selected rows in order, not a walk of every row: a sync follows every
    // change of rows, and a search adds rows to a long list fifty times a second.
    const int count = dataset_->SelectedCount();
    for (int i = 0; i < count && dataset_->SelectedRow(i) < rows;) {
      const int first = dataset_->SelectedRow(i);
      int last = first;
      while (++i < count && dataset_->SelectedRow(i) == last + 1 && last + 1 < rows) ++last;
      selection.select(model_->index(first, 0), model_->index(last, columns - 1));
    }
  }
  if (selection == selectionModel()->selection()) return;
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QString TNTierGrid::AccessibleText(int column, int row) const {
  bool cut = false;
  QString text = ToDisplay(CellText(column, row, kHintBytes, cut));
  if (cut) text += kEllipsis;
  if (!text.isEmpty() || glyphTextField_.empty() || !dataset_ || row < 1 ||
      row > dataset_->RowCount() || dataset_->IndexOfColumn(glyphTextField_) < 0) {
    return text;
  }
  return ToDisplay(dataset_->FieldByName(glyphTextField_, row - 1).AsString());
}

QString TNTierGrid::CopyText() const {
  if (!dataset_ || dataset_->RowCount() == 0) return {};
  std::vector<int> rows;
  for (int i = 0; i < dataset_->SelectedCount(); ++i) rows.push_back(dataset_->SelectedRow(i));
  if (rows.empty() && CurrentDataRow() >= 0) rows.push_back(CurrentDataRow());
  const bool byField = !copyField_.empty() && dataset_->IndexOfColumn(copyField_) >= 0;
  const int column = FirstTextColumn();
  QStringList names;
  for (const int row : rows) {
    names << ToDisplay(byField ? dataset_->FieldByName(copyField_, row).AsString()
                               : CellText(column, row + 1));
  }
  return names.join(QLatin1Char('\n'));
}

void TNTierGrid::SelectAll() {
  if (!dataset_) return;
  for (int row = 0; row < dataset_->RowCount(); ++row) dataset_->SetSelected(row, true);
}

void TNTierGrid::SetImages(QList<QPixmap> images) {
  images_ = std::move(images);
  viewport()->update();
}

void TNTierGrid::InvalidateData() {
  model_->AllChanged();
  viewport()->update();
  header_->viewport()->update();
}

void TNTierGrid::InvalidateRow(int dataRow) {
  model_->RowsChanged(dataRow, dataRow);
}

// Columns ------------------------------------------------------------------------

void TNTierGrid::ColumnsChanged() {
  std::vector<TNTierColumn*> columns;
  if (dataset_) {
    std::vector<TNTierColumn*> shown;
    for (int i = 0; i < dataset_->ColumnCount(); ++i) {
      TNTierColumn& column = dataset_->Columns(i);
      if (column.IsDisplayed()) shown.push_back(&column);
    }
    for (const std::string& name : dataset_->ColumnOrder()) {
      const std::string wanted = Trim(name);
      const auto found = std::find_if(shown.begin(), shown.end(), [&](const TNTierColumn* c) {
        return c && SameText(c->Name, wanted);
      });
      if (found == shown.end()) continue;
      columns.push_back(*found);
      *found = nullptr;
    }
    for (TNTierColumn* column : shown) {
      if (column) columns.push_back(column);
    }
  }
  const int current = CurrentDataRow();
  model_->SetDisplayedColumns(std::move(columns));
  SizeColumns();
  WriteColumnOrder();
  if (current >= 0) SetCurrentDataRow(current);
}

void TNTierGrid::WriteColumnOrder() {
  if (!dataset_) return;
  std::vector<std::string>& order = dataset_->ColumnOrder();
  order.clear();
  for (const TNTierColumn* column : model_->DisplayedColumns()) order.push_back(column->Name);
}

TNTierColumn& TNTierGrid::Columns(int index) const {
  const auto& columns = model_->DisplayedColumns();
  if (index < 0 || index >= static_cast<int>(columns.size())) {
    throw std::runtime_error("Request for Invalid Column - ( " + objectName().toStdString() +
                             ".Columns(" + std::to_string(index) + ") )");
  }
  return *columns[static_cast<size_t>(index)];
}

int TNTierGrid::HeaderTextWidth(const TNTierColumn& column) const {
  const std::string text = column.HeaderText();
  const QFontMetrics metrics(header_->font());
  if (column.MultiLineMode != 1 && column.MultiLineMode != 3) {
    return metrics.horizontalAdvance(ToDisplay(text));
  }
  int widest = 0;
  for (const std::string& line : Split(text, "~")) {
    widest = std::max(widest, metrics.horizontalAdvance(ToDisplay(line)));
  }
  return widest;
}

void TNTierGrid::SizeColumns() {
  const auto& columns = model_->DisplayedColumns();
  for (size_t i = 0; i < columns.size(); ++i) {
    TNTierColumn& column = *columns[i];
    if (column.IsFixedWidth()) {
      if (column.StoredWidth <= 0) column.StoredWidth = column.Width;
      SetColumnWidth(static_cast<int>(i), column.StoredWidth);
    } else {
      SetColumnWidth(static_cast<int>(i), HeaderTextWidth(column) + autoGrowPadding_);
    }
  }
}

void TNTierGrid::HeaderColumnResized(int column, int width) {
  const auto& columns = model_->DisplayedColumns();
  if (column < 0 || column >= static_cast<int>(columns.size())) return;
  TNTierColumn& target = *columns[static_cast<size_t>(column)];
  if (!target.IsFixedWidth()) return;
  const int cellWidth = width - GridLineWidth();
  if (cellWidth > 0) {
    target.StoredWidth = cellWidth;
  } else {
    target.StoredWidth = target.Width;
    SetColumnWidth(column, target.Width);
  }
}

// The header shows the columns in the model's order; a drag is turned into a
// move in that order, so that column numbers always mean what the user sees.
void TNTierGrid::HeaderColumnMoved(int from, int to) {
  const int count = model_->columnCount();
  if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
  std::vector<int> widths;
  for (int visual = 0; visual < count; ++visual) {
    widths.push_back(ColumnWidth(header_->logicalIndex(visual)));
  }
  const int current = CurrentDataRow();
  const int top = TopRow();
  {
    // The header goes back to showing the model's order, which is about to change.
    const QSignalBlocker blocker(header_);
    for (int logical = 0; logical < count; ++logical) {
      const int visual = header_->visualIndex(logical);
      if (visual != logical) header_->moveSection(visual, logical);
    }
  }
  model_->MoveColumn(from, to);
  for (int i = 0; i < count; ++i) SetColumnWidth(i, widths[static_cast<size_t>(i)]);
  WriteColumnOrder();
  if (current >= 0) SetCurrentDataRow(current);
  SetTopRow(top);
  viewport()->update();
  emit OnColumnMoved(this, from, to);
}

// Widths are those of the cell; the view's column also holds the grid line.
int TNTierGrid::GridLineWidth() const {
  return showGrid() ? 1 : 0;
}
int TNTierGrid::ColumnWidth(int column) const {
  return columnWidth(column) - GridLineWidth();
}
void TNTierGrid::SetColumnWidth(int column, int width) {
  setColumnWidth(column, width + GridLineWidth());
}

// Geometry -----------------------------------------------------------------------

int TNTierGrid::RowCount() const {
  return 1 + std::max(1, dataset_ ? dataset_->RowCount() : 0);
}

int TNTierGrid::ColCount() const {
  return std::max(1, model_->columnCount());
}

// Row heights, like column widths, are those of the cells, without the grid line.
int TNTierGrid::DefaultRowHeight() const {
  return verticalHeader()->defaultSectionSize() - GridLineWidth();
}

void TNTierGrid::SetDefaultRowHeight(int height) {
  if (header_->RowHeight() == partRowHeight_) header_->SetRowHeight(height);
  partRowHeight_ = height;
  headerHeightAdjusted_ = false;
  ApplyRowHeight();
}

// Text sits 2 pixels below a row's top; below it the descenders and the
// underscore need their room, and one pixel more keeps them off the grid line.
int TNTierGrid::TextRowHeight() const {
  return QFontMetrics(font()).height() + 3;
}

void TNTierGrid::ApplyRowHeight() {
  verticalHeader()->setDefaultSectionSize(std::max(partRowHeight_, TextRowHeight()) +
                                          GridLineWidth());
  header_->updateGeometry();
  updateGeometries();
}

void TNTierGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) ApplyRowHeight();
}

QRect TNTierGrid::CellRect(int column, int row) const {
  if (row == 0) {
    return QRect(header_->sectionViewportPosition(column), 0, header_->sectionSize(column),
                 header_->height());
  }
  return visualRect(model_->index(row - 1, column));
}

int TNTierGrid::TopRow() const {
  return verticalScrollBar()->value() + 1;
}

void TNTierGrid::SetTopRow(int row) {
  verticalScrollBar()->setValue(row - 1);
}

int TNTierGrid::VisibleRowCount() const {
  return std::max(0, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

// Current row and selection ------------------------------------------------------

int TNTierGrid::CurrentDataRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void TNTierGrid::SetCurrentDataRow(int dataRow) {
  const int rows = model_->rowCount();
  if (rows == 0 || model_->columnCount() == 0) return;
  const int row = std::clamp(dataRow < 0 ? 0 : dataRow, 0, rows - 1);
  const int column = currentIndex().isValid() ? currentIndex().column() : FirstTextColumn();
  const QModelIndex target = model_->index(row, column);
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
  scrollTo(target);
}

int TNTierGrid::ActionRowCount() const {
  if (!dataset_ || dataset_->RowCount() == 0) return 0;
  const int current = CurrentDataRow();
  return dataset_->SelectedCount() + (current >= 0 && !dataset_->IsSelected(current) ? 1 : 0);
}

bool TNTierGrid::EnsureSelection() {
  if (!dataset_) return true;
  const bool noneSelected = dataset_->SelectedCount() == 0;
  const int current = CurrentDataRow();
  if (noneSelected && dataset_->RowCount() > 0 && current >= 0) {
    dataset_->SetSelected(current, true);
    viewport()->update();
    QueueSelectionSync();
  }
  return noneSelected;
}

void TNTierGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (revertingCurrent_) return;
  if (onSelectCell_ && current.isValid() && !refreshing_) {
    bool maySelect = true;
    onSelectCell_(*this, current.column(), current.row() + 1, maySelect);
    if (!maySelect) {
      revertingCurrent_ = true;
      selectionModel()->setCurrentIndex(previous, QItemSelectionModel::NoUpdate);
      revertingCurrent_ = false;
      return;
    }
  }
  viewport()->update();
  if (!refreshing_) {
    QMetaObject::invokeMethod(
        this, [this] { emit AfterSelectCell(this); }, Qt::QueuedConnection);
  }
}

TNTierField& TNTierGrid::FieldAt(std::string_view columnName, int row) const {
  if (!dataset_) throw std::runtime_error("No dataset - ( " + objectName().toStdString() + " )");
  return dataset_->FieldByName(columnName, row - 1);
}

// Refresh ------------------------------------------------------------------------

void TNTierGrid::RefreshData() {
  if (!dataset_) return;
  CloseHint();
  if (!refreshField_.empty() && !rememberedRefreshValue_ && CurrentDataRow() >= 0 &&
      dataset_->IndexOfColumn(refreshField_) >= 0) {
    rememberedRefreshValue_ = dataset_->FieldByName(refreshField_, CurrentDataRow()).AsInteger();
  }
  const int top = TopRow();
  emit BeforeRefreshData(this);
  refreshing_ = true;
  model_->BeginRefresh();
  try {
    dataset_->RefreshData();
  } catch (...) {
    model_->EndRefresh();
    refreshing_ = false;
    throw;
  }
  model_->EndRefresh();

  if (!headerHeightAdjusted_ && header_->RowHeight() == partRowHeight_) {
    header_->SetRowHeight(partRowHeight_ + 2);
    headerHeightAdjusted_ = true;
    updateGeometries();
  }
  SizeColumns();
  SetCurrentDataRow(0);
  if (rememberedRefreshValue_) {
    if (dataset_->IndexOfColumn(refreshField_) >= 0) {
      const int found = dataset_->FindInteger(refreshField_, 0, *rememberedRefreshValue_);
      if (found >= 0) SetCurrentDataRow(found);
    }
    rememberedRefreshValue_.reset();
  }
  SetTopRow(top);
  refreshing_ = false;
  // The selection logic of the current cell runs again for the refilled rows.
  const QModelIndex current = currentIndex();
  if (current.isValid()) currentChanged(current, current);
  emit AfterRefreshData(this);
  viewport()->update();
  header_->viewport()->update();
}

// Text ---------------------------------------------------------------------------

std::string TNTierGrid::FieldText(const TNTierColumn& column, const TNTierField& field) const {
  const std::string format = column.DisplayFormat();
  switch (field.Kind()) {
    case TNTierFieldKind::DateTime:
      return FormatDateTime(format.empty() ? kDefaultDateTimeFormat : format, field.AsDateTime());
    case TNTierFieldKind::Date:
      return FormatDateTime(format.empty() ? kDefaultDateFormat : format, field.AsDateTime());
    case TNTierFieldKind::Time:
      return FormatDateTime(format.empty() ? kDefaultTimeFormat : format, field.AsDateTime());
    case TNTierFieldKind::Integer:
    case TNTierFieldKind::Float:
      return format.empty() ? field.AsString() : FormatNumber(format, field.AsFloat());
    default:
      return field.AsString();
  }
}

std::string TNTierGrid::CellText(int column, int row) const {
  bool cut = false;
  return CellText(column, row, std::string::npos, cut);
}

std::string TNTierGrid::CellText(int column, int row, std::size_t limit, bool& cut) const {
  cut = false;
  if (model_->DisplayedColumns().empty()) return {};
  const TNTierColumn& col = Columns(column);
  const TNTierField* field = nullptr;
  if (row > 0) {
    if (!dataset_ || !col.IsActive() || row - 1 >= dataset_->RowCount()) return {};
    field = &dataset_->Fields(col.ActiveIndex, row - 1);
    if (field->IsNull() && !col.NullText.empty()) return Prefix(col.NullText, limit, cut);
    if (col.Type == NTierType::YesNo) {
      const bool yes = !field->IsNull() && field->AsString() == "Yes";
      if (col.YesNoStyle <= 2 || (col.YesNoStyle == 4 && yes) || (col.YesNoStyle == 5 && !yes)) {
        return {};
      }
    }
  }
  if (onFormatText_) {
    std::string text;
    if (onFormatText_(*this, column, row, text)) return Prefix(text, limit, cut);
  }
  if (row == 0) return Prefix(col.HeaderText(), limit, cut);
  if (field->IsNull()) return showNullMarker_ ? "<null>" : "";
  // Only the part that is wanted is copied out of a long text.
  if (field->Kind() == TNTierFieldKind::String) {
    return Prefix(static_cast<const TNTierStringField&>(*field).Text(), limit, cut);
  }
  return Prefix(FieldText(col, *field), limit, cut);
}

// Painting -----------------------------------------------------------------------

bool TNTierGrid::ReverseCurrentRow(const TNTierColumn& column) const {
  return autoReverseSelectedRow_ && !column.NoReverse && (autoReverseWhenNotFocused_ || hasFocus());
}

void TNTierGrid::DrawCell(QPainter& canvas, int column, int row, const QRect& rect) {
  if (column < 0 || column >= model_->columnCount()) return;
  canvas.save();
  TGridDrawState state;
  state.Fixed = row == 0;
  if (row > 0) {
    state.Selected = dataset_ && dataset_->IsSelected(row - 1);
    state.Focused = row - 1 == CurrentDataRow();
    canvas.setPen(state.Selected ? QColor(Qt::white) : palette().color(QPalette::Text));
    canvas.setBrush(state.Selected ? rowHighlightColor_ : palette().color(QPalette::Base));
  } else {
    canvas.setPen(palette().color(QPalette::ButtonText));
    canvas.setBrush(palette().color(QPalette::Button));
  }
  const TNTierColumn& col = Columns(column);
  try {
    if (onDrawCell_ && dataset_ && dataset_->RowCount() > 0 && col.OwnerDraw) {
      onDrawCell_(*this, canvas, column, row, rect, state);
    } else if (row > 0 && col.Type == NTierType::YesNo && dataset_ && col.IsActive()) {
      const TNTierField& field = dataset_->Fields(col.ActiveIndex, row - 1);
      const bool yes = !field.IsNull() && field.AsString() == "Yes";
      const bool box = (!field.IsNull() || col.NullText.empty()) &&
                       ((yes && (col.YesNoStyle == 0 || col.YesNoStyle == 2)) ||
                        (!yes && (col.YesNoStyle == 0 || col.YesNoStyle == 1)));
      if (box) {
        PaintCheckBox(canvas, rect, yes);
      } else {
        PaintCell(canvas, column, row, rect, state);
      }
    } else {
      PaintCell(canvas, column, row, rect, state);
    }
  } catch (const std::exception&) {
    // A cell that cannot be read paints empty rather than breaking the paint of the rest.
  }
  canvas.restore();
  textIndent_ = 0;
}

void TNTierGrid::PaintCheckBox(QPainter& canvas, const QRect& rect, bool ticked) {
  canvas.fillRect(rect, canvas.brush().color());
  const int index = ticked ? 1 : 0;
  if (index < images_.size()) {
    const QPixmap& image = images_[index];
    const QSize size = image.deviceIndependentSize().toSize();
    canvas.drawPixmap(rect.left() + (rect.width() - size.width()) / 2,
                      rect.top() + (rect.height() - size.height()) / 2, image);
    return;
  }
  QStyleOptionButton option;
  option.initFrom(this);
  const int side = std::min(13, rect.height() - 2);
  option.rect = QRect(rect.left() + (rect.width() - side) / 2,
                      rect.top() + (rect.height() - side) / 2, side, side);
  option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &canvas, this);
}

void TNTierGrid::PaintCell(QPainter& canvas, int column, int row, const QRect& rect,
                           TGridDrawState state, std::span<const TCellImage> images) {
  if (refreshing_) return;
  const TNTierColumn& col = Columns(column);
  QColor text = canvas.pen().color();
  QColor background = canvas.brush().color();
  if (row > 0 && state.Focused && !state.Selected && ReverseCurrentRow(col)) {
    // The row's colour becomes the background; it is shaded until the text on
    // it can be read.
    std::swap(text, background);
    background = WithContrast(background, text);
  }

  canvas.save();
  if (row == 0) {
    QStyleOptionHeader option;
    option.initFrom(header_);
    option.rect = rect;
    option.section = column;
    option.state |= QStyle::State_Raised | QStyle::State_Horizontal;
    style()->drawControl(QStyle::CE_HeaderSection, &option, &canvas, header_);
  } else {
    canvas.fillRect(rect, background);
  }

  bool cut = false;
  const std::string cellText = CellText(column, row, kShownBytes, cut);

  const bool headerLines = row == 0 && (col.MultiLineMode == 1 || col.MultiLineMode == 3);
  const bool dataLines = row > 0 && (col.MultiLineMode == 2 || col.MultiLineMode == 3);
  const std::vector<std::string> lines =
      headerLines ? Split(cellText, "~")
                  : (dataLines ? Split(cellText, "\r\n") : std::vector<std::string>{cellText});

  const QFontMetrics metrics(canvas.font());
  const int lineHeight = metrics.height() + 2;
  const int indent = col.Alignment == TNTierAlignment::Left ? textIndent_ : 0;
  canvas.setClipRect(rect);
  canvas.setPen(text);
  int widest = 0;
  // Data that does not fit is drawn up to the cell's edge, ending in an ellipsis.
  const int room = rect.width() - indent - 4;
  for (size_t i = 0; i < lines.size(); ++i) {
    QString line = ToDisplay(lines[i]);
    if (cut && i + 1 == lines.size()) line += kEllipsis;
    const QStaticText* laidOut = &cellTexts_->Text(canvas.font(), line);
    int width = qRound(laidOut->size().width());
    widest = std::max(widest, width);
    if (row > 0 && width > room) {
      laidOut = &cellTexts_->Text(canvas.font(),
                                  metrics.elidedText(line, Qt::ElideRight, std::max(room, 0)));
      width = qRound(laidOut->size().width());
    }
    const int top = lines.size() == 1 ? rect.top() + (row == 0 ? 4 : 2)
                                      : rect.top() + static_cast<int>(i) * lineHeight + 2;
    int left = rect.left() + indent + 2;
    if (col.Alignment == TNTierAlignment::Right) {
      left = rect.right() + 1 - 2 - width;
    } else if (col.Alignment == TNTierAlignment::Center) {
      left = rect.left() + (rect.width() - width) / 2;
    }
    canvas.drawStaticText(QPoint(left, top), *laidOut);
  }
  canvas.restore();

  if (row == 0) PaintSortMarkers(canvas, col, rect);

  const int separators = static_cast<int>(lines.size()) - 1;
  if (separators > 0) {
    const int wanted = lineHeight * (separators + 1) + 2;
    if (rect.height() < wanted) RequestRowHeight(row, wanted);
  }
  if (autoGrowColumns_ && !col.IsFixedWidth() &&
      widest > rect.width() - autoGrowPadding_ - indent) {
    RequestGrowth(col, widest + autoGrowPadding_ + indent);
  }
  PaintImages(canvas, col, rect, images);
}

void TNTierGrid::PaintImages(QPainter& canvas, const TNTierColumn& column, const QRect& rect,
                             std::span<const TCellImage> images) {
  if (images.empty() || images_.isEmpty()) return;
  const int imageWidth = images_.front().deviceIndependentSize().toSize().width();
  const int step = imageWidth + imageGap_;
  const int count = static_cast<int>(images.size());
  for (const TCellImage& image : images) {
    if (image.Index < 0 || image.Index >= images_.size()) continue;
    int left = rect.left() + 2 + image.Slot * step;
    if (column.Alignment == TNTierAlignment::Right) {
      left = rect.right() + 1 - 2 - image.Slot * step;
    } else if (column.Alignment == TNTierAlignment::Center) {
      const int total = count * imageWidth + (count - 1) * imageGap_;
      left = rect.left() + (rect.width() - total) / 2 + image.Slot * step;
    }
    canvas.drawPixmap(left, rect.top() + 2, images_[image.Index]);
  }
}

void TNTierGrid::PaintSortMarkers(QPainter& canvas, const TNTierColumn& column, const QRect& rect) {
  if (!dataset_) return;
  const std::string list =
      dataset_->SortFields().empty() ? dataset_->FactorySortFields() : dataset_->SortFields();
  if (Trim(list).empty()) return;
  const std::vector<std::string> items = Split(list, ",");
  for (size_t k = 0; k < items.size(); ++k) {
    if (!SameText(KeyName(items[k]), column.Name)) continue;
    const bool descending = Trim(items[k]).starts_with('*');
    const int count = static_cast<int>(k) + 1;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(QColor(0, 0, 255));
    const int middle = rect.top() + rect.height() / 2;
    for (int i = 0; i < count; ++i) {
      const int left = column.Alignment == TNTierAlignment::Left ? rect.right() + 1 - 9 - i * 7
                                                                 : rect.left() + 2 + i * 7;
      QPainterPath arrow;
      if (descending) {
        arrow.moveTo(left, middle - 2);
        arrow.lineTo(left + 6, middle - 2);
        arrow.lineTo(left + 3, middle + 2);
      } else {
        arrow.moveTo(left, middle + 2);
        arrow.lineTo(left + 6, middle + 2);
        arrow.lineTo(left + 3, middle - 2);
      }
      arrow.closeSubpath();
      canvas.drawPath(arrow);
    }
    canvas.restore();
    return;
  }
}

// Growing happens after the paint that found it needed: resizing inside a paint
// would start a layout in the middle of it.
void TNTierGrid::RequestGrowth(const TNTierColumn& column, int width) {
  pendingWidths_.emplace_back(&column, width);
  if (!growthQueued_) {
    growthQueued_ = true;
    QMetaObject::invokeMethod(this, &TNTierGrid::ApplyPendingGrowth, Qt::QueuedConnection);
  }
}

void TNTierGrid::RequestRowHeight(int row, int height) {
  pendingHeights_.emplace_back(row, height);
  if (!growthQueued_) {
    growthQueued_ = true;
    QMetaObject::invokeMethod(this, &TNTierGrid::ApplyPendingGrowth, Qt::QueuedConnection);
  }
}

void TNTierGrid::ApplyPendingGrowth() {
  growthQueued_ = false;
  const auto widths = std::exchange(pendingWidths_, {});
  const auto heights = std::exchange(pendingHeights_, {});
  // Requests name the column, not its position: columns may have moved or
  // changed since the paint that asked.
  const auto& columns = model_->DisplayedColumns();
  // A column stops growing at half the view's width, so that one long value
  // never pushes the other columns out of sight; what does not fit is elided.
  const int widest = viewport()->width() / 2;
  for (const auto& [column, width] : widths) {
    const auto at = std::find(columns.begin(), columns.end(), column);
    if (at == columns.end() || (*at)->IsFixedWidth()) continue;
    const int index = static_cast<int>(at - columns.begin());
    const int wanted = std::min(width, widest);
    if (wanted > ColumnWidth(index)) SetColumnWidth(index, wanted);
  }
  for (const auto& [row, height] : heights) {
    if (row == 0) {
      if (height > header_->RowHeight()) {
        header_->SetRowHeight(height);
        updateGeometries();
      }
    } else if (row - 1 < model_->rowCount() && height > rowHeight(row - 1) - GridLineWidth()) {
      setRowHeight(row - 1, height + GridLineWidth());
    }
  }
}

void TNTierGrid::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  PaintFocusFrame();
  // An empty list still shows one blank row under its header.
  if (model_->rowCount() != 0 || model_->columnCount() == 0) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Mid));
  const int bottom = verticalHeader()->defaultSectionSize() - 1;
  int right = -horizontalOffset();
  for (int i = 0; i < model_->columnCount(); ++i) {
    right += columnWidth(header_->logicalIndex(i));  // grid line included
    painter.drawLine(right - 1, 0, right - 1, bottom);
  }
  painter.drawLine(-horizontalOffset(), bottom, right - 1, bottom);
}

// The current row of a focused grid is framed in the base and the text colour
// alternately, so that the frame shows on any row colour and any palette.
void TNTierGrid::PaintFocusFrame() {
  const QModelIndex current = currentIndex();
  if (!hasFocus() || !current.isValid() || model_->columnCount() == 0) return;
  const QRect first = visualRect(model_->index(current.row(), 0));
  const int right = header_->sectionViewportPosition(header_->logicalIndex(header_->count() - 1)) +
                    header_->sectionSize(header_->logicalIndex(header_->count() - 1));
  const QRect frame(QPoint(-horizontalOffset(), first.top()),
                    QPoint(right - 1 - GridLineWidth(), first.bottom() - GridLineWidth()));
  QPainter painter(viewport());
  painter.setPen(QPen(palette().color(QPalette::Base), 1));
  painter.drawRect(frame);
  painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
  painter.drawRect(frame);
}

// Keyboard -----------------------------------------------------------------------

void TNTierGrid::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    const QString text = CopyText();
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    // Where the Menu key would open it: at the current cell.
    const QPoint at = inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
    QCoreApplication::sendEvent(this, &menu);
    event->accept();
    return;
  }
  const int before = CurrentDataRow();
  QTableView::keyPressEvent(event);
  if (!IsRowMovement(event->key())) return;
  if (event->modifiers().testFlag(Qt::ShiftModifier) && before >= 0 && CurrentDataRow() >= 0) {
    ExtendSelection(before, CurrentDataRow());
  } else {
    anchorRow_ = -1;
  }
}

// The rows between the anchor and the current row are selected; rows that an
// earlier extension from the same anchor took in and this one leaves are let go.
void TNTierGrid::ExtendSelection(int from, int to) {
  if (!dataset_) return;
  if (anchorRow_ < 0 || anchorRow_ >= dataset_->RowCount()) anchorRow_ = from;
  const int rows = dataset_->RowCount();
  const int oldFirst = std::min(anchorRow_, from),
            oldLast = std::min(rows - 1, std::max(anchorRow_, from));
  const int first = std::min(anchorRow_, to), last = std::max(anchorRow_, to);
  for (int row = oldFirst; row <= oldLast; ++row) {
    if (row < first || row > last) dataset_->SetSelected(row, false);
  }
  for (int row = first; row <= last; ++row) dataset_->SetSelected(row, true);
}

// Home and End go to the first and the last row, as in any list.
QModelIndex TNTierGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const int rows = model_->rowCount();
  if ((action == MoveHome || action == MoveEnd) && rows > 0 && model_->columnCount() > 0) {
    const int column = currentIndex().isValid() ? currentIndex().column() : FirstTextColumn();
    return model_->index(action == MoveHome ? 0 : rows - 1, column);
  }
  return QTableView::moveCursor(action, modifiers);
}

// Mouse --------------------------------------------------------------------------

void TNTierGrid::mousePressEvent(QMouseEvent* event) {
  CloseHint();
  if (event->button() == Qt::LeftButton && dataset_) {
    const QModelIndex clicked = indexAt(event->position().toPoint());
    const int row = clicked.isValid() ? clicked.row() : -1;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    if (!shift) anchorRow_ = row;
    if (shift && control) {
      dataset_->InvertSelection();
      viewport()->update();
    } else if (shift) {
      if (dataset_->SelectedCount() == 0 && CurrentDataRow() >= 0) {
        dataset_->SetSelected(CurrentDataRow(), true);
      }
      if (row >= 0 && !dataset_->IsSelected(row)) {
        const int first = dataset_->FirstSelected();
        if (first < 0 || first > row) {
          for (int r = row; r < dataset_->RowCount() && !dataset_->IsSelected(r); ++r) {
            dataset_->SetSelected(r, true);
          }
        } else {
          for (int r = row; r >= 0 && !dataset_->IsSelected(r); --r) dataset_->SetSelected(r, true);
        }
      }
    } else if (control) {
      if (row >= 0) dataset_->SetSelected(row, !dataset_->IsSelected(row));
    } else if (dataset_->SelectedCount() > 0) {
      dataset_->ClearSelection();
    }
    QueueSelectionSync();
  }
  QTableView::mousePressEvent(event);
}

void TNTierGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  CloseHint();
  QTableView::mouseDoubleClickEvent(event);
  const QModelIndex clicked = indexAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && clicked.isValid()) {
    emit OnDblClickData(this, clicked.column(), clicked.row() + 1);
  }
}

void TNTierGrid::mouseMoveEvent(QMouseEvent* event) {
  QTableView::mouseMoveEvent(event);
  const QModelIndex over = indexAt(event->position().toPoint());
  const int column = over.isValid() ? over.column() : -1;
  const int row = over.isValid() ? over.row() + 1 : -1;
  if (column == hintColumn_ && row == hintRow_) return;
  CloseHint();
  hintColumn_ = column;
  hintRow_ = row;
  if (over.isValid() && event->buttons() == Qt::NoButton) ShowHintFor(column, row);
}

void TNTierGrid::leaveEvent(QEvent* event) {
  CloseHint();
  hintColumn_ = hintRow_ = -1;
  QTableView::leaveEvent(event);
}

void TNTierGrid::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  viewport()->update();  // the current row may start being reversed
}

void TNTierGrid::focusOutEvent(QFocusEvent* event) {
  CloseHint();
  QTableView::focusOutEvent(event);
  viewport()->update();  // the current row may stop being reversed
}

void TNTierGrid::wheelEvent(QWheelEvent* event) {
  CloseHint();
  static constexpr int kNotch = 120;
  wheelRemainder_ += event->angleDelta().y();
  QScrollBar& bar = *verticalScrollBar();
  while (std::abs(wheelRemainder_) >= kNotch) {
    if (wheelRemainder_ < 0) {
      wheelRemainder_ += kNotch;
      if (bar.value() < bar.maximum())
        bar.setValue(std::min(bar.value() + kWheelStep, bar.maximum()));
    } else {
      wheelRemainder_ -= kNotch;
      if (bar.value() > 0) bar.setValue(std::max(bar.value() - kWheelStep, 0));
    }
  }
  event->accept();
}

// Hint ---------------------------------------------------------------------------

void TNTierGrid::ShowHintFor(int column, int row) {
  std::string text;
  bool cut = false;
  try {
    text = CellText(column, row, kHintBytes, cut);
  } catch (const std::exception&) {
    return;
  }
  QString shown = ToDisplay(text).replace("\r\n", "\n");
  if (cut) shown += kEllipsis;
  const QRect cell = CellRect(column, row);
  const QFontMetrics metrics(font());
  const QScreen* screen = this->screen();
  const int maxWidth = (screen ? screen->geometry().width() : 1024) - 20;
  const QRect needed = metrics.boundingRect(QRect(0, 0, maxWidth, 100000), Qt::AlignLeft, shown);
  if (needed.width() <= cell.width() - 2) return;

  const TNTierColumn& col = Columns(column);
  int left = cell.left() - 1;
  int width = needed.width() + 6;
  if (col.Alignment == TNTierAlignment::Right) {
    left = cell.right() + 1 - needed.width() - 5;
  } else if (col.Alignment == TNTierAlignment::Center) {
    left = cell.left();
    width = cell.width();
  }
  if (!hint_) {
    hint_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    hint_->setFrameShape(QFrame::Box);
    hint_->setAutoFillBackground(true);
    hint_->setPalette(HintPalette());
    hint_->setMargin(1);
  }
  hint_->setFont(font());
  hint_->setText(shown);
  const QPoint topLeft = viewport()->mapToGlobal(QPoint(left, cell.top() - 1));
  hint_->setGeometry(QRect(topLeft, QSize(width, needed.height() + 4)));
  hint_->show();
}

QPalette TNTierGrid::HintPalette() const {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(255, 255, 225));
  colours.setColor(QPalette::WindowText, Qt::black);
  return colours;
}

bool TNTierGrid::HintVisible() const {
  return hint_ && hint_->isVisible();
}

QString TNTierGrid::HintText() const {
  return HintVisible() ? hint_->text() : QString();
}

void TNTierGrid::CloseHint() {
  if (!hint_) return;
  hint_->hide();
  hint_->deleteLater();
  hint_ = nullptr;
}

// Header clicks ------------------------------------------------------------------

void TNTierGrid::HeaderClicked(int column, Qt::KeyboardModifiers modifiers) {
  if (!columnSorting_ || !dataset_ || model_->columnCount() == 0) return;
  if (column < 0 || column >= model_->columnCount()) return;
  const std::string name = Columns(column).Name;
  const std::string current = dataset_->SortFields();
  std::string wanted;
  if (!modifiers.testFlag(Qt::ShiftModifier)) {
    wanted = current == name ? "*" + name : name;
  } else if (Trim(current).empty()) {
    wanted = name;
  } else {
    std::vector<std::string> items = Split(current, ",");
    bool flipped = false;
    for (std::string& item : items) {
      item = Trim(item);
      if (flipped || !SameText(KeyName(item), name)) continue;
      item = item.starts_with('*') ? KeyName(item) : "*" + item;
      flipped = true;
    }
    if (flipped) {
      for (size_t i = 0; i < items.size(); ++i) wanted += (i ? "," : "") + items[i];
    } else {
      wanted = current + "," + name;
    }
  }
  dataset_->Sort(wanted);
  viewport()->update();
  header_->viewport()->update();
  emit OnTitleClick(column, modifiers);
}
