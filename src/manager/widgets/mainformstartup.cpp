#include "manager/widgets/mainform.h"

#include "config/config.h"
#include "config/udfxml.h"
#include "support/messages.h"

#include <QApplication>

// Start-up, shut-down, the version check and the web links.

bool TMainForm::FormCreate() {
  try {
    LoadConfig(Config(), ConfigPath());
  } catch (const std::exception& error) {
    ShowException("An error occured loading the config information.\rEither repair \"" +
                      ConfigPath() + "\" or delete it and reconfigure.",
                  0, error);
    return false;
  }
  return true;
}

void TMainForm::FormCloseQuery() {
  try {
    SaveConfig();
  } catch (const std::exception& error) {
    ShowException("The configuration could not be saved.", 0, error);
  }
}

void TMainForm::DeferredStartup() {}

void TMainForm::actExitExecute() {
  close();
}

void TMainForm::actHelpExecute() {
  ShowInformation("Not yet: Checkwell Help");
}

void TMainForm::actCheckForNewVersionExecute() {
  ShowInformation("Not yet: Check for New Version");
}

void TMainForm::actHomepageExecute() {
  ShowInformation("Not yet: Home Page");
}

void TMainForm::actDownloadExecute() {
  ShowInformation("Not yet: Download");
}

void TMainForm::actHistoryExecute() {
  ShowInformation("Not yet: Revision History");
}

void TMainForm::actDonateExecute() {
  ShowInformation("Not yet: Donate");
}

void TMainForm::actFeedbackExecute() {
  ShowInformation("Not yet: Feedback");
}

void TMainForm::actAboutExecute() {
  ShowInformation("Not yet: About");
}

void TMainForm::imgProductClick() {}
