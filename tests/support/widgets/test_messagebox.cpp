#include "common/scripted_interaction.h"
#include "dialog_driver.h"
#include "support/exceptions.h"
#include "support/system.h"
#include "support/widgets/dialoginteraction.h"
#include "support/widgets/qelmessagebox.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Real dialogs for one test instead of the strict scripted answers.
class MessageDialog : public ::testing::Test {
 protected:
  TDialogInteraction dialogs_;
  TScopedUserInteraction scope_{dialogs_};
};

TMessageBoxParams SideBySide(const std::string& text, std::vector<std::string> buttons) {
  TMessageBoxParams p;
  p.Text = text;
  p.Buttons = std::move(buttons);
  p.Stacked = false;
  p.EscapeResult = 0;
  return p;
}

int LineHeight(const QWidget& w) {
  return QFontMetrics(w.font()).height();
}

int Right(const QRect& r) {
  return r.x() + r.width();
}

}  // namespace

// Catches the desktop's open requests so that no test starts a browser.
class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  TUrlCatcher() {
    for (const char* scheme : {"file", "https", "http"}) {
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Catch");
    }
  }
  ~TUrlCatcher() override {
    for (const char* scheme : {"file", "https", "http"}) {
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
  }
  QList<QUrl> urls;

 public slots:
  void Catch(const QUrl& url) { urls << url; }
};

TEST(MessageBoxLayout, TwoLineWarningStacksItsLinesAndCentresOK) {
  TMessageBoxParams p;
  p.Text = "a\r\nb";
  p.Buttons = {"OK"};
  p.Stacked = true;
  TfrmQelMessageBox box(p);
  const int h = LineHeight(box);
  ASSERT_EQ(box.Lines().size(), 2u);
  EXPECT_EQ(box.Lines()[0]->geometry().topLeft(), QPoint(64, 16));
  EXPECT_EQ(box.Lines()[1]->geometry().topLeft(), QPoint(64, 16 + h + 2));
  EXPECT_EQ(box.Lines()[1]->text(), "b");
  ASSERT_EQ(box.ButtonCount(), 1);
  const QRect ok = box.Button(0)->geometry();
  EXPECT_EQ(box.Button(0)->text(), "OK");
  EXPECT_EQ(ok.width(), 75);
  EXPECT_EQ(ok.x(), (box.width() - 75) / 2);
  EXPECT_EQ(ok.y(), std::max(56, 16 + 2 * (h + 2) + 6));
  EXPECT_EQ(box.height(), ok.y() + ok.height() + 32);
  EXPECT_EQ(box.findChild<QLabel*>("imgIcon")->geometry(), QRect(16, 8, 32, 32));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
}

TEST(MessageBoxLayout, LineEndsOfEveryKindSplitAndEmptyLinesKeepTheirHeight) {
  EXPECT_EQ(MessageLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(MessageLines(""), QStringList{""});
  EXPECT_EQ(MessageLines("a\r\n"), (QStringList{"a", ""}));
  TMessageBoxParams p;
  p.Text = "first\r\rthird";
  TfrmQelMessageBox box(p);
  const int h = LineHeight(box);
  ASSERT_EQ(box.Lines().size(), 3u);
  EXPECT_EQ(box.Lines()[2]->y(), 16 + 2 * (h + 2));
}

TEST(MessageBoxLayout, WidthFollowsTheWidestLine) {
  TMessageBoxParams p;
  p.Text = "short\ra much longer line of text than the first one";
  TfrmQelMessageBox box(p);
  const QFontMetrics m(box.font());
  EXPECT_EQ(box.width(), m.horizontalAdvance("a much longer line of text than the first one") + 88);
  // Without captions a side-by-side box has a lone "OK" at the left.
  ASSERT_EQ(box.ButtonCount(), 1);
  EXPECT_EQ(box.Button(0)->text(), "OK");
  EXPECT_EQ(box.Button(0)->geometry(), QRect(16, 56, 75, 25));
}

TEST(MessageBoxLayout, LongSideBySideCaptionWidensTheDialog) {
  const std::string longCaption = "Move every file of this set to the recycle bin now";
  TfrmQelMessageBox box(SideBySide("x", {"OK", longCaption}));
  const QFontMetrics m(box.font());
  const int narrow = m.horizontalAdvance("x") + 88;
  ASSERT_GT(box.width(), narrow);
  EXPECT_EQ(box.Button(0)->geometry().x(), 16);
  EXPECT_EQ(box.Button(1)->x(), 16 + 75 + 8);
  EXPECT_NEAR(box.Button(1)->width(), m.horizontalAdvance(QString::fromStdString(longCaption)) + 16,
              1);
  EXPECT_EQ(Right(box.Button(1)->geometry()), box.width() - 16);
}

TEST(MessageBoxLayout, ShortCaptionsMoveRightUnderALongText) {
  TfrmQelMessageBox box(
      SideBySide("This question has a long text above two short buttons", {"&Yes", "&No"}));
  EXPECT_EQ(Right(box.Button(1)->geometry()), box.width() - 16);
  EXPECT_EQ(box.Button(1)->x() - Right(box.Button(0)->geometry()), 8);
  EXPECT_GT(box.Button(0)->x(), 16);
}

TEST(MessageBoxLayout, MoreInfoButtonIsAsWideAsItsWiderState) {
  TMessageBoxParams p = SideBySide("x", {"OK", "Go|Stop going on now please"});
  p.MoreButton = 1;
  TfrmQelMessageBox box(p);
  const QFontMetrics m(box.font());
  EXPECT_EQ(box.Button(1)->text(), "Go");
  EXPECT_NEAR(box.Button(1)->width(), m.horizontalAdvance("Stop going on now please") + 16, 1);
}

TEST(MessageBoxLayout, StackedButtonsShareTheWidestWidthAndWidenTheDialog) {
  TMessageBoxParams p;
  p.Text = "x";
  p.Stacked = true;
  p.Buttons = {"OK", "A caption far wider than the text"};
  TfrmQelMessageBox box(p);
  const QFontMetrics m(box.font());
  const int width = m.horizontalAdvance("A caption far wider than the text") + 16;
  EXPECT_NEAR(box.width(), width + 32, 1);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(box.Button(i)->width(), box.width() - 32);
    EXPECT_EQ(box.Button(i)->x(), 16);
  }
  EXPECT_EQ(box.Button(1)->y(), box.Button(0)->y() + 25 + 3);
}

TEST(MessageBoxLayout, TextIsShownLiterally) {
  TMessageBoxParams p;
  p.Text = "<b>not bold</b> & more";
  TfrmQelMessageBox box(p);
  EXPECT_EQ(box.Lines()[0]->textFormat(), Qt::PlainText);
  EXPECT_EQ(box.Lines()[0]->text(), "<b>not bold</b> & more");
}

TEST(MessageBoxLayout, WindowHasNoCloseBoxAndStaysOnTop) {
  TfrmQelMessageBox box(SideBySide("x", {}));
  const Qt::WindowFlags flags = box.windowFlags();
  EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
}

TEST(MessageBoxLayout, DefaultButtonGetsTheFocus) {
  TMessageBoxParams p = SideBySide("x", {"&Yes", "&No"});
  p.DefaultButton = 1;
  TfrmQelMessageBox second(p);
  EXPECT_TRUE(second.Button(1)->isDefault());
  EXPECT_FALSE(second.Button(0)->isDefault());
  p.DefaultButton = -1;
  TfrmQelMessageBox first(p);
  EXPECT_TRUE(first.Button(0)->isDefault());
}

TEST_F(MessageDialog, QuestionAnswersYesWithTheButtonAndNoWithEsc) {
  {
    TDialogDriver<TfrmQelMessageBox> driver(
        [](TfrmQelMessageBox& box) { QTest::mouseClick(box.Button(0), Qt::LeftButton); });
    EXPECT_EQ(AskQuestion("Delete?", 0, 1, 1), mrYes);
  }
  {
    TDialogDriver<TfrmQelMessageBox> driver(
        [](TfrmQelMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(AskQuestion("Delete?", 0, 1, 1), mrNo);
  }
  {
    // The marked letter answers without Alt.
    TDialogDriver<TfrmQelMessageBox> driver(
        [](TfrmQelMessageBox& box) { QTest::keyClick(&box, Qt::Key_Y); });
    EXPECT_EQ(AskQuestion("Delete?", 0, 1, 1), mrYes);
  }
}

TEST_F(MessageDialog, EnterAnswersWithTheFocusedButton) {
  for (const int focus : {0, 1}) {
    bool focused = false;
    TDialogDriver<TfrmQelMessageBox> driver([&](TfrmQelMessageBox& box) {
      focused = box.focusWidget() == box.Button(focus);
      QTest::keyClick(box.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(AskQuestion("Overwrite?", 0, focus, 1), focus == 0 ? mrYes : mrNo);
    EXPECT_TRUE(focused) << focus;
  }
}

TEST_F(MessageDialog, EscDoesNothingWithoutAnEscapeResult) {
  bool stillOpen = false;
  TDialogDriver<TfrmQelMessageBox> driver([&](TfrmQelMessageBox& box) {
    QTest::keyClick(&box, Qt::Key_Escape);
    box.close();
    stillOpen = box.isVisible();
    box.Button(1)->click();
  });
  EXPECT_EQ(AskQuestion("Really?", 0, 1, -1), mrNo);
  EXPECT_TRUE(stillOpen);
}

TEST_F(MessageDialog, MoreInfoFoldsOutAndBackIn) {
  int closedHeight = 0, openHeight = 0, restoredHeight = 0;
  QString openCaption, restoredCaption, memoText;
  QRect memo;
  bool memoShown = false, memoHiddenAgain = false;
  TDialogDriver<TfrmQelMessageBox> driver([&](TfrmQelMessageBox& box) {
    closedHeight = box.height();
    QTest::mouseClick(box.Button(1), Qt::LeftButton);
    openHeight = box.height();
    openCaption = box.Button(1)->text();
    memo = box.Memo()->geometry();
    memoShown = box.Memo()->isVisible();
    memoText = box.Memo()->toPlainText();
    QTest::mouseClick(box.Button(1), Qt::LeftButton);
    restoredHeight = box.height();
    restoredCaption = box.Button(1)->text();
    memoHiddenAgain = !box.Memo()->isVisible();
    EXPECT_EQ(box.width(), memo.width() + 32);
    box.Button(0)->click();
  });
  ShowWarningMore("Something happened", "line one\r\nline two");
  EXPECT_EQ(openHeight, closedHeight + 166);
  EXPECT_EQ(openCaption, "<< Less Info");
  EXPECT_TRUE(memoShown);
  EXPECT_EQ(memo.topLeft(), QPoint(16, closedHeight - 24));
  EXPECT_EQ(memo.height(), 150);
  EXPECT_EQ(memoText, "line one\nline two");
  EXPECT_EQ(restoredHeight, closedHeight);
  EXPECT_EQ(restoredCaption, "More Info >>");
  EXPECT_TRUE(memoHiddenAgain);
}

TEST_F(MessageDialog, HelpOpensTheHelpFileAndKeepsTheDialogOpen) {
  TUrlCatcher catcher;
  bool openAfterHelp = false;
  TDialogDriver<TfrmQelMessageBox> driver([&](TfrmQelMessageBox& box) {
    ASSERT_EQ(box.Button(1)->text(), "Help");
    box.Button(1)->click();
    openAfterHelp = box.isVisible();
    box.Button(0)->click();
  });
  ShowWarning("See the help", 12);
  EXPECT_TRUE(openAfterHelp);
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(QString::fromStdString(HelpFilePath())));
}

TEST_F(MessageDialog, ErrorReportUsesWideButtonsAndIsCentred) {
  QRect geometry, screen;
  int okWidth = 0;
  QString caption;
  TDialogDriver<TfrmQelMessageBox> driver([&](TfrmQelMessageBox& box) {
    geometry = box.geometry();
    screen = box.screen()->availableGeometry();
    okWidth = box.Button(0)->width();
    caption = box.windowTitle();
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  ShowException("Saving failed", 0, std::runtime_error("disk full"));
  EXPECT_EQ(caption, "Error");
  EXPECT_EQ(okWidth, 90);
  // Both centres round down, each by up to a pixel.
  EXPECT_LE(std::abs(geometry.center().x() - screen.center().x()), 2);
  EXPECT_LE(std::abs(geometry.center().y() - screen.center().y()), 2);
}

TEST_F(MessageDialog, EveryExceptionKindReachesTheDialog) {
  QStringList captions;
  auto record = [&](TfrmQelMessageBox& box) {
    captions << box.windowTitle();
    QTest::keyClick(&box, Qt::Key_Escape);
  };
  for (int kind = 1; kind <= 4; ++kind) {
    TDialogDriver<TfrmQelMessageBox> driver(record);
    ShowException("t", 0, EQelException("m", static_cast<TMessageBoxKind>(kind)));
  }
  {
    TDialogDriver<TfrmQelMessageBox> driver([&](TfrmQelMessageBox& box) {
      captions << box.windowTitle();
      box.Button(0)->click();  // the assertion report has no Esc answer
    });
    ShowException("t", 0, EAssertionFailed("a"));
  }
  ShowException("t", 0, EAbort());
  EXPECT_EQ(captions,
            (QStringList{"Warning", "Warning", "Information", "Information", "Assertion Failure"}));
}

#include "test_messagebox.moc"
