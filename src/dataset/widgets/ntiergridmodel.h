#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

class TNTierDataset;
struct TNTierColumn;

// Presents a dataset to a Qt view: one model row per dataset row, one model
// column per displayed column (the grid's own ordered list). Follows the
// dataset's structure signals, so appends, deletes, sorts and clears reach the
// view as ranges, never as a signal per cell.
class TNTierGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TNTierGridModel(QObject* parent = nullptr);

  TNTierDataset* Dataset() const { return dataset_; }
  void SetDataset(TNTierDataset* dataset);

  const std::vector<TNTierColumn*>& DisplayedColumns() const { return columns_; }
  void SetDisplayedColumns(std::vector<TNTierColumn*> columns);
  void MoveColumn(int from, int to);

  // Brackets a refill of the dataset: everything that happens between the two
  // calls reaches the view as one model reset.
  void BeginRefresh();
  void EndRefresh();

  // Repaints rows whose fields were written (fields do not notify).
  void RowsChanged(int first, int last);
  void AllChanged();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void Connect();
  void BeginReset();
  void EndReset();
  void OnDatasetDestroyed();
  void OnRowsReordered(const std::vector<int>& newPositionOf);

  QPointer<TNTierDataset> dataset_;
  std::vector<TNTierColumn*> columns_;
  int resetDepth_ = 0;
  // A reset that began while the dataset was still there must end even if it went away.
  bool reordering_ = false;
  QModelIndexList reorderSaved_;
};
