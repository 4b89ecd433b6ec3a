#include "config/widgets/options.h"

#include "config/options.h"
#include "config/widgets/dialogrunner.h"
#include "config/widgets/radiogroup.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <initializer_list>

TdlgOptions::TdlgOptions(pugi::xml_document& config, QWidget* parent)
    : QDialog(parent), config_(config) {
  setObjectName(QStringLiteral("dlgOptions"));
  setWindowTitle(QStringLiteral("Options"));
  const auto check = [this](const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  };
  const auto group = [this](const char* name, const char* title, const QStringList& items,
                            int columns) {
    auto* box = new TRadioGroup(QString::fromLatin1(title), items, columns, this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  };
  chkRemoveDirWithoutAsking =
      check("chkRemoveDirWithoutAsking", "Remove empty folders without asking");
  chkIndicateMine =
      check("chkIndicateMine", "Indicate which SFV files were created with Checkwell");
  chkMarkGoodAsSkipAuto = check("chkMarkGoodAsSkipAuto", "Mark good SFV's as Skip automatically");
  chkCheckForNewVersion = check("chkCheckForNewVersion", "Check for New Version on Load");
  rgpMove = group("rgpMove", "Default Move Action",
                  {"Move to Folder", "Move to Zips", "Move to Sub Folders", "No Default"}, 1);
  rgpCopy = group("rgpCopy", "Default Copy Action",
                  {"Copy to Folder", "Copy to Zips", "Copy to Sub Folders", "No Default"}, 1);
  rgpStart = group("rgpStart", "Default Start Action",
                   {"Search Only", "Search and Check All", "Check Waiting Only", "Check All",
                    "Check Selected Only", "No Default"},
                   2);
  rgpLoad = group("rgpLoad", "Default Action on Load",
                  {"Search Only", "Search and Check All", "No Default"}, 2);
  rgpMarkSelected = group("rgpMarkSelected", "Default Mark Selected Action",
                          {"Skip", "Hide", "Normal", "No Default"}, 1);
  rgpMarkGood =
      group("rgpMarkGood", "Default Mark Good Action", {"Skip", "Hide", "Normal", "No Default"}, 1);

  QDialogButtonBox* const buttons = AddOKCancel(*this, btnOK, btnCancel);

  auto* layout = new QVBoxLayout(this);
  for (QCheckBox* box :
       {chkRemoveDirWithoutAsking, chkIndicateMine, chkMarkGoodAsSkipAuto, chkCheckForNewVersion})
    layout->addWidget(box);
  auto* groups = new QGridLayout;
  groups->addWidget(rgpMove, 0, 0);
  groups->addWidget(rgpCopy, 0, 1);
  groups->addWidget(rgpStart, 1, 0, 1, 2);
  groups->addWidget(rgpLoad, 2, 0, 1, 2);
  groups->addWidget(rgpMarkSelected, 3, 0);
  groups->addWidget(rgpMarkGood, 3, 1);
  layout->addLayout(groups);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  SetTabOrder();
  ReadOptions();
}

void TdlgOptions::SetTabOrder() {
  // Tab reaches the version box last, after the buttons.
  std::vector<QWidget*> order{chkRemoveDirWithoutAsking, chkIndicateMine, chkMarkGoodAsSkipAuto};
  for (TRadioGroup* group : {rgpMove, rgpCopy, rgpStart, rgpLoad, rgpMarkSelected, rgpMarkGood})
    for (int i = 0; i < group->Count(); ++i) order.push_back(group->Button(i));
  order.insert(order.end(), {btnOK, btnCancel, chkCheckForNewVersion});
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TdlgOptions::ReadOptions() {
  chkRemoveDirWithoutAsking->setChecked(ReadOption(config_, kRemoveDirsWithoutAsking));
  chkIndicateMine->setChecked(ReadOption(config_, kIndicateMine));
  chkMarkGoodAsSkipAuto->setChecked(ReadOption(config_, kMarkGoodAsSkipAuto));
  chkCheckForNewVersion->setChecked(ReadOption(config_, kCheckForNewVersion));
  rgpMove->SetItemIndex(ReadOption(config_, kDefaultMoveAction));
  rgpCopy->SetItemIndex(ReadOption(config_, kDefaultCopyAction));
  rgpStart->SetItemIndex(ReadOption(config_, kDefaultStartAction));
  rgpLoad->SetItemIndex(ReadOption(config_, kDefaultLoadAction));
  rgpMarkSelected->SetItemIndex(ReadOption(config_, kDefaultMarkSelectedAction));
  rgpMarkGood->SetItemIndex(ReadOption(config_, kDefaultMarkGoodSFVsAction));
}

void TdlgOptions::WriteOptions() {
  WriteOption(config_, kRemoveDirsWithoutAsking, chkRemoveDirWithoutAsking->isChecked());
  WriteOption(config_, kIndicateMine, chkIndicateMine->isChecked());
  WriteOption(config_, kMarkGoodAsSkipAuto, chkMarkGoodAsSkipAuto->isChecked());
  WriteOption(config_, kCheckForNewVersion, chkCheckForNewVersion->isChecked());
  WriteOption(config_, kDefaultMoveAction, rgpMove->ItemIndex());
  WriteOption(config_, kDefaultCopyAction, rgpCopy->ItemIndex());
  WriteOption(config_, kDefaultStartAction, rgpStart->ItemIndex());
  WriteOption(config_, kDefaultLoadAction, rgpLoad->ItemIndex());
  WriteOption(config_, kDefaultMarkSelectedAction, rgpMarkSelected->ItemIndex());
  WriteOption(config_, kDefaultMarkGoodSFVsAction, rgpMarkGood->ItemIndex());
}

void TdlgOptions::accept() {
  WriteOptions();
  QDialog::accept();
}

void TdlgOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
}
