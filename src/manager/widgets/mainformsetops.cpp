#include "manager/widgets/mainform.h"

#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "manager/datasetsethost.h"
#include "manager/setcommands.h"
#include "manager/sfvlist.h"
#include "support/guard.h"
#include "support/pacer.h"
#include "support/paths.h"

#include <QApplication>
#include <QLabel>
#include <QScopeGuard>

// Moving, copying, zipping, deleting and renaming whole SFV sets. The commands
// themselves live in TSetCommands; the window lends them its list, grid, status
// bar, pacer and busy mode.

void TMainForm::RunSetCommand(const std::function<void(TSetCommands&)>& command) {
  TDatasetSetHost::TWindow window;
  window.ActionRowCount = [this] { return grd_->ActionRowCount(); };
  window.EnsureSelection = [this] { grd_->EnsureSelection(); };
  window.SetCurrentRow = [this](int row) { grd_->SetCurrentDataRow(row); };
  window.RenameMarkEntry = [this](const std::string& from, const std::string& to) {
    list_->RenameMarkEntry(from, to);
  };
  window.BeginBusy = [this] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BeginBusy();
  };
  window.EndBusy = [this] {
    EndBusy();
    QApplication::restoreOverrideCursor();
  };
  window.UpdateSummary = [this] { UpdateSummary(); };
  window.Repaint = [this] { grd_->InvalidateData(); };
  window.Yield = [this] { pacer_->Yield(); };
  window.ShowStatusText = [this](const std::string& text) {
    pnlSummary_->setText(QString::fromStdString(text));
  };
  window.AbortRequested = [] { return false; };
  window.SearchFolders = [this] {
    // Every configured folder is the user's own, searched or not.
    std::vector<std::string> folders;
    for (const pugi::xml_node path : config_->child("config").child("paths").children("path"))
      folders.push_back(IncludeTrailingPathDelimiter(path.attribute("value").value()));
    return folders;
  };
  window.SetMovedOrDeleted = [this](int row) { list_->SetMovedOrDeleted(row); };
  window.SetFilename = [this](int row, const std::string& filename) {
    list_->SetPathAndFilename(row, list_->Path(row), filename);
  };
  window.Resort = [this] { list_->Resort(); };
  window.Owner = this;

  TDatasetSetHost host(*ds_, std::move(window));
  TSetCommands commands(host, *config_);
  GuardedCommand("", [&] { command(commands); });
  pacer_->Flush();
  grd_->InvalidateData();
}

void TMainForm::RunDefaultSetAction(TSetMode mode) {
  const bool move = mode == TSetMode::Move;
  const std::optional<TSetForm> form = TSetCommands::DefaultForm(*config_, mode);
  QAction* action = nullptr;
  if (form == TSetForm::Folder) action = move ? actMoveToFolder : actCopyToFolder;
  if (form == TSetForm::Zips) action = move ? actMoveToZips : actCopyToZips;
  if (form == TSetForm::SubFolders) action = move ? actMoveToSubFolders : actCopyToSubFolders;
  if (action && action->isEnabled()) {
    action->trigger();
    return;
  }
  if (TSetCommands::AskForDefault(mode)) actOptionsExecute();
}

void TMainForm::actMoveExecute() {
  RunDefaultSetAction(TSetMode::Move);
}

void TMainForm::actMoveToFolderExecute() {
  RunSetCommand([](TSetCommands& c) { c.MoveOrCopy(TSetMode::Move, TSetForm::Folder); });
}

void TMainForm::actMoveToZipsExecute() {
  RunSetCommand([](TSetCommands& c) { c.MoveOrCopy(TSetMode::Move, TSetForm::Zips); });
}

void TMainForm::actMoveToSubFoldersExecute() {
  RunSetCommand([](TSetCommands& c) { c.MoveOrCopy(TSetMode::Move, TSetForm::SubFolders); });
}

void TMainForm::actCopyExecute() {
  RunDefaultSetAction(TSetMode::Copy);
}

void TMainForm::actCopyToFolderExecute() {
  RunSetCommand([](TSetCommands& c) { c.MoveOrCopy(TSetMode::Copy, TSetForm::Folder); });
}

void TMainForm::actCopyToZipsExecute() {
  RunSetCommand([](TSetCommands& c) { c.MoveOrCopy(TSetMode::Copy, TSetForm::Zips); });
}

void TMainForm::actCopyToSubFoldersExecute() {
  RunSetCommand([](TSetCommands& c) { c.MoveOrCopy(TSetMode::Copy, TSetForm::SubFolders); });
}

void TMainForm::actRenameExecute() {
  RunSetCommand([](TSetCommands& c) { c.RenameSets(); });
}

void TMainForm::actDeleteSFVAndFilesExecute() {
  RunSetCommand([](TSetCommands& c) { c.DeleteSets(); });
}
