#include "config/udfxml.h"
#include "config/widgets/options.h"
#include "config/widgets/radiogroup.h"

#include "common/scripted_interaction.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

constexpr const char* kFlags[] = {"removeDirsWithoutAsking", "indicateMine", "markGoodAsSkipAuto",
                                  "checkForNewVersion"};
constexpr const char* kChoices[] = {"defaultMoveAction",         "defaultCopyAction",
                                    "defaultStartAction",        "defaultLoadAction",
                                    "defaultMarkSelectedAction", "defaultMarkGoodSFVsAction"};

pugi::xml_document Document(const std::string& text) {
  pugi::xml_document document;
  LoadXMLText(document, text);
  return document;
}

std::vector<std::string> Written(const pugi::xml_document& config) {
  std::vector<std::string> values;
  for (const char* name : kFlags)
    values.push_back(config.document_element().attribute(name).value());
  for (const char* name : kChoices)
    values.push_back(config.document_element().attribute(name).value());
  return values;
}

std::vector<int> Shown(const TdlgOptions& dialog) {
  std::vector<int> shown;
  for (const QCheckBox* box : {dialog.chkRemoveDirWithoutAsking, dialog.chkIndicateMine,
                               dialog.chkMarkGoodAsSkipAuto, dialog.chkCheckForNewVersion})
    shown.push_back(box->isChecked() ? 1 : 0);
  for (const TRadioGroup* group : {dialog.rgpMove, dialog.rgpCopy, dialog.rgpStart, dialog.rgpLoad,
                                   dialog.rgpMarkSelected, dialog.rgpMarkGood})
    shown.push_back(group->ItemIndex());
  return shown;
}

}  // namespace

TEST(Options, ShowsTheStoredValuesAndOKWritesAllTen) {
  struct TCase {
    const char* config;
    std::vector<int> shown;
    std::vector<std::string> written;
  } cases[] = {
      // Nothing stored: the defaults, all of them written on OK.
      {"<config/>",
       {0, 0, 1, 1, 3, 3, 5, 2, 3, 3},
       {"N", "N", "Y", "Y", "3", "3", "5", "2", "3", "3"}},
      // Beyond the last item is "No Default"; negative is no item; "y" is not set.
      {R"(<config removeDirsWithoutAsking="Y" indicateMine="y" markGoodAsSkipAuto="N"
           defaultMoveAction="1" defaultCopyAction="-2" defaultStartAction="9"
           defaultLoadAction="0" defaultMarkSelectedAction="x" defaultMarkGoodSFVsAction="2"/>)",
       {1, 0, 0, 1, 1, -1, 5, 0, 3, 2},
       {"Y", "N", "N", "Y", "1", "-1", "5", "0", "3", "2"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.config);
    pugi::xml_document config = Document(c.config);
    TdlgOptions dialog(config);
    dialog.show();
    EXPECT_EQ(Shown(dialog), c.shown);
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Written(config), c.written);
  }
}

TEST(Options, CancelAndEscapeWriteNothing) {
  for (const bool escape : {false, true}) {
    pugi::xml_document config = Document(R"(<config defaultStartAction="1"/>)");
    const std::string before = XMLText(config);
    TdlgOptions dialog(config);
    dialog.show();
    dialog.chkIndicateMine->setChecked(true);
    dialog.rgpStart->SetItemIndex(3);
    if (escape) {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    }
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(XMLText(config), before);
  }
}

TEST(Options, TabVisitsTheVersionBoxLast) {
  pugi::xml_document config = Document("<config/>");
  TdlgOptions dialog(config);
  EXPECT_EQ(dialog.chkMarkGoodAsSkipAuto->nextInFocusChain(), dialog.rgpMove->Button(0));
  EXPECT_EQ(dialog.rgpMarkGood->Button(3)->nextInFocusChain(), dialog.btnOK);
  EXPECT_EQ(dialog.btnCancel->nextInFocusChain(), dialog.chkCheckForNewVersion);
}
