#include "sfv/verify.h"

#include "common/temp_tree.h"
#include "config/udfxml.h"
#include "sfv/crc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::ElementsAre;

namespace {

// Keeps the rows like a window would and logs every call, so tests can check
// the order of updates as well as the final state.
class TRecordingView : public TVerifyView {
 public:
  struct TRow {
    std::string fileName, path;
    TFileStatus status = TFileStatus::None;
    std::int64_t size = -1;
    TDateTime timestamp;
  };

  void ShowView() override { log.push_back("show"); }
  void AttachSFV(const std::string& sfvPath) override { log.push_back("attach " + sfvPath); }
  int AppendRow() override {
    rows.emplace_back();
    return static_cast<int>(rows.size()) - 1;
  }
  void SetFilename(int row, const std::string& name) override { rows.at(row).fileName = name; }
  void SetPath(int row, const std::string& folder) override { rows.at(row).path = folder; }
  void SetStatus(int row, TFileStatus status) override {
    rows.at(row).status = status;
    log.push_back(rows.at(row).fileName + ": " + FileStatusText(status));
  }
  void SetSize(int row, std::int64_t size) override { rows.at(row).size = size; }
  void SetTimestamp(int row, TDateTime t) override { rows.at(row).timestamp = t; }
  TFileStatus GetStatus(int row) const override { return rows.at(row).status; }
  void MakeCurrent(int row) override { current = row; }
  void Repaint() override {}
  void ShowSummary() override { log.push_back("summary"); }
  void SetFileDetailsXML(const std::string& text) override { workingCopy = text; }

  std::vector<TFileStatus> Statuses() const {
    std::vector<TFileStatus> out;
    for (const auto& r : rows) out.push_back(r.status);
    return out;
  }

  std::vector<TRow> rows;
  std::vector<std::string> log;
  std::string workingCopy;
  int current = -1;
};

// Counts what the verification asks of its source, and answers from disk at once.
class TCountingSource : public TCRCSource {
 public:
  void Announce(std::shared_ptr<const TPackedStrings> names) override {
    if (!names || names->Empty()) return;
    announced.clear();
    for (std::size_t i = 0; i < names->Size(); ++i) announced.emplace_back((*names)[i]);
  }
  TLookupStatus Find(std::string_view name, TFoundFile& found, const TCRCWaitPoll&) override {
    return lookup.Find(std::string(name), found) ? TLookupStatus::Found : TLookupStatus::NotFound;
  }
  TCRCStatus Compute(const TCRCRequest& request, std::uint32_t& crc, const TCRCWaitPoll&) override {
    asked.push_back(request.Path);
    knownSizes.push_back(request.KnownSize);
    if (fixed) {
      crc = *fixed;
      return TCRCStatus::OK;
    }
    return GetFileCRC32(request.Path, crc) ? TCRCStatus::OK : TCRCStatus::Failed;
  }
  TFileLookup lookup;
  std::vector<std::string> announced, asked;
  std::vector<std::int64_t> knownSizes;
  std::optional<std::uint32_t> fixed;
};

std::shared_ptr<const TPackedStrings> Packed(const std::vector<std::string>& names) {
  auto packed = std::make_shared<TPackedStrings>();
  for (const std::string& name : names) packed->Add(name);
  return packed;
}

std::string Entry(const std::string& name, const std::string& crc, const char* action = nullptr) {
  std::string xml = "<file name=\"" + name + "\" CRC=\"" + crc + "\"";
  if (action) xml += std::string(" action=\"") + action + "\"";
  return xml + "/>";
}

std::string Details(const std::vector<std::string>& entries) {
  std::string xml = "<fileDetails>";
  for (const auto& e : entries) xml += e;
  return xml + "</fileDetails>";
}

pugi::xml_node FileNode(const pugi::xml_document& doc, int index) {
  auto it = doc.document_element().children("file").begin();
  std::advance(it, index);
  return *it;
}

pugi::xml_document Load(const std::string& xml) {
  pugi::xml_document doc;
  LoadXMLText(doc, xml);
  return doc;
}

// "123456789" has the well-known CRC CBF43926.
constexpr const char* kDigits = "123456789";

}  // namespace

TEST(FileStatus, EveryStatusHasItsExactTextAndBack) {
  const std::pair<TFileStatus, std::string> cases[] = {
      {TFileStatus::Waiting, "Waiting"},
      {TFileStatus::Ignored, "Ignored"},
      {TFileStatus::NotFound, "File not found"},
      {TFileStatus::Running, "Running..."},
      {TFileStatus::NoCRC, "Unable to generate CRC"},
      {TFileStatus::CRCFailed, "CRC Failed"},
      {TFileStatus::OK, "OK"},
      {TFileStatus::None, ""},
  };
  for (const auto& [status, text] : cases) {
    EXPECT_EQ(FileStatusText(status), text);
    EXPECT_EQ(FileStatusFromText(text), status);
  }
  // Texts are exact.
  for (const char* other : {"ok", "Running", "CRC failed", " OK"}) {
    EXPECT_EQ(FileStatusFromText(other), TFileStatus::None) << other;
  }
}

TEST(ListedCRC, HexInAnyCaseWithLeadingZerosImplied) {
  EXPECT_EQ(ListedCRCValue("CBF43926"), 0xCBF43926u);
  EXPECT_EQ(ListedCRCValue("cbf43926"), 0xCBF43926u);
  EXPECT_EQ(ListedCRCValue("1234"), 0x1234u);
  EXPECT_EQ(ListedCRCValue(""), 0u);
  // A stray character counts -1 at its place, the sum wraps in 32 bits.
  EXPECT_EQ(ListedCRCValue("G"), 0xFFFFFFFFu);
  EXPECT_EQ(ListedCRCValue("1G"), 0x0Fu);
  EXPECT_EQ(VerifyResultText(vrVerifiedOK), std::string("Verified OK"));
  EXPECT_EQ(VerifyResultText(vrAborted), std::string("Aborted"));
}

TEST(VerifyWithView, EveryEntryGetsItsOwnStatus) {
  TTempTree tree;
  tree.Write("good.bin", kDigits);
  tree.Write("bad.bin", "123456780");
  tree.Write("empty.bin", "");
  const std::string readOnly = tree.Write("readonly.bin", kDigits);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  tree.MakeDir("folder.bin");
  const std::string d = tree.Path();
  std::string xml =
      Details({Entry(d + "good.bin", "cbf43926"), Entry(d + "bad.bin", "CBF43926"),
               Entry(d + "missing.bin", "CBF43926"), Entry(d + "notes.nfo", "00000000", "IS"),
               Entry(d + "empty.bin", ""), Entry(d + "folder.bin", "00000000"),
               Entry(d + "readonly.bin", "CBF43926")});
  TRecordingView view;
  std::vector<int> progress;
  TVerifyOptions options;
  options.View = &view;
  options.OnProgress = [&](const std::string& sfv, int current, int total) {
    EXPECT_EQ(sfv, d + "set.sfv");
    EXPECT_EQ(total, 7);
    progress.push_back(current);
  };
  EXPECT_EQ(VerifyFileDetails(xml, d + "set.sfv", options), vrFailed);

  EXPECT_THAT(view.Statuses(), ElementsAre(TFileStatus::OK, TFileStatus::CRCFailed,
                                           TFileStatus::NotFound, TFileStatus::Ignored,
                                           TFileStatus::OK, TFileStatus::NoCRC, TFileStatus::OK));
  EXPECT_THAT(progress, ElementsAre(1, 2, 3, 4, 5, 6, 7));
  EXPECT_EQ(view.rows[0].fileName, "good.bin");
  EXPECT_EQ(view.rows[0].path, d);
  EXPECT_EQ(view.rows[0].size, 9);
  EXPECT_EQ(view.rows[2].size, -1);
  EXPECT_EQ(view.current, 6);
  // Rows appear before any file is looked at; each runs before it settles.
  EXPECT_EQ(view.log.front(), "show");
  EXPECT_EQ(view.log[1], "attach " + d + "set.sfv");
  const auto at = [&](const std::string& name, TFileStatus status) {
    const std::string line = name + ": " + FileStatusText(status);
    return std::find(view.log.begin(), view.log.end(), line) - view.log.begin();
  };
  EXPECT_LT(at("readonly.bin", TFileStatus::Waiting), at("missing.bin", TFileStatus::NotFound));
  EXPECT_LT(at("missing.bin", TFileStatus::NotFound), at("good.bin", TFileStatus::Running));
  EXPECT_LT(at("good.bin", TFileStatus::Running), at("good.bin", TFileStatus::OK));
  EXPECT_LT(at("good.bin", TFileStatus::OK), at("bad.bin", TFileStatus::Running));
  EXPECT_EQ(at("missing.bin", TFileStatus::Running), static_cast<long>(view.log.size()));
  EXPECT_EQ(view.log.back(), "summary");

  // The text now carries what the search found, and the view keeps it.
  EXPECT_EQ(view.workingCopy, xml);
  const auto doc = Load(xml);
  EXPECT_STREQ(FileNode(doc, 0).attribute("size").value(), "9");
  EXPECT_FALSE(FileNode(doc, 0).attribute("timestamp").empty());
  EXPECT_TRUE(FileNode(doc, 2).attribute("size").empty());
  EXPECT_TRUE(FileNode(doc, 3).attribute("size").empty());
  EXPECT_FALSE(FileNode(doc, 5).attribute("size").empty());
}

TEST(VerifyWithView, ActionsOnlyAreAcceptedWithoutTouchingFiles) {
  TCountingSource source;
  TRecordingView view;
  int progressCalls = 0;
  TVerifyOptions options;
  options.View = &view;
  options.CRCSource = &source;
  options.OnProgress = [&](const std::string&, int, int) { ++progressCalls; };
  std::string xml =
      Details({Entry("/nowhere/a.nfo", "1", "IS"), Entry("/nowhere/b.txt", "2", "IRD"),
               Entry("/nowhere/c.jpg", "3", "IRL")});
  EXPECT_EQ(VerifyFileDetails(xml, "/nowhere/x.sfv", options), vrAccepted);
  EXPECT_THAT(view.Statuses(),
              ElementsAre(TFileStatus::Ignored, TFileStatus::Ignored, TFileStatus::Ignored));
  EXPECT_TRUE(source.asked.empty());
  EXPECT_EQ(progressCalls, 3);

  // An SFV without entries shows the view but does not attach it.
  TRecordingView empty;
  options.View = &empty;
  std::string none = "<fileDetails/>";
  EXPECT_EQ(VerifyFileDetails(none, "/nowhere/x.sfv", options), vrVerifiedOK);
  EXPECT_THAT(empty.log, ElementsAre("show", "summary"));
}

TEST(VerifyWithoutView, StopsAtTheFirstFailure) {
  TTempTree tree;
  tree.Write("a.bin", kDigits);
  tree.Write("b.bin", kDigits);
  const std::string d = tree.Path();
  TCountingSource source;
  TVerifyOptions options;
  options.CRCSource = &source;
  int progressCalls = 0;
  options.OnProgress = [&](const std::string&, int, int) { ++progressCalls; };

  // A missing second entry ends the run before any CRC; the text stays as given.
  const std::string missing = Details(
      {Entry(d + "a.bin", "CBF43926"), Entry(d + "gone.bin", "0"), Entry(d + "b.bin", "0")});
  std::string xml = missing;
  EXPECT_EQ(VerifyFileDetails(xml, d + "x.sfv", options), vrFailed);
  EXPECT_EQ(xml, missing);
  EXPECT_TRUE(source.asked.empty());
  EXPECT_EQ(progressCalls, 0);

  // A mismatch ends it at that entry.
  const std::string mismatch = Details(
      {Entry(d + "a.bin", "CBF43927"), Entry(d + "b.bin", "CBF43926"), Entry(d + "c", "1", "IS")});
  xml = mismatch;
  EXPECT_EQ(VerifyFileDetails(xml, d + "x.sfv", options), vrFailed);
  EXPECT_EQ(xml, mismatch);
  EXPECT_THAT(source.asked, ElementsAre(d + "a.bin"));

  // All good, with an ignored entry: accepted, and the text is completed.
  xml = Details({Entry(d + "a.bin", "CBF43926"), Entry(d + "c", "1", "IS")});
  EXPECT_EQ(VerifyFileDetails(xml, d + "x.sfv", options), vrAccepted);
  EXPECT_EQ(Load(xml).document_element().first_child().attribute("size").as_int(), 9);
}

TEST(VerifyRun, AbortEndsTheRunAndKeepsTheText) {
  TTempTree tree;
  const std::string d = tree.Path();
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) tree.Write(name, kDigits);
  const std::string original =
      Details({Entry(d + "a.bin", "CBF43926"), Entry(d + "b.bin", "CBF43926"),
               Entry(d + "c.bin", "CBF43926")});
  // One query after the listing, three per entry (before it, when it runs, after it).
  // Abort at each in turn: every stop gives Aborted, no summary and the text as given.
  for (int stopAt = 1; stopAt <= 11; ++stopAt) {
    TCountingSource source;
    TRecordingView view;
    int queries = 0;
    TVerifyOptions options;
    options.View = &view;
    options.CRCSource = &source;
    options.OnQueryAbort = [&](bool& abort) { abort = ++queries == stopAt; };
    std::string xml = original;
    const TVerifyResult result = VerifyFileDetails(xml, d + "x.sfv", options);
    if (stopAt == 11) {
      EXPECT_EQ(queries, 10);
      EXPECT_EQ(result, vrVerifiedOK);
      break;
    }
    EXPECT_EQ(result, vrAborted) << stopAt;
    EXPECT_EQ(xml, original) << stopAt;
    EXPECT_TRUE(view.workingCopy.empty());
    EXPECT_NE(view.log.back(), "summary");
    // Stopped where it was asked: files after the stop were never hashed.
    EXPECT_EQ(source.asked.size(), static_cast<std::size_t>(stopAt - 1) / 3) << stopAt;
  }
}

TEST(VerifyRun, AbortStopsInsideALargeFileAndYieldsMeanwhile) {
  TTempTree tree;
  const std::string path = tree.Write("huge.bin", "");
  {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_EQ(::ftruncate(fd, 64LL << 30), 0);
    ::close(fd);
  }
  std::atomic<std::uint64_t> bytes{0};
  TParallelCRCSource source(1, &bytes);
  TRecordingView view;
  int yields = 0;
  TVerifyOptions options;
  options.View = &view;
  options.CRCSource = &source;
  options.Yield = [&] { ++yields; };
  // Say yes once the hash has got going.
  options.OnQueryAbort = [&](bool& abort) { abort = bytes.load() > (64u << 20); };
  std::string xml = Details({Entry(path, "0")});
  EXPECT_EQ(VerifyFileDetails(xml, tree.Path() + "x.sfv", options), vrAborted);
  EXPECT_THAT(view.Statuses(), ElementsAre(TFileStatus::Running));
  EXPECT_GT(yields, 3);
  EXPECT_LT(bytes.load(), 64ULL << 30);
}

TEST(VerifyRun, TimestampAndSizeOfFoundFiles) {
  TTempTree tree;
  const std::string path = tree.Write("big.bin", "");
  {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_EQ(::ftruncate(fd, (5LL << 30) + 3), 0);
    // An odd second: stored rounded down to the even one before it.
    const timespec times[2] = {{1700000001, 0}, {1700000001, 0}};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
  }
  TCountingSource source;
  source.fixed = 0x1234;
  TRecordingView view;
  TVerifyOptions options;
  options.View = &view;
  options.CRCSource = &source;
  // Another file two seconds later, then the first again: each keeps its own time.
  const std::string later = tree.Write("later.bin", "");
  const timespec laterTimes[2] = {{1700000003, 0}, {1700000003, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, later.c_str(), laterTimes, 0), 0);
  std::string xml = Details(
      {Entry(path, "1234"), Entry(later, "1234"), Entry(tree.Path() + "./big.bin", "1234")});
  EXPECT_EQ(VerifyFileDetails(xml, tree.Path() + "x.sfv", options), vrVerifiedOK);
  const auto doc = Load(xml);
  const pugi::xml_node file = FileNode(doc, 0);
  EXPECT_STREQ(FileNode(doc, 1).attribute("timestamp").value(),
               DateTimeToXML(FromUnixTime(1700000002)).c_str());
  EXPECT_STREQ(FileNode(doc, 2).attribute("timestamp").value(),
               file.attribute("timestamp").value());
  EXPECT_STREQ(file.attribute("size").value(), "5368709123");
  EXPECT_EQ(view.rows[0].size, (5LL << 30) + 3);
  const TDateTime expected = FromUnixTime(1700000000);
  EXPECT_EQ(file.attribute("timestamp").value(), DateTimeToXML(expected));
  EXPECT_EQ(view.rows[0].timestamp, expected);
  // Attributes come in the order they were first set; a second run keeps it.
  EXPECT_STREQ(file.first_attribute().next_attribute().next_attribute().name(), "timestamp");
  std::string again = xml;
  EXPECT_EQ(VerifyFileDetails(again, tree.Path() + "x.sfv", options), vrVerifiedOK);
  EXPECT_EQ(again, xml);

  // A caller that needs no text back gets the same verdict and keeps its text.
  TRecordingView quiet;
  options.View = &quiet;
  options.ReturnFileDetails = false;
  std::string untouched = Details({Entry(path, "1235")});
  const std::string given = untouched;
  EXPECT_EQ(VerifyFileDetails(untouched, tree.Path() + "x.sfv", options), vrFailed);
  EXPECT_EQ(untouched, given);
  EXPECT_TRUE(quiet.workingCopy.empty());
  EXPECT_EQ(quiet.log.back(), "summary");
}

TEST(VerifyRun, NamesDifferingInCaseAreFound) {
  TTempTree tree;
  tree.Write("Sub Folder/Data.BIN", kDigits);
  tree.Write("exact.bin", kDigits);
  tree.Write("EXACT.BIN", "other");
  const std::string d = tree.Path();
  TCountingSource source;
  TRecordingView view;
  TVerifyOptions options;
  options.View = &view;
  options.CRCSource = &source;
  std::string xml =
      Details({Entry(d + "sub folder/data.bin", "CBF43926"), Entry(d + "exact.bin", "CBF43926"),
               Entry(d + "Exact.bin", "0"), Entry(d + "sub folder/other.bin", "0")});
  EXPECT_EQ(VerifyFileDetails(xml, d + "x.sfv", options), vrFailed);
  EXPECT_THAT(view.Statuses(), ElementsAre(TFileStatus::OK, TFileStatus::OK, TFileStatus::CRCFailed,
                                           TFileStatus::NotFound));
  // The exact name wins; a caseless match picks the byte-wise first spelling.
  EXPECT_THAT(source.asked,
              ElementsAre(d + "Sub Folder/Data.BIN", d + "exact.bin", d + "EXACT.BIN"));
  EXPECT_THAT(source.announced, ElementsAre(d + "sub folder/data.bin", d + "exact.bin",
                                            d + "Exact.bin", d + "sub folder/other.bin"));
  EXPECT_THAT(source.knownSizes, ElementsAre(9, 9, 5));
}

TEST(FileLookup, TrailingBlanksAndDotsOfTheLastPartAreDroppedWhenNothingElseMatches) {
  TTempTree tree;
  tree.Write("a.bin", "a");
  tree.Write("x.bin", "x");
  tree.Write("x.bin.", "x.");
  tree.Write("sub/c.bin", "c");
  const std::string d = tree.Path();
  const struct {
    std::string listed;
    std::string found;  // empty: not found
  } cases[] = {
      {"a.bin. .", "a.bin"}, {"A.BIN ", "a.bin"},         {"x.bin.", "x.bin."},
      {"sub./c.bin", ""},    {"sub/c.bin.", "sub/c.bin"}, {"...", ""},
  };
  for (const auto& c : cases) {
    TFileLookup lookup;
    TFoundFile found;
    EXPECT_EQ(lookup.Find(d + c.listed, found), !c.found.empty()) << c.listed;
    EXPECT_EQ(found.Path, c.found.empty() ? "" : d + c.found) << c.listed;
  }
}

TEST(VerifySFVText, ParsesWithTheExtensionRulesAndVerifies) {
  TTempTree tree;
  tree.Write("file one.bin", kDigits);
  tree.Write("tiny.bin", "");
  pugi::xml_document config;
  LoadXMLText(
      config,
      "<config><extensions><extension value=\".nfo\" action=\"IS\"/></extensions></config>");
  const std::string text =
      "; made by Checkwell\r\nfile one.bin cbf43926\r\ninfo.nfo 00000000\r\ntiny.bin \n";
  std::string xml;
  bool mine = false;
  EXPECT_EQ(VerifySFV(text, tree.Path(), "set.sfv", config, xml, mine), vrAccepted);
  EXPECT_TRUE(mine);
  const auto doc = Load(xml);
  EXPECT_STREQ(FileNode(doc, 0).attribute("name").value(), (tree.Path() + "file one.bin").c_str());
  EXPECT_STREQ(FileNode(doc, 1).attribute("action").value(), "IS");
  EXPECT_STREQ(FileNode(doc, 2).attribute("size").value(), "0");

  // Without a view a failing run hands back the text as parsed.
  EXPECT_EQ(VerifySFV("gone.bin 00000000\r\n", tree.Path(), "set.sfv", config, xml, mine),
            vrFailed);
  EXPECT_FALSE(mine);
  EXPECT_TRUE(FileNode(Load(xml), 0).attribute("timestamp").empty());

  // A caller that takes no text back still sees every size and time on its view.
  TRecordingView view;
  TVerifyOptions options;
  options.View = &view;
  options.ReturnFileDetails = false;
  xml = "left over";
  EXPECT_EQ(VerifySFV(text, tree.Path(), "set.sfv", config, xml, mine, options), vrAccepted);
  EXPECT_TRUE(xml.empty());
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[0].size, 9);
  EXPECT_EQ(view.rows[2].size, 0);
  EXPECT_NE(view.rows[2].timestamp.Value, 0.0);
  EXPECT_EQ(view.Statuses(),
            (std::vector<TFileStatus>{TFileStatus::OK, TFileStatus::Ignored, TFileStatus::OK}));
}

TEST(VerifySFVText, AViewThatTakesTheTextLeavesTheCallersAsBefore) {
  TTempTree tree;
  tree.Write("a.bin", kDigits);
  pugi::xml_document config;
  config.append_child("config");
  const std::string parsed = Details({Entry(tree.Path() + "a.bin", "CBF43926")});
  for (const bool fromSFV : {true, false}) {
    SCOPED_TRACE(fromSFV ? "VerifySFV" : "VerifyFileDetails");
    TRecordingView view;
    TVerifyOptions options;
    options.View = &view;
    options.ViewTakesFileDetails = true;
    std::string xml = parsed;
    bool mine = false;
    EXPECT_EQ(
        fromSFV ? VerifySFV("a.bin CBF43926\r\n", tree.Path(), "x.sfv", config, xml, mine, options)
                : VerifyFileDetails(xml, tree.Path() + "x.sfv", options),
        vrVerifiedOK);
    EXPECT_EQ(xml, parsed);
    EXPECT_STREQ(FileNode(Load(view.workingCopy), 0).attribute("size").value(), "9");
  }
}

TEST(ParallelCRCSource, AnswersInOrderWhateverTheThreadCount) {
  TTempTree tree;
  std::vector<std::string> names;
  std::vector<std::uint32_t> expected;
  for (int i = 0; i < 40; ++i) {
    const std::string content(static_cast<std::size_t>(i) * 777, static_cast<char>('a' + i % 26));
    names.push_back(tree.Write("f" + std::to_string(i), content));
    expected.push_back(UpdateCRC32(0xFFFFFFFFu, content.data(), content.size()) ^ 0xFFFFFFFFu);
  }
  tree.Write("Upper.BIN", kDigits);
  const std::string folder = tree.MakeDir("folder");
  names.insert(names.begin() + 5, {tree.File("missing"), tree.File("upper.bin"), folder});
  expected.insert(expected.begin() + 5, {0, 0xCBF43926u, 0});

  for (int jobs : {1, 2, 4}) {
    TParallelCRCSource source(jobs);
    source.Announce(Packed(names));
    std::vector<TCRCRequest> found;
    for (const std::string& name : names) {
      TFoundFile file;
      const TLookupStatus status = source.Find(name, file, {});
      if (name == tree.File("missing")) {
        EXPECT_EQ(status, TLookupStatus::NotFound);
        continue;
      }
      ASSERT_EQ(status, TLookupStatus::Found) << name;
      found.push_back({file.Path, file.Regular ? file.Size : -1});
    }
    // The caseless match is hashed under its real name; the folder gives no CRC.
    EXPECT_EQ(found[5].Path, tree.File("Upper.BIN"));
    EXPECT_EQ(found[6].KnownSize, -1);
    for (std::size_t i = 0, e = 0; i < found.size(); ++i, ++e) {
      if (e == 5) ++e;  // the missing one
      std::uint32_t crc = 0;
      const TCRCStatus status = source.Compute(found[i], crc, {});
      if (found[i].Path == folder) {
        EXPECT_EQ(status, TCRCStatus::Failed);
        continue;
      }
      ASSERT_EQ(status, TCRCStatus::OK) << found[i].Path;
      EXPECT_EQ(crc, expected[e]) << jobs << " " << found[i].Path;
    }
    // Asked for something not announced: still answered.
    std::uint32_t crc = 0;
    ASSERT_EQ(source.Compute({names[3], -1}, crc, {}), TCRCStatus::OK);
    EXPECT_EQ(crc, expected[3]);
    // A new announcement after one used only in part.
    source.Announce(Packed(names));
    TFoundFile file;
    ASSERT_EQ(source.Find(names[0], file, {}), TLookupStatus::Found);
    source.Announce(Packed({names[9]}));
    ASSERT_EQ(source.Find(names[9], file, {}), TLookupStatus::Found);
    ASSERT_EQ(source.Compute({file.Path, file.Size}, crc, {}), TCRCStatus::OK);
    EXPECT_EQ(crc, expected[9]);
  }
}

TEST(VerifySFVText, AnEntryThatCannotBeHashedFailsTheSet) {
  struct TCase {
    const char* name;
    void (*make)(const TTempTree& tree);
  };
  const TCase cases[] = {
      {"a folder", [](const TTempTree& tree) { tree.MakeDir("x.bin"); }},
      {"a dangling link",
       [](const TTempTree& tree) {
         ASSERT_EQ(::symlink("gone.bin", tree.File("x.bin").c_str()), 0);
       }},
  };
  pugi::xml_document config;
  config.append_child("config");
  for (const TCase& c : cases) {
    for (const bool withView : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (withView ? ", with a view" : ", without a view"));
      TTempTree tree;
      tree.Write("a.bin", kDigits);
      c.make(tree);
      TRecordingView view;
      TVerifyOptions options;
      if (withView) options.View = &view;
      std::string details;
      bool mine = false;
      // CRC 0, the value of no bytes at all: an entry read as empty would match it.
      EXPECT_EQ(VerifySFV("a.bin CBF43926\r\nx.bin 00000000\r\n", tree.Path(), "x.sfv", config,
                          details, mine, options),
                vrFailed);
    }
  }
}
