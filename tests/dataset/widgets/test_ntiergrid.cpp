#include "dataset/ntierdataset.h"
#include "dataset/widgets/hintglyph.h"
#include "dataset/widgets/ntiergrid.h"
#include "dataset/widgets/ntiergridmodel.h"
#include "support/datetime.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

QPixmap Swatch(const QColor& colour, int width = 12, int height = 16) {
  QPixmap pixmap(width, height);
  pixmap.fill(colour);
  return pixmap;
}

// Keeps the texts a painter is asked to draw, and draws nothing.
class TTextRecorder : public QPaintEngine {
 public:
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  void drawPath(const QPainterPath&) override {}
  void drawTextItem(const QPointF&, const QTextItem& item) override { text += item.text(); }
  Type type() const override { return User; }
  QString text;
};

class TRecordingDevice : public QPaintDevice {
 public:
  QPaintEngine* paintEngine() const override { return &engine; }
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth:
        return 1000;
      case PdmHeight:
        return 100;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return 96;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return 1;
    }
  }
  mutable TTextRecorder engine;
};

// A list shaped like the manager's: a glyph column, a hidden key, then three texts.
class TGridTest : public ::testing::Test {
 protected:
  TGridTest() {
    TNTierColumn& glyph = ds.AddColumn("Glyph", "", NTierType::String, 2);
    glyph.NoReverse = true;
    ds.AddColumn("#Key", "", NTierType::Integer, 1);
    ds.AddColumn("Status", "Status", NTierType::String, 2);
    ds.AddColumn("Filename", "Filename", NTierType::String, 2);
    ds.AddColumn("Path", "Path", NTierType::String, 2);
    ds.PrepareColumns();
    grid.SetDataset(&ds);
    grid.ColumnsChanged();
    grid.resize(600, 400);
    grid.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
  }

  int Add(const std::string& status, const std::string& name, int key = 0) {
    const int row = ds.AppendRow();
    ds.FieldByName("Status", row).SetAsString(status);
    ds.FieldByName("Filename", row).SetAsString(name);
    ds.FieldByName("Path", row).SetAsString("/data/");
    ds.FieldByName("Key", row).SetAsInteger(key);
    return row;
  }

  int ColumnOf(const std::string& name) const {
    for (int c = 0; c < grid.ColCount(); ++c) {
      if (grid.Columns(c).Name == name) return c;
    }
    return -1;
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int r = 0; r < ds.RowCount(); ++r) {
      names.push_back(ds.FieldByName("Filename", r).AsString());
    }
    return names;
  }

  std::vector<int> Selected() const {
    std::vector<int> rows;
    for (int n = 0; n < ds.SelectedCount(); ++n) rows.push_back(ds.SelectedRow(n));
    return rows;
  }

  void ClickHeader(const std::string& column, Qt::KeyboardModifiers modifiers = {}) {
    const QRect cell = grid.CellRect(ColumnOf(column), 0);
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, modifiers,
                      cell.center());
  }

  void ClickRow(int dataRow, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers,
                      grid.CellRect(ColumnOf("Filename"), dataRow + 1).center());
  }

  // The colour of a pixel of a cell, in the grid's own rendering.
  QColor PixelIn(int column, int row, QPoint offset) {
    const QImage image = grid.grab().toImage();
    QPoint origin = row == 0 ? grid.horizontalHeader()->geometry().topLeft()
                             : grid.viewport()->geometry().topLeft();
    return image.pixelColor(origin + grid.CellRect(column, row).topLeft() + offset);
  }

  TNTierDataset ds{"ds", nullptr};
  TNTierGrid grid;
};

TEST_F(TGridTest, AnEmptyListShowsAHeaderAndOneBlankRow) {
  EXPECT_EQ(2, grid.RowCount());
  EXPECT_EQ(4, grid.ColCount());
  EXPECT_EQ(0, grid.model()->rowCount());
  EXPECT_EQ(-1, grid.CurrentDataRow());
  EXPECT_EQ(0, grid.ActionRowCount());
  EXPECT_EQ("Status", grid.CellText(ColumnOf("Status"), 0));
  EXPECT_EQ("", grid.CellText(ColumnOf("Status"), 1));
  // The blank row is drawn: its bottom line lies one row below the header.
  const QImage image = grid.grab().toImage();
  const QPoint origin = grid.viewport()->geometry().topLeft();
  const int pitch = grid.verticalHeader()->defaultSectionSize();
  const QColor line = image.pixelColor(origin + QPoint(20, pitch - 1));
  const QColor below = image.pixelColor(origin + QPoint(20, pitch + 5));
  EXPECT_NE(line, below);

  grid.RefreshData();
  EXPECT_EQ(2, grid.RowCount());
  Add("Waiting", "a.sfv");
  EXPECT_EQ(2, grid.RowCount());
  EXPECT_EQ(0, grid.CurrentDataRow());  // the first row becomes current
  Add("Waiting", "b.sfv");
  EXPECT_EQ(3, grid.RowCount());
}

TEST_F(TGridTest, HeaderClicksSortAscendingThenDescendingAndShiftAddsOrFlipsKeys) {
  Add("Waiting", "b.sfv");
  Add("Failed", "a.sfv");
  Add("Failed", "c.sfv");
  QSignalSpy titleClicks(&grid, &TNTierGrid::OnTitleClick);
  ClickHeader("Status");
  EXPECT_EQ("Status", ds.SortFields());
  ClickHeader("Status");
  EXPECT_EQ("*Status", ds.SortFields());
  ClickHeader("Filename", Qt::ShiftModifier);
  EXPECT_EQ("*Status,Filename", ds.SortFields());
  EXPECT_EQ((std::vector<std::string>{"b.sfv", "a.sfv", "c.sfv"}), Names());
  ClickHeader("Status", Qt::ShiftModifier);
  EXPECT_EQ("Status,Filename", ds.SortFields());
  EXPECT_EQ((std::vector<std::string>{"a.sfv", "c.sfv", "b.sfv"}), Names());
  EXPECT_EQ(4, titleClicks.count());
  EXPECT_EQ(ColumnOf("Status"), titleClicks.last().at(0).toInt());
}

TEST_F(TGridTest, HeaderClicksOutsideColumnsOrWithSortingOffDoNothing) {
  Add("Waiting", "b.sfv");
  Add("Failed", "a.sfv");
  QSignalSpy titleClicks(&grid, &TNTierGrid::OnTitleClick);
  const QRect last = grid.CellRect(grid.ColCount() - 1, 0);
  ASSERT_LT(last.right() + 20, grid.horizontalHeader()->viewport()->width());
  QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(last.right() + 10, last.center().y()));
  grid.SetColumnSorting(false);
  ClickHeader("Filename");
  EXPECT_EQ("", ds.SortFields());
  EXPECT_EQ(0, titleClicks.count());
  EXPECT_EQ((std::vector<std::string>{"b.sfv", "a.sfv"}), Names());
}

TEST_F(TGridTest, ShiftClickWalksTowardsTheNearestSelectedRow) {
  for (int i = 0; i < 10; ++i) Add("Waiting", "f" + std::to_string(i));
  ds.SetSelected(2, true);
  ds.SetSelected(7, true);
  ClickRow(5, Qt::ShiftModifier);  // the first selected row lies above: walk up
  EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 7}), Selected());
  EXPECT_EQ(5, grid.CurrentDataRow());

  ClickRow(0);  // a plain click clears
  EXPECT_EQ(0, ds.SelectedCount());
  ds.SetSelected(6, true);
  ClickRow(3, Qt::ShiftModifier);  // the first selected row lies below: walk down
  EXPECT_EQ((std::vector<int>{3, 4, 5, 6}), Selected());

  ds.ClearSelection();
  grid.SetCurrentDataRow(8);
  ClickRow(9, Qt::ShiftModifier);  // nothing selected: the old current row first
  EXPECT_EQ((std::vector<int>{8, 9}), Selected());
}

TEST_F(TGridTest, ControlTogglesAndControlShiftInverts) {
  for (int i = 0; i < 4; ++i) Add("Waiting", "f" + std::to_string(i));
  ClickRow(1, Qt::ControlModifier);
  ClickRow(3, Qt::ControlModifier);
  EXPECT_EQ((std::vector<int>{1, 3}), Selected());
  ClickRow(3, Qt::ControlModifier);
  EXPECT_EQ((std::vector<int>{1}), Selected());
  ClickRow(0, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ((std::vector<int>{0, 2, 3}), Selected());

  ds.SetSelectionLocked(true);  // a run is going on: clicks leave the selection alone
  ClickRow(1, Qt::ControlModifier);
  ClickRow(2);
  EXPECT_EQ((std::vector<int>{0, 2, 3}), Selected());
}

TEST_F(TGridTest, ActionRowsAreTheSelectionOrTheCurrentRow) {
  for (int i = 0; i < 5; ++i) Add("Waiting", "f" + std::to_string(i));
  grid.SetCurrentDataRow(3);
  EXPECT_EQ(1, grid.ActionRowCount());
  ds.SetSelected(1, true);
  EXPECT_EQ(2, grid.ActionRowCount());
  ds.SetSelected(3, true);
  EXPECT_EQ(2, grid.ActionRowCount());
  EXPECT_FALSE(grid.EnsureSelection());

  ds.ClearSelection();
  EXPECT_TRUE(grid.EnsureSelection());
  EXPECT_EQ((std::vector<int>{3}), Selected());
  grid.SetCurrentDataRow(-1);
  EXPECT_EQ(0, grid.CurrentDataRow());
}

TEST_F(TGridTest, TheWheelMovesFiveRowsAndStopsAtTheEnds) {
  for (int i = 0; i < 100; ++i) Add("Waiting", "f" + std::to_string(i));
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Twenty whole rows fit, a part of the twenty-first does not count.
  const int pitch = grid.verticalHeader()->defaultSectionSize();
  grid.resize(600, grid.height() + 20 * pitch + pitch / 2 - grid.viewport()->height());
  QApplication::processEvents();
  ASSERT_EQ(20, grid.VisibleRowCount());

  const auto wheel = [&](int notches) {
    const QPoint at(30, 30);
    QWheelEvent event(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &event);
    EXPECT_TRUE(event.isAccepted());
  };
  grid.SetTopRow(78);
  wheel(-1);
  EXPECT_EQ(81, grid.TopRow());  // rows 81 to 100
  wheel(-1);
  EXPECT_EQ(81, grid.TopRow());
  grid.SetTopRow(75);
  wheel(-1);
  EXPECT_EQ(80, grid.TopRow());  // rows 80 to 99
  wheel(1);
  EXPECT_EQ(75, grid.TopRow());
  grid.SetTopRow(3);
  wheel(1);
  EXPECT_EQ(1, grid.TopRow());
  wheel(1);
  EXPECT_EQ(1, grid.TopRow());
}

TEST_F(TGridTest, RefreshKeepsTheCurrentRowByItsKeyWhenTheOrderChanged) {
  std::vector<std::pair<std::string, int>> source = {{"a", 11}, {"b", 22}, {"c", 33}, {"d", 44}};
  QObject::connect(&ds, &TNTierDataset::OnRefreshData, &ds, [&](TNTierDataset* sender) {
    sender->Clear();
    for (const auto& [name, key] : source) Add("Waiting", name, key);
    sender->Resort();
  });
  grid.SetRefreshField("Key");
  QSignalSpy before(&grid, &TNTierGrid::BeforeRefreshData);
  QSignalSpy after(&grid, &TNTierGrid::AfterRefreshData);
  grid.RefreshData();
  EXPECT_EQ(4, ds.RowCount());
  EXPECT_EQ(1, before.count());
  EXPECT_EQ(1, after.count());
  grid.SetCurrentDataRow(1);  // "b", key 22

  ds.Sort("*Filename");  // the next refill comes back in the other order
  source.push_back({"e", 55});
  grid.RefreshData();
  EXPECT_EQ(5, ds.RowCount());
  EXPECT_EQ("e", ds.FieldByName("Filename", 0).AsString());
  ASSERT_EQ(3, grid.CurrentDataRow());
  EXPECT_EQ(22, grid.FieldAt("Key", grid.CurrentDataRow() + 1).AsInteger());

  source.erase(source.begin() + 1);  // the row went away: the first row is current
  grid.RefreshData();
  EXPECT_EQ(0, grid.CurrentDataRow());
}

class TTypedGridTest : public ::testing::Test {
 protected:
  TTypedGridTest() {
    ds.AddColumn("When", "When", NTierType::DateTime, 2);
    ds.AddColumn("Day", "Day", NTierType::Date, 2);
    ds.AddColumn("Size", "Size", NTierType::Integer, 2);
    TNTierColumn& flag = ds.AddColumn("Flag", "Flag", NTierType::YesNo, 2);
    flag.YesNoStyle = 0;
    ds.AddColumn("Note", "Note", NTierType::String, 2);
    ds.PrepareColumns();
    grid.SetDataset(&ds);
    grid.ColumnsChanged();
    grid.resize(700, 300);
    grid.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
  }

  TNTierDataset ds{"ds", nullptr};
  TNTierGrid grid;
};

TEST_F(TTypedGridTest, CellTextsUseFormatsNullTextsAndYesNoStyles) {
  const int row = ds.AppendRow() + 1;
  ds.Fields(0, 0).SetAsDateTime(
      TDateTime(EncodeDate(2024, 2, 9).Value + EncodeTime(7, 5, 0).Value));
  ds.Fields(1, 0).SetAsDateTime(EncodeDate(2024, 12, 31));
  ds.Fields(2, 0).SetAsInteger(1234567);
  ds.Fields(3, 0).SetAsString("Yes");
  EXPECT_EQ("09/Feb/24 @ 07:05", grid.CellText(0, row));
  EXPECT_EQ("31/Dec/24", grid.CellText(1, row));
  EXPECT_EQ("1234567", grid.CellText(2, row));
  ds.Columns(2).DisplayFormatOverride = "#,##0.0 B";
  EXPECT_EQ("1,234,567.0 B", grid.CellText(2, row));
  ds.Columns(0).DisplayFormatOverride = "hh:nn";
  EXPECT_EQ("07:05", grid.CellText(0, row));

  // A null shows nothing, or the column's null text; never "<null>" unless asked.
  EXPECT_EQ("", grid.CellText(4, row));
  ds.Columns(4).NullText = "(none)";
  EXPECT_EQ("(none)", grid.CellText(4, row));
  ds.Columns(4).NullText.clear();
  grid.SetShowNullMarker(true);
  EXPECT_EQ("<null>", grid.CellText(4, row));

  TNTierColumn& flag = ds.Columns(3);
  EXPECT_EQ("", grid.CellText(3, row));  // style 0: boxes, no text
  flag.YesNoStyle = 3;
  EXPECT_EQ("Yes", grid.CellText(3, row));
  flag.YesNoStyle = 4;
  EXPECT_EQ("", grid.CellText(3, row));
  ds.Fields(3, 0).SetAsString("No");
  EXPECT_EQ("No", grid.CellText(3, row));
  flag.YesNoStyle = 5;
  EXPECT_EQ("", grid.CellText(3, row));

  ds.Columns(4).HeaderOverride = "  ";
  EXPECT_EQ("Note", grid.CellText(4, 0));
  ds.Columns(4).HeaderOverride = " Remarks ";
  EXPECT_EQ("Remarks", grid.CellText(4, 0));

  grid.SetOnFormatText([](const TNTierGrid&, int column, int, std::string& text) {
    if (column != 2) return false;
    text = "formatted";
    return true;
  });
  EXPECT_EQ("formatted", grid.CellText(2, row));
  EXPECT_EQ("Remarks", grid.CellText(4, 0));
  EXPECT_THROW(grid.CellText(9, row), std::runtime_error);
}

TEST_F(TTypedGridTest, YesNoColumnsDrawBoxesInStyleZeroAndTextInStyleThree) {
  grid.SetImages({Swatch(Qt::red), Swatch(Qt::green)});
  ds.AppendRow();
  ds.AppendRow();
  ds.Fields(3, 0).SetAsString("Yes");
  ds.Fields(3, 1).SetAsString("No");
  grid.setColumnWidth(3, 40);
  const auto centre = [&](int row) {
    const QImage image = grid.grab().toImage();
    const QRect cell = grid.CellRect(3, row);
    return image.pixelColor(grid.viewport()->geometry().topLeft() + cell.center());
  };
  grid.SetAutoReverseSelectedRow(false);
  EXPECT_EQ(QColor(Qt::green), centre(1));
  EXPECT_EQ(QColor(Qt::red), centre(2));
  ds.Columns(3).YesNoStyle = 3;
  EXPECT_NE(QColor(Qt::green), centre(1));
  EXPECT_NE(QColor(Qt::red), centre(2));
}

TEST_F(TGridTest, RowsArePaintedSelectedCurrentAndExemptAsTheyShould) {
  Add("Waiting", "a.sfv");
  Add("Waiting", "b.sfv");
  Add("Waiting", "c.sfv");
  ds.SetSelected(2, true);
  grid.SetCurrentDataRow(0);
  const QColor window = grid.palette().color(QPalette::Base);
  const QPoint corner(1, 1);
  EXPECT_EQ(QColor(0, 0, 128), PixelIn(ColumnOf("Filename"), 3, corner));  // selected
  EXPECT_EQ(window, PixelIn(ColumnOf("Filename"), 2, corner));             // plain
  EXPECT_EQ(QColor(Qt::black), PixelIn(ColumnOf("Filename"), 1, corner));  // current: reversed
  EXPECT_EQ(window, PixelIn(ColumnOf("Glyph"), 1, corner));                // no-reverse column
  grid.SetAutoReverseWhenNotFocused(false);
  grid.setFocusPolicy(Qt::NoFocus);
  grid.clearFocus();
  ASSERT_FALSE(grid.hasFocus());
  EXPECT_EQ(window, PixelIn(ColumnOf("Filename"), 1, corner));  // not focused
  grid.SetRowHighlightColor(QColor(10, 20, 30));
  EXPECT_EQ(QColor(10, 20, 30), PixelIn(ColumnOf("Path"), 3, corner));
}

TEST_F(TGridTest, OwnerDrawingGetsEveryCellAndPlacesImagesInSlots) {
  Add("OK", "a.sfv");
  grid.SetImages({Swatch(Qt::red), Swatch(Qt::green), Swatch(Qt::blue)});
  grid.SetImageGap(2);
  grid.setColumnWidth(ColumnOf("Glyph"), 60);
  int headerCells = 0;
  TGridDrawState glyphState;
  grid.SetOnDrawCell([&](TNTierGrid& sender, QPainter& canvas, int column, int row,
                         const QRect& rect, TGridDrawState state) {
    if (row == 0) ++headerCells;
    if (row > 0 && sender.Columns(column).Name == "Glyph") {
      glyphState = state;
      const TCellImage images[] = {{0, 2}, {2, 1}};  // slot 1 stays empty
      sender.PaintCell(canvas, column, row, rect, state, images);
    } else {
      sender.PaintCell(canvas, column, row, rect, state);
    }
  });
  grid.SetAutoReverseSelectedRow(false);
  const int glyph = ColumnOf("Glyph");
  EXPECT_EQ(QColor(Qt::blue), PixelIn(glyph, 1, QPoint(2 + 5, 2 + 5)));
  EXPECT_EQ(grid.palette().color(QPalette::Base), PixelIn(glyph, 1, QPoint(2 + 14 + 5, 7)));
  EXPECT_EQ(QColor(Qt::green), PixelIn(glyph, 1, QPoint(2 + 2 * 14 + 5, 7)));
  EXPECT_GE(headerCells, 4);
  EXPECT_TRUE(glyphState.Focused);
  EXPECT_FALSE(glyphState.Selected);
  EXPECT_EQ(0, grid.TextIndent());  // reset after every cell
}

TEST_F(TGridTest, ColumnsGrowToTheirTextAndHeadersToTheirLines) {
  const int column = ColumnOf("Filename");
  const int before = grid.ColumnWidth(column);
  Add("Waiting", std::string(20, 'W'));
  grid.grab();
  QApplication::processEvents();
  const int width = QFontMetrics(grid.font()).horizontalAdvance(QString(20, 'W'));
  EXPECT_GT(grid.ColumnWidth(column), before);
  EXPECT_EQ(width + grid.AutoGrowPadding(), grid.ColumnWidth(column));
  grid.grab();  // grown once, the column stays
  QApplication::processEvents();
  EXPECT_EQ(width + grid.AutoGrowPadding(), grid.ColumnWidth(column));

  const int headerHeight = grid.horizontalHeader()->height();
  ds.Columns(ds.IndexOfColumn("Glyph")).HeaderOverride = "Glyph~of the~row";
  grid.horizontalHeader()->viewport()->update();
  grid.grab();
  QApplication::processEvents();
  EXPECT_GT(grid.horizontalHeader()->height(), headerHeight);

  // A fixed-width column keeps its width.
  TNTierColumn& status = ds.Columns(ds.IndexOfColumn("Status"));
  status.Options |= NTierOption::FixedWidth;
  status.StoredWidth = 30;
  grid.ColumnsChanged();
  ds.FieldByName("Status", 0).SetAsString(std::string(50, 'W'));
  grid.grab();
  QApplication::processEvents();
  EXPECT_EQ(30, grid.ColumnWidth(ColumnOf("Status")));
}

TEST_F(TGridTest, AHugeValueIsPaintedFromABoundedPrefixElidedToTheCell) {
  const std::string huge = "start" + std::string(10 << 20, 'n') + "END";
  Add("Waiting", huge);
  EXPECT_EQ(grid.CellText(ColumnOf("Filename"), 1), huge);  // the value itself is whole
  for (const int width : {200, 5000}) {
    SCOPED_TRACE(width);
    TRecordingDevice device;
    QPainter painter(&device);
    grid.PaintCell(painter, ColumnOf("Filename"), 1, QRect(0, 0, width, 17), TGridDrawState());
    const QString drawn = device.engine.text;
    EXPECT_TRUE(drawn.startsWith("startnnn"));
    EXPECT_TRUE(drawn.endsWith(QChar(0x2026)));
    EXPECT_LE(drawn.size(), 1100);
    EXPECT_LE(painter.fontMetrics().horizontalAdvance(drawn), width);
  }
}

TEST_F(TGridTest, ColumnOrderArrangesAndRecordsTheColumns) {
  ds.ColumnOrder() = {" path ", "Nothing", "glyph"};
  grid.ColumnsChanged();
  ASSERT_EQ(4, grid.ColCount());
  EXPECT_EQ("Path", grid.Columns(0).Name);
  EXPECT_EQ("Glyph", grid.Columns(1).Name);
  EXPECT_EQ("Status", grid.Columns(2).Name);
  EXPECT_EQ((std::vector<std::string>{"Path", "Glyph", "Status", "Filename"}), ds.ColumnOrder());

  Add("Waiting", "a.sfv");
  QSignalSpy moved(&grid, &TNTierGrid::OnColumnMoved);
  grid.horizontalHeader()->moveSection(0, 3);  // as a drag does
  QApplication::processEvents();
  ASSERT_EQ(1, moved.count());
  EXPECT_EQ((std::vector<std::string>{"Glyph", "Status", "Filename", "Path"}), ds.ColumnOrder());
  EXPECT_EQ("Path", grid.Columns(3).Name);
  EXPECT_EQ(3, grid.horizontalHeader()->visualIndex(3));
  EXPECT_EQ("/data/", grid.CellText(3, 1));

  try {
    grid.Columns(4);
    ADD_FAILURE();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ("Request for Invalid Column - ( grd.Columns(4) )", error.what());
  }
}

TEST_F(TGridTest, RowsAndTheHeaderMakeRoomForALargeFont) {
  EXPECT_EQ(std::max(17, QFontMetrics(grid.font()).height() + 3), grid.DefaultRowHeight());
  QFont large = grid.font();
  large.setPointSize(22);
  grid.setFont(large);
  const QFontMetrics metrics(large);
  EXPECT_GE(grid.DefaultRowHeight(), metrics.height() + 3);
  EXPECT_GE(grid.horizontalHeader()->height(), metrics.height() + 5);

  // The underscore and the descenders are drawn: there is ink below the baseline.
  Add("Waiting", "first");
  Add("Waiting", "caf\u00e9_cr\u00e8me gjpq");
  grid.grab();  // the column grows to the name after its first paint
  QApplication::processEvents();
  const QImage image = grid.grab().toImage();
  const QRect cell =
      grid.CellRect(ColumnOf("Filename"), 2).translated(grid.viewport()->geometry().topLeft());
  int ink = 0;
  for (int y = cell.top() + 2 + metrics.ascent() + 2; y <= cell.bottom(); ++y) {
    for (int x = cell.left(); x <= cell.right(); ++x) ink += qGray(image.pixel(x, y)) < 128;
  }
  EXPECT_GT(ink, 10);
}

TEST_F(TGridTest, CtrlCCopiesTheNamesOfTheActionRowsOnePerLine) {
  Add("OK", "a.sfv");
  Add("OK", "b.sfv");
  Add("OK", "c.sfv");
  grid.SetCopyField("Filename");
  grid.SetCurrentDataRow(1);
  const auto copied = [&] {
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    return QGuiApplication::clipboard()->text();
  };
  EXPECT_EQ("b.sfv", copied());  // nothing selected: the current row
  ds.SetSelected(2, true);
  ds.SetSelected(0, true);
  EXPECT_EQ("a.sfv\nc.sfv", copied());  // list order, the current row not among them
  grid.SetCopyField("");
  EXPECT_EQ("OK\nOK", copied());  // the first column with a caption
}

TEST_F(TGridTest, KeysSelectAllExtendTheSelectionAndOpenTheMenu) {
  for (int i = 0; i < 6; ++i) Add("OK", "f" + std::to_string(i));
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(6, ds.SelectedCount());

  ClickRow(1);  // clears the selection; row 1 is the anchor
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<int> selected;
    int current;
  } steps[] = {
      {Qt::Key_Down, Qt::ShiftModifier, {1, 2}, 2},
      {Qt::Key_Down, Qt::ShiftModifier, {1, 2, 3}, 3},
      {Qt::Key_Up, Qt::ShiftModifier, {1, 2}, 2},
      {Qt::Key_End, Qt::ShiftModifier, {1, 2, 3, 4, 5}, 5},
      {Qt::Key_Home, Qt::ShiftModifier, {0, 1}, 0},
      {Qt::Key_End, Qt::NoModifier, {0, 1}, 5},  // moving alone keeps the selection
      {Qt::Key_PageUp, Qt::ShiftModifier, {0, 1, 2, 3, 4, 5}, 0},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.current);
    QTest::keyClick(&grid, step.key, step.modifiers);
    std::vector<int> selected = Selected();
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(step.selected, selected);
    EXPECT_EQ(step.current, grid.CurrentDataRow());
  }
  EXPECT_EQ(ColumnOf("Filename"), grid.currentIndex().column());  // where the click put it

  grid.setContextMenuPolicy(Qt::CustomContextMenu);
  QSignalSpy menu(&grid, &QWidget::customContextMenuRequested);
  QTest::keyClick(&grid, Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_EQ(1, menu.count());
}

TEST_F(TGridTest, AssistiveToolsHearTheNameTheRealSelectionAndTheGlyphsStatus) {
  Add("OK", "a.sfv");
  Add("Failed", "b.sfv");
  Add("OK", "c.sfv");
  grid.setAccessibleName("Files");
  grid.SetGlyphTextField("Status");
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
  ASSERT_NE(nullptr, table);
  ASSERT_NE(nullptr, table->tableInterface());
  EXPECT_EQ("Files", table->text(QAccessible::Name));
  EXPECT_EQ(ColumnOf("Status"), grid.currentIndex().column());

  ClickRow(0, Qt::ControlModifier);
  ClickRow(2, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_EQ(2, table->tableInterface()->selectedRowCount());
  ClickRow(1, Qt::ControlModifier | Qt::ShiftModifier);  // inverts
  QApplication::processEvents();
  EXPECT_EQ(1, table->tableInterface()->selectedRowCount());
  EXPECT_EQ("Failed",
            table->tableInterface()->cellAt(1, ColumnOf("Glyph"))->text(QAccessible::Name));
}

TEST_F(TGridTest, ALongValueStopsItsColumnAtHalfTheViewAndShowsWholeInTheHint) {
  const std::string name = std::string(120, 'W') + "END";
  Add("Waiting", name);
  Add("Waiting", "short");
  for (int i = 0; i < 2; ++i) {
    grid.grab();
    QApplication::processEvents();
  }
  const int column = ColumnOf("Filename");
  EXPECT_EQ(grid.viewport()->width() / 2, grid.ColumnWidth(column));
  const QPoint at = grid.CellRect(column, 1).center();
  QMouseEvent event(QEvent::MouseMove, at, grid.viewport()->mapToGlobal(at), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &event);
  ASSERT_TRUE(grid.HintVisible());
  EXPECT_EQ(QString::fromStdString(name), grid.HintText());
}

TEST_F(TGridTest, TruncatedTextShowsItsHintUntilAPress) {
  Add("Waiting", std::string(60, 'x') + "END");
  Add("Waiting", "short");
  grid.SetAutoGrowColumns(false);
  grid.setColumnWidth(ColumnOf("Filename"), 40);
  const auto move = [&](int row) {
    const QPoint at = grid.CellRect(ColumnOf("Filename"), row).center();
    QMouseEvent event(QEvent::MouseMove, at, grid.viewport()->mapToGlobal(at), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
  };
  move(2);
  EXPECT_FALSE(grid.HintVisible());
  move(1);
  ASSERT_TRUE(grid.HintVisible());
  EXPECT_TRUE(grid.HintText().endsWith("END"));
  ClickRow(1);
  EXPECT_FALSE(grid.HintVisible());
}

TEST_F(TGridTest, DoubleClickOnDataReportsTheCell) {
  Add("Waiting", "a.sfv");
  Add("Waiting", "b.sfv");
  QSignalSpy clicks(&grid, &TNTierGrid::OnDblClickData);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                     grid.CellRect(ColumnOf("Path"), 2).center());
  ASSERT_EQ(1, clicks.count());
  EXPECT_EQ(ColumnOf("Path"), clicks.at(0).at(1).toInt());
  EXPECT_EQ(2, clicks.at(0).at(2).toInt());
}

TEST_F(TGridTest, SelectCellMayRefuseAndAfterSelectCellComesLater) {
  for (int i = 0; i < 4; ++i) Add("Waiting", "f" + std::to_string(i));
  grid.SetCurrentDataRow(0);
  QApplication::processEvents();
  QSignalSpy after(&grid, &TNTierGrid::AfterSelectCell);
  grid.SetOnSelectCell([](TNTierGrid&, int, int row, bool& maySelect) { maySelect = row != 3; });
  grid.SetCurrentDataRow(1);
  EXPECT_EQ(0, after.count());
  QApplication::processEvents();
  EXPECT_EQ(1, after.count());
  grid.SetCurrentDataRow(2);  // grid row 3: refused
  EXPECT_EQ(1, grid.CurrentDataRow());
}

TEST_F(TGridTest, ADestroyedDatasetLeavesAnEmptyGrid) {
  auto owned = std::make_unique<TNTierDataset>("other", nullptr);
  owned->AddColumn("Name", "Name", NTierType::String, 2);
  owned->PrepareColumns();
  owned->AppendRow();
  grid.SetDataset(owned.get());
  grid.ColumnsChanged();
  EXPECT_EQ(1, grid.ColCount());
  owned.reset();
  EXPECT_EQ(nullptr, grid.Dataset());
  EXPECT_EQ(2, grid.RowCount());
  EXPECT_EQ(0, grid.model()->columnCount());
  grid.grab();  // paints without a dataset
}

// The model stays consistent through everything the dataset does to its rows.
TEST_F(TGridTest, TheModelStaysConsistentThroughAppendsDeletesSortsAndClears) {
  QAbstractItemModelTester tester(grid.model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  for (int i = 0; i < 30; ++i) Add(i % 3 ? "Waiting" : "Failed", "f" + std::to_string(29 - i), i);
  grid.SetCurrentDataRow(10);
  const int key = grid.FieldAt("Key", grid.CurrentDataRow() + 1).AsInteger();
  ds.Sort("Status,Filename");
  // The current row follows its data through a sort.
  EXPECT_EQ(key, grid.FieldAt("Key", grid.CurrentDataRow() + 1).AsInteger());
  ds.DeleteRow(0);
  ds.DeleteRow(ds.RowCount() - 1);
  ds.Sort("*Key");
  ds.BeginUpdate();
  for (int i = 0; i < 5; ++i) Add("Waiting", "late");
  ds.DeleteRow(3);
  ds.EndUpdate();
  EXPECT_EQ(32, grid.model()->rowCount());
  grid.RefreshData();
  ds.Clear();
  EXPECT_EQ(0, grid.model()->rowCount());
  Add("Waiting", "again");
  ds.Reset();
  EXPECT_EQ(0, grid.model()->columnCount());
  ds.PrepareColumns();
  grid.ColumnsChanged();
  Add("Waiting", "back");
  EXPECT_EQ(1, grid.model()->rowCount());
  EXPECT_EQ(4, grid.model()->columnCount());
  grid.horizontalHeader()->moveSection(1, 2);
  QApplication::processEvents();
}

TEST(NTierGridLoad, ALoadReachesTheViewAsOneChange) {
  TNTierDataset ds("ds", nullptr);
  ds.AddColumn("Value", "Extension", NTierType::String, 2);
  ds.AddColumn("Action", "Action", NTierType::String, 2);
  ds.PrepareColumns();
  TNTierGrid grid;
  grid.SetDataset(&ds);
  grid.ColumnsChanged();
  QAbstractItemModelTester tester(grid.model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy inserted(grid.model(), &QAbstractItemModel::rowsInserted);
  QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
  pugi::xml_document document;
  document.load_string("<x><e value='.a' action='N'/><e value='.b'/><e value='.c'/></x>");
  QObject::connect(&ds, &TNTierDataset::OnRefreshData,
                   [&](TNTierDataset* sender) { sender->LoadFromXML(document); });
  grid.RefreshData();
  EXPECT_EQ(3, grid.model()->rowCount());
  EXPECT_EQ(0, inserted.count());
  EXPECT_EQ(1, reset.count());
  EXPECT_EQ(".b", grid.CellText(0, 2));
  EXPECT_EQ(19, grid.horizontalHeader()->height());  // the header row is 2 pixels taller
}

// A refill that fails reaches the caller with its own text, and leaves the view
// consistent and the cursor as it was.
TEST(NTierGridLoad, AFailedRefillPropagatesAndLeavesTheViewUsable) {
  TNTierDataset ds("ds", nullptr);
  ds.AddColumn("Value", "Extension", NTierType::String, 2);
  ds.PrepareColumns();
  TNTierGrid grid;
  grid.SetDataset(&ds);
  grid.ColumnsChanged();
  QAbstractItemModelTester tester(grid.model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  pugi::xml_document document;
  document.load_string("<x><e value='.a'/><e value='.b' colour='red'/></x>");
  QObject::connect(&ds, &TNTierDataset::OnRefreshData,
                   [&](TNTierDataset* sender) { sender->LoadFromXML(document); });
  try {
    grid.RefreshData();
    ADD_FAILURE() << "the load should fail";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ("Request for Invalid Column - ( ds.FieldByName(colour,1) )", error.what());
  }
  EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
  EXPECT_EQ(ds.RowCount(), grid.model()->rowCount());
  grid.grab();
  ds.AppendRow();
  EXPECT_EQ(ds.RowCount(), grid.model()->rowCount());
}

TEST(NTierGridLoad, TheRowLimitMarkerShowsWhileALoadWasCut) {
  TNTierDataset ds("ds", nullptr);
  ds.AddColumn("Value", "Extension", NTierType::String, 2);
  ds.PrepareColumns();
  QWidget window;
  auto* marker = new THintGlyph(&window);
  window.show();
  ds.SetFilterHintGlyph(marker);
  EXPECT_FALSE(marker->isVisible());
  pugi::xml_document document;
  document.load_string("<x rowLimit='1'><e value='.a'/><e value='.b'/></x>");
  ds.LoadFromXML(document);
  EXPECT_TRUE(marker->isVisible());
  EXPECT_FALSE(marker->toolTip().isEmpty());
  ds.Clear();
  EXPECT_FALSE(marker->isVisible());
  delete marker;
  ds.LoadFromXML(document);  // the marker has gone: nothing to show
}

}  // namespace

// A bulk change that only appended reaches the view as appended rows, so a long
// list filled frame by frame is not taken in whole each time; one that removed
// rows is a reset. Until it ends the view keeps the rows it knew.
TEST(GridBulkChanges, AppendsAreInsertedAndAnythingElseResets) {
  TNTierDataset ds{"ds", nullptr};
  ds.AddColumn("Filename", "Filename", NTierType::String, 2);
  ds.PrepareColumns();
  TNTierGrid grid;
  grid.SetDataset(&ds);
  grid.ColumnsChanged();
  QAbstractItemModel& model = *grid.model();
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::vector<std::string> events;
  QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int a, int b) {
                     events.push_back("insert " + std::to_string(a) + "-" + std::to_string(b));
                   });
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { events.push_back("reset"); });
  const auto append = [&](int count) {
    for (int i = 0; i < count; ++i) ds.FieldByName("Filename", ds.AppendRow()).SetAsString("f");
  };
  append(2);
  ds.BeginUpdate();
  append(3);
  EXPECT_EQ(model.rowCount(), 2);
  ds.EndUpdate();
  ds.BeginUpdate();
  append(1);
  ds.DeleteRow(0);
  ds.EndUpdate();
  ds.BeginUpdate();
  ds.EndUpdate();
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(events, (std::vector<std::string>{"insert 0-0", "insert 1-1", "insert 2-4", "reset"}));
}
