#include "manager/widgets/mainform.h"

#include "support/messages.h"

// Check runs: the search and the verification passes.

void TMainForm::actStartExecute() {
  ShowInformation("Not yet: Start");
}

void TMainForm::actStartSearchOnlyExecute() {
  ShowInformation("Not yet: Search Only");
}

void TMainForm::actStartSearchAndCheckExecute() {
  ShowInformation("Not yet: Search and Check All");
}

void TMainForm::actStartCheckWaitingExecute() {
  ShowInformation("Not yet: Check Waiting Only");
}

void TMainForm::actStartCheckAllExecute() {
  ShowInformation("Not yet: Check All");
}

void TMainForm::actStartCheckSelectedExecute() {
  ShowInformation("Not yet: Check Selected Only");
}

void TMainForm::actStopExecute() {}

void TMainForm::ExecuteRun(TRunMode) {}

void TMainForm::RecheckSFV(const std::string&) {}

void TMainForm::actVisualCheckSFVExecute() {
  ShowInformation("Not yet: Visual Check");
}
