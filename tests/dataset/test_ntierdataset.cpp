#include "dataset/ntierdataset.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

void ExpectError(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "expected \"" << message << "\"";
  } catch (const std::exception& error) {
    EXPECT_EQ(message, error.what());
  }
}

// The manager's list in small: a hidden key, a status and the two names.
class TSfvList : public ::testing::Test {
 protected:
  TSfvList() {
    ds.AddColumn("Glyph", "", NTierType::String, 2);
    ds.AddColumn("#Key", "", NTierType::Integer, 1);
    ds.AddColumn("Status", "Status", NTierType::String, 2);
    ds.AddColumn("Filename", "Filename", NTierType::String, 2);
    ds.AddColumn("Path", "Path", NTierType::String, 2);
    ds.AddColumn("Mine", "", NTierType::Boolean, 17);
    ds.PrepareColumns();
  }

  int Add(const std::string& path, const std::string& name, int key = 0) {
    const int row = ds.AppendRow();
    ds.FieldByName("Path", row).SetAsString(path);
    ds.FieldByName("Filename", row).SetAsString(name);
    ds.FieldByName("Key", row).SetAsInteger(key);
    return row;
  }

  std::vector<std::string> Column(const std::string& name) const {
    std::vector<std::string> values;
    for (int row = 0; row < ds.RowCount(); ++row) {
      const TNTierField& field = ds.FieldByName(name, row);
      values.push_back(field.IsNull() ? "<null>" : field.AsString());
    }
    return values;
  }

  std::vector<int> Selected() const {
    std::vector<int> rows;
    for (int n = 0; n < ds.SelectedCount(); ++n) rows.push_back(ds.SelectedRow(n));
    return rows;
  }

  TNTierDataset ds{"ds", nullptr};
};

using Strings = std::vector<std::string>;

bool SameTextForTest(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Columns ------------------------------------------------------------------------

TEST(NTierDatasetColumns, NamesSourcesWidthsAndAlignmentsFollowTheDefinition) {
  TNTierDataset ds("ds", nullptr);
  const TNTierColumn& qualified = ds.AddColumn("Files.Size", "Size", NTierType::Integer, 2);
  const TNTierColumn& hash = ds.AddColumn("#Key", "", NTierType::Float, 1);
  const TNTierColumn& plain = ds.AddColumn("Name", "Name", NTierType::String, 2);
  const TNTierColumn& when = ds.AddColumn("When", "", NTierType::DateTime, 2);
  EXPECT_EQ("Size", qualified.Name);
  EXPECT_EQ("Files.Size", qualified.Source);
  EXPECT_EQ("Key", hash.Name);
  EXPECT_EQ("#", hash.Source);
  EXPECT_EQ("Name", plain.Source);
  EXPECT_EQ(100, qualified.Width);
  EXPECT_EQ(200, plain.Width);
  EXPECT_EQ(100, when.Width);
  EXPECT_EQ(TNTierAlignment::Right, qualified.Alignment);
  EXPECT_EQ(TNTierAlignment::Right, hash.Alignment);
  EXPECT_EQ(TNTierAlignment::Left, when.Alignment);
  EXPECT_EQ(1, plain.MultiLineMode);
  EXPECT_TRUE(plain.OwnerDraw);
}

TEST(NTierDatasetColumns, OnlyCarriedColumnsBecomeActiveAndFieldsTakeTheirClass) {
  TNTierDataset ds("ds", nullptr);
  ds.AddColumn("Shown", "", NTierType::Integer, 2);
  ds.AddColumn("Never", "", NTierType::String, 8);
  ds.AddColumn("Carried", "", NTierType::Float, 17);
  ds.AddColumn("Odd", "", 42, 1);
  EXPECT_EQ(0, ds.ColumnCount());
  ds.PrepareColumns();
  ASSERT_EQ(3, ds.ColumnCount());
  EXPECT_EQ(-1, ds.IndexOfColumn("Never"));
  EXPECT_EQ(1, ds.IndexOfColumn("cArRiEd"));
  const int row = ds.AppendRow();
  EXPECT_EQ(TNTierFieldKind::Integer, ds.Fields(0, row).Kind());
  EXPECT_EQ(TNTierFieldKind::Float, ds.Fields(1, row).Kind());
  EXPECT_EQ(TNTierFieldKind::Boolean, ds.Fields(2, row).Kind());
  EXPECT_TRUE(ds.Fields(0, row).IsNull());
}

TEST_F(TSfvList, UsageErrorsNameTheDatasetAndTheCall) {
  Add("/a/", "x.sfv");
  ExpectError([&] { ds.AddColumn("Late", "", 0, 2); },
              "Can't add a field to a TNTierDataSet which has rows - ( Late )");
  ExpectError([&] { ds.DeleteRow(1); }, "Can't delete, Invalid Row - ( ds.DeleteRow(1) )");
  ExpectError([&] { ds.Columns(6); }, "Request for Invalid Column - ( ds.Columns(6) )");
  ExpectError([&] { ds.Fields(6, 9); }, "Request for Invalid Column - ( ds.Fields(6) )");
  ExpectError([&] { ds.Fields(0, 9); }, "Request for Invalid Row - ( ds.Fields(9) )");
  ExpectError([&] { ds.FieldByName("Nope", -1); },
              "Request for Invalid Column - ( ds.FieldByName(Nope,-1) )");
  ExpectError([&] { ds.FieldByName("Path", 1); },
              "Request for Invalid Row - ( ds.FieldByName(Path,1) )");

  TNTierDataset empty("lst", nullptr);
  ExpectError([&] { empty.AppendRow(); },
              "Can't add rows to a TNTierDataSet if no columns are defined - ( lst )");
}

TEST_F(TSfvList, ClearKeepsColumnsAndSortListResetForgetsThem) {
  Add("/a/", "x.sfv");
  ds.Sort("Filename");
  QSignalSpy beforeClear(&ds, &TNTierDataset::BeforeClear);
  QSignalSpy afterReset(&ds, &TNTierDataset::AfterReset);
  ds.Clear();
  EXPECT_EQ(0, ds.RowCount());
  EXPECT_EQ(6, ds.ColumnCount());
  EXPECT_EQ("Filename", ds.SortFields());
  Add("/a/", "x.sfv");
  ds.Reset();
  EXPECT_EQ(2, beforeClear.count());
  EXPECT_EQ(1, afterReset.count());
  EXPECT_EQ(0, ds.RowCount());
  EXPECT_EQ(0, ds.ColumnCount());
  EXPECT_EQ("", ds.SortFields());
  EXPECT_EQ(-1, ds.IndexOfColumn("Path"));
  EXPECT_EQ(6, ds.DefinedColumnCount());
  ds.AddColumn("Extra", "", 0, 2);  // allowed again: no rows
  ds.PrepareColumns();
  EXPECT_EQ(7, ds.ColumnCount());
}

// Selection ----------------------------------------------------------------------

TEST_F(TSfvList, SelectedRowCountsInRowOrder) {
  for (int i = 0; i < 8; ++i) Add("/p/", "f" + std::to_string(i));
  EXPECT_EQ(-1, ds.SelectedRow(0));
  EXPECT_EQ(-1, ds.FirstSelected());
  ds.SetSelected(5, true);
  ds.SetSelected(2, true);
  EXPECT_EQ(2, ds.SelectedCount());
  EXPECT_EQ(5, ds.SelectedRow(1));
  EXPECT_EQ(2, ds.FirstSelected());
  EXPECT_EQ(-1, ds.SelectedRow(2));
  EXPECT_FALSE(ds.IsSelected(99));

  // The remembered selection follows deletes, inverts and sorts.
  ds.DeleteRow(3);
  EXPECT_EQ((std::vector<int>{2, 4}), Selected());
  ds.InvertSelection();
  EXPECT_EQ((std::vector<int>{0, 1, 3, 5, 6}), Selected());
  ds.Sort("*Filename");  // f7 f6 f5 f4 f2 f1 f0; selected were f0 f1 f4 f6 f7
  EXPECT_EQ((std::vector<int>{0, 1, 3, 5, 6}), Selected());
  EXPECT_EQ("f7", ds.FieldByName("Filename", ds.SelectedRow(0)).AsString());
  EXPECT_EQ("f4", ds.FieldByName("Filename", ds.SelectedRow(2)).AsString());
}

TEST_F(TSfvList, TheLockIgnoresChangesButNotBadRows) {
  Add("/p/", "a");
  Add("/p/", "b");
  QSignalSpy changed(&ds, &TNTierDataset::OnSelectionChanged);
  ds.SetSelected(0, true);
  ds.SetSelected(0, true);  // no change, no event
  EXPECT_EQ(1, changed.count());

  ds.SetSelectionLocked(true);
  ds.SetSelected(1, true);
  ds.ClearSelection();
  ds.InvertSelection();
  EXPECT_EQ(1, changed.count());
  EXPECT_EQ((std::vector<int>{0}), Selected());
  ExpectError([&] { ds.SetSelected(2, true); }, "Invalid Row - ( ds.SetSelected(2) )");

  ds.SetSelectionLocked(false);
  ds.ClearSelection();
  ds.ClearSelection();  // fires although nothing was selected
  EXPECT_EQ(3, changed.count());
  ds.InvertSelection();  // fires nothing
  EXPECT_EQ(3, changed.count());
  EXPECT_EQ(2, ds.SelectedCount());
}

TEST_F(TSfvList, IteratingALargeSelectionGivesEveryRowOnce) {
  for (int i = 0; i < 20000; ++i) Add("/p/", "f", i);
  for (int i = 0; i < ds.RowCount(); i += 3) ds.SetSelected(i, true);
  const int count = ds.SelectedCount();
  ASSERT_EQ(6667, count);
  long long sum = 0;
  for (int n = 0; n < count; ++n) sum += ds.SelectedRow(n);
  EXPECT_EQ(3LL * (6666LL * 6667LL / 2), sum);
}

// Sorting ------------------------------------------------------------------------

TEST_F(TSfvList, AnEmptyListClearsTheSortAndLeavesTheRows) {
  Add("/p/", "b");
  Add("/p/", "a");
  ds.Sort("Filename");
  Add("/p/", "0");
  QSignalSpy before(&ds, &TNTierDataset::BeforeSort);
  EXPECT_TRUE(ds.Sort(""));
  EXPECT_EQ("", ds.SortFields());
  EXPECT_EQ((Strings{"a", "b", "0"}), Column("Filename"));
  EXPECT_EQ(0, before.count());
  EXPECT_TRUE(ds.Resort());  // nothing to sort by
  EXPECT_EQ((Strings{"a", "b", "0"}), Column("Filename"));
}

TEST_F(TSfvList, SortingAnEmptyListStoresItForALaterResort) {
  QSignalSpy before(&ds, &TNTierDataset::BeforeSort);
  QSignalSpy after(&ds, &TNTierDataset::AfterSort);
  EXPECT_TRUE(ds.Sort("Filename"));
  EXPECT_EQ("Filename", ds.SortFields());
  EXPECT_EQ(0, before.count() + after.count());
  Add("/p/", "c");
  Add("/p/", "A");
  Add("/p/", "b");
  EXPECT_TRUE(ds.Resort());
  EXPECT_EQ((Strings{"A", "b", "c"}), Column("Filename"));
  EXPECT_EQ(1, before.count());
  EXPECT_EQ(1, after.count());
}

TEST_F(TSfvList, DescendingPathThenFileNameIgnoringLetterCase) {
  Add("/a/", "Zed", 1);
  Add("/b/", "y", 2);
  Add("/a/", "alpha", 3);
  Add("/b/", "Y", 4);
  Add("/a/", "ALPHA", 5);
  EXPECT_TRUE(ds.Sort(" *Path , Filename "));
  EXPECT_EQ((Strings{"/b/", "/b/", "/a/", "/a/", "/a/"}), Column("Path"));
  const Strings names = Column("Filename");
  EXPECT_TRUE(SameTextForTest(names[0], "y") && SameTextForTest(names[1], "y"));
  EXPECT_TRUE(SameTextForTest(names[2], "alpha") && SameTextForTest(names[3], "alpha"));
  EXPECT_EQ("Zed", names[4]);
  // Rows equal on every key keep the order they had.
  EXPECT_EQ((Strings{"y", "Y", "alpha", "ALPHA", "Zed"}), names);
}

TEST_F(TSfvList, TextComparesAsUpperCasedBytesWithoutCollation) {
  Add("/", "b");
  Add("/", "_");         // 0x5F sorts after the upper-cased letters (0x41..0x5A)
  Add("/", "\xC3\xA9");  // bytes above 0x7F come last
  Add("/", "A");
  Add("/", "[");
  ds.Sort("Filename");
  EXPECT_EQ((Strings{"A", "b", "[", "_", "\xC3\xA9"}), Column("Filename"));
}

TEST_F(TSfvList, AnUnknownNameKeepsTheOrderStoresTheListAndFailsQuietlyOrLoudly) {
  Add("/", "b");
  Add("/", "a");
  QSignalSpy after(&ds, &TNTierDataset::AfterSort);
  EXPECT_FALSE(ds.Sort("Key,Marked"));  // Marked is not a column of this list
  EXPECT_EQ("Key,Marked", ds.SortFields());
  EXPECT_FALSE(ds.Sort("Filename,,Path"));
  EXPECT_EQ((Strings{"b", "a"}), Column("Filename"));
  EXPECT_EQ(0, after.count());

  ds.SetQuietSortErrors(false);
  ExpectError([&] { ds.Sort("Never"); }, "Request for Invalid Column - ( ds.Sort(Never) )");
  EXPECT_EQ("Never", ds.SortFields());
  EXPECT_EQ((Strings{"b", "a"}), Column("Filename"));
}

TEST_F(TSfvList, NullsComeFirstAscendingAndLastDescending) {
  Add("/", "b");
  Add("/", "a");
  ds.AppendRow();  // Filename stays null
  ds.FieldByName("Status", 0).SetAsString("x");
  ds.Sort("Filename");
  EXPECT_EQ((Strings{"<null>", "a", "b"}), Column("Filename"));
  ds.Sort("*Filename");
  EXPECT_EQ((Strings{"b", "a", "<null>"}), Column("Filename"));
  // An empty text is a value, not a null.
  ds.FieldByName("Filename", 2).SetAsString("");
  ds.Sort("Filename");
  EXPECT_EQ((Strings{"", "a", "b"}), Column("Filename"));
}

TEST_F(TSfvList, NumbersAndBooleansCompareByValue) {
  Add("/", "a", 10);
  Add("/", "b", -3);
  Add("/", "c", 2);
  ds.FieldByName("Mine", 0).SetAsBoolean(true);
  ds.FieldByName("Mine", 1).SetAsBoolean(false);
  ds.Sort("Key");
  EXPECT_EQ((Strings{"b", "c", "a"}), Column("Filename"));
  ds.Sort("*Mine,Key");  // true first, then false, then the null
  EXPECT_EQ((Strings{"a", "b", "c"}), Column("Filename"));
}

TEST(NTierDatasetSort, DatesAndFloatsCompareByValue) {
  TNTierDataset ds("ds", nullptr);
  ds.AddColumn("When", "", NTierType::DateTime, 2);
  ds.AddColumn("Ratio", "", NTierType::Float, 2);
  ds.PrepareColumns();
  const double whens[] = {45000.75, 45000.25, 1.5};
  const double ratios[] = {0.5, -1.25, 0.5};
  for (int i = 0; i < 3; ++i) {
    const int row = ds.AppendRow();
    ds.Fields(0, row).SetAsFloat(whens[i]);
    ds.Fields(1, row).SetAsFloat(ratios[i]);
  }
  ds.Sort("When");
  EXPECT_EQ(1.5, ds.Fields(0, 0).AsFloat());
  EXPECT_EQ(45000.75, ds.Fields(0, 2).AsFloat());
  ds.Sort("Ratio,*When");
  EXPECT_EQ(-1.25, ds.Fields(1, 0).AsFloat());
  EXPECT_EQ(45000.75, ds.Fields(0, 1).AsFloat());
  EXPECT_EQ(1.5, ds.Fields(0, 2).AsFloat());
}

// Many keys, nulls and ties at every level, against a plain stable sort.
TEST(NTierDatasetSort, AgreesWithAPlainStableSortOnMixedKeys) {
  TNTierDataset ds("ds", nullptr);
  ds.AddColumn("Text", "", NTierType::String, 2);
  ds.AddColumn("Number", "", NTierType::Integer, 2);
  ds.AddColumn("Flag", "", NTierType::Boolean, 2);
  ds.AddColumn("Ratio", "", NTierType::Float, 2);
  ds.AddColumn("Id", "", NTierType::Integer, 2);
  ds.PrepareColumns();
  std::mt19937 random(7);
  const char* const texts[] = {"a", "A", "b", "", "ab", "B"};
  for (int i = 0; i < 600; ++i) {
    const int row = ds.AppendRow();
    if (random() % 5) ds.Fields(0, row).SetAsString(texts[random() % 6]);
    if (random() % 4) ds.Fields(1, row).SetAsInteger(static_cast<int>(random() % 4) - 2);
    if (random() % 3) ds.Fields(2, row).SetAsBoolean(random() % 2);
    if (random() % 4) ds.Fields(3, row).SetAsFloat((random() % 3) * 0.5);
    ds.Fields(4, row).SetAsInteger(i);
  }
  // Ascending order of one field, nulls first, texts without regard to case.
  const auto compare = [&](int column, int a, int b) {
    const TNTierField& x = ds.Fields(column, a);
    const TNTierField& y = ds.Fields(column, b);
    if (x.IsNull() || y.IsNull())
      return static_cast<int>(!x.IsNull()) - static_cast<int>(!y.IsNull());
    if (column == 0) {
      std::string p = x.AsString(), q = y.AsString();
      for (char& c : p) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      for (char& c : q) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return p < q ? -1 : (q < p ? 1 : 0);
    }
    const double u = column == 2 ? x.AsBoolean() : x.AsFloat();
    const double v = column == 2 ? y.AsBoolean() : y.AsFloat();
    return u < v ? -1 : (v < u ? 1 : 0);
  };
  const std::vector<std::vector<std::pair<int, bool>>> lists = {
      {{0, false}},
      {{1, true}, {0, false}},
      {{2, false}, {3, true}, {0, true}},
      {{3, false}, {2, true}, {1, false}, {0, false}}};
  const std::vector<std::string> texts2 = {"Text", "*Number,Text", "Flag,*Ratio,*Text",
                                           "Ratio,*Flag,Number,Text"};
  for (size_t l = 0; l < lists.size(); ++l) {
    ds.Sort("Ratio");  // some other order to start from
    std::vector<int> expected(static_cast<size_t>(ds.RowCount()));
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
      for (const auto& [column, descending] : lists[l]) {
        const int result = compare(column, a, b);
        if (result != 0) return descending ? result > 0 : result < 0;
      }
      return false;
    });
    std::vector<int> expectedIds;
    for (int row : expected) expectedIds.push_back(ds.Fields(4, row).AsInteger());
    ASSERT_TRUE(ds.Sort(texts2[l]));
    std::vector<int> ids;
    for (int row = 0; row < ds.RowCount(); ++row) ids.push_back(ds.Fields(4, row).AsInteger());
    EXPECT_EQ(expectedIds, ids) << texts2[l];
  }
}

TEST_F(TSfvList, ReorderSignalsMapOldRowsToNewOnes) {
  Add("/", "c");
  Add("/", "a");
  Add("/", "b");
  std::vector<int> map;
  QObject::connect(&ds, &TNTierDataset::RowsReordered,
                   [&](const std::vector<int>& newPositionOf) { map = newPositionOf; });
  ds.Sort("Filename");
  EXPECT_EQ((std::vector<int>{2, 0, 1}), map);
}

// Values -------------------------------------------------------------------------

// Every class and size of value reads back from its row as written, also after
// the rows around it were written: short texts are kept in the field, long ones
// outside it, shared with the row before when they are the same.
TEST(NTierDatasetValues, RowsKeepWhatTheirFieldsWereGiven) {
  TNTierDataset ds("ds", nullptr);
  const std::pair<const char*, std::uint8_t> columns[] = {
      {"S", NTierType::String},   {"I", NTierType::Integer}, {"F", NTierType::Float},
      {"B", NTierType::Boolean},  {"D", NTierType::Date},    {"T", NTierType::Time},
      {"DT", NTierType::DateTime}};
  for (const auto& [name, type] : columns) ds.AddColumn(name, "", type, 2);
  ds.PrepareColumns();

  const std::string longText(300, 'x');
  const std::string otherText(300, 'z');
  const TDateTime moment(EncodeDate(2024, 3, 5).Value + EncodeTime(14, 30, 15).Value);
  using TWrite = std::function<void(TNTierField&)>;
  struct TCase {
    const char* column;
    TWrite write;
    std::string expected;  // AsString, or "<null>"
  };
  const TCase cases[] = {
      {"S", [](TNTierField&) {}, "<null>"},
      {"S", [](TNTierField& f) { f.SetAsString(""); }, ""},
      {"S", [](TNTierField& f) { f.SetAsString("Waiting 13 ch"); }, "Waiting 13 ch"},
      {"S", [](TNTierField& f) { f.SetAsString("File not found"); }, "File not found"},
      {"S", [](TNTierField& f) { f.SetAsString("9223372036854775807"); }, "9223372036854775807"},
      {"S", [&](TNTierField& f) { f.SetAsString(longText); }, longText},
      {"S", [&](TNTierField& f) { f.SetAsString(longText); }, longText},
      {"S", [&](TNTierField& f) { f.SetAsString(otherText); }, otherText},
      {"S", [&](TNTierField& f) { f.SetAsString(longText), f.SetAsString("short"); }, "short"},
      {"S", [&](TNTierField& f) { f.SetAsString(longText), f.SetNull(); }, "<null>"},
      {"S", [&](TNTierField& f) { f.SetAsString("abc"), f.SetAsString(longText + "y"); },
       longText + "y"},
      {"S", [](TNTierField& f) { f.SetAsString(f.AsString() + "!"); }, "!"},
      {"I", [](TNTierField&) {}, "<null>"},
      {"I", [](TNTierField& f) { f.SetAsInteger(std::numeric_limits<std::int32_t>::min()); },
       "-2147483648"},
      {"I", [](TNTierField& f) { f.SetAsString("2147483647"); }, "2147483647"},
      {"F", [](TNTierField& f) { f.SetAsFloat(-1e300); }, "-1E+300"},
      {"B", [](TNTierField& f) { f.SetAsBoolean(true); }, "True"},
      {"B", [](TNTierField& f) { f.SetAsBoolean(false); }, "False"},
      {"D", [](TNTierField& f) { f.SetAsDateTime(EncodeDate(9999, 12, 31)); }, "9999-12-31"},
      {"T", [&](TNTierField& f) { f.SetAsDateTime(moment); }, "14:30:15"},
      {"DT", [&](TNTierField& f) { f.SetAsDateTime(moment); }, "2024-03-05"},
  };
  for (const TCase& c : cases) c.write(ds.FieldByName(c.column, ds.AppendRow()));
  for (int row = 0; row < ds.RowCount(); ++row) {
    const TCase& c = cases[row];
    const TNTierField& field = ds.FieldByName(c.column, row);
    EXPECT_EQ(c.expected, field.IsNull() ? "<null>" : field.AsString()) << "row " << row;
  }
  EXPECT_EQ(moment, ds.FieldByName("DT", ds.RowCount() - 1).AsDateTime());
}

// Deleting ------------------------------------------------------------------------

// Rows deleted one by one in any order, or all at once, leave the others in
// their order and with their selection.
TEST_F(TSfvList, DeletingKeepsTheOtherRowsInOrderWithTheirSelection) {
  using TDelete = std::function<void(std::vector<int> & keys, std::vector<int> doomed)>;
  // Deletes the rows of the doomed keys in the order given, one by one.
  const TDelete oneByOne = [this](std::vector<int>& keys, std::vector<int> doomed) {
    for (const int key : doomed) {
      const auto at = std::find(keys.begin(), keys.end(), key);
      ds.DeleteRow(static_cast<int>(at - keys.begin()));
      keys.erase(at);
    }
  };
  const std::pair<const char*, TDelete> orders[] = {
      {"last to first",
       [&](std::vector<int>& keys, std::vector<int> doomed) {
         std::reverse(doomed.begin(), doomed.end());
         oneByOne(keys, doomed);
       }},
      {"first to last", oneByOne},
      {"shuffled",
       [&](std::vector<int>& keys, std::vector<int> doomed) {
         std::shuffle(doomed.begin(), doomed.end(), std::mt19937(7));
         oneByOne(keys, doomed);
       }},
      {"from both ends in turn",
       [&](std::vector<int>& keys, std::vector<int> doomed) {
         std::vector<int> order;
         for (size_t i = 0, j = doomed.size(); i < j;) {
           order.push_back(doomed[i++]);
           if (i < j) order.push_back(doomed[--j]);
         }
         oneByOne(keys, order);
       }},
      {"at once",
       [this](std::vector<int>& keys, std::vector<int> doomed) {
         std::vector<int> rows;
         for (const int key : doomed) {
           rows.push_back(
               static_cast<int>(std::find(keys.begin(), keys.end(), key) - keys.begin()));
         }
         std::reverse(rows.begin(), rows.end());
         rows.push_back(rows.front());  // a row named twice goes once
         ds.DeleteRows(rows);
         std::erase_if(keys,
                       [&](int key) { return std::count(doomed.begin(), doomed.end(), key); });
       }},
  };
  for (const auto& [name, remove] : orders) {
    ds.Clear();
    std::vector<int> keys, doomed;
    for (int key = 0; key < 40; ++key) {
      Add("/p/", "f", key);
      keys.push_back(key);
      if (key % 3 != 1) doomed.push_back(key);
      if (key % 2 == 0) ds.SetSelected(key, true);
    }
    ASSERT_EQ(20u, Selected().size());
    remove(keys, doomed);
    Add("/p/", "f", 99);
    keys.push_back(99);

    Strings expectedKeys;
    std::vector<int> expectedSelected;
    for (size_t i = 0; i < keys.size(); ++i) {
      expectedKeys.push_back(std::to_string(keys[i]));
      if (keys[i] % 2 == 0) expectedSelected.push_back(static_cast<int>(i));
    }
    EXPECT_EQ(expectedKeys, Column("Key")) << name;
    EXPECT_EQ(expectedSelected, Selected()) << name;
  }
}

TEST_F(TSfvList, ABadRowInABulkDeleteDeletesNothing) {
  for (int key = 0; key < 3; ++key) Add("/p/", "f", key);
  ExpectError([&] { ds.DeleteRows({0, 3}); }, "Can't delete, Invalid Row - ( ds.DeleteRows(3) )");
  EXPECT_EQ((Strings{"0", "1", "2"}), Column("Key"));
}

// Finding ------------------------------------------------------------------------

TEST_F(TSfvList, FindsStartAtTheGivenRow) {
  Add("/", "Movie.SFV", 7);
  Add("/", "movie.sfv.bak", 8);
  Add("/", "movie.sfv", 7);
  EXPECT_EQ(0, ds.FindInteger("Key", 0, 7));
  EXPECT_EQ(2, ds.FindInteger("key", 1, 7));
  EXPECT_EQ(-1, ds.FindInteger("Key", 3, 7));
  EXPECT_EQ(-1, ds.FindInteger("Key", -1, 7));
  EXPECT_EQ(-1, ds.FindInteger("Key", 0, 9));

  EXPECT_EQ(0, ds.FindString("Filename", 0, "movie.sfv", true, true));
  EXPECT_EQ(2, ds.FindString("Filename", 0, "movie.sfv", false, true));
  EXPECT_EQ(1, ds.FindString("Filename", 1, "MOVIE.SFV", true, false));
  EXPECT_EQ(-1, ds.FindString("Filename", 0, "movie.sfv.bak.old", true, false));
  EXPECT_EQ(-1, ds.FindString("Filename", 5, "movie.sfv", true, true));
  EXPECT_EQ(1, ds.FindString("Key", 0, "8", false, true));

  ExpectError([&] { ds.FindInteger("Nope", 0, 1); },
              "Request for Invalid Column - ( ds.Fields(-1) )");
  ExpectError([&] { ds.FindString("Nope", 0, "", true, true); },
              "Request for Invalid Column - ( ds.Fields(-1) )");
}

// Loading ------------------------------------------------------------------------

class TExtensionList : public ::testing::Test {
 protected:
  TExtensionList() {
    ds.AddColumn("Value", "Extension", NTierType::String, 2);
    ds.AddColumn("Action", "Action", NTierType::String, 2);
    ds.PrepareColumns();
  }

  void Load(const char* xml) {
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(xml));
    ds.LoadFromXML(document);
  }

  TNTierDataset ds{"ds", nullptr};
};

TEST_F(TExtensionList, RowsFollowTheChildrenAndTheirAttributes) {
  Load("<extensions><extension value='.nfo' action='IS'/><extension VALUE='.txt'/></extensions>");
  ASSERT_EQ(2, ds.RowCount());
  EXPECT_EQ(".nfo", ds.FieldByName("Value", 0).AsString());
  EXPECT_EQ("IS", ds.FieldByName("Action", 0).AsString());
  EXPECT_EQ(".txt", ds.FieldByName("Value", 1).AsString());
  EXPECT_TRUE(ds.FieldByName("Action", 1).IsNull());
  EXPECT_FALSE(ds.RowLimitReached());
}

TEST_F(TExtensionList, TheRowLimitStopsTheLoadAndShowsTheHint) {
  QObject hint;
  hint.setProperty("visible", false);
  ds.SetFilterHintGlyph(&hint);
  Load("<x rowLimit='2'><e value='a'/><e value='b'/><e value='c'/></x>");
  EXPECT_EQ(2, ds.RowCount());
  EXPECT_TRUE(ds.RowLimitReached());
  EXPECT_TRUE(hint.property("visible").toBool());

  ds.Clear();
  EXPECT_FALSE(hint.property("visible").toBool());

  Load("<x rowLimit='0'><e value='a'/><e value='b'/><e value='c'/></x>");
  EXPECT_EQ(3, ds.RowCount());
  EXPECT_FALSE(ds.RowLimitReached());
  Load("<x rowLimit='3'><e value='a'/><e value='b'/><e value='c'/></x>");
  EXPECT_FALSE(ds.RowLimitReached());
  Load("<x rowLimit='-1'><e value='a'/></x>");
  EXPECT_EQ(1, ds.RowCount());
  EXPECT_FALSE(ds.RowLimitReached());
}

TEST_F(TExtensionList, TheHintIsForgottenWhenItGoesAway) {
  {
    QObject hint;
    ds.SetFilterHintGlyph(&hint);
  }
  EXPECT_EQ(nullptr, ds.FilterHintGlyph());
  Load("<x rowLimit='1'><e value='a'/><e value='b'/></x>");
  EXPECT_TRUE(ds.RowLimitReached());
}

TEST_F(TExtensionList, AnUnknownAttributeFailsWithTheLookupText) {
  pugi::xml_document document;
  document.load_string("<x><e value='a'/><e value='b' colour='red'/></x>");
  ExpectError([&] { ds.LoadFromXML(document); },
              "Request for Invalid Column - ( ds.FieldByName(colour,1) )");
}

TEST_F(TExtensionList, LoadingSortsByTheStoredList) {
  ds.Sort("*Value");
  Load("<x><e value='a'/><e value='c'/><e value='b'/></x>");
  EXPECT_EQ("c", ds.FieldByName("Value", 0).AsString());
  EXPECT_EQ("a", ds.FieldByName("Value", 2).AsString());
}

// Views see structure changes as balanced pairs, and a load as one change.
TEST_F(TExtensionList, StructureSignalsComeInPairs) {
  QSignalSpy aboutToAppend(&ds, &TNTierDataset::RowAboutToBeAppended);
  QSignalSpy appended(&ds, &TNTierDataset::RowAppended);
  QSignalSpy bulkBegin(&ds, &TNTierDataset::BulkChangeAboutToBegin);
  QSignalSpy bulkEnd(&ds, &TNTierDataset::BulkChangeEnded);
  QSignalSpy busyBegin(&ds, &TNTierDataset::BusyBegin);
  QSignalSpy busyEnd(&ds, &TNTierDataset::BusyEnd);
  Load("<x><e value='a'/><e value='c'/><e value='b'/></x>");
  EXPECT_EQ(0, appended.count());
  EXPECT_EQ(1, bulkBegin.count());
  EXPECT_EQ(1, bulkEnd.count());
  EXPECT_EQ(busyBegin.count(), busyEnd.count());
  ds.AppendRow();
  EXPECT_EQ(1, aboutToAppend.count());
  EXPECT_EQ(1, appended.count());
  EXPECT_EQ(3, appended.at(0).at(0).toInt());

  pugi::xml_document bad;
  bad.load_string("<x><e nope='1'/></x>");
  EXPECT_ANY_THROW(ds.LoadFromXML(bad));
  EXPECT_EQ(2, bulkBegin.count());
  EXPECT_EQ(2, bulkEnd.count());
  EXPECT_EQ(busyBegin.count(), busyEnd.count());
}

}  // namespace
