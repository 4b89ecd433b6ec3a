#include "manager/widgets/mainform.h"

#include "config/configowner.h"
#include "config/widgets/configureextensions.h"
#include "config/widgets/options.h"
#include "config/widgets/paths.h"
#include "dataset/widgets/ntiergrid.h"
#include "manager/managerdisplay.h"
#include "support/guard.h"

// The dialogs of the File menu.

namespace {

// Brings an open window forward, restoring it when minimised.
void ShowAgain(QWidget& window) {
  if (window.isMinimized()) {
    window.showNormal();
  } else {
    window.show();
    window.raise();
    window.activateWindow();
  }
}

}  // namespace

TfrmPaths* TMainForm::PathsWindow() const {
  return frmPaths_;
}

TfrmConfigureExtensions* TMainForm::ExtensionsWindow() const {
  return frmConfigureExtensions_;
}

void TMainForm::actPathsExecute() {
  if (frmPaths_) {
    ShowAgain(*frmPaths_);
    return;
  }
  GuardedCommand("", [this] {
    frmPaths_ = new TfrmPaths(*this, this);
    frmPaths_->show();
  });
}

void TMainForm::actConfigureExtensionsExecute() {
  if (frmConfigureExtensions_) {
    ShowAgain(*frmConfigureExtensions_);
    return;
  }
  GuardedCommand("", [this] {
    frmConfigureExtensions_ = new TfrmConfigureExtensions(*this, this);
    frmConfigureExtensions_->show();
  });
}

void TMainForm::actOptionsExecute() {
  GuardedCommand("", [this] {
    TdlgOptions dialog(*config_, this);
    if (runDialog_(dialog) != QDialog::Accepted) return;
    ApplyDefaultActionMenus();
    SaveConfig();
    // The glyph column is fixed: back to the width of three glyphs, which the
    // user may have dragged narrower, and the list drawn under the new options.
    for (int column = 0; column < grd_->ColCount(); ++column) {
      if (grd_->Columns(column).Name != "Glyph") continue;
      grd_->Columns(column).StoredWidth = kGlyphColumnWidth;
      grd_->SetColumnWidth(column, kGlyphColumnWidth);
    }
    grd_->InvalidateData();
  });
}
