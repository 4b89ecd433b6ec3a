#include "checkwindow_fixture.h"

#include "checkwindow/widgets/checkicons.h"
#include "common/scripted_interaction.h"
#include "config/config.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "support/pacer.h"
#include "support/productinfo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace {

// Records what the desktop was asked to open instead of starting a browser.
class TOpenedURLs : public QObject {
  Q_OBJECT

 public:
  TOpenedURLs() {
    for (const char* scheme : {"file", "http", "https"}) {
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
  }
  ~TOpenedURLs() override {
    for (const char* scheme : {"file", "http", "https"}) {
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
  }
  std::vector<std::string> Opened;

 public slots:
  void Open(const QUrl& url) {
    Opened.push_back(url.isLocalFile() ? QFile::encodeName(url.toLocalFile()).toStdString()
                                       : url.toString().toStdString());
  }
};

// A check window that logs every status it is given, in order.
class TRecordingWindow : public TfrmCheckSFV {
 public:
  using TfrmCheckSFV::TfrmCheckSFV;

  void SetStatus(int row, TFileStatus status) override {
    log.emplace_back(row, status);
    TfrmCheckSFV::SetStatus(row, status);
    if (onStatus) onStatus(row, status);
  }

  std::vector<std::pair<int, TFileStatus>> log;
  std::function<void(int, TFileStatus)> onStatus;
};

// Counts the paints of what it watches.
class TPaintCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return QObject::eventFilter(watched, event);
  }
  int count = 0;
};

using TStatusLog = std::vector<std::pair<int, TFileStatus>>;
using enum TFileStatus;

struct TStarted {
  QString program;
  QStringList arguments;
};

class CheckWindow : public ::testing::Test {
 protected:
  void SetUp() override { QGuiApplication::clipboard()->clear(); }

  // An SFV in the tree listing the given (name, CRC) pairs.
  std::string WriteSFV(const std::vector<std::pair<std::string, std::string>>& entries,
                       const std::string& name = "set.sfv") {
    std::string text = "; written by a test\r\n";
    for (const auto& [file, crc] : entries) text += file + " " + crc + "\r\n";
    return tree.Write(name, text);
  }

  std::string ThreeGoodFiles() {
    tree.Write("a.bin", "alpha");
    tree.Write("b.bin", "bravo!");
    tree.Write("c.bin", "charlie");
    return WriteSFV(
        {{"a.bin", CRCOf("alpha")}, {"b.bin", CRCOf("bravo!")}, {"c.bin", CRCOf("charlie")}});
  }

  // Two good files, one missing, one damaged, one ignored by its extension rule.
  std::string FiveEntries() {
    tree.Write(
        "checkwell.xml",
        R"(<config><extensions><extension value=".nfo" action="IS"/></extensions></config>)");
    tree.Write("good1.bin", "one");
    tree.Write("good2.bin", "two");
    tree.Write("damaged.bin", "damaged contents");
    tree.Write("readme.nfo", "release notes");
    return WriteSFV({{"good1.bin", CRCOf("one")},
                     {"missing.bin", CRCOf("gone")},
                     {"damaged.bin", CRCOf("original contents")},
                     {"readme.nfo", "00000000"},
                     {"good2.bin", CRCOf("two")}});
  }

  std::unique_ptr<TRecordingWindow> StandAlone(const std::string& launchFile) {
    auto window = std::make_unique<TRecordingWindow>();
    EXPECT_TRUE(window->InitStandAlone(tree.File("checkwell.xml")));
    window->SetLaunchFile(launchFile);
    window->SetDetachedStarter([this](const QString& program, const QStringList& arguments) {
      started.push_back({program, arguments});
      return starterSucceeds;
    });
    window->show();
    return window;
  }

  static void WaitForSummary(TfrmCheckSFV& window) {
    ASSERT_TRUE(ProcessUntil([&] { return !window.SummaryText().isEmpty(); }));
  }

  static std::string Field(const TfrmCheckSFV& window, const char* column, int row) {
    return window.Rows().FieldByName(column, row).AsString();
  }

  TTempTree tree;
  std::vector<TStarted> started;
  bool starterSucceeds = true;
};

TEST_F(CheckWindow, ThreeGoodFilesTurnOKOneAfterAnotherAndTheLastEndsCurrent) {
  const std::string sfv = ThreeGoodFiles();
  auto window = StandAlone(sfv);
  WaitForSummary(*window);

  EXPECT_EQ(window->log, (TStatusLog{{0, Waiting},
                                     {1, Waiting},
                                     {2, Waiting},
                                     {0, Running},
                                     {0, OK},
                                     {1, Running},
                                     {1, OK},
                                     {2, Running},
                                     {2, OK}}));
  EXPECT_EQ(window->SummaryText(), "Files 3,  OK 3");
  EXPECT_EQ(window->Grid().CurrentDataRow(), 2);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Checkwell Visual Check - ") +
                                       QFile::decodeName(QByteArray::fromStdString(sfv)));
  EXPECT_TRUE(window->actManager->isVisible());

  EXPECT_EQ(Field(*window, "Filename", 1), "b.bin");
  EXPECT_EQ(Field(*window, "Path", 1), tree.Path());
  EXPECT_EQ(Field(*window, "Size", 1), "6");
  EXPECT_FALSE(window->Rows().FieldByName("Timestamp", 1).IsNull());
  // The working copy is the verified document, sizes included.
  EXPECT_NE(window->FileDetailsXML().find("size=\"7\""), std::string::npos);
  EXPECT_EQ(window->SFVPath(), sfv);
}

TEST_F(CheckWindow, RowsReachTheScreenOnlyAtFramesAndTheLastStateIsComplete) {
  auto window = StandAlone(ThreeGoodFiles());
  // A clock that never moves: no frame is ever due while the verification runs.
  window->Pacer().SetClock([] { return TFramePacer::TClock::time_point(); });
  TPaintCounter paints;
  window->Grid().viewport()->installEventFilter(&paints);
  int paintsWhileRunning = 0;
  window->onStatus = [&](int, TFileStatus) { paintsWhileRunning = paints.count; };
  WaitForSummary(*window);

  EXPECT_EQ(paintsWhileRunning, 0);
  EXPECT_EQ(window->SummaryText(), "Files 3,  OK 3");
  EXPECT_EQ(window->Grid().CurrentDataRow(), 2);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(window->GetStatus(row), OK);
}

TEST_F(CheckWindow, ClosingStopsTheVerificationAtTheNextEntryWithoutWaitingForAFrame) {
  auto window = StandAlone(ThreeGoodFiles());
  window->Pacer().SetClock([] { return TFramePacer::TClock::time_point(); });
  window->onStatus = [&](int row, TFileStatus status) {
    if (row == 0 && status == Running) window->close();
  };
  ASSERT_TRUE(ProcessUntil([&] { return !window->log.empty() && !window->Verifying(); }));

  EXPECT_EQ(window->log.back(), (std::pair<int, TFileStatus>{0, Running}));
  EXPECT_TRUE(window->SummaryText().isEmpty());
  EXPECT_EQ(window->RowCount(), 0);  // put away once the verification had returned
}

TEST_F(CheckWindow, MissingDamagedAndIgnoredEntriesAddUpInTheSummary) {
  const std::string sfv = FiveEntries();
  auto window = StandAlone(sfv);
  WaitForSummary(*window);

  EXPECT_EQ(window->SummaryText(), "Files 5,  OK 2,  Ignored 1,  Failed 2");
  const TFileStatus statuses[] = {OK, NotFound, CRCFailed, Ignored, OK};
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(window->GetStatus(row), statuses[row]);
    // The Status column shows the text.
    EXPECT_EQ(Field(*window, "Status", row), FileStatusText(statuses[row]));
  }
  // An ignored entry is never looked at, so it has no size.
  EXPECT_TRUE(window->Rows().FieldByName("Size", 3).IsNull());
}

TEST_F(CheckWindow, SummaryHidesCountsOfNothing) {
  tree.Write("a.bin", "alpha");
  auto window = StandAlone(WriteSFV({{"a.bin", "DEADBEEF"}}));
  WaitForSummary(*window);
  EXPECT_EQ(window->SummaryText(), "Files 1,  Failed 1");
}

TEST_F(CheckWindow, MissingLaunchFileLeavesAnEmptyWindowWithoutManager) {
  auto window = StandAlone(tree.File("nowhere.sfv"));
  // Let the start event come and go.
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();

  EXPECT_EQ(window->windowTitle(), "Checkwell Visual Check - ");
  EXPECT_FALSE(window->actManager->isVisible());
  EXPECT_EQ(window->RowCount(), 0);
  EXPECT_EQ(window->SummaryText().toStdString(),
            "The SFV file " + tree.File("nowhere.sfv") + " does not exist.");
  EXPECT_TRUE(window->log.empty());
  for (const QAction* repair :
       {window->actRemove, window->actRename, window->actRefreshCRC, window->actTidySFV}) {
    EXPECT_FALSE(repair->isEnabled()) << repair->objectName().toStdString();
  }
}

TEST_F(CheckWindow, ADroppedSFVOpensInACheckWindowOfItsOwn) {
  auto window = StandAlone(ThreeGoodFiles());
  WaitForSummary(*window);
  const auto drag = [](const QStringList& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data->setUrls(urls);
    return std::unique_ptr<QMimeData>(data);
  };
  const QPoint at = window->Grid().geometry().center();
  const auto drop = [&](const QMimeData& data) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &dropped);
    return true;
  };
  const QString other = QString::fromStdString(tree.Write("other.SFV", ""));
  EXPECT_FALSE(drop(*drag({QString::fromStdString(tree.Write("notes.txt", "x"))})));
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(drop(*drag({QString::fromStdString(tree.File("notes.txt")), other})));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].program, QCoreApplication::applicationFilePath());
  EXPECT_EQ(started[0].arguments, QStringList{other});
  EXPECT_EQ(window->SummaryText(), "Files 3,  OK 3");  // this window goes on showing its own
}

TEST_F(CheckWindow, SFVThatDoesNotParseLeavesTheWindowEmpty) {
  const std::string sfv = tree.Write("broken.sfv", std::string("\0\0\0", 3));
  auto window = StandAlone(sfv);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(window->RowCount(), 0);
  EXPECT_EQ(window->windowTitle(), "Checkwell Visual Check - ");
}

TEST_F(CheckWindow, WithoutConfigurationTheWindowTakesTheDefaultPlaceAndSavesItOnClose) {
  auto window = StandAlone(tree.File("nowhere.sfv"));
  const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(window->CurrentBounds(), (TWindowBounds{40, 40, screenHeight - 80, 400}));
  EXPECT_FALSE(tree.Exists("checkwell.xml"));

  window->move(55, 66);
  window->resize(420, 300);
  const TWindowBounds atClose = window->CurrentBounds();
  window->close();

  ASSERT_TRUE(tree.Exists("checkwell.xml"));
  pugi::xml_document saved;
  ASSERT_TRUE(saved.load_string(tree.Read("checkwell.xml").c_str()));
  EXPECT_STREQ(saved.document_element().name(), "config");
  const pugi::xml_node element = saved.document_element().child("frmCheckSFV");
  ASSERT_TRUE(element);
  EXPECT_EQ(ReadCheckWindowBounds(element, 0), atClose);
}

TEST_F(CheckWindow, SavedPlacementIsWhereTheNextWindowOpens) {
  tree.Write("checkwell.xml", R"(<config><frmCheckSFV top="70" left="90" width="500"/></config>)");
  auto window = StandAlone(tree.File("nowhere.sfv"));
  const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(window->CurrentBounds(), (TWindowBounds{70, 90, screenHeight - 80, 500}));
}

TEST_F(CheckWindow, DamagedConfigurationIsReportedAndNeverWritten) {
  const std::string damaged = "<config><frmCheckSFV top=\"1\"></conf";
  const std::string path = tree.Write("checkwell.xml", damaged);
  TScriptedScope script;
  script->Answer(0);
  {
    TfrmCheckSFV window;
    EXPECT_FALSE(window.InitStandAlone(path));
    window.close();
  }
  ASSERT_EQ(script->Asked().size(), 1u);
  const TMessageBoxParams& report = script->Asked()[0].params;
  EXPECT_EQ(report.Caption, "Error");
  EXPECT_EQ(report.Text, ConfigLoadErrorText(path));
  EXPECT_FALSE(report.MoreText.empty());
  EXPECT_EQ(tree.Read("checkwell.xml"), damaged);
}

TEST_F(CheckWindow, ClosingMidFileStopsTheVerificationInsideThatFile) {
  tree.Write("a.bin", "alpha");
  tree.Write("c.bin", "charlie");
  {
    // Sparse, so it costs no disk space, but hashing it takes far longer than the test waits.
    QFile big(QFile::decodeName(QByteArray::fromStdString(tree.File("big.bin"))));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64{16} << 30));
  }
  const std::string sfv =
      WriteSFV({{"a.bin", CRCOf("alpha")}, {"big.bin", "00000000"}, {"c.bin", CRCOf("charlie")}});
  auto window = StandAlone(sfv);
  window->onStatus = [&](int row, TFileStatus status) {
    if (row == 1 && status == Running) {
      QTimer::singleShot(50, window.get(), &QWidget::close);
    }
  };
  ASSERT_TRUE(ProcessUntil([&] { return window->log.size() >= 5; }));
  ASSERT_TRUE(ProcessUntil([&] { return !window->isVisible() && !window->Verifying(); }));

  EXPECT_EQ(window->log.back(), (std::pair<int, TFileStatus>{1, Running}));
  EXPECT_TRUE(window->Closing());
  EXPECT_TRUE(window->SummaryText().isEmpty());
  // An aborted verification does not replace the working copy.
  EXPECT_TRUE(window->FileDetailsXML().empty());
  EXPECT_EQ(window->RowCount(), 0);
  EXPECT_TRUE(tree.Exists("checkwell.xml"));
}

TEST_F(CheckWindow, RepairsWaitWhileAVerificationRuns) {
  auto window = StandAlone(ThreeGoodFiles());
  ASSERT_EQ(window->findChildren<QAction*>(QRegularExpression("^act")).size(), 8);
  std::vector<bool> enabledWhileRunning;
  bool commandRan = false;
  window->onStatus = [&](int, TFileStatus) {
    enabledWhileRunning.push_back(
        std::ranges::any_of(window->findChildren<QAction*>(QRegularExpression("^act")),
                            [](const QAction* action) { return action->isEnabled(); }));
    // No command starts inside another operation.
    window->RunCommand([&] { commandRan = true; });
  };
  WaitForSummary(*window);
  EXPECT_EQ(std::count(enabledWhileRunning.begin(), enabledWhileRunning.end(), true), 0);
  EXPECT_FALSE(commandRan);
  EXPECT_TRUE(window->actRemove->isEnabled());
  EXPECT_TRUE(window->actRename->isEnabled());
  EXPECT_TRUE(window->actRefreshCRC->isEnabled());
  EXPECT_TRUE(window->actTidySFV->isEnabled());
}

TEST_F(CheckWindow, TidySFVRewritesTheFileAndVerifiesItAgain) {
  tree.Write("a.bin", "alpha");
  tree.Write("b.bin", "bravo!");
  const std::string sfv = WriteSFV({{"b.bin", CRCOf("bravo!")}, {"a.bin", CRCOf("alpha")}});
  auto window = StandAlone(sfv);
  WaitForSummary(*window);
  const std::string before = tree.Read("set.sfv");
  window->log.clear();

  window->actTidySFV->trigger();

  EXPECT_NE(tree.Read("set.sfv"), before);
  EXPECT_LT(tree.Read("set.sfv").find("a.bin"), tree.Read("set.sfv").find("b.bin"));
  EXPECT_EQ(window->log,
            (TStatusLog{{0, Waiting}, {1, Waiting}, {0, Running}, {0, OK}, {1, Running}, {1, OK}}));
  EXPECT_EQ(Field(*window, "Filename", 0), "a.bin");
  EXPECT_EQ(window->SummaryText(), "Files 2,  OK 2");
}

TEST_F(CheckWindow, CopyFilenameTakesTheCurrentRowOnlyWithoutItsFolder) {
  auto window = StandAlone(ThreeGoodFiles());
  WaitForSummary(*window);
  window->Grid().SetCurrentDataRow(1);
  window->Rows().SetSelected(0, true);
  window->Rows().SetSelected(2, true);

  window->actCopyFilename->trigger();

  EXPECT_EQ(QGuiApplication::clipboard()->text(), "b.bin");
}

TEST_F(CheckWindow, ShortcutOpensTheHighlightedFilesThatExist) {
  TOpenedURLs desktop;
  auto window = StandAlone(FiveEntries());
  WaitForSummary(*window);
  for (int row = 0; row < 3; ++row) window->Rows().SetSelected(row, true);

  window->actLaunch->trigger();

  // "missing.bin" is passed over without a word.
  EXPECT_EQ(desktop.Opened,
            (std::vector<std::string>{tree.File("good1.bin"), tree.File("damaged.bin")}));
}

TEST_F(CheckWindow, ShortcutWithoutSelectionOpensTheCurrentRow) {
  TOpenedURLs desktop;
  auto window = StandAlone(ThreeGoodFiles());
  WaitForSummary(*window);
  window->Grid().SetCurrentDataRow(0);
  window->actLaunch->trigger();
  EXPECT_EQ(desktop.Opened, (std::vector<std::string>{tree.File("a.bin")}));
}

TEST_F(CheckWindow, SendToNotepadWarnsAboutMissingFilesAndGoesOn) {
  TOpenedURLs desktop;
  auto window = StandAlone(FiveEntries());
  WaitForSummary(*window);
  window->Rows().SetSelected(1, true);  // missing.bin
  window->Rows().SetSelected(2, true);  // damaged.bin
  TScriptedScope script;
  script->Answer(0);

  window->actSendToNotepad->trigger();

  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].params.Text, "File not found : " + tree.File("missing.bin") + ".");
  EXPECT_EQ(script->Asked()[0].params.Caption, "Warning");
  // The existing file went to an editor, or to the desktop when there is none.
  const QString damaged = QFile::decodeName(QByteArray::fromStdString(tree.File("damaged.bin")));
  if (started.empty()) {
    EXPECT_EQ(desktop.Opened, (std::vector<std::string>{tree.File("damaged.bin")}));
  } else {
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].arguments, QStringList{damaged});
  }
}

TEST_F(CheckWindow, ContextMenuItemsReadAsTheActionsHints) {
  auto window = StandAlone(ThreeGoodFiles());
  WaitForSummary(*window);
  const std::unique_ptr<QMenu> menu(window->CreateContextMenu(nullptr));
  QStringList captions;
  QStringList kinds;
  for (const QAction* item : menu->actions()) {
    kinds << (item->isSeparator() ? "-" : "item");
    if (!item->isSeparator()) captions << item->text();
  }
  EXPECT_EQ(captions,
            (QStringList{"Open selected file(s)", "Send To Notepad",
                         "Remove selected file(s) from SFV", "Rename selected file(s)",
                         "Recalulate CRC for selected file(s)", "Tidy and rewrite the SFV file",
                         "Copy Filename to Clipboard", "Launch full Checkwell"}));
  EXPECT_EQ(kinds, (QStringList{"item", "item", "-", "item", "item", "item", "item", "item", "-",
                                "item"}));
  EXPECT_TRUE(menu->actions().back()->isVisible());

  // A hint changed later shows the next time the menu opens.
  window->actLaunch->setStatusTip("Open it");
  const std::unique_ptr<QMenu> again(window->CreateContextMenu(nullptr));
  EXPECT_EQ(again->actions().front()->text(), "Open it");

  // Hovering an action leaves the status bar blank.
  EXPECT_TRUE(window->actLaunch->showStatusText());
  EXPECT_EQ(window->statusBar()->currentMessage(), "");
}

TEST_F(CheckWindow, ContextMenuHidesManagerWhenTheActionIsHidden) {
  auto window = StandAlone(tree.File("nowhere.sfv"));
  const std::unique_ptr<QMenu> menu(window->CreateContextMenu(nullptr));
  EXPECT_FALSE(menu->actions().back()->isVisible());
}

TEST_F(CheckWindow, ToolBarShowsCaptionsUnderTwentyFourPixelImages) {
  auto window = StandAlone(tree.File("nowhere.sfv"));
  const auto* toolBar = window->findChild<QToolBar*>("tbrTools");
  ASSERT_NE(toolBar, nullptr);
  EXPECT_EQ(toolBar->iconSize(), QSize(24, 24));
  EXPECT_EQ(toolBar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  QStringList captions;
  for (const QAction* action : toolBar->actions()) {
    captions << (action->isSeparator() ? "-" : action->text());
  }
  EXPECT_EQ(captions, (QStringList{"Shortcut", "-", "Remove", "Rename", "Refresh CRC", "Manager"}));
}

TEST_F(CheckWindow, ProductPictureOpensTheDonationPage) {
  TOpenedURLs desktop;
  auto window = StandAlone(tree.File("nowhere.sfv"));
  auto* picture = window->findChild<QLabel*>("imgProduct");
  ASSERT_NE(picture, nullptr);
  ASSERT_FALSE(picture->pixmap().isNull());
  QTest::mouseClick(picture, Qt::LeftButton);
  EXPECT_EQ(desktop.Opened,
            (std::vector<std::string>{ProductPageURL("/shareware/donate.asp?appid=checkwell")}));
}

TEST_F(CheckWindow, ManagerStartsTheProgramWithoutArgumentsAndCloses) {
  auto window = StandAlone(ThreeGoodFiles());
  WaitForSummary(*window);
  window->actManager->trigger();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].program, QCoreApplication::applicationFilePath());
  EXPECT_TRUE(started[0].arguments.isEmpty());
  EXPECT_FALSE(window->isVisible());
}

TEST_F(CheckWindow, ManagerThatCannotStartKeepsTheWindowOpen) {
  auto window = StandAlone(ThreeGoodFiles());
  WaitForSummary(*window);
  starterSucceeds = false;
  TScriptedScope script;
  script->Answer(0);
  window->actManager->trigger();
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].params.Caption, "Warning");
}

TEST_F(CheckWindow, EscapeClosesButCtrlF4OnlyClosesWindowsOfTheManager) {
  auto window = StandAlone(tree.File("nowhere.sfv"));
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(window->isVisible());
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());

  TFakeOwner owner;
  QPointer<TfrmCheckSFV> child = new TfrmCheckSFV(&owner);
  child->show();
  QApplication::setActiveWindow(child);
  ASSERT_TRUE(QTest::qWaitForWindowActive(child));
  QTest::keyClick(child, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(child.isNull() || !child->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(child.isNull());
}

TEST_F(CheckWindow, GlyphsAndStatusColoursArePainted) {
  auto window = StandAlone(FiveEntries());
  WaitForSummary(*window);
  window->Grid().SetCurrentDataRow(-1);
  const QImage image = window->Grid().viewport()->grab().toImage();
  const auto countNear = [&](int row, const QColor& colour) {
    // Grid row r shows data row r - 1; the header is not part of the viewport.
    const QRect cell = window->Grid().CellRect(0, row + 1);
    int count = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
      for (int x = cell.left(); x <= cell.right(); ++x) {
        const QColor pixel =
            image.pixelColor(x * image.width() / window->Grid().viewport()->width(),
                             y * image.height() / window->Grid().viewport()->height());
        if (std::abs(pixel.red() - colour.red()) < 60 &&
            std::abs(pixel.green() - colour.green()) < 60 &&
            std::abs(pixel.blue() - colour.blue()) < 60) {
          ++count;
        }
      }
    }
    return count;
  };
  EXPECT_GT(countNear(0, QColor(0, 128, 0)), 5);    // OK: green tick
  EXPECT_GT(countNear(1, QColor(255, 0, 0)), 5);    // not found: red cross
  EXPECT_GT(countNear(3, QColor(128, 0, 128)), 5);  // Ignored: purple mark
  EXPECT_EQ(countNear(1, QColor(0, 128, 0)), 0);
}

// --- Opened by the manager ----------------------------------------------------

TEST_F(CheckWindow, ManagersWindowBorrowsItsConfigurationAndReportsBack) {
  TFakeOwner owner;
  WriteWindowBounds(owner.config.document_element().append_child("frmCheckSFV"),
                    TWindowBounds{33, 44, 321, 432});
  const std::string sfv = ThreeGoodFiles();
  QPointer<TfrmCheckSFV> window = new TfrmCheckSFV(&owner);
  EXPECT_EQ(window->windowTitle(), "Visual Check - ");
  EXPECT_EQ(window->CurrentBounds(), (TWindowBounds{33, 44, 321, 432}));

  // The manager verifies with the window as its view.
  const std::string text = tree.Read("set.sfv");
  std::string details;
  bool mine = false;
  const TVerifyResult result = window->RunVerification([&](const TVerifyOptions& options) {
    return VerifySFV(text, tree.Path(), "set.sfv", owner.config, details, mine, options);
  });
  EXPECT_EQ(result, vrVerifiedOK);
  EXPECT_TRUE(window->isVisible());
  const std::string caption = "Visual Check - " + sfv;
  EXPECT_EQ(window->windowTitle().toStdString(), caption);
  EXPECT_EQ(owner.menu, std::vector<std::string>{caption});
  EXPECT_EQ(owner.menuWindows, std::vector<QObject*>{window.data()});
  EXPECT_EQ(window->SummaryText(), "Files 3,  OK 3");

  window->move(10, 20);
  window->close();
  EXPECT_EQ(owner.saves, 1);
  EXPECT_TRUE(owner.menu.empty());
  EXPECT_EQ(ReadCheckWindowBounds(owner.config.document_element().child("frmCheckSFV"), 0).Top, 20);
  EXPECT_FALSE(tree.Exists("checkwell.xml"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST_F(CheckWindow, RepairInManagersWindowHandsTheSFVBackAndCloses) {
  TFakeOwner owner;
  const std::string sfv = ThreeGoodFiles();
  QPointer<TfrmCheckSFV> window = new TfrmCheckSFV(&owner);
  const std::string text = tree.Read("set.sfv");
  std::string details;
  bool mine = false;
  window->RunVerification([&](const TVerifyOptions& options) {
    return VerifySFV(text, tree.Path(), "set.sfv", owner.config, details, mine, options);
  });

  window->actTidySFV->trigger();

  EXPECT_EQ(owner.recheckPath, sfv);
  EXPECT_TRUE(window.isNull() || !window->isVisible());
  EXPECT_EQ(owner.rechecks, 0);  // posted, not sent
  QCoreApplication::processEvents();
  EXPECT_EQ(owner.rechecks, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST_F(CheckWindow, ManagersWindowClosedDuringItsVerificationGoesOnlyAfterIt) {
  TFakeOwner owner;
  ThreeGoodFiles();
  QPointer<TfrmCheckSFV> window = new TfrmCheckSFV(&owner);
  const std::string text = tree.Read("set.sfv");
  std::string details;
  bool mine = false;
  bool aliveAfterClose = false;
  const TVerifyResult result = window->RunVerification([&](TVerifyOptions options) {
    options.Yield = [&, yield = options.Yield] {
      if (window->isVisible() && !window->Closing()) {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveAfterClose = !window.isNull();
      }
      yield();
    };
    return VerifySFV(text, tree.Path(), "set.sfv", owner.config, details, mine, options);
  });
  EXPECT_EQ(result, vrAborted);
  EXPECT_TRUE(aliveAfterClose);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

}  // namespace

#include "test_checkwindow.moc"
