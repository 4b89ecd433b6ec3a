#include "config/widgets/configureextensions.h"

#include "config/widgets/listtools.h"

#include "config/configowner.h"
#include "config/extensionlist.h"
#include "config/udfxml.h"
#include "config/widgets/extension.h"
#include "config/widgets/extensionactions.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "support/guard.h"
#include "support/messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include <vector>

namespace {

constexpr const char* kCaption = "Configure Extensions";

}  // namespace

TfrmConfigureExtensions::TfrmConfigureExtensions(TConfigOwner& owner, QWidget* parent)
    : QMainWindow(parent, Qt::Window), owner_(owner) {
  setObjectName(QStringLiteral("frmConfigureExtensions"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromLatin1(kCaption));
  resize(720, 320);

  const TListTools tools = AddListTools(
      *this, "popExtensions", [this] { actNewExecute(); }, [this] { actEditExecute(); },
      [this] { actDeleteExecute(); });
  actNew = tools.New;
  actEdit = tools.Edit;
  actDelete = tools.Delete;
  popup_ = tools.Popup;

  ds_ = new TNTierDataset("ds", this);
  grd_ = new TNTierGrid(this);
  grd_->setObjectName(QStringLiteral("grd"));
  grd_->SetOnFormatText([](const TNTierGrid& grid, int column, int row, std::string& text) {
    if (row == 0 || grid.Columns(column).Name != "Action") return false;
    const TNTierField& action = grid.FieldAt("Action", row);
    text = ExtensionActionDescription(action.IsNull() ? std::string() : action.AsString());
    return true;
  });
  grd_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grd_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(grd_->viewport()->mapToGlobal(at)); });
  connect(grd_, &TNTierGrid::OnDblClickData, this, [this](TNTierGrid*, int, int row) {
    if (row > 0) actEdit->trigger();
  });
  connect(grd_, &TNTierGrid::AfterRefreshData, this, &TfrmConfigureExtensions::UpdateActions);
  connect(ds_, &TNTierDataset::OnRefreshData, this, &TfrmConfigureExtensions::dsRefreshData);
  setCentralWidget(grd_);
  statusBar();

  auto* closeChild = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), this);
  connect(closeChild, &QShortcut::activated, this, &QWidget::close);

  move(70, 70);
  UpdateActions();
  DefineColumns();
  owner_.AddWindowMenuItem(kCaption, this);
}

TfrmConfigureExtensions::~TfrmConfigureExtensions() {
  grd_->SetDataset(nullptr);
}

void TfrmConfigureExtensions::DefineColumns() {
  ds_->AddColumn("Value", "Extension", NTierType::String, NTierOption::Displayed);
  ds_->AddColumn("Action", "Action", NTierType::String, NTierOption::Displayed);
  ds_->PrepareColumns();
  grd_->SetDataset(ds_);
  grd_->ColumnsChanged();
  grd_->RefreshData();
}

// The rows come from a copy of `extensions` as a document of its own.
void TfrmConfigureExtensions::dsRefreshData() {
  extensions_ = FindOrCreateExtensions(owner_.Config());
  ds_->LoadFromXML(*CopyAsDocument(extensions_));
}

void TfrmConfigureExtensions::UpdateActions() {
  const bool any = ds_->RowCount() > 0;
  actEdit->setEnabled(any);
  actDelete->setEnabled(any);
}

void TfrmConfigureExtensions::Changed() {
  owner_.SaveConfig();
  grd_->RefreshData();
}

void TfrmConfigureExtensions::actNewExecute() {
  TdlgExtension dialog(owner_.Config(), QStringLiteral("Extension [New]"), this);
  if (runDialog_(dialog) != QDialog::Accepted) return;
  pugi::xml_node rule = extensions_.append_child("extension");
  SetAttribute(rule, "value", dialog.Extension());
  SetAttribute(rule, "action", dialog.Action());
  Changed();
}

void TfrmConfigureExtensions::actEditExecute() {
  const int row = grd_->CurrentDataRow();
  if (row < 0 || row >= ds_->RowCount()) return;
  const std::string value = ds_->FieldByName("Value", row).AsString();
  pugi::xml_node rule = FindExtensionRule(extensions_, value);
  if (!rule) {
    ShowWarning("Extension " + value + " was not found.");
    return;
  }
  TdlgExtension dialog(owner_.Config(), QStringLiteral("Extension [Edit]"), this);
  dialog.SetExtension(value);
  dialog.SetOldValue(value);
  dialog.SetAction(ds_->FieldByName("Action", row).AsString());
  if (runDialog_(dialog) != QDialog::Accepted) return;
  SetAttribute(rule, "value", dialog.Extension());
  SetAttribute(rule, "action", dialog.Action());
  Changed();
}

void TfrmConfigureExtensions::actDeleteExecute() {
  if (grd_->ActionRowCount() == 0) return;
  grd_->EnsureSelection();
  const int selected = ds_->SelectedCount();
  const std::string question =
      std::string("Delete the selected extension") + (selected > 1 ? "s" : "") + "?";
  if (AskQuestion(question, 0, qbNo, qbNo) != mrYes) return;
  std::vector<std::string> values;
  for (int i = 0; i < selected; ++i)
    values.push_back(ds_->FieldByName("Value", ds_->SelectedRow(i)).AsString());
  for (const std::string& value : values) {
    if (pugi::xml_node rule = FindExtensionRule(extensions_, value))
      rule.parent().remove_child(rule);
  }
  Changed();
}

void TfrmConfigureExtensions::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closed_) return;
  closed_ = true;
  owner_.RemoveWindowMenuItem(kCaption);
}
