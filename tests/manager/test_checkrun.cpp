#include "dataset/ntierdataset.h"
#include "manager/checkrun.h"
#include "manager/sfvlist.h"
#include "sfv/crc.h"
#include "sfv/crcsourcepool.h"
#include "support/paths.h"

#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

#include <unistd.h>

namespace {

std::string CRCOf(const std::string& bytes) {
  return CRCToText(UpdateCRC32(0xFFFFFFFF, bytes.data(), bytes.size()) ^ 0xFFFFFFFF);
}

// Records what the pass shows; stops the run once `stopAfterYields` yields were made.
class TRecordingHost : public TCheckRunHost {
 public:
  explicit TRecordingHost(TSFVList& list) : list_(list) {}
  void Yield() override {
    if (++yields_ == stopAfterYields) abort = true;
  }
  bool AbortRequested() const override { return abort; }
  void ShowRunningRow(int row) override { shown.push_back(row); }
  void RowChanged(int row) override {
    const std::string status = list_.Status(row);
    if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
  }

  bool abort = false;
  long stopAfterYields = -1;
  std::vector<int> shown;
  std::vector<std::string> statuses;

 private:
  TSFVList& list_;
  long yields_ = 0;
};

struct TRunFixture {
  TTempTree tree;
  pugi::xml_document config;
  TNTierDataset rows{"ds", nullptr};
  TSFVList list{rows, config};
  TRecordingHost host{list};
  TRunFixture() {
    config.append_child("config");
    list.DefineColumns();
  }
  // A set of files "<name>.<i>" with their SFV; bad damages the listed CRC of the last.
  int AddSet(const std::string& name, int files, bool bad = false) {
    std::string sfv;
    for (int i = 0; i < files; ++i) {
      const std::string file = name + "." + std::to_string(i);
      const std::string bytes = file + " holds this";
      tree.Write(file, bytes);
      sfv += file + " " + (bad && i == files - 1 ? "00000000" : CRCOf(bytes)) + "\r\n";
    }
    tree.Write(name + ".sfv", sfv);
    return list.AddRow(kStatusWaiting, name + ".sfv", tree.Path(), false, kMarkNormal);
  }
  std::vector<std::string> Statuses() const {
    std::vector<std::string> result;
    for (int row = 0; row < list.RowCount(); ++row) result.push_back(list.Status(row));
    return result;
  }
};

TEST(CheckRun, ProgressRunsThroughTheEntriesThenTheResultShows) {
  TRunFixture f;
  const int row = f.AddSet("three", 3);
  TCheckRun run(f.list, f.host);
  EXPECT_EQ(run.CheckRow(row), vrVerifiedOK);
  EXPECT_EQ(f.host.statuses, (std::vector<std::string>{"Running...", "Running 33%", "Running 66%",
                                                       "Running 100%", "Verified OK"}));
  EXPECT_EQ(f.host.shown, std::vector<int>{row});
  EXPECT_NE(f.list.FileDetails(row).find("size="), std::string::npos);
}

TEST(CheckRun, EachModePicksItsRows) {
  TRunFixture f;
  // status, mark, moved, selected
  const std::tuple<const char*, char, bool, bool> rows[] = {{"Waiting", 'N', false, false},
                                                            {"Aborted", 'S', false, false},
                                                            {"Failed", 'H', false, true},
                                                            {"Verified OK", 'N', false, false},
                                                            {"Waiting", 'N', true, true}};
  for (const auto& [status, mark, moved, selected] : rows)
    f.rows.SetSelected(f.list.AppendRow(status, "x.sfv", f.tree.Path(), moved, mark), selected);
  const auto picked = [&](TRunMode mode) {
    std::string result;
    for (int row = 0; row < f.list.RowCount(); ++row)
      result += IsRowPicked(mode, f.list, row) ? '1' : '0';
    return result;
  };
  EXPECT_EQ(picked(TRunMode::SearchOnly), "00000");
  EXPECT_EQ(picked(TRunMode::SearchAndCheckAll), "10010");
  EXPECT_EQ(picked(TRunMode::CheckAll), "10010");
  EXPECT_EQ(picked(TRunMode::CheckWaitingOnly), "11000");
  EXPECT_EQ(picked(TRunMode::CheckSelectedOnly), "00100");
}

TEST(CheckRun, AMissingSFVFailsItsRowAndTheRunGoesOn) {
  TRunFixture f;
  f.AddSet("a", 2);
  f.list.AppendRow(kStatusWaiting, "gone.sfv", f.tree.Path(), false, kMarkNormal);
  f.AddSet("c", 2, true);
  TCheckRun run(f.list, f.host);
  run.CheckRows(TRunMode::CheckAll);
  EXPECT_EQ(f.Statuses(), (std::vector<std::string>{"Verified OK", "Failed", "Failed"}));
}

// A rule made between two checks (the Extensions window stays open during runs)
// counts from the next check on.
TEST(CheckRun, EachCheckTakesTheRulesAsTheyAreThen) {
  TRunFixture f;
  const int row = f.AddSet("set", 2, true);
  TCheckRun run(f.list, f.host);
  EXPECT_EQ(run.CheckRow(row), vrFailed);
  pugi::xml_node rule =
      f.config.document_element().append_child("extensions").append_child("extension");
  rule.append_attribute("value") = ".1";
  rule.append_attribute("action") = "IS";
  EXPECT_EQ(run.CheckRow(row), vrAccepted);
}

TEST(CheckRun, AStopInsideALargeFileAbortsThatRowAndLeavesTheRest) {
  TRunFixture f;
  // Sparse: read as zeros, costly enough to hash that a stop must cut it short.
  const std::string big = f.tree.Write("big.bin", "");
  ASSERT_EQ(::truncate(big.c_str(), 64ll << 30), 0);
  f.tree.Write("big.sfv", "big.bin 12345678\r\n");
  f.list.AppendRow(kStatusWaiting, "big.sfv", f.tree.Path(), false, kMarkNormal);
  f.AddSet("after", 1);
  f.host.stopAfterYields = 20;  // the poll runs every few milliseconds while hashing
  const auto start = std::chrono::steady_clock::now();
  {
    TCRCSourcePool pool;
    TCheckRun run(f.list, f.host, &pool);
    run.CheckRows(TRunMode::CheckAll);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(f.Statuses(), (std::vector<std::string>{"Aborted", "Waiting"}));
}

}  // namespace
