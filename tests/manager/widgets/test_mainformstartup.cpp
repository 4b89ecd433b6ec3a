#include "manager/widgets/mainform.h"

#include "config/udfxml.h"
#include "support/pacer.h"

#include "common/environment.h"
#include "common/local_http_server.h"
#include "common/scripted_interaction.h"
#include "common/temp_tree.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace {

using namespace std::chrono_literals;

constexpr const char* kVersionPath = "/shareware/latestversionxml.asp";
constexpr const char* kNoCheck = R"(<config checkForNewVersion="N"/>)";

// A site whose version service gives one answer.
struct TSite {
  TLocalHttpServer server{30s};
  TScopedEnvironment url;
  explicit TSite(const std::string& body, std::chrono::milliseconds delay = 0ms)
      : url("CHECKWELL_SITE_URL", std::nullopt) {
    TLocalHttpServer::TReply reply;
    reply.Body = body;
    reply.Delay = delay;
    server.Serve(kVersionPath, reply);
    EXPECT_TRUE(server.Start());
    qputenv("CHECKWELL_SITE_URL", QByteArray::fromStdString(server.URL()));
  }
};

struct TStartup {
  TTempTree tree;
  TScriptedScope script;
  std::unique_ptr<TMainForm> form;
  std::vector<std::string> opened;

  // config: the file's text, or nullopt for a first start without one.
  void Create(const std::optional<std::string>& config, const std::string& launchPaths = {}) {
    if (config) tree.Write("checkwell.xml", *config);
    const std::string launchFile = launchPaths.empty() ? tree.File("LaunchPaths.txt")
                                                       : tree.Write("LaunchPaths.txt", launchPaths);
    form = std::make_unique<TMainForm>(tree.File("checkwell.xml"), launchFile);
    form->SetURLOpener([this](const std::string& url) { opened.push_back(url); });
  }
  // Shows the window and lets the deferred step run to its end.
  void ShowAndSettle(const TSite* site) {
    form->show();
    if (site) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return !site->server.Requests().empty(); }, 5000));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->actStart->isEnabled(); }, 5000));
    QTest::qWait(50);
  }
  pugi::xml_document Saved() const {
    pugi::xml_document saved;
    LoadXMLText(saved, tree.Read("checkwell.xml"));
    return saved;
  }
};

TEST(MainFormStartup, FirstStartChecksQuietlyAndCloseWritesTheState) {
  const TSite site(R"(<LatestVersion reply="AlreadyLatest"/>)");
  TStartup s;
  s.Create(std::nullopt);
  ASSERT_TRUE(s.form->Created());
  EXPECT_TRUE(s.form->LaunchedPathsToggle().isHidden());
  const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
  EXPECT_EQ(s.form->pos(), QPoint(20, 30));
  EXPECT_EQ(s.form->size(), QSize(690, screenHeight - 60));
  s.ShowAndSettle(&site);
  EXPECT_TRUE(s.script->Asked().empty());
  EXPECT_EQ(site.server.Requests(), std::vector<std::string>({std::string(kVersionPath) +
                                                              "?appid=checkwell&myversion=1.2.0"}));

  s.form->close();
  const pugi::xml_document saved = s.Saved();
  const pugi::xml_node root = saved.document_element();
  EXPECT_STREQ(root.name(), "config");
  EXPECT_TRUE(root.attribute("currentDir"));
  EXPECT_FALSE(root.attribute("filter"));
  EXPECT_FALSE(root.attribute("checkForNewVersion"));
  EXPECT_EQ(root.child("mainForm").attribute("width").as_int(), 690);
  EXPECT_EQ(root.child("mainForm").attribute("top").as_int(), 30);
  EXPECT_TRUE(root.child("skip"));
  EXPECT_TRUE(root.child("hide"));
}

TEST(MainFormStartup, LaunchPathsShowTheToggleWithTheExistingFolderOnly) {
  TStartup s;
  const std::string good = s.tree.MakeDir("good/");
  s.Create(kNoCheck, s.tree.Path() + "missing/\n" + good + "\n");
  EXPECT_FALSE(s.form->LaunchedPathsToggle().isHidden());
  EXPECT_EQ(s.form->LaunchedPathsToggle().toolTip().toStdString(),
            "Launched with the following paths\n\n" + good);
  EXPECT_EQ(s.form->LaunchPaths(), std::vector<std::string>({good}));
  EXPECT_FALSE(s.tree.Exists("LaunchPaths.txt"));
}

TEST(MainFormStartup, TruncatedConfigurationIsReportedAndLeftAlone) {
  TStartup s;
  const std::string truncated = R"(<config filter="x"><mainForm top="1" le)";
  s.script->Answer(0);
  s.Create(truncated);
  EXPECT_FALSE(s.form->Created());
  ASSERT_EQ(s.script->Asked().size(), 1u);
  EXPECT_EQ(s.script->Asked()[0].params.Caption, "Error");
  EXPECT_EQ(s.script->Texts()[0],
            "An error occured loading the config information.\rEither repair \"" +
                s.tree.File("checkwell.xml") + "\" or delete it and reconfigure.");
  EXPECT_EQ(s.tree.Read("checkwell.xml"), truncated);
}

TEST(MainFormStartup, FilterComesBackAndAnEmptyBoxRemovesIt) {
  TStartup s;
  s.Create(
      R"(<config checkForNewVersion="N" filter="cd1 rar"><mainForm left="40" top="50"/></config>)");
  EXPECT_EQ(s.form->FilterText(), "cd1 rar");
  EXPECT_EQ(s.form->pos(), QPoint(40, 50));
  s.ShowAndSettle(nullptr);
  s.form->SetFilterText(QString());
  s.form->close();
  EXPECT_FALSE(s.Saved().document_element().attribute("filter"));
  EXPECT_EQ(s.Saved().document_element().child("mainForm").attribute("left").as_int(), 40);

  s.Create(std::nullopt);
  s.form->SetFilterText(QStringLiteral("part1"));
  s.ShowAndSettle(nullptr);
  s.form->close();
  EXPECT_STREQ(s.Saved().document_element().attribute("filter").value(), "part1");
}

TEST(MainFormStartup, AFailedCheckAtStartAsksAndOffersTheHistory) {
  const TScopedEnvironment site("CHECKWELL_SITE_URL", "http://127.0.0.1:1");
  TStartup s;
  s.script->Press("&Yes");
  s.Create(R"(<config defaultLoadAction="2"/>)");
  s.form->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !s.script->Asked().empty(); }, 5000));
  ASSERT_EQ(s.script->Texts().size(), 1u);
  const std::string text = s.script->Texts()[0];
  EXPECT_EQ(text.rfind("Checkwell was unable to check for the latest version.\r", 0), 0u) << text;
  EXPECT_NE(text.find("refused"), std::string::npos) << text;
  EXPECT_EQ(s.opened,
            std::vector<std::string>({"http://127.0.0.1:1/shareware/history.asp?appid=checkwell"}));
}

TEST(MainFormStartup, MenuCheckAnswersEachReply) {
  const std::string newer =
      R"(<latestversion reply="newversionavailable" version="1.3.0" releaseDate="2026-02-01">
           <v number="1.3.0" releaseDate="2026-02-01"><c>Faster</c></v></latestversion>)";
  const struct {
    std::string reply;
    const char* press;
    std::string shown;
    std::vector<std::string> opened;
  } cases[] = {
      {R"(<latestversion reply="alreadylatest"/>)",
       "OK",
       "You are running the latest version already.",
       {}},
      {newer,
       "&Yes",
       "You are running version 1.2.0 which is out of date. Current version is 1.3.0 released "
       "2026-02-01.\rDo you want to go to the downloads page now?",
       {"/shareware/download.asp?appid=checkwell"}},
      {R"(<latestversion reply="maintenance"/>)", "&No", "Error was :\rmaintenance\r", {}},
  };
  for (const auto& c : cases) {
    const TSite site(c.reply, 200ms);
    TStartup s;
    s.Create(kNoCheck);
    // While the reply is awaited the window paints, with a busy cursor and its commands off.
    int frames = 0, framesBusy = 0;
    QObject::connect(&s.form->Pacer(), &TFramePacer::FrameDue, s.form.get(), [&] {
      ++frames;
      if (!s.form->actStart->isEnabled() && !s.form->actCheckForNewVersion->isEnabled() &&
          QApplication::overrideCursor() != nullptr &&
          QApplication::overrideCursor()->shape() == Qt::WaitCursor)
        ++framesBusy;
    });
    s.script->Press(c.press);
    s.form->actCheckForNewVersion->trigger();
    ASSERT_EQ(s.script->Texts().size(), 1u);
    EXPECT_NE(s.script->Texts()[0].find(c.shown), std::string::npos) << s.script->Texts()[0];
    std::vector<std::string> expected;
    for (const std::string& path : c.opened) expected.push_back(site.server.URL() + path);
    EXPECT_EQ(s.opened, expected);
    EXPECT_GT(framesBusy, 3);
    EXPECT_GE(framesBusy, frames - 1);
    EXPECT_TRUE(s.form->actCheckForNewVersion->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    if (c.reply == newer) {
      const TMessageBoxParams& asked = s.script->Asked()[0].params;
      EXPECT_EQ(asked.MoreText, "Version 1.3.0 Release Date 2026-02-01\r         * Faster\r\r");
      EXPECT_EQ(asked.Buttons.back(), kMoreInfoCaption);
    }
  }
}

TEST(MainFormStartup, HelpAndWebLinksOpenTheirPages) {
  const TScopedEnvironment site("CHECKWELL_SITE_URL", "https://site.test");
  TStartup s;
  s.Create(kNoCheck);
  for (QAction* action : {s.form->actHomepage, s.form->actDownload, s.form->actHistory,
                          s.form->actFeedback, s.form->actHelp})
    action->trigger();
  s.form->findChild<QToolButton*>("imgProduct")->click();
  QCoreApplication::postEvent(s.form.get(), new QEvent(WM_OPENHOMEPAGE));
  QCoreApplication::sendPostedEvents(s.form.get());
  ASSERT_EQ(s.opened.size(), 7u);
  EXPECT_EQ(s.opened[0], "https://site.test/shareware/applications.asp?appid=checkwell");
  EXPECT_EQ(s.opened[3], "https://site.test/shareware/feedback.asp?appid=checkwell");
  EXPECT_EQ(s.opened[4].substr(s.opened[4].rfind('/')), "/Checkwell Help.htm");
  EXPECT_EQ(s.opened[5], "https://site.test/shareware/donate.asp?appid=checkwell");
  EXPECT_EQ(s.opened[6], s.opened[0]);
}

}  // namespace
