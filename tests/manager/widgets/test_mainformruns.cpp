#include "manager/widgets/mainform.h"

#include "checkwindow/widgets/checksfvwindow.h"
#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "manager/sfvlist.h"
#include "sfv/crc.h"
#include "support/pacer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

namespace {

std::string CRCOf(const std::string& bytes) {
  return CRCToText(UpdateCRC32(0xFFFFFFFF, bytes.data(), bytes.size()) ^ 0xFFFFFFFF);
}

struct TRunFixture {
  TTempTree tree;
  TScriptedScope script;
  std::unique_ptr<TMainForm> form;

  // Active configured paths "sets/" and "more/" (inactive), plus what `attributes` adds.
  explicit TRunFixture(const std::string& attributes = "") {
    tree.MakeDir("sets/");
    tree.MakeDir("more/");
    tree.Write("c.xml", "<config " + attributes + "><paths><path value=\"" + tree.Path() +
                            "sets/\" active=\"Y\"/><path value=\"" + tree.Path() +
                            "more/\" active=\"N\"/></paths></config>");
    form = std::make_unique<TMainForm>(tree.File("c.xml"));
    form->resize(900, 400);
  }
  // A set in folder with `files` listed files; bad damages the last listed CRC.
  void Set(const std::string& folder, const std::string& name, int files = 2, bool bad = false) {
    std::string sfv;
    for (int i = 0; i < files; ++i) {
      const std::string file = name + std::to_string(i) + ".rar";
      const std::string bytes = "bytes of " + file;
      tree.Write(folder + file, bytes);
      sfv += file + " " + (bad && i == files - 1 ? "00000000" : CRCOf(bytes)) + "\r\n";
    }
    tree.Write(folder + name + ".sfv", sfv);
  }
  std::string Rows() const {
    std::string text;
    for (int row = 0; row < form->List().RowCount(); ++row)
      text += form->List().Filename(row) + "=" + form->List().Status(row) + ":" +
              form->List().Marked(row) + ";";
    return text;
  }
  // Every Yield of the window pumps, and `during` sees each pump.
  void PumpEveryYield(std::function<void()> during) {
    form->Pacer().SetInterval(std::chrono::milliseconds(0));
    form->Pacer().SetEventPump([during = std::move(during)] {
      QCoreApplication::processEvents();
      during();
    });
  }
  QList<TfrmCheckSFV*> CheckWindows() const {
    return form->findChildren<TfrmCheckSFV*>(Qt::FindDirectChildrenOnly);
  }
};

// The run on load is a run like one from "Start": good sets marked Skip, and the
// commands that act on rows usable afterwards.
TEST(MainFormRuns, TheRunOnLoadEndsLikeAnyRun) {
  TRunFixture f(R"(checkForNewVersion="N" defaultLoadAction="1")");
  f.Set("sets/", "good");
  f.form->show();
  for (int i = 0; i < 200 && f.form->RunStateText() != "Complete"; ++i) QTest::qWait(10);
  QTest::qWait(50);
  EXPECT_EQ(f.Rows(), "good.sfv=Verified OK:S;");
  EXPECT_TRUE(f.form->actVisualCheckSFV->isEnabled());
  EXPECT_TRUE(f.form->actStart->isEnabled());
  EXPECT_FALSE(f.form->actStop->isEnabled());
}

TEST(MainFormRuns, SearchAndCheckAllVerifiesTheActiveFoldersAndMarksGoodSetsSkip) {
  TRunFixture f;
  f.Set("sets/", "good");
  f.Set("sets/sub/", "bad", 2, true);
  f.Set("more/", "elsewhere");
  f.form->show();
  f.form->actStartSearchAndCheck->trigger();
  EXPECT_EQ(f.Rows(), "bad.sfv=Failed:N;good.sfv=Verified OK:S;");
  EXPECT_EQ(f.form->RunStateText(), "Complete");
  EXPECT_EQ(f.form->SummaryText(), "2 files, 0 Waiting, 1 Verified OK, 0 Accepted, 1 Failed");
  EXPECT_TRUE(f.form->actStart->isEnabled());
  EXPECT_FALSE(f.form->actStop->isEnabled());
  if (const char* shot = std::getenv("CHECKWELL_SCREENSHOT")) {
    for (const char* name : {"movie.cd1", "movie.cd2", "album"}) f.Set("sets/", name, 3);
    f.Set("sets/x/", "damaged", 4, true);
    f.tree.Write("sets/y/notes.sfv", "broken.rar 1234\r\n");
    f.form->List().RemoveMarkEntries(f.form->List().GetSkipList(), f.tree.Path() + "sets/good.sfv");
    f.form->actStartSearchAndCheck->trigger();
    TNTierGrid& grid = f.form->Grid();
    for (int column = 0; column < grid.ColCount(); ++column) {
      const std::string name = grid.Columns(column).Name;
      if (name != "Glyph") grid.SetColumnWidth(column, name == "Path" ? 470 : 150);
    }
    QApplication::processEvents();
    f.form->grab().save(QString::fromLocal8Bit(shot));
  }
}

TEST(MainFormRuns, SearchOnlyNeverMarksAndLaunchedPathsWinOverConfiguredOnes) {
  TRunFixture f;
  f.Set("sets/", "configured");
  f.Set("launched/", "launched");
  f.form->show();
  f.form->SetLaunchedPaths({f.tree.Path() + "launched"});
  f.form->actStartSearchOnly->trigger();
  EXPECT_EQ(f.Rows(), "launched.sfv=Waiting:N;");
  f.form->LaunchedPathsToggle().click();  // up: the configured paths again
  f.form->actStartSearchOnly->trigger();
  EXPECT_EQ(f.Rows(), "configured.sfv=Waiting:N;");
  f.form->List().SetStatus(0, "Verified OK");
  f.form->actStartSearchOnly->trigger();
  EXPECT_EQ(f.form->Config().document_element().child("skip").first_child(), pugi::xml_node());
}

TEST(MainFormRuns, WithoutActivePathsOrADefaultStartTheWindowOnlyAsks) {
  TRunFixture f;
  f.form->Config().document_element().child("paths").first_child().attribute("active") = "N";
  f.script->Press("&No").Press("&No");
  f.form->actStartSearchAndCheck->trigger();
  EXPECT_EQ(f.form->List().RowCount(), 0);
  EXPECT_EQ(f.form->RunStateText(), "Complete");
  f.form->actStart->trigger();
  EXPECT_EQ(f.script->Texts(),
            (std::vector<std::string>{
                "There are no active paths. Would you like to set up paths now?",
                "There is no default \"Start\" action. Would you like to choose one now?"}));
}

TEST(MainFormRuns, StopDuringTheSearchKeepsTheRowsFoundAndChecksNone) {
  TRunFixture f;
  for (const char* folder : {"sets/a/", "sets/b/", "sets/c/", "sets/d/"}) f.Set(folder, "x");
  bool lockedMeanwhile = false;
  f.PumpEveryYield([&] {
    if (f.form->List().RowCount() == 0) return;
    lockedMeanwhile = !f.form->actRemoveDone->isEnabled() &&
                      !f.form->actStartCheckAll->isEnabled() &&
                      !f.form->findChild<QCheckBox*>("chkShowHidden")->isEnabled();
    f.form->actStop->trigger();
  });
  f.form->actStartSearchAndCheck->trigger();
  EXPECT_TRUE(lockedMeanwhile);
  EXPECT_GE(f.form->List().RowCount(), 1);
  EXPECT_LT(f.form->List().RowCount(), 4);
  for (int row = 0; row < f.form->List().RowCount(); ++row)
    EXPECT_EQ(f.form->List().Status(row), "Waiting");
  EXPECT_EQ(f.form->RunStateText(), "Complete");
  EXPECT_TRUE(f.form->findChild<QCheckBox*>("chkShowHidden")->isEnabled());
}

TEST(MainFormRuns, CheckWaitingOnlyAfterAStoppedRunPicksUpTheAbortedAndWaitingRows) {
  TRunFixture f("markGoodAsSkipAuto=\"N\" defaultStartAction=\"2\"");
  for (const char* name : {"a", "b", "c"}) f.Set("sets/", name, 3);
  f.form->actStartSearchOnly->trigger();
  f.form->List().SetStatus(2, "Failed");
  bool stopped = false;
  f.PumpEveryYield([&] {
    if (!stopped && f.form->List().Status(1).starts_with("Running")) {
      stopped = true;
      f.form->actStop->trigger();
    }
  });
  f.form->actStartCheckAll->trigger();
  EXPECT_EQ(f.Rows(), "a.sfv=Verified OK:N;b.sfv=Aborted:N;c.sfv=Failed:N;");
  f.form->List().SetStatus(0, "Waiting");
  f.form->actStart->trigger();  // the default: Check Waiting Only
  EXPECT_EQ(f.Rows(), "a.sfv=Verified OK:N;b.sfv=Verified OK:N;c.sfv=Failed:N;");
}

// Closing the window during a run saves the configuration, and the good sets'
// automatic Skip, made when the run has ended below the close, is saved too.
TEST(MainFormRuns, ClosingDuringARunSavesTheMarksTheRunEndsWith) {
  TRunFixture f;
  for (const char* name : {"a", "b", "c"}) f.Set("sets/", name, 3);
  f.form->actStartSearchOnly->trigger();
  f.form->show();
  bool closed = false;
  f.PumpEveryYield([&] {
    if (!closed && f.form->List().Status(1).starts_with("Running")) {
      closed = true;
      f.form->close();
    }
  });
  f.form->actStartCheckAll->trigger();
  EXPECT_EQ(f.Rows(), "a.sfv=Verified OK:S;b.sfv=Aborted:N;c.sfv=Waiting:N;");
  const std::string saved = f.tree.Read("c.xml");
  EXPECT_NE(saved.find("a.sfv\" status=\"Verified OK\""), std::string::npos) << saved;
  EXPECT_EQ(saved.find("b.sfv"), std::string::npos) << saved;
}

TEST(MainFormRuns, VisualCheckOpensOneWindowPerSFVAndTheHandBackChecksTheRowAgain) {
  TRunFixture f("markGoodAsSkipAuto=\"N\"");
  f.Set("sets/", "set", 3);
  f.form->show();
  f.form->actStartSearchOnly->trigger();
  f.form->actVisualCheckSFV->trigger();
  ASSERT_EQ(f.CheckWindows().size(), 1);
  TfrmCheckSFV* window = f.CheckWindows()[0];
  EXPECT_EQ(window->SFVPath(), f.tree.Path() + "sets/set.sfv");
  EXPECT_EQ(f.Rows(), "set.sfv=Verified OK:N;");
  // Again: the open window comes forward, nothing is verified.
  f.form->List().SetStatus(0, "Waiting");
  f.form->actVisualCheckSFV->trigger();
  EXPECT_EQ(f.CheckWindows().size(), 1);
  EXPECT_EQ(f.Rows(), "set.sfv=Waiting:N;");

  // The window rewrote the SFV (one entry less) and hands it back.
  f.tree.Write("sets/set.sfv", "set0.rar " + CRCOf("bytes of set0.rar") + "\r\n");
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  f.form->SetRecheckPath(f.tree.Path() + "sets/set.sfv");
  QCoreApplication::postEvent(f.form.get(), new QEvent(WM_RECHECKSFV));
  QCoreApplication::processEvents();
  ASSERT_EQ(f.CheckWindows().size(), 1);
  EXPECT_EQ(f.CheckWindows()[0]->Rows().RowCount(), 1);
  EXPECT_EQ(f.Rows(), "set.sfv=Verified OK:N;");
  EXPECT_EQ(f.form->List().FileDetails(0).find("set1.rar"), std::string::npos);
  EXPECT_EQ(f.form->SummaryText(), "1 file, 0 Waiting, 1 Verified OK, 0 Accepted, 0 Failed");
}

}  // namespace
