#pragma once

#include "dataset/ntierdataset.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTableView>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class QLabel;
class TCellTextCache;
class TNTierGridModel;
class TNTierGridHeader;

// How a cell is being painted: Selected for a selected dataset row, Focused for
// the current row, Fixed for the header row.
struct TGridDrawState {
  bool Selected = false;
  bool Focused = false;
  bool Fixed = false;
};

// An image of the grid's image list drawn into a cell: Slot is the position
// counted from the aligned edge (a gap stays where a slot is not used).
struct TCellImage {
  int Slot = 0;
  int Index = 0;
};

// A scrollable table over a TNTierDataset: a header row, then one row per dataset
// row. Rows are numbered as the user sees them: grid row 0 is the header, grid
// row r shows dataset row r - 1. Columns are the grid's displayed columns in
// their on-screen order. The selection lives in the dataset's row flags; the
// current row is the view's current index.
class TNTierGrid : public QTableView {
  Q_OBJECT

 public:
  // Paints one cell: called for every cell while the dataset has rows (the
  // header row too, with row 0). The painter's pen colour is the text colour
  // and its brush colour the background; change them, then call PaintCell.
  using TDrawCellHandler = std::function<void(TNTierGrid& grid, QPainter& canvas, int column,
                                              int row, const QRect& rect, TGridDrawState state)>;
  // Supplies a cell's text; returns true when it did.
  using TFormatTextHandler =
      std::function<bool(const TNTierGrid& grid, int column, int row, std::string& text)>;
  // The current cell is about to move to (column, row); clear maySelect to refuse.
  using TSelectCellHandler =
      std::function<void(TNTierGrid& grid, int column, int row, bool& maySelect)>;

  static constexpr int kWheelStep = 5;
  static constexpr const char* kDefaultDateTimeFormat = "dd/mmm/yy @ hh:nn";
  static constexpr const char* kDefaultDateFormat = "dd/mmm/yy";
  static constexpr const char* kDefaultTimeFormat = "hh:nn";

  explicit TNTierGrid(QWidget* parent = nullptr);
  ~TNTierGrid() override;

  // The shown dataset; cleared when the dataset is destroyed.
  TNTierDataset* Dataset() const;
  void SetDataset(TNTierDataset* dataset);

  // Rebuilds the displayed columns from the dataset and its ColumnOrder.
  void ColumnsChanged();
  // Asks the dataset to refill itself and keeps the current row by RefreshField.
  void RefreshData();
  // Repaints after fields were written.
  void InvalidateData();
  void InvalidateRow(int dataRow);

  // Grid geometry in the user's numbering: header included, at least two rows.
  int RowCount() const;
  int ColCount() const;
  TNTierColumn& Columns(int index) const;
  // The width of a column's cells, without the grid line.
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  int DefaultRowHeight() const;
  void SetDefaultRowHeight(int height);
  QRect CellRect(int column, int row) const;
  // The grid row shown at the top of the data area, and how many rows fit fully.
  int TopRow() const;
  void SetTopRow(int row);
  int VisibleRowCount() const;

  std::string CellText(int column, int row) const;
  void PaintCell(QPainter& canvas, int column, int row, const QRect& rect, TGridDrawState state,
                 std::span<const TCellImage> images = {});
  // Shifts left-aligned text of the next painted cell; back to 0 after every cell.
  void SetTextIndent(int pixels) { textIndent_ = pixels; }
  int TextIndent() const { return textIndent_; }
  TNTierField& FieldAt(std::string_view columnName, int row) const;

  int CurrentDataRow() const;
  void SetCurrentDataRow(int dataRow);
  int ActionRowCount() const;
  bool EnsureSelection();

  // Properties.
  const QList<QPixmap>& Images() const { return images_; }
  void SetImages(QList<QPixmap> images);
  int ImageGap() const { return imageGap_; }
  void SetImageGap(int pixels) { imageGap_ = pixels; }
  QColor RowHighlightColor() const { return rowHighlightColor_; }
  void SetRowHighlightColor(const QColor& color) { rowHighlightColor_ = color; }
  QColor CellPointColor() const { return cellPointColor_; }
  void SetCellPointColor(const QColor& color) { cellPointColor_ = color; }
  bool ColumnSorting() const { return columnSorting_; }
  void SetColumnSorting(bool value) { columnSorting_ = value; }
  bool AutoGrowColumns() const { return autoGrowColumns_; }
  void SetAutoGrowColumns(bool value) { autoGrowColumns_ = value; }
  int AutoGrowPadding() const { return autoGrowPadding_; }
  void SetAutoGrowPadding(int pixels) { autoGrowPadding_ = pixels; }
  bool AutoReverseSelectedRow() const { return autoReverseSelectedRow_; }
  void SetAutoReverseSelectedRow(bool value) { autoReverseSelectedRow_ = value; }
  bool AutoReverseWhenNotFocused() const { return autoReverseWhenNotFocused_; }
  void SetAutoReverseWhenNotFocused(bool value) { autoReverseWhenNotFocused_ = value; }
  const std::string& RefreshField() const { return refreshField_; }
  void SetRefreshField(const std::string& columnName) { refreshField_ = columnName; }
  // Null fields show "<null>" instead of nothing (unless the column has a null text).
  bool ShowNullMarker() const { return showNullMarker_; }
  void SetShowNullMarker(bool value) { showNullMarker_ = value; }

  void SetOnDrawCell(TDrawCellHandler handler) { onDrawCell_ = std::move(handler); }
  void SetOnFormatText(TFormatTextHandler handler) { onFormatText_ = std::move(handler); }
  void SetOnSelectCell(TSelectCellHandler handler) { onSelectCell_ = std::move(handler); }

  // Ctrl+C copies this field of the action rows, one per line; by default the
  // text of the first column with a caption.
  const std::string& CopyField() const { return copyField_; }
  void SetCopyField(const std::string& columnName) { copyField_ = columnName; }
  // A screen reader hears this field for a cell without text (a glyph cell).
  const std::string& GlyphTextField() const { return glyphTextField_; }
  void SetGlyphTextField(const std::string& columnName) { glyphTextField_ = columnName; }
  // The first displayed column with a caption: where the current cell starts.
  int FirstTextColumn() const;
  // What Ctrl+C puts on the clipboard.
  QString CopyText() const;
  void SelectAll();

  // The truncated-text hint, for whoever needs to know what it shows.
  bool HintVisible() const;
  QString HintText() const;
  void CloseHint();

 signals:
  void OnDblClickData(TNTierGrid* sender, int column, int row);
  void AfterSelectCell(TNTierGrid* sender);
  void OnTitleClick(int column, Qt::KeyboardModifiers shift);
  void OnColumnMoved(TNTierGrid* sender, int from, int to);
  void BeforeRefreshData(TNTierGrid* sender);
  void AfterRefreshData(TNTierGrid* sender);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  friend class TNTierGridDelegate;
  friend class TNTierGridHeader;

  // Paints one cell the way the grid does: colours, then OnDrawCell or the default.
  void DrawCell(QPainter& canvas, int column, int row, const QRect& rect);
  void PaintCheckBox(QPainter& canvas, const QRect& rect, bool ticked);
  void PaintSortMarkers(QPainter& canvas, const TNTierColumn& column, const QRect& rect);
  void PaintImages(QPainter& canvas, const TNTierColumn& column, const QRect& rect,
                   std::span<const TCellImage> images);
  bool ReverseCurrentRow(const TNTierColumn& column) const;
  std::string FieldText(const TNTierColumn& column, const TNTierField& field) const;
  // CellText cut to at most limit bytes; cut tells whether it was.
  std::string CellText(int column, int row, std::size_t limit, bool& cut) const;
  void HeaderClicked(int column, Qt::KeyboardModifiers modifiers);
  void HeaderColumnMoved(int from, int to);
  void HeaderColumnResized(int column, int width);
  void RequestGrowth(const TNTierColumn& column, int width);
  int GridLineWidth() const;
  void RequestRowHeight(int row, int height);
  void ApplyPendingGrowth();
  void SizeColumns();
  int HeaderTextWidth(const TNTierColumn& column) const;
  void WriteColumnOrder();
  void ShowHintFor(int column, int row);
  QPalette HintPalette() const;
  void OnDatasetSelectionChanged();
  void OnDatasetGone();
  void OnRowsInserted();
  // Rows follow the font: never lower than asked, never so low that text is cut.
  void ApplyRowHeight();
  int TextRowHeight() const;
  // Shift with a movement key: the rows from the anchor to the current row.
  void ExtendSelection(int from, int to);
  void PaintFocusFrame();
  // The view's selection mirrors the dataset's, for assistive tools; done once
  // per turn of the event loop, however many rows changed.
  void QueueSelectionSync();
  void SyncSelection();
  QString AccessibleText(int column, int row) const;

  TNTierGridModel* model_;
  TNTierGridHeader* header_;
  std::unique_ptr<TCellTextCache> cellTexts_;
  QPointer<TNTierDataset> dataset_;
  QList<QPixmap> images_;
  int imageGap_ = 0;
  QColor rowHighlightColor_{0, 0, 128};
  QColor cellPointColor_{0, 0, 128};
  bool columnSorting_ = true;
  bool autoGrowColumns_ = true;
  int autoGrowPadding_ = 16;
  bool autoReverseSelectedRow_ = true;
  bool autoReverseWhenNotFocused_ = true;
  bool showNullMarker_ = false;
  std::string refreshField_;
  std::optional<std::int32_t> rememberedRefreshValue_;
  int textIndent_ = 0;
  int partRowHeight_ = 17;
  std::string copyField_;
  std::string glyphTextField_;
  int anchorRow_ = -1;
  bool selectionSyncQueued_ = false;
  bool refreshing_ = false;
  bool headerHeightAdjusted_ = false;
  bool growthQueued_ = false;
  std::vector<std::pair<const TNTierColumn*, int>> pendingWidths_;
  std::vector<std::pair<int, int>> pendingHeights_;

  TDrawCellHandler onDrawCell_;
  TFormatTextHandler onFormatText_;
  TSelectCellHandler onSelectCell_;

  QLabel* hint_ = nullptr;
  int hintColumn_ = -1;
  int hintRow_ = -1;
  bool revertingCurrent_ = false;
  int wheelRemainder_ = 0;
};
