#include "checkwindow/sfvrepair.h"

#include "config/udfxml.h"
#include "sfv/crc.h"
#include "sfv/sfvformat.h"
#include "sfv/verify.h"
#include "support/files.h"

#include "common/environment.h"
#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "fileops/fault_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;
using ::testing::StartsWith;

namespace {

std::string CRCOf(const std::string& bytes) {
  return CRCToText(UpdateCRC32(0xFFFFFFFF, bytes.data(), bytes.size()) ^ 0xFFFFFFFF);
}

// The rows of a check window, filled by the real verification; the repairs see
// it through the host interface, and every call the window gets is recorded.
class TFakeCheckWindow : public TSFVRepairHost, public TVerifyView {
 public:
  struct TRow {
    std::string Filename, Path;
    TFileStatus Status = TFileStatus::None;
  };

  void Open(const std::string& sfvPath) {
    sfvPath_ = sfvPath;
    Read();
    calls.clear();
  }
  void Select(std::vector<int> rows) { selected = std::move(rows); }
  std::vector<std::pair<std::string, TFileStatus>> Statuses() const {
    std::vector<std::pair<std::string, TFileStatus>> statuses;
    for (const TRow& row : rows) statuses.emplace_back(row.Filename, row.Status);
    return statuses;
  }

  std::vector<TRow> rows;
  std::vector<int> selected;
  int current = 0;
  bool openedByManager = false;
  bool closeOnPoll = false;
  bool closing = false;
  int pollsAfterClose = 0;
  std::string details;
  std::vector<std::string> calls;

  // TSFVRepairHost
  int ActionRowCount() const override {
    if (rows.empty()) return 0;
    return selected.empty() ? 1 : static_cast<int>(selected.size());
  }
  void EnsureSelection() override {
    if (selected.empty() && !rows.empty()) selected.push_back(current);
  }
  std::vector<int> SelectedRows() const override { return selected; }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  std::string RowFilename(int row) const override { return rows.at(row).Filename; }
  std::string RowPath(int row) const override { return rows.at(row).Path; }
  std::string SFVPath() const override { return sfvPath_; }
  std::string FileDetailsXML() const override { return details; }
  void SetFileDetailsXML(const std::string& text) override { details = text; }
  bool OpenedByManager() const override { return openedByManager; }
  void SaveWindowPlacement() override { calls.push_back("SaveWindowPlacement"); }
  void HandBackToManager(const std::string& sfvPath) override {
    calls.push_back("HandBackToManager " + sfvPath);
  }
  // A window asked to close at the next poll drops its rows, as the real one does.
  bool YieldAndQueryClosing() override {
    if (closing) ++pollsAfterClose;
    if (closeOnPoll && !closing) {
      closing = true;
      rows.clear();
      selected.clear();
    }
    return closing;
  }
  void RemoveAllRows() override {
    calls.push_back("RemoveAllRows");
    rows.clear();
    selected.clear();
  }
  std::optional<TFileIdentity> SFVIdentity() const override { return identity_; }
  void SetSFVIdentity(const TFileIdentity& identity) override { identity_ = identity; }
  void VerifySFVAgain() override {
    calls.push_back("VerifySFVAgain");
    rows.clear();
    selected.clear();
    Read();
  }
  void VerifyAsView(const std::string& text) override {
    calls.push_back("VerifyAsView");
    std::string copy = text;
    TVerifyOptions options;
    options.View = this;
    VerifyFileDetails(copy, sfvPath_, options);
  }

  // TVerifyView
  void ShowView() override {}
  void AttachSFV(const std::string&) override {}
  int AppendRow() override {
    rows.emplace_back();
    return static_cast<int>(rows.size()) - 1;
  }
  void SetFilename(int row, const std::string& name) override { rows.at(row).Filename = name; }
  void SetPath(int row, const std::string& folder) override { rows.at(row).Path = folder; }
  void SetStatus(int row, TFileStatus status) override { rows.at(row).Status = status; }
  void SetSize(int, std::int64_t) override {}
  void SetTimestamp(int, TDateTime) override {}
  TFileStatus GetStatus(int row) const override { return rows.at(row).Status; }
  void MakeCurrent(int row) override { current = row; }
  void Repaint() override {}
  void ShowSummary() override {}

 private:
  void Read() {
    pugi::xml_document config;
    config.append_child("config");
    std::string text;
    bool mine = false;
    TFileIdentity identity;
    ASSERT_TRUE(
        ParseSFV(ReadTextFile(sfvPath_, identity), ExtractFolder(sfvPath_), config, text, mine));
    identity_ = identity;
    TVerifyOptions options;
    options.View = this;
    VerifyFileDetails(text, sfvPath_, options);
  }
  static std::string ExtractFolder(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
  }
  std::string sfvPath_;
  std::optional<TFileIdentity> identity_;
};

// The entry lines of an SFV, without header and comments.
std::vector<std::string> Entries(const std::string& sfvText) {
  std::vector<std::string> lines;
  std::string rest = sfvText;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find("\r\n", start);
    if (end == std::string::npos) end = rest.size();
    const std::string line = rest.substr(start, end - start);
    if (!line.empty() && line[0] != ';') lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

class SFVRepair : public ::testing::Test {
 protected:
  // Writes the files and an SFV listing them with their right CRCs, plus extra lines.
  void MakeSet(const std::vector<std::pair<std::string, std::string>>& files,
               const std::string& extraLines = "") {
    std::string sfv = "; written by some other tool\r\n";
    for (const auto& [name, bytes] : files) {
      t.Write("set/" + name, bytes);
      sfv += name + " " + CRCOf(bytes) + "\r\n";
    }
    sfv += extraLines;
    sfvPath = t.Write("set/x.sfv", sfv);
    window.Open(sfvPath);
  }
  std::string Folder() const { return t.File("set/"); }
  std::string SFVText() const { return t.Read("set/x.sfv"); }
  int RowOf(const std::string& name) const {
    for (std::size_t i = 0; i < window.rows.size(); ++i) {
      if (window.rows[i].Filename == name) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no row " << name;
    return 0;
  }

  TTempTree t;
  std::string sfvPath;
  TFakeCheckWindow window;
  TSFVRepair repair{window};
};

}  // namespace

TEST_F(SFVRepair, RemoveOffersToDeleteTheFileAndYesKeepsIt) {
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}});
  window.Select({RowOf("a.bin")});
  TScriptedScope script;
  script->Press("Yes");

  repair.actRemoveExecute();

  ASSERT_EQ(script->Asked().size(), 1u);
  const TMessageBoxParams& question = script->Asked()[0].params;
  EXPECT_EQ(question.Caption, "Question");
  EXPECT_EQ(question.Text, "Remove the highlighted entry from the sfv?");
  EXPECT_THAT(question.Buttons, ElementsAre("Yes", "Yes and Delete File", "No"));
  EXPECT_EQ(question.IconKind, TMessageIcon::Question);
  EXPECT_EQ(question.BeepKind, TMessageBeep::Question);
  EXPECT_EQ(question.MinButtonWidth, 100);
  EXPECT_EQ(question.DefaultButton, 2);
  EXPECT_EQ(question.EscapeResult, 2);
  EXPECT_FALSE(question.Stacked);
  EXPECT_EQ(question.HelpButton, -1);
  EXPECT_EQ(question.MoreButton, -1);

  EXPECT_THAT(Entries(SFVText()), ElementsAre("b.bin " + CRCOf("beta")));
  EXPECT_TRUE(t.Exists("set/a.bin"));
  EXPECT_THAT(window.calls, ElementsAre("RemoveAllRows", "VerifyAsView"));
  EXPECT_THAT(window.Statuses(), ElementsAre(Pair("b.bin", TFileStatus::OK)));
}

TEST_F(SFVRepair, RemoveAndDeleteOfTwoEntriesTrashesBothFiles) {
  TPrivateTrash trash(t);
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}, {"c.bin", "gamma"}});
  window.Select({RowOf("c.bin"), RowOf("a.bin")});
  TScriptedScope script;
  script->Press("Yes and Delete Files");

  repair.actRemoveExecute();

  EXPECT_EQ(script->Asked()[0].params.Text, "Remove the highlighted entries from the sfv?");
  EXPECT_THAT(script->Asked()[0].params.Buttons, ElementsAre("Yes", "Yes and Delete Files", "No"));
  EXPECT_FALSE(t.Exists("set/a.bin"));
  EXPECT_FALSE(t.Exists("set/c.bin"));
  EXPECT_TRUE(trash.Holds("a.bin"));
  EXPECT_TRUE(trash.Holds("c.bin"));
  EXPECT_THAT(Entries(SFVText()), ElementsAre("b.bin " + CRCOf("beta")));
}

TEST_F(SFVRepair, RemovingEntriesWhoseFilesAreMissingAsksOnlyYesOrNo) {
  MakeSet({{"a.bin", "alpha"}}, "gone.bin 12345678\r\n");
  window.Select({RowOf("gone.bin")});
  TScriptedScope script;
  script->Press("&No").Press("&Yes");

  repair.actRemoveExecute();  // No: nothing changes
  const std::string untouched = SFVText();
  EXPECT_THAT(untouched, StartsWith("; written by some other tool"));
  EXPECT_TRUE(window.calls.empty());

  repair.actRemoveExecute();
  ASSERT_EQ(script->Asked().size(), 2u);
  const TMessageBoxParams& question = script->Asked()[1].params;
  EXPECT_THAT(question.Buttons, ElementsAre("&Yes", "&No"));
  EXPECT_EQ(question.DefaultButton, 1);
  EXPECT_EQ(question.EscapeResult, 1);
  EXPECT_THAT(Entries(SFVText()), ElementsAre("a.bin " + CRCOf("alpha")));
}

TEST_F(SFVRepair, ANameListedTwiceIsRemovedTwiceAndDeletedOnce) {
  TPrivateTrash trash(t);
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}}, "a.bin " + CRCOf("alpha") + "\r\n");
  ASSERT_EQ(window.rows.size(), 3u);
  window.Select({RowOf("a.bin")});
  TScriptedScope script;  // a second delete of the same file would warn: the strict script fails
  script->Press("Yes and Delete File");

  repair.actRemoveExecute();

  EXPECT_THAT(Entries(SFVText()), ElementsAre("b.bin " + CRCOf("beta")));
  EXPECT_TRUE(trash.Holds("a.bin"));
  EXPECT_EQ(script->Asked().size(), 1u);
}

TEST(SFVRepairByName, RemoveDropsEveryEntryOfAHighlightedNameInSelectionOrder) {
  struct TCase {
    const char* name;
    std::string extraLines;                // after a.bin, b.bin and c.bin
    std::vector<int> selection;            // rows, in the order selected
    std::vector<std::string> remaining;    // names the SFV keeps
    std::vector<std::string> leftOutside;  // named in the warning, in this order
  };
  const std::string alpha = CRCOf("a.bin");  // each file holds its own name
  const std::vector<TCase> cases = {
      {"listed twice, second row", "a.bin " + alpha + "\r\n", {3}, {"b.bin", "c.bin"}, {}},
      {"listed twice, both rows", "a.bin " + alpha + "\r\n", {0, 3}, {"b.bin", "c.bin"}, {}},
      {"other letter case", "A.BIN " + alpha + "\r\n", {3}, {"b.bin", "c.bin"}, {}},
      {"selection order",
       "../o1.nfo 00000000\r\n../o2.nfo 00000000\r\n",
       {4, 2, 3},
       {"a.bin", "b.bin"},
       {"../o2.nfo", "../o1.nfo"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TTempTree t;
    TPrivateTrash trash(t);
    t.Write("o1.nfo", "one");
    t.Write("o2.nfo", "two");
    std::string sfv;
    for (const std::string name : {"a.bin", "b.bin", "c.bin"}) {
      t.Write("set/" + name, name);
      sfv += name + " " + CRCOf(name) + "\r\n";
    }
    const std::string sfvPath = t.Write("set/x.sfv", sfv + c.extraLines);
    TFakeCheckWindow host;
    host.Open(sfvPath);
    host.Select(c.selection);
    TSFVRepair repair(host);
    TScriptedScope script;
    script->Answer(1);  // "Yes and Delete File(s)"
    std::vector<std::string> warnings;
    if (!c.leftOutside.empty()) {
      script->Press("OK");
      std::string text = "These files lie outside " + t.File("set/") + " and were left untouched:";
      for (const std::string& name : c.leftOutside) text += "\r" + t.File("set/") + name;
      warnings.push_back(text);
    }

    repair.actRemoveExecute();

    std::vector<std::string> names;
    for (const std::string& line : Entries(t.Read("set/x.sfv"))) {
      names.push_back(line.substr(0, line.rfind(' ')));
    }
    EXPECT_EQ(names, c.remaining);
    const std::vector<std::string> texts = script->Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()), warnings);
    EXPECT_TRUE(script->AllAnswersUsed());
  }
}

TEST_F(SFVRepair, RefreshWritesTheNewCRCInUpperCaseEightDigits) {
  // A file whose CRC has few significant digits shows the padding.
  MakeSet({{"b.bin", "beta"}}, "a.bin 0abcdef0\r\n");
  t.Write("set/a.bin", std::string(1, '\0'));  // CRC d202ef8d
  window.Open(sfvPath);
  window.Select({RowOf("a.bin")});
  TScriptedScope script;
  script->Press("&Yes");

  repair.actRefreshCRCExecute();

  EXPECT_EQ(script->Asked()[0].params.Text,
            "Recalculate the CRC for the highlighted file and update the sfv?");
  EXPECT_THAT(Entries(SFVText()), ElementsAre("a.bin D202EF8D", "b.bin " + CRCOf("beta")));
  EXPECT_THAT(window.Statuses(),
              ElementsAre(Pair("a.bin", TFileStatus::OK), Pair("b.bin", TFileStatus::OK)));
}

TEST_F(SFVRepair, RefreshAbandonsEverythingWhenOneFileCannotBeRead) {
  MakeSet({{"a.bin", "alpha"}}, "b.bin 00000000\r\ngone.bin 11111111\r\n");
  t.Write("set/b.bin", "changed");
  window.Open(sfvPath);
  const std::string before = SFVText();
  const std::string copyBefore = window.details;
  window.Select({RowOf("b.bin"), RowOf("gone.bin")});
  TScriptedScope script;
  script->Press("&Yes").Press("OK");

  repair.actRefreshCRCExecute();

  EXPECT_EQ(script->Asked()[0].params.Text,
            "Recalculate the CRC for the highlighted files and update the sfv?");
  EXPECT_EQ(script->Asked()[1].params.Text,
            "Unable to generate a CRC for " + Folder() + "gone.bin");
  EXPECT_EQ(SFVText(), before);
  EXPECT_EQ(window.details, copyBefore);
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(SFVRepair, RenameThatChangesOnlyTheLetterCaseIsAccepted) {
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}});
  window.Select({RowOf("a.bin")});
  TScriptedScope script;
  script->Input("A.BIN");

  repair.actRenameExecute();

  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].title, "Rename file");
  EXPECT_EQ(script->Asked()[0].prompt, "Filename");
  EXPECT_EQ(script->Asked()[0].initial, "a.bin");
  EXPECT_EQ(t.Read("set/A.BIN"), "alpha");
  EXPECT_FALSE(t.Exists("set/a.bin"));
  EXPECT_THAT(Entries(SFVText()), ElementsAre("A.BIN " + CRCOf("alpha"), "b.bin " + CRCOf("beta")));
  EXPECT_THAT(window.Statuses(),
              ElementsAre(Pair("A.BIN", TFileStatus::OK), Pair("b.bin", TFileStatus::OK)));
}

TEST_F(SFVRepair, RenameChecksTheNameAndAsksAgainWithWhatTheUserTyped) {
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}});
  window.Select({RowOf("a.bin")});
  TScriptedScope script;
  script->Input("a?.bin").Press("OK").Input("b.bin").Press("OK").CancelInput();

  repair.actRenameExecute();

  const auto& asked = script->Asked();
  ASSERT_EQ(asked.size(), 5u);
  EXPECT_EQ(asked[1].params.Text, "Invalid Filename a?.bin.");
  EXPECT_EQ(asked[2].initial, "a?.bin");
  EXPECT_EQ(asked[3].params.Text, "File " + Folder() + "b.bin already exists.");
  EXPECT_EQ(asked[4].initial, "b.bin");
  EXPECT_EQ(t.Read("set/a.bin"), "alpha");
  EXPECT_EQ(t.Read("set/b.bin"), "beta");
  EXPECT_THAT(SFVText(), StartsWith("; written by some other tool"));
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(SFVRepair, RenameRefusesNamesTheListCannotHold) {
  MakeSet({{"a.bin", "alpha"}});
  for (const std::string name : {"", ";a.bin", " ;a.bin", "a\r.bin", "a\n.bin"}) {
    window.Select({RowOf("a.bin")});
    TScriptedScope script;
    script->Input(name).Press("OK").CancelInput();

    repair.actRenameExecute();

    ASSERT_EQ(script->Asked().size(), 3u) << name;
    EXPECT_EQ(script->Asked()[1].params.Text, "Invalid Filename " + name + ".");
  }
  EXPECT_EQ(t.Read("set/a.bin"), "alpha");
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(SFVRepair, RenameOfAFileThatIsGoneWarnsAndACancelKeepsEarlierRenames) {
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}, {"c.bin", "gamma"}});
  window.Select({RowOf("a.bin"), RowOf("b.bin"), RowOf("c.bin")});
  ASSERT_EQ(::unlink(t.File("set/b.bin").c_str()), 0);
  TScriptedScope script;
  script->Input("first.bin").Input("second.bin").Press("OK").CancelInput().CancelInput();

  repair.actRenameExecute();

  EXPECT_EQ(script->Asked()[2].params.Text, "File " + Folder() + "b.bin does not exist.");
  EXPECT_EQ(t.Read("set/first.bin"), "alpha");
  EXPECT_EQ(t.Read("set/c.bin"), "gamma");
  EXPECT_THAT(Entries(SFVText()), ElementsAre("b.bin " + CRCOf("beta"), "c.bin " + CRCOf("gamma"),
                                              "first.bin " + CRCOf("alpha")));
}

TEST_F(SFVRepair, RenameRecordsSizeAndTimeOfAFileTheLastCheckDidNotFind) {
  MakeSet({{"a.bin", "alpha"}}, "late.bin " + CRCOf("late") + "\r\n");
  window.Select({RowOf("late.bin")});
  t.Write("set/late.bin", "late");
  TScriptedScope script;
  script->Input("on time.bin");
  window.openedByManager = true;  // no re-verification: the comment comes from the rename alone

  repair.actRenameExecute();

  EXPECT_EQ(t.Read("set/on time.bin"), "late");
  EXPECT_THAT(SFVText(), HasSubstr(";4 "));
  EXPECT_THAT(SFVText(), HasSubstr(" on time.bin\r\n"));
}

TEST_F(SFVRepair, RenameActsOnTheHighlightedEntryInItsOwnFolder) {
  t.Write("set/sub/a.bin", "deep");
  t.Write("set/sub/only.bin", "only");
  t.Write("set/a.bin", "shallow");
  MakeSet({{"b.bin", "beta"}}, "sub/a.bin " + CRCOf("deep") + "\r\na.bin " + CRCOf("shallow") +
                                   "\r\nsub/only.bin " + CRCOf("only") + "\r\n");
  int shallow = -1;
  for (std::size_t i = 0; i < window.rows.size(); ++i) {
    if (window.rows[i].Filename == "a.bin" && window.rows[i].Path == Folder()) shallow = int(i);
  }
  ASSERT_GE(shallow, 0);
  window.Select({shallow, RowOf("only.bin")});
  TScriptedScope script;
  script->Input("z.bin").Input("renamed.bin");

  repair.actRenameExecute();

  EXPECT_EQ(t.Read("set/z.bin"), "shallow");
  EXPECT_EQ(t.Read("set/sub/a.bin"), "deep");
  EXPECT_EQ(t.Read("set/sub/renamed.bin"), "only");
  EXPECT_THAT(Entries(SFVText()),
              ElementsAre("b.bin " + CRCOf("beta"), "sub/a.bin " + CRCOf("deep"),
                          "sub/renamed.bin " + CRCOf("only"), "z.bin " + CRCOf("shallow")));
}

TEST_F(SFVRepair, ClosingTheWindowStopsARefreshInsideALargeFileAndWritesNothing) {
  MakeSet({{"a.bin", "alpha"}}, "big.bin 00000000\r\n");
  {
    // Sparse, so it costs no disk space, yet hashing it takes far longer than
    // reaching the first poll. Made after the check, which would have hashed it.
    const int fd = ::open(t.File("set/big.bin").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t{8} << 30), 0);
    ::close(fd);
  }
  const std::string before = SFVText();
  const std::string copyBefore = window.details;
  window.Select({RowOf("big.bin")});
  window.closeOnPoll = true;
  TScriptedScope script;
  script->Press("&Yes");

  repair.actRefreshCRCExecute();

  EXPECT_TRUE(window.closing);
  EXPECT_EQ(window.pollsAfterClose, 0);
  EXPECT_EQ(script->Asked().size(), 1u);  // neither a warning nor an error
  EXPECT_EQ(SFVText(), before);
  EXPECT_EQ(window.details, copyBefore);
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(SFVRepair, TidyReplacesAForeignHeaderAndSortsTheEntries) {
  MakeSet({{"b.bin", "beta"}, {"B.bin", "Beta"}, {"a.bin", "alpha"}},
          "; another comment\r\n\r\nmissing.bin 00000000\r\n");

  repair.actTidySFVExecute();

  const std::string text = SFVText();
  EXPECT_THAT(text, StartsWith(";Generated by Checkwell V1.2 (Qel) on "));
  EXPECT_THAT(text, ::testing::Not(HasSubstr("other tool")));
  EXPECT_THAT(text, ::testing::Not(HasSubstr("another comment")));
  EXPECT_THAT(text, HasSubstr("\r\n;5 "));  // a.bin, with size and time
  EXPECT_THAT(text, HasSubstr("\r\n;missing.bin\r\n"));
  EXPECT_THAT(Entries(text), ElementsAre("B.bin " + CRCOf("Beta"), "a.bin " + CRCOf("alpha"),
                                         "b.bin " + CRCOf("beta"), "missing.bin 00000000"));
  EXPECT_THAT(window.calls, ElementsAre("RemoveAllRows", "VerifyAsView"));
  EXPECT_EQ(window.rows.size(), 4u);
}

TEST_F(SFVRepair, AWindowOpenedByTheManagerHandsTheSFVBack) {
  MakeSet({{"b.bin", "beta"}, {"a.bin", "alpha"}});
  window.openedByManager = true;
  window.Select({RowOf("b.bin")});
  TScriptedScope script;
  script->Press("Yes");

  repair.actRemoveExecute();

  EXPECT_THAT(Entries(SFVText()), ElementsAre("a.bin " + CRCOf("alpha")));
  EXPECT_THAT(window.calls, ElementsAre("SaveWindowPlacement", "HandBackToManager " + sfvPath));
  EXPECT_EQ(window.rows.size(), 2u);  // the manager re-verifies; the window only closes
}

TEST_F(SFVRepair, AnSFVThatCannotBeWrittenEndsTheActionInAnErrorBox) {
  MakeSet({{"a.bin", "alpha"}});
  ASSERT_EQ(::chmod(sfvPath.c_str(), 0444), 0);  // marked read-only, which binds root too
  TScriptedScope script;
  script->Press("OK");

  repair.actTidySFVExecute();

  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].params.Caption, "Error");
  EXPECT_EQ(script->Asked()[0].params.IconKind, TMessageIcon::Error);
  EXPECT_FALSE(script->Asked()[0].params.Text.empty());
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(SFVRepair, NamesOutsideTheSFVsFolderAreLeftAloneWithOneWarning) {
  TPrivateTrash trash(t);
  t.Write("outside.nfo", "not part of the set");
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}},
          "../outside.nfo " + CRCOf("not part of the set") + "\r\n");
  ASSERT_EQ(window.rows[RowOf("outside.nfo")].Status, TFileStatus::OK);  // verified like any other
  window.Select({RowOf("outside.nfo"), RowOf("a.bin")});
  const std::string warning = "These files lie outside " + Folder() +
                              " and were left untouched:\r" + Folder() + "../outside.nfo";
  TScriptedScope script;
  script->Press("OK").CancelInput();

  repair.actRenameExecute();

  ASSERT_EQ(script->Asked().size(), 2u);
  EXPECT_EQ(script->Asked()[0].params.Text, warning);
  EXPECT_EQ(script->Asked()[1].initial, "a.bin");  // no box for the outside entry

  script->Press("Yes and Delete Files").Press("OK");
  repair.actRemoveExecute();

  ASSERT_EQ(script->Asked().size(), 4u);
  EXPECT_EQ(script->Asked()[3].params.Text, warning);
  EXPECT_EQ(t.Read("outside.nfo"), "not part of the set");
  EXPECT_FALSE(t.Exists("set/a.bin"));
  EXPECT_TRUE(trash.Holds("a.bin"));
  EXPECT_THAT(Entries(SFVText()), ElementsAre("b.bin " + CRCOf("beta")));
}

TEST_F(SFVRepair, AnSFVThatMustNotBeRewrittenStaysAndNoFileIsTrashed) {
  struct TCase {
    const char* name;
    // Makes the SFV one that must stay as it is; returns the file the SFV's text is in.
    std::function<std::string(const TTempTree&, const std::string& sfv)> prepare;
    const char* caption;
    const char* says;
  };
  const TCase cases[] = {
      {"read-only for everybody, root included",
       [](const TTempTree&, const std::string& sfv) {
         ::chmod(sfv.c_str(), 0444);
         return sfv;
       },
       "Error", "Cannot write "},
      {"a link to a file outside its folder",
       [](const TTempTree& tree, const std::string& sfv) {
         const std::string outside = tree.Write("elsewhere.sfv", tree.Read("set/x.sfv"));
         ::unlink(sfv.c_str());
         EXPECT_EQ(::symlink("../elsewhere.sfv", sfv.c_str()), 0);
         return outside;
       },
       "Warning", " is a link to a file outside its folder"},
  };
  TPrivateTrash trash(t);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(QString::fromStdString(t.File("set"))).removeRecursively();
    MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}});
    const std::string text = SFVText();
    const std::string holder = c.prepare(t, sfvPath);
    window.Select({RowOf("a.bin")});
    TScriptedScope script;
    script->Press("Yes and Delete File").Press("OK");

    repair.actRemoveExecute();

    ASSERT_EQ(script->Asked().size(), 2u);
    EXPECT_EQ(script->Asked()[1].params.Caption, c.caption);
    EXPECT_THAT(script->Asked()[1].params.Text, HasSubstr(c.says));
    EXPECT_THAT(script->Asked()[1].params.Text, HasSubstr(sfvPath));
    EXPECT_EQ(t.Read(holder.substr(t.Path().size())), text);
    EXPECT_EQ(t.Read("set/a.bin"), "alpha");
    EXPECT_TRUE(window.calls.empty());
  }
}

TEST_F(SFVRepair, OnAFullDiskTheSFVAndEveryFileStay) {
  t.MakeDir("set");
  TPrivateTmpfs disk(t.File("set"), "64k");
  MOUNT_OR_SKIP(disk);
  TPrivateTrash trash(t);
  MakeSet({{"a.bin", "alpha"}, {"b.bin", "beta"}});
  const std::string text = SFVText();
  {
    const int filler = ::open(t.File("set/filler").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(filler, 0);
    const std::string block(4096, 'x');
    while (::write(filler, block.data(), block.size()) > 0) {
    }
    ::close(filler);
  }
  window.Select({RowOf("a.bin"), RowOf("b.bin")});
  TScriptedScope script;
  script->Press("Yes and Delete Files").Press("OK");

  repair.actRemoveExecute();

  ASSERT_EQ(script->Asked().size(), 2u);
  EXPECT_EQ(script->Asked()[1].params.Caption, "Error");
  EXPECT_THAT(script->Asked()[1].params.Text, HasSubstr(sfvPath));
  EXPECT_EQ(SFVText(), text);
  EXPECT_EQ(t.Read("set/a.bin"), "alpha");
  EXPECT_EQ(t.Read("set/b.bin"), "beta");
}

TEST_F(SFVRepair, AnSFVLinkedWithinItsFolderStaysALinkToTheRewrittenFile) {
  MakeSet({{"b.bin", "beta"}, {"a.bin", "alpha"}});
  const std::string real = t.Write("set/sub/real.sfv", SFVText());
  ::unlink(sfvPath.c_str());
  ASSERT_EQ(::symlink("sub/real.sfv", sfvPath.c_str()), 0);
  window.Open(sfvPath);

  repair.actTidySFVExecute();

  struct stat st {};
  ASSERT_EQ(::lstat(sfvPath.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_THAT(Entries(t.Read("set/sub/real.sfv")),
              ElementsAre("a.bin " + CRCOf("alpha"), "b.bin " + CRCOf("beta")));
}
