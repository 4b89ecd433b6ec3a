#pragma once

#include "support/versiondata.h"

#include <QDialog>

#include <string>

class QLabel;

// The About box: product, version, copyright and a comment beside the program's
// icon, with one "OK" (Esc closes too). Every tenth double-click on the icon
// shows the hidden message. Children: "imgIcon", "lblProductName",
// "lblVersion", "lblCopyright", "lblComments", "btnOK".
class TDlgAboutBox : public QDialog {
  Q_OBJECT

 public:
  TDlgAboutBox(const TVersionData& data, const std::string& productName,
               const std::string& hiddenMessage, QWidget* parent = nullptr);

  static constexpr int kClicksForHiddenMessage = 10;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void IconDoubleClicked();

  std::string hiddenMessage_;
  QLabel* icon_ = nullptr;
  int doubleClicks_ = 0;
};
