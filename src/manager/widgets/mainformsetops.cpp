#include "manager/widgets/mainform.h"

#include "support/messages.h"

// Moving, copying, zipping, deleting and renaming whole SFV sets.

void TMainForm::actMoveExecute() {
  ShowInformation("Not yet: Move");
}

void TMainForm::actMoveToFolderExecute() {
  ShowInformation("Not yet: Move to Folder");
}

void TMainForm::actMoveToZipsExecute() {
  ShowInformation("Not yet: Move to Zips");
}

void TMainForm::actMoveToSubFoldersExecute() {
  ShowInformation("Not yet: Move To Sub Folders");
}

void TMainForm::actCopyExecute() {
  ShowInformation("Not yet: Copy");
}

void TMainForm::actCopyToFolderExecute() {
  ShowInformation("Not yet: Copy to Folder");
}

void TMainForm::actCopyToZipsExecute() {
  ShowInformation("Not yet: Copy to Zips");
}

void TMainForm::actCopyToSubFoldersExecute() {
  ShowInformation("Not yet: Copy to Sub Folders");
}

void TMainForm::actRenameExecute() {
  ShowInformation("Not yet: Rename");
}

void TMainForm::actDeleteSFVAndFilesExecute() {
  ShowInformation("Not yet: Delete");
}
