#include "dataset/widgets/ntiergridmodel.h"

#include "dataset/ntierdataset.h"

TNTierGridModel::TNTierGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TNTierGridModel::SetDataset(TNTierDataset* dataset) {
  if (dataset == dataset_) return;
  BeginReset();
  if (dataset_) disconnect(dataset_, nullptr, this, nullptr);
  dataset_ = dataset;
  columns_.clear();
  if (dataset_) Connect();
  EndReset();
}

void TNTierGridModel::Connect() {
  TNTierDataset* ds = dataset_;
  // Each "about to" signal is followed by its partner without anything between
  // them that could start a reset, so the Quiet() test gives the same answer twice.
  connect(ds, &TNTierDataset::RowAboutToBeAppended, this, [this](int row) {
    if (!Quiet()) beginInsertRows(QModelIndex(), row, row);
  });
  connect(ds, &TNTierDataset::RowAppended, this, [this](int) {
    if (!Quiet()) endInsertRows();
  });
  connect(ds, &TNTierDataset::RowAboutToBeDeleted, this, [this](int row) {
    if (!Quiet()) beginRemoveRows(QModelIndex(), row, row);
  });
  connect(ds, &TNTierDataset::RowDeleted, this, [this](int) {
    if (!Quiet()) endRemoveRows();
  });
  connect(ds, &TNTierDataset::RowsAboutToBeReordered, this, [this] {
    if (Quiet()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    reorderSaved_ = persistentIndexList();
  });
  connect(ds, &TNTierDataset::RowsReordered, this, &TNTierGridModel::OnRowsReordered);
  connect(ds, &TNTierDataset::BulkChangeAboutToBegin, this, &TNTierGridModel::OnBulkChangeBegins);
  connect(ds, &TNTierDataset::BulkChangeEnded, this, &TNTierGridModel::OnBulkChangeEnded);
  // A reset leaves the active columns empty; the displayed ones go with them until
  // the grid rebuilds its columns.
  connect(ds, &TNTierDataset::BeforeReset, this, [this] {
    BeginReset();
    columns_.clear();
  });
  connect(ds, &TNTierDataset::AfterReset, this, &TNTierGridModel::EndReset);
  connect(ds, &QObject::destroyed, this, &TNTierGridModel::OnDatasetDestroyed);
}

void TNTierGridModel::OnRowsReordered(const std::vector<int>& newPositionOf) {
  if (Quiet()) return;
  QModelIndexList moved;
  moved.reserve(reorderSaved_.size());
  for (const QModelIndex& index : std::as_const(reorderSaved_)) {
    const size_t old = static_cast<size_t>(index.row());
    moved.append(old < newPositionOf.size() ? this->index(newPositionOf[old], index.column())
                                            : QModelIndex());
  }
  changePersistentIndexList(reorderSaved_, moved);
  reorderSaved_.clear();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TNTierGridModel::OnDatasetDestroyed() {
  // The dataset has gone already: nothing of it may be read from here on. Inside
  // a reset the view learns it when the reset ends.
  if (resetDepth_ > 0) {
    dataset_ = nullptr;
    columns_.clear();
    return;
  }
  beginResetModel();
  dataset_ = nullptr;
  columns_.clear();
  endResetModel();
}

void TNTierGridModel::BeginReset() {
  if (resetDepth_++ == 0) beginResetModel();
}

void TNTierGridModel::EndReset() {
  if (resetDepth_ > 0 && --resetDepth_ == 0) endResetModel();
}

void TNTierGridModel::OnBulkChangeBegins() {
  rowsBeforeBulk_ = rowCount();
  structureBeforeBulk_ = dataset_ ? dataset_->StructureChanges() : 0;
  inBulkChange_ = true;
}

void TNTierGridModel::OnBulkChangeEnded() {
  if (!inBulkChange_) return;
  const int rows = dataset_ ? dataset_->RowCount() : 0;
  const bool appendedOnly =
      dataset_ && dataset_->StructureChanges() == structureBeforeBulk_ && rows >= rowsBeforeBulk_;
  if (Quiet() || !appendedOnly) {
    // A reset under way takes in whatever the dataset holds when it ends.
    BeginReset();
    inBulkChange_ = false;
    EndReset();
    return;
  }
  if (rows > rowsBeforeBulk_) {
    beginInsertRows(QModelIndex(), rowsBeforeBulk_, rows - 1);
    inBulkChange_ = false;
    endInsertRows();
  }
  inBulkChange_ = false;
  // Fields written during the change do not notify.
  AllChanged();
}

void TNTierGridModel::BeginRefresh() {
  BeginReset();
}
void TNTierGridModel::EndRefresh() {
  EndReset();
}

void TNTierGridModel::SetDisplayedColumns(std::vector<TNTierColumn*> columns) {
  BeginReset();
  columns_ = std::move(columns);
  EndReset();
}

void TNTierGridModel::MoveColumn(int from, int to) {
  const int count = static_cast<int>(columns_.size());
  if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
  BeginReset();
  TNTierColumn* moved = columns_[static_cast<size_t>(from)];
  columns_.erase(columns_.begin() + from);
  columns_.insert(columns_.begin() + to, moved);
  EndReset();
}

void TNTierGridModel::RowsChanged(int first, int last) {
  if (columns_.empty() || first > last || first < 0 || last >= rowCount()) return;
  emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void TNTierGridModel::AllChanged() {
  if (rowCount() > 0) RowsChanged(0, rowCount() - 1);
  if (!columns_.empty()) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int TNTierGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !dataset_) return 0;
  return inBulkChange_ && !Quiet() ? rowsBeforeBulk_ : dataset_->RowCount();
}

int TNTierGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TNTierGridModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  // Rows a bulk change removed are gone before the view hears of it.
  if (index.row() >= dataset_->RowCount()) return {};
  const TNTierColumn& column = *columns_[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      if (textProvider_) return textProvider_(index.column(), index.row());
      if (!column.IsActive()) return QString();
      return QString::fromStdString(dataset_->Fields(column.ActiveIndex, index.row()).AsString());
    case Qt::AccessibleTextRole:
      if (accessibleTextProvider_) return accessibleTextProvider_(index.column(), index.row());
      return data(index, Qt::DisplayRole);
    case Qt::TextAlignmentRole:
      switch (column.Alignment) {
        case TNTierAlignment::Right:
          return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case TNTierAlignment::Center:
          return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        default:
          return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
      }
    default:
      return {};
  }
}

QVariant TNTierGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount()) {
    return {};
  }
  return QString::fromStdString(columns_[static_cast<size_t>(section)]->HeaderText());
}

Qt::ItemFlags TNTierGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
