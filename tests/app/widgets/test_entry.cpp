#include "app/entry.h"

#include "checkwindow/widgets/checksfvwindow.h"
#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "manager/widgets/mainform.h"
#include "sfv/crc.h"
#include "support/productinfo.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ChooseEntry, OnlyANonEmptyFirstArgumentOpensTheCheckWindow) {
  EXPECT_TRUE(ChooseEntry({}).OpenManager);
  EXPECT_TRUE(ChooseEntry({""}).OpenManager);
  // An empty first argument wins over anything after it.
  EXPECT_TRUE(ChooseEntry({"", "b.sfv"}).OpenManager);

  const TEntryChoice one = ChooseEntry({"/data/a.sfv"});
  EXPECT_FALSE(one.OpenManager);
  EXPECT_EQ(one.SFVPath, "/data/a.sfv");

  const TEntryChoice two = ChooseEntry({"/data/a.sfv", "/data/b.sfv"});
  EXPECT_FALSE(two.OpenManager);
  EXPECT_EQ(two.SFVPath, "/data/a.sfv");

  // File names are bytes; nothing is decoded or trimmed.
  const std::string latin1 = "/data/\xe9t\xe9 .sfv";
  EXPECT_EQ(ChooseEntry({latin1}).SFVPath, latin1);
}

struct TParserCheck {
  std::vector<std::string> opened;
  TURLOpener opener() {
    return [this](const std::string& url) { opened.push_back(url); };
  }
};

TEST(CheckXMLParser, AWorkingParserPassesSilently) {
  TParserCheck check;
  TScriptedScope script;
  EXPECT_TRUE(
      CheckXMLParser([] { return std::make_unique<pugi::xml_document>(); }, check.opener()));
  EXPECT_TRUE(script->Asked().empty());
  EXPECT_TRUE(check.opened.empty());
}

TEST(CheckXMLParser, FailureWarnsAndOffersTheLinksPage) {
  TParserCheck check;
  TScriptedScope script;
  script->Press("Home Page");
  EXPECT_FALSE(CheckXMLParser(
      []() -> std::unique_ptr<pugi::xml_document> { throw std::runtime_error("no parser"); },
      check.opener()));

  ASSERT_EQ(script->Asked().size(), 1u);
  const TMessageBoxParams& box = script->Asked()[0].params;
  EXPECT_EQ(box.Caption, "Warning");
  EXPECT_EQ(box.IconKind, TMessageIcon::Exclamation);
  EXPECT_EQ(box.BeepKind, TMessageBeep::Exclamation);
  EXPECT_EQ(box.Buttons, (std::vector<std::string>{"OK", "Home Page"}));
  EXPECT_FALSE(box.Stacked);
  EXPECT_EQ(box.MinButtonWidth, 80);
  EXPECT_EQ(box.DefaultButton, 1);
  EXPECT_EQ(box.EscapeResult, 1);
  EXPECT_EQ(box.Text,
            "Checkwell requires Microsoft XML Parser\rversion 4 to be installed on your "
            "computer.\r\rEither visit the Microsoft website or click the\r'Home Page' button "
            "and follow the link from\rthe Checkwell Home Page on the Qel website.");
  EXPECT_EQ(check.opened,
            std::vector<std::string>{ProductPageURL("/shareware/links.asp?cat=Microsoft")});
}

TEST(CheckXMLParser, OKEndsWithoutOpeningAnything) {
  TParserCheck check;
  TScriptedScope script;
  script->Press("OK");
  // A factory that hands back nothing fails the same way as one that throws.
  EXPECT_FALSE(
      CheckXMLParser([] { return std::unique_ptr<pugi::xml_document>(); }, check.opener()));
  EXPECT_EQ(script->Asked().size(), 1u);
  EXPECT_TRUE(check.opened.empty());
}

TEST(CreateMainWindow, NoArgumentGivesTheManager) {
  TTempTree tree;
  const std::unique_ptr<QWidget> window = CreateMainWindow(ChooseEntry({}), tree.File("c.xml"));
  ASSERT_NE(dynamic_cast<TMainForm*>(window.get()), nullptr);
  EXPECT_EQ(window->windowTitle(), "Checkwell");
}

TEST(CreateMainWindow, TwoArgumentsCheckTheFirst) {
  TTempTree tree;
  const std::unique_ptr<QWidget> window = CreateMainWindow(
      ChooseEntry({tree.File("first.sfv"), tree.File("second.sfv")}), tree.File("c.xml"));
  const auto* check = dynamic_cast<TfrmCheckSFV*>(window.get());
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->LaunchFile(), tree.File("first.sfv"));
  EXPECT_EQ(check->windowTitle(), "Checkwell Visual Check - ");
}

TEST(CreateMainWindow, DamagedConfigurationEndsTheProgramWithoutAWindow) {
  TTempTree tree;
  const std::string path = tree.Write("c.xml", "<config><oops></config>");
  TScriptedScope script;
  script->Answer(0);
  EXPECT_EQ(CreateMainWindow(ChooseEntry({tree.File("a.sfv")}), path), nullptr);
  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].params.Caption, "Error");
  EXPECT_EQ(tree.Read("c.xml"), "<config><oops></config>");
}

std::string CRCOf(const std::string& bytes) {
  return CRCToText(UpdateCRC32(0xFFFFFFFFu, bytes.data(), bytes.size()) ^ 0xFFFFFFFFu);
}

// Watches the program's only window from inside its event loop.
template <class Condition, class Action>
void WhenCheckWindow(Condition condition, Action action) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, condition, action] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* window = dynamic_cast<TfrmCheckSFV*>(widget);
      if (window != nullptr && window->isVisible() && condition(*window)) {
        action(*window);
        timer->deleteLater();
        return;
      }
    }
  });
  timer->start(5);
}

TEST(RunCheckwell, VerifiesTheSFVAndEndsWhenTheWindowCloses) {
  TTempTree tree;
  tree.Write("a.bin", "alpha");
  tree.Write("b.bin", "bravo");
  const std::string sfv =
      tree.Write("set.sfv", "a.bin " + CRCOf("alpha") + "\nb.bin " + CRCOf("bravo") + "\n");
  QString summary;
  WhenCheckWindow([](TfrmCheckSFV& window) { return !window.SummaryText().isEmpty(); },
                  [&](TfrmCheckSFV& window) {
                    summary = window.SummaryText();
                    window.close();
                  });
  EXPECT_EQ(RunCheckwell(*qApp, {sfv, "ignored.sfv"}, tree.File("checkwell.xml")), 0);
  EXPECT_EQ(summary, "Files 2,  OK 2");
  // The stand-alone window saved its placement on the way out.
  EXPECT_NE(tree.Read("checkwell.xml").find("frmCheckSFV"), std::string::npos);
}

TEST(RunCheckwell, ClosingDuringAHashEndsTheProgram) {
  TTempTree tree;
  {
    QFile big(QFile::decodeName(QByteArray::fromStdString(tree.File("big.bin"))));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64{16} << 30));
  }
  const std::string sfv = tree.Write("set.sfv", "big.bin 00000000\n");
  TFileStatus statusAtClose = TFileStatus::None;
  WhenCheckWindow(
      [](TfrmCheckSFV& window) {
        return window.RowCount() == 1 && window.GetStatus(0) == TFileStatus::Running;
      },
      [&](TfrmCheckSFV& window) {
        statusAtClose = window.GetStatus(0);
        window.close();
      });
  EXPECT_EQ(RunCheckwell(*qApp, {sfv}, tree.File("checkwell.xml")), 0);
  EXPECT_EQ(statusAtClose, TFileStatus::Running);
}

}  // namespace
