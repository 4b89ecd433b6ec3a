#include "manager/widgets/mainform.h"

#include "support/messages.h"

// The dialogs of the File menu.

void TMainForm::actPathsExecute() {
  ShowInformation("Not yet: Paths");
}

void TMainForm::actConfigureExtensionsExecute() {
  ShowInformation("Not yet: Configure Extensions");
}

void TMainForm::actOptionsExecute() {
  ShowInformation("Not yet: Options");
}
