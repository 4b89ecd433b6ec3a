#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include <cstdint>
#include <functional>
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
  // The text of a cell in model numbering (row 0 is the first dataset row).
  using TTextProvider = std::function<QString(int column, int row)>;

  explicit TNTierGridModel(QObject* parent = nullptr);

  void SetTextProvider(TTextProvider provider) { textProvider_ = std::move(provider); }
  // What assistive tools read of a cell; the display text when not set.
  void SetAccessibleTextProvider(TTextProvider provider) {
    accessibleTextProvider_ = std::move(provider);
  }

  TNTierDataset* Dataset() const { return dataset_; }
  void SetDataset(TNTierDataset* dataset);

  const std::vector<TNTierColumn*>& DisplayedColumns() const { return columns_; }
  void SetDisplayedColumns(std::vector<TNTierColumn*> columns);
  // Moves a displayed column; views see a reset, so they restore their widths.
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
  bool Quiet() const { return resetDepth_ > 0; }
  void BeginReset();
  void EndReset();
  void OnBulkChangeBegins();
  void OnBulkChangeEnded();
  void OnDatasetDestroyed();
  void OnRowsReordered(const std::vector<int>& newPositionOf);

  QPointer<TNTierDataset> dataset_;
  std::vector<TNTierColumn*> columns_;
  TTextProvider textProvider_;
  TTextProvider accessibleTextProvider_;
  int resetDepth_ = 0;
  // A bulk change of the dataset reaches the view when it ends: as appended rows
  // when it only appended (a search adds rows to a long list fifty times a second,
  // and a reset would make the view take in every row each time), else as a
  // reset. Until then the view goes on seeing the rows it had.
  bool inBulkChange_ = false;
  int rowsBeforeBulk_ = 0;
  std::uint64_t structureBeforeBulk_ = 0;
  QModelIndexList reorderSaved_;
};
