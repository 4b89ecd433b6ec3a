#pragma once

#include <pugixml.hpp>

#include <QDialog>

class QCheckBox;
class QPushButton;
class TRadioGroup;

// The Options dialog: the ten option attributes of the configuration root. It
// shows the document's values when it is created and writes all ten back only
// when "OK" is pressed; "Cancel" and Escape leave the document alone.
class TdlgOptions : public QDialog {
  Q_OBJECT

 public:
  TdlgOptions(pugi::xml_document& config, QWidget* parent = nullptr);

  QCheckBox* chkRemoveDirWithoutAsking;
  QCheckBox* chkIndicateMine;
  QCheckBox* chkMarkGoodAsSkipAuto;
  QCheckBox* chkCheckForNewVersion;
  TRadioGroup* rgpMove;
  TRadioGroup* rgpCopy;
  TRadioGroup* rgpStart;
  TRadioGroup* rgpLoad;
  TRadioGroup* rgpMarkSelected;
  TRadioGroup* rgpMarkGood;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  // Writes the shown values to the document, then closes with Accepted.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ReadOptions();
  void WriteOptions();
  void SetTabOrder();

  pugi::xml_document& config_;
};
