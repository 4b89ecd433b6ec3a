#include "common/scripted_interaction.h"
#include "common/temp_tree.h"
#include "support/widgets/aboutbox.h"
#include "support/widgets/dialoginteraction.h"
#include "support/widgets/shell.h"
#include "support/widgets/versioninfo.h"

#include "dialog_driver.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  TUrlCatcher() {
    for (const char* scheme : {"file", "https", "mailto"}) {
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Catch");
    }
  }
  ~TUrlCatcher() override {
    for (const char* scheme : {"file", "https", "mailto"}) {
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
  }
  QList<QUrl> urls;

 public slots:
  void Catch(const QUrl& url) { urls << url; }
};

TEST(DialogInteraction, InputBoxReturnsTheTypedTextOrNothing) {
  TDialogInteraction dialogs;
  TScopedUserInteraction scope(dialogs);
  QString title, prompt, initial;
  {
    TDialogDriver<QInputDialog> driver([&](QInputDialog& dialog) {
      title = dialog.windowTitle();
      prompt = dialog.labelText();
      initial = dialog.textValue();
      QLineEdit* edit = dialog.findChild<QLineEdit*>();
      ASSERT_NE(edit, nullptr);
      edit->selectAll();
      QTest::keyClicks(edit, "new name.bin");
      QTest::keyClick(edit, Qt::Key_Return);
    });
    std::string value = "old.bin";
    EXPECT_TRUE(InputBox("Rename", "New name", value));
    EXPECT_EQ(value, "new name.bin");
  }
  EXPECT_EQ(title, "Rename");
  EXPECT_EQ(prompt, "New name");
  EXPECT_EQ(initial, "old.bin");
  {
    TDialogDriver<QInputDialog> driver(
        [](QInputDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    std::string value = "old.bin";
    EXPECT_FALSE(InputBox("Rename", "New name", value));
    EXPECT_EQ(value, "old.bin");
  }
}

TEST(DialogInteraction, FolderChooserGivesAFolderWithASlash) {
  TDialogInteraction dialogs;
  TScopedUserInteraction scope(dialogs);
  TTempTree t;
  const std::string target = t.MakeDir("target");
  QString title;
  {
    TDialogDriver<QFileDialog> driver([&](QFileDialog& dialog) {
      title = dialog.windowTitle();
      // The preset name is selected in the start folder: accepting takes it.
      QMetaObject::invokeMethod(&dialog, "accept");
    });
    std::string folder;
    EXPECT_TRUE(ChooseFolder("Move to", t.Path(), "target", folder));
    EXPECT_EQ(folder, target);
  }
  EXPECT_EQ(title, "Move to");
  {
    TDialogDriver<QFileDialog> driver([](QFileDialog& dialog) { dialog.reject(); });
    std::string folder = "unchanged";
    EXPECT_FALSE(ChooseFolder("Move to", t.Path(), "", folder));
    EXPECT_EQ(folder, "unchanged");
  }
}

TEST(Shell, TargetsBecomeFileOrWebAddresses) {
  TUrlCatcher catcher;
  ShellOpenDefault("https://checkwell.example.org/shareware/donate.asp?appid=checkwell");
  ShellOpen("", "/data/my files/Checkwell Help.htm");
  ShellOpen("edit", "mailto:someone@example.org");
  ShellOpenDefault("");
  ASSERT_EQ(catcher.urls.size(), 3);
  EXPECT_EQ(catcher.urls[0].toString(),
            "https://checkwell.example.org/shareware/donate.asp?appid=checkwell");
  EXPECT_EQ(catcher.urls[1], QUrl::fromLocalFile("/data/my files/Checkwell Help.htm"));
  EXPECT_EQ(catcher.urls[2].scheme(), "mailto");
}

TEST(VersionInfo, TitlesItsOwnerWindowOnly) {
  QWidget window;
  window.setWindowTitle("before");
  TVersionInfo info(&window);
  EXPECT_EQ(window.windowTitle().toStdString(), VersionWindowTitle(CurrentVersionData()));
  EXPECT_TRUE(window.windowTitle().startsWith("Checkwell 1.2.0"))
      << window.windowTitle().toStdString();

  QWidget child(&window);
  child.setWindowTitle("child");
  TVersionInfo onChild(&child);
  EXPECT_EQ(child.windowTitle(), "child");

  QWidget bare;
  bare.setWindowTitle("kept");
  TVersionInfo empty(&bare, TVersionData{});
  EXPECT_EQ(bare.windowTitle(), "kept");
}

TEST(AboutBox, ShowsTheVersionAndClosesWithEsc) {
  QWidget window;
  TVersionInfo info(&window);
  QString title, version, product;
  TDialogDriver<TDlgAboutBox> driver([&](TDlgAboutBox& box) {
    title = box.windowTitle();
    product = box.findChild<QLabel*>("lblProductName")->text();
    version = box.findChild<QLabel*>("lblVersion")->text();
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  info.ShowAboutBox();
  EXPECT_TRUE(driver.Acted());
  EXPECT_EQ(title, "About Checkwell");
  EXPECT_EQ(product, "Checkwell");
  EXPECT_EQ(version.toStdString(), "Version " + info.FileVersion());
}

TEST(AboutBox, EveryTenthDoubleClickShowsTheHiddenMessage) {
  TScriptedScope script;
  script->Answer(0).Answer(0);
  TDlgAboutBox box(CurrentVersionData(), "Checkwell", "Written in 2004~for big collections");
  QLabel* icon = box.findChild<QLabel*>("imgIcon");
  ASSERT_NE(icon, nullptr);
  for (int i = 0; i < 9; ++i) QTest::mouseDClick(icon, Qt::LeftButton);
  EXPECT_TRUE(script->Asked().empty());
  QTest::mouseDClick(icon, Qt::LeftButton);
  ASSERT_EQ(script->Asked().size(), 1u);
  EXPECT_EQ(script->Asked()[0].params.Caption, "Information");
  EXPECT_EQ(script->Asked()[0].params.Text, "Written in 2004\rfor big collections");
  for (int i = 0; i < 10; ++i) QTest::mouseDClick(icon, Qt::LeftButton);
  EXPECT_EQ(script->Asked().size(), 2u);
}

TEST(AboutBox, ProductNameFallsBackToTheWindowTitle) {
  QWidget window;
  window.setWindowTitle("My Window");
  TVersionData data;  // no version texts
  TVersionInfo info(&window, data);
  QString title;
  TDialogDriver<TDlgAboutBox> driver([&](TDlgAboutBox& box) {
    title = box.windowTitle();
    box.findChild<QPushButton*>("btnOK")->click();
  });
  info.ShowAboutBox();
  EXPECT_EQ(title, "About My Window");
}

#include "test_dialogs.moc"
