#include "checkwindow_fixture.h"

#include "dataset/widgets/ntiergrid.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyleFactory>

// Pictures of the check window for the documentation, not a test: it runs only
// when CHECKWELL_SCREENSHOTS names a folder, e.g. under Xvfb with
// QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2.

namespace {

QPalette DarkFusionPalette() {
  QPalette dark;
  const QColor window(53, 53, 53), base(42, 42, 42), text(230, 230, 230);
  dark.setColor(QPalette::Window, window);
  dark.setColor(QPalette::WindowText, text);
  dark.setColor(QPalette::Base, base);
  dark.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
  dark.setColor(QPalette::ToolTipBase, window);
  dark.setColor(QPalette::ToolTipText, text);
  dark.setColor(QPalette::Text, text);
  dark.setColor(QPalette::Button, window);
  dark.setColor(QPalette::ButtonText, text);
  dark.setColor(QPalette::BrightText, Qt::red);
  dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
  dark.setColor(QPalette::HighlightedText, Qt::black);
  dark.setColor(QPalette::Mid, QColor(80, 80, 80));
  dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
  return dark;
}

}  // namespace

TEST(CheckWindowScreenshots, LargeFontAndDarkPalette) {
  const QString folder = qEnvironmentVariable("CHECKWELL_SCREENSHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "CHECKWELL_SCREENSHOTS names no folder";
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QFont font = QApplication::font();
  font.setPointSize(11);
  QApplication::setFont(font);

  TTempTree tree;
  tree.Write("checkwell.xml",
             R"(<config><extensions><extension value=".nfo" action="IS"/></extensions></config>)");
  tree.Write("caf\u00e9_cr\u00e8me.flac", "one");
  tree.Write("Les_Fr\u00e8res_Jacques - Quelque_chose_de_long.flac", "two");
  tree.Write("damaged_track.flac", "damaged contents");
  tree.Write("readme.nfo", "release notes");
  const std::string sfv = tree.Write(
      "album.sfv", "caf\u00e9_cr\u00e8me.flac " + CRCOf("one") +
                       "\r\nLes_Fr\u00e8res_Jacques - Quelque_chose_de_long.flac " + CRCOf("two") +
                       "\r\nmissing_track.flac " + CRCOf("gone") + "\r\ndamaged_track.flac " +
                       CRCOf("original contents") + "\r\nreadme.nfo 00000000\r\n");

  const struct {
    const char* file;
    bool dark;
  } shots[] = {{"check-window-large-font.png", false}, {"check-window-dark.png", true}};
  for (const auto& shot : shots) {
    QApplication::setPalette(shot.dark ? DarkFusionPalette()
                                       : QApplication::style()->standardPalette());
    TfrmCheckSFV window;
    ASSERT_TRUE(window.InitStandAlone(tree.File("checkwell.xml")));
    window.SetLaunchFile(sfv);
    window.resize(640, 300);
    window.show();
    ASSERT_TRUE(ProcessUntil([&] { return !window.SummaryText().isEmpty(); }));
    window.Rows().SetSelected(1, true);
    window.Grid().SetCurrentDataRow(3);
    window.Grid().setFocus();
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(window.grab().save(QDir(folder).filePath(QLatin1String(shot.file))));
    window.close();
  }
}
