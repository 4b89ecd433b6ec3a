#include "manager/widgets/mainform.h"

#include "checkwindow/widgets/checkicons.h"
#include "checkwindow/widgets/jpegimage.h"
#include "config/config.h"
#include "config/options.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "manager/managerdisplay.h"
#include "manager/sfvlist.h"
#include "manager/widgets/managericons.h"
#include "support/messages.h"
#include "support/pacer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kRowHeight = 17;
constexpr int kRunStatePanelWidth = 100;
// Actions whose property is set act on rows and stay off while the list is empty.
constexpr const char* kNeedsRows = "needsRows";

QAction* NewAction(QObject* parent, const char* name, const char* caption, bool needsRows = false) {
  auto* action = new QAction(QString::fromLatin1(caption), parent);
  action->setObjectName(QString::fromLatin1(name));
  action->setProperty(kNeedsRows, needsRows);
  return action;
}

QMenu* NewMenu(QWidget* parent, const QString& title, std::initializer_list<QAction*> items) {
  auto* menu = new QMenu(title, parent);
  for (QAction* item : items) menu->addAction(item);
  return menu;
}

// Shows `item` of the group in bold and its siblings plain; none when item is null.
void MarkDefaultItem(std::initializer_list<QAction*> group, const QAction* item) {
  for (QAction* action : group) {
    QFont font = action->font();
    font.setBold(action == item);
    action->setFont(font);
  }
}

// The action a choice option names among `items`, or null. With needsEnabled only
// the first item is taken whatever its state.
QAction* OptionItem(const pugi::xml_document& config, const TChoiceOption& option,
                    std::initializer_list<QAction*> items, bool needsEnabled) {
  const int number = ReadOption(config, option);
  if (number < 0 || number >= static_cast<int>(items.size())) return nullptr;
  QAction* item = *(items.begin() + number);
  if (needsEnabled && number > 0 && !item->isEnabled()) return nullptr;
  return item;
}

}  // namespace

TMainForm::TMainForm(const std::string& configPath, const std::string& launchPathsFile,
                     QWidget* parent)
    : QMainWindow(parent),
      config_(std::make_unique<pugi::xml_document>()),
      configPath_(configPath),
      launchPathsFile_(launchPathsFile) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Checkwell"));
  setWindowIcon(ApplicationIcon());
  EnsureManagerResources();
  startDetached_ = [](const std::string& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program), list);
  };
  pacer_ = new TFramePacer(this);
  connect(pacer_, &TFramePacer::FrameDue, this, &TMainForm::ShowFrame);
  ds_ = new TNTierDataset("ds", this);
  list_ = std::make_unique<TSFVList>(*ds_, *config_);

  CreateActions();
  CreateToolBar();
  CreateMenus();
  CreateBars();

  setAcceptDrops(true);
  created_ = FormCreate();
  if (!created_) return;
  ApplyDefaultActionMenus();
  DefineListColumns();
  EnableActions();
}

TMainForm::~TMainForm() {
  CloseDetailsTip();
  grd_->SetDataset(nullptr);
}

void TMainForm::CreateActions() {
  actStart = NewAction(this, "actStart", "Start");
  actStartSearchOnly = NewAction(this, "actStartSearchOnly", "Search Only");
  actStartSearchAndCheck = NewAction(this, "actStartSearchAndCheck", "Search and Check All");
  actStartCheckWaiting = NewAction(this, "actStartCheckWaiting", "Check Waiting Only", true);
  actStartCheckAll = NewAction(this, "actStartCheckAll", "Check All", true);
  actStartCheckSelected = NewAction(this, "actStartCheckSelected", "Check Selected Only", true);
  actStop = NewAction(this, "actStop", "Stop");
  actVisualCheckSFV = NewAction(this, "actVisualCheckSFV", "Visual Check", true);
  actMove = NewAction(this, "actMove", "Move", true);
  actMoveToFolder = NewAction(this, "actMoveToFolder", "Move to Folder", true);
  actMoveToZips = NewAction(this, "actMoveToZips", "Move to Zips", true);
  actMoveToSubFolders = NewAction(this, "actMoveToSubFolders", "Move To Sub Folders", true);
  actCopy = NewAction(this, "actCopy", "Copy", true);
  actCopyToFolder = NewAction(this, "actCopyToFolder", "Copy to Folder", true);
  actCopyToZips = NewAction(this, "actCopyToZips", "Copy to Zips", true);
  actCopyToSubFolders = NewAction(this, "actCopyToSubFolders", "Copy to Sub Folders", true);
  actRename = NewAction(this, "actRename", "Rename", true);
  actDeleteSFVAndFiles = NewAction(this, "actDeleteSFVAndFiles", "Delete", true);
  actMarkSelected = NewAction(this, "actMarkSelected", "Mark Selected", true);
  actMarkSelectedAsSkip = NewAction(this, "actMarkSelectedAsSkip", "Skip", true);
  actMarkSelectedAsHide = NewAction(this, "actMarkSelectedAsHide", "Hide", true);
  actMarkSelectedAsNormal = NewAction(this, "actMarkSelectedAsNormal", "Normal", true);
  actMarkGoodSFVs = NewAction(this, "actMarkGoodSFVs", "Mark Good", true);
  actMarkGoodAsSkip = NewAction(this, "actMarkGoodAsSkip", "Skip", true);
  actMarkGoodAsHide = NewAction(this, "actMarkGoodAsHide", "Hide", true);
  actMarkGoodAsNormal = NewAction(this, "actMarkGoodAsNormal", "Normal", true);
  actRemoveDone = NewAction(this, "actRemoveDone", "Remove Completed Entries", true);
  actSendToNotepad = NewAction(this, "actSendToNotepad", "Send To Notepad", true);
  actExplore = NewAction(this, "actExplore", "Explore this path", true);
  actPaths = NewAction(this, "actPaths", "Paths");
  actConfigureExtensions = NewAction(this, "actConfigureExtensions", "Configure Extensions");
  actOptions = NewAction(this, "actOptions", "Options");
  actExit = NewAction(this, "actExit", "Exit");
  actHelp = NewAction(this, "actHelp", "Checkwell Help");
  actCheckForNewVersion = NewAction(this, "actCheckForNewVersion", "Check for New Version");
  actHomepage = NewAction(this, "actHomepage", "Home Page");
  actDownload = NewAction(this, "actDownload", "Download");
  actHistory = NewAction(this, "actHistory", "Revision History");
  actDonate = NewAction(this, "actDonate", "Donate");
  actFeedback = NewAction(this, "actFeedback", "Feedback");
  actAbout = NewAction(this, "actAbout", "About...");

  actStart->setIcon(ManagerToolImage(TManagerTool::Start));
  actStop->setIcon(ManagerToolImage(TManagerTool::Stop));
  actVisualCheckSFV->setIcon(ManagerToolImage(TManagerTool::VisualCheck));
  actMove->setIcon(ManagerToolImage(TManagerTool::Move));
  actCopy->setIcon(ManagerToolImage(TManagerTool::Copy));
  actRename->setIcon(ManagerToolImage(TManagerTool::Rename));
  actDeleteSFVAndFiles->setIcon(ManagerToolImage(TManagerTool::Delete));
  actMarkSelected->setIcon(ManagerToolImage(TManagerTool::MarkSelected));
  actMarkGoodSFVs->setIcon(ManagerToolImage(TManagerTool::MarkGood));
  actSendToNotepad->setIcon(ManagerToolImage(TManagerTool::Notepad));
  actExplore->setIcon(ManagerToolImage(TManagerTool::Explore));

  const auto wire = [this](QAction* action, void (TMainForm::*handler)()) {
    connect(action, &QAction::triggered, this, handler);
  };
  wire(actStart, &TMainForm::actStartExecute);
  wire(actStartSearchOnly, &TMainForm::actStartSearchOnlyExecute);
  wire(actStartSearchAndCheck, &TMainForm::actStartSearchAndCheckExecute);
  wire(actStartCheckWaiting, &TMainForm::actStartCheckWaitingExecute);
  wire(actStartCheckAll, &TMainForm::actStartCheckAllExecute);
  wire(actStartCheckSelected, &TMainForm::actStartCheckSelectedExecute);
  wire(actStop, &TMainForm::actStopExecute);
  wire(actVisualCheckSFV, &TMainForm::actVisualCheckSFVExecute);
  wire(actMove, &TMainForm::actMoveExecute);
  wire(actMoveToFolder, &TMainForm::actMoveToFolderExecute);
  wire(actMoveToZips, &TMainForm::actMoveToZipsExecute);
  wire(actMoveToSubFolders, &TMainForm::actMoveToSubFoldersExecute);
  wire(actCopy, &TMainForm::actCopyExecute);
  wire(actCopyToFolder, &TMainForm::actCopyToFolderExecute);
  wire(actCopyToZips, &TMainForm::actCopyToZipsExecute);
  wire(actCopyToSubFolders, &TMainForm::actCopyToSubFoldersExecute);
  wire(actRename, &TMainForm::actRenameExecute);
  wire(actDeleteSFVAndFiles, &TMainForm::actDeleteSFVAndFilesExecute);
  wire(actMarkSelected, &TMainForm::actMarkSelectedExecute);
  wire(actMarkSelectedAsSkip, &TMainForm::actMarkSelectedAsSkipExecute);
  wire(actMarkSelectedAsHide, &TMainForm::actMarkSelectedAsHideExecute);
  wire(actMarkSelectedAsNormal, &TMainForm::actMarkSelectedAsNormalExecute);
  wire(actMarkGoodSFVs, &TMainForm::actMarkGoodSFVsExecute);
  wire(actMarkGoodAsSkip, &TMainForm::actMarkGoodAsSkipExecute);
  wire(actMarkGoodAsHide, &TMainForm::actMarkGoodAsHideExecute);
  wire(actMarkGoodAsNormal, &TMainForm::actMarkGoodAsNormalExecute);
  wire(actRemoveDone, &TMainForm::actRemoveDoneExecute);
  wire(actSendToNotepad, &TMainForm::actSendToNotepadExecute);
  wire(actExplore, &TMainForm::actExploreExecute);
  wire(actPaths, &TMainForm::actPathsExecute);
  wire(actConfigureExtensions, &TMainForm::actConfigureExtensionsExecute);
  wire(actOptions, &TMainForm::actOptionsExecute);
  wire(actExit, &TMainForm::actExitExecute);
  wire(actHelp, &TMainForm::actHelpExecute);
  wire(actCheckForNewVersion, &TMainForm::actCheckForNewVersionExecute);
  wire(actHomepage, &TMainForm::actHomepageExecute);
  wire(actDownload, &TMainForm::actDownloadExecute);
  wire(actHistory, &TMainForm::actHistoryExecute);
  wire(actDonate, &TMainForm::actDonateExecute);
  wire(actFeedback, &TMainForm::actFeedbackExecute);
  wire(actAbout, &TMainForm::actAboutExecute);
}

void TMainForm::CreateToolBar() {
  mnuStart_ = NewMenu(this, QString(),
                      {actStartSearchOnly, actStartSearchAndCheck, actStartCheckWaiting,
                       actStartCheckAll, actStartCheckSelected});
  mnuMove_ = NewMenu(this, QString(), {actMoveToFolder, actMoveToZips, actMoveToSubFolders});
  mnuCopy_ = NewMenu(this, QString(), {actCopyToFolder, actCopyToZips, actCopyToSubFolders});
  mnuMarkSelected_ = NewMenu(
      this, QString(), {actMarkSelectedAsSkip, actMarkSelectedAsHide, actMarkSelectedAsNormal});
  mnuMarkGood_ =
      NewMenu(this, QString(), {actMarkGoodAsSkip, actMarkGoodAsHide, actMarkGoodAsNormal});

  auto* toolBar = addToolBar(QStringLiteral("Tools"));
  toolBar->setObjectName(QStringLiteral("tbrTools"));
  toolBar->setMovable(false);
  toolBar->setIconSize(QSize(24, 24));
  toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  const auto dropDown = [toolBar](QAction* action, QMenu* menu) {
    toolBar->addAction(action);
    auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
  };
  dropDown(actStart, mnuStart_);
  toolBar->addAction(actStop);
  toolBar->addSeparator();
  toolBar->addAction(actVisualCheckSFV);
  dropDown(actMove, mnuMove_);
  dropDown(actCopy, mnuCopy_);
  toolBar->addAction(actRename);
  toolBar->addAction(actDeleteSFVAndFiles);
  toolBar->addSeparator();
  dropDown(actMarkSelected, mnuMarkSelected_);
  dropDown(actMarkGoodSFVs, mnuMarkGood_);
}

void TMainForm::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  file->setObjectName(QStringLiteral("mnuFile"));
  file->addAction(actPaths);
  file->addAction(actConfigureExtensions);
  file->addAction(actOptions);
  file->addSeparator();
  file->addAction(actExit);
  mnuWindow_ = menuBar()->addMenu(QStringLiteral("Window"));
  mnuWindow_->setObjectName(QStringLiteral("mnuWindow"));
  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  help->setObjectName(QStringLiteral("mnuHelp"));
  help->addAction(actHelp);
  help->addAction(actCheckForNewVersion);
  help->addSeparator();
  for (QAction* action : {actHomepage, actDownload, actHistory, actDonate, actFeedback})
    help->addAction(action);
  help->addSeparator();
  help->addAction(actAbout);

  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("popList"));
  QMenu* start = popup_->addMenu(QStringLiteral("Start"));
  start->addActions(mnuStart_->actions());
  popup_->addAction(actStop);
  popup_->addSeparator();
  popup_->addAction(actVisualCheckSFV);
  popMove_ = popup_->addMenu(QStringLiteral("Move"));
  popMove_->addActions(mnuMove_->actions());
  popCopy_ = popup_->addMenu(QStringLiteral("Copy"));
  popCopy_->addActions(mnuCopy_->actions());
  popup_->addAction(actRename);
  popup_->addAction(actDeleteSFVAndFiles);
  popup_->addSeparator();
  popup_->addMenu(QStringLiteral("Mark Selected"))->addActions(mnuMarkSelected_->actions());
  popup_->addMenu(QStringLiteral("Mark Good SFV's"))->addActions(mnuMarkGood_->actions());
  popup_->addSeparator();
  popup_->addAction(actRemoveDone);
  popup_->addSeparator();
  popup_->addAction(actSendToNotepad);
  popup_->addAction(actExplore);
}

void TMainForm::CreateBars() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* bar = new QWidget(central);
  bar->setObjectName(QStringLiteral("pnlFilter"));
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->setContentsMargins(4, 2, 4, 2);
  imgProduct_ = new QToolButton(bar);
  imgProduct_->setObjectName(QStringLiteral("imgProduct"));
  imgProduct_->setAutoRaise(true);
  imgProduct_->setIcon(QIcon(QPixmap::fromImage(ProductPicture())));
  imgProduct_->setIconSize(ProductPicture().size().scaled(QSize(160, 32), Qt::KeepAspectRatio));
  connect(imgProduct_, &QToolButton::clicked, this, &TMainForm::imgProductClick);
  barLayout->addWidget(imgProduct_);
  barLayout->addSpacing(12);
  auto* filterLabel = new QLabel(QStringLiteral("Filter"), bar);
  edtFilter_ = new QLineEdit(bar);
  edtFilter_->setObjectName(QStringLiteral("edtFilter"));
  filterLabel->setBuddy(edtFilter_);
  barLayout->addWidget(filterLabel);
  barLayout->addWidget(edtFilter_, 1);
  chkShowHidden_ = new QCheckBox(QStringLiteral("Show Hidden"), bar);
  chkShowHidden_->setObjectName(QStringLiteral("chkShowHidden"));
  connect(chkShowHidden_, &QCheckBox::clicked, this, &TMainForm::chkShowHiddenClick);
  barLayout->addWidget(chkShowHidden_);
  sbUseLaunchedPaths_ = new QToolButton(bar);
  sbUseLaunchedPaths_->setObjectName(QStringLiteral("sbUseLaunchedPaths"));
  sbUseLaunchedPaths_->setCheckable(true);
  sbUseLaunchedPaths_->setChecked(true);
  sbUseLaunchedPaths_->setText(QStringLiteral("Use Launched Paths (ON)"));
  sbUseLaunchedPaths_->setVisible(false);
  connect(sbUseLaunchedPaths_, &QToolButton::clicked, this, &TMainForm::sbUseLaunchedPathsClick);
  barLayout->addWidget(sbUseLaunchedPaths_);
  layout->addWidget(bar);

  grd_ = new TNTierGrid(central);
  grd_->setObjectName(QStringLiteral("grd"));
  grd_->SetColumnSorting(false);
  grd_->SetDefaultRowHeight(kRowHeight);
  grd_->setAccessibleName(QStringLiteral("SFV files"));
  grd_->SetCopyField("Filename");
  grd_->SetGlyphTextField("Status");
  grd_->SetImages(ManagerGlyphs());
  grd_->SetImageGap(kGlyphGap);
  grd_->SetOnDrawCell(
      [this](TNTierGrid& grid, QPainter& canvas, int column, int row, const QRect& rect,
             TGridDrawState state) { grdDrawCell(grid, canvas, column, row, rect, state); });
  grd_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grd_, &QWidget::customContextMenuRequested, this, &TMainForm::grdContextPopup);
  connect(grd_, &TNTierGrid::OnDblClickData, this, [this](TNTierGrid*, int, int row) {
    if (row > 0 && actVisualCheckSFV->isEnabled()) actVisualCheckSFV->trigger();
  });
  connect(grd_, &TNTierGrid::AfterSelectCell, this, &TMainForm::grdCurrentChanged);
  grd_->installEventFilter(this);
  layout->addWidget(grd_, 1);
  setCentralWidget(central);

  pnlRunState_ = new QLabel(statusBar());
  pnlRunState_->setObjectName(QStringLiteral("pnlRunState"));
  pnlRunState_->setFixedWidth(kRunStatePanelWidth);
  pnlSummary_ = new QLabel(statusBar());
  pnlSummary_->setObjectName(QStringLiteral("pnlSummary"));
  statusBar()->addWidget(pnlRunState_);
  statusBar()->addWidget(pnlSummary_, 1);
}

void TMainForm::DefineListColumns() {
  if (columnsDefined_) return;
  columnsDefined_ = true;
  list_->DefineColumns();
  TNTierColumn& glyph = ds_->Columns(ds_->IndexOfColumn("Glyph"));
  glyph.Width = kGlyphColumnWidth;
  glyph.StoredWidth = kGlyphColumnWidth;
  grd_->SetDataset(ds_);
  grd_->ColumnsChanged();
  grd_->InvalidateData();
  UpdateSummary();
}

QString TMainForm::FilterText() const {
  return edtFilter_->text();
}

void TMainForm::SetFilterText(const QString& text) {
  edtFilter_->setText(text);
}

bool TMainForm::ShowHiddenChecked() const {
  return chkShowHidden_->isChecked();
}

void TMainForm::SetShowHiddenChecked(bool checked) {
  chkShowHidden_->setChecked(checked);
}

bool TMainForm::UseLaunchedPaths() const {
  // Not isVisible(): the window may not be shown yet when a run starts.
  return !launchedPaths_.empty() && sbUseLaunchedPaths_->isChecked();
}

void TMainForm::sbUseLaunchedPathsClick() {
  sbUseLaunchedPaths_->setText(sbUseLaunchedPaths_->isChecked()
                                   ? QStringLiteral("Use Launched Paths (ON)")
                                   : QStringLiteral("Use Launched Paths (OFF)"));
}

void TMainForm::SetRunStateText(const QString& text) {
  pnlRunState_->setText(text);
}

QString TMainForm::RunStateText() const {
  return pnlRunState_->text();
}

QString TMainForm::SummaryText() const {
  return pnlSummary_->text();
}

void TMainForm::SaveConfig() {
  ::SaveConfig(*config_, configPath_);
}

// --- Busy mode and default items --------------------------------------------

void TMainForm::SetActionsEnabled(bool busy) {
  const bool hasRows = ds_->RowCount() > 0;
  for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
    if (action->objectName().isEmpty()) continue;
    const bool enable =
        !busy && action != actStop && (hasRows || !action->property(kNeedsRows).toBool());
    action->setEnabled(enable);
  }
  popMove_->setEnabled(actMove->isEnabled());
  popCopy_->setEnabled(actCopy->isEnabled());
  if (running_) LockForRun();
}

void TMainForm::BeginBusy() {
  ds_->SetSelectionLocked(true);
  grd_->SetColumnSorting(false);
  SetActionsEnabled(true);
}

void TMainForm::EndBusy() {
  ds_->SetSelectionLocked(false);
  grd_->SetColumnSorting(true);
  SetActionsEnabled(false);
}

void TMainForm::ApplyDefaultActionMenus() {
  const auto apply = [this](const TChoiceOption& option, std::initializer_list<QAction*> items,
                            bool needsEnabled) {
    MarkDefaultItem(items, OptionItem(*config_, option, items, needsEnabled));
  };
  apply(kDefaultMoveAction, {actMoveToFolder, actMoveToZips, actMoveToSubFolders}, true);
  apply(kDefaultCopyAction, {actCopyToFolder, actCopyToZips, actCopyToSubFolders}, true);
  apply(kDefaultStartAction,
        {actStartSearchOnly, actStartSearchAndCheck, actStartCheckWaiting, actStartCheckAll,
         actStartCheckSelected},
        false);
  apply(kDefaultMarkSelectedAction,
        {actMarkSelectedAsSkip, actMarkSelectedAsHide, actMarkSelectedAsNormal}, false);
  apply(kDefaultMarkGoodSFVsAction, {actMarkGoodAsSkip, actMarkGoodAsHide, actMarkGoodAsNormal},
        false);
}

bool TMainForm::EnsureTargetRows() {
  if (grd_->ActionRowCount() == 0) return false;
  grd_->EnsureSelection();
  return true;
}

// --- Window menu -------------------------------------------------------------

void TMainForm::AddWindowMenuItem(const std::string& caption, QObject*) {
  QAction* item = mnuWindow_->addAction(QString::fromStdString(caption));
  connect(item, &QAction::triggered, this, [item] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && window->windowTitle() == item->text()) {
        window->showNormal();
        window->raise();
        window->activateWindow();
        return;
      }
    }
  });
}

void TMainForm::RemoveWindowMenuItem(const std::string& caption) {
  const QString text = QString::fromStdString(caption);
  for (QAction* item : mnuWindow_->actions()) {
    if (item->text() == text) {
      mnuWindow_->removeAction(item);
      item->deleteLater();
      return;
    }
  }
}

// --- Events -----------------------------------------------------------------

bool TMainForm::event(QEvent* event) {
  if (event->type() == WM_SHOWFILEDETAILS) {
    ShowFileDetails();
    return true;
  }
  if (event->type() == WM_RECHECKSFV) {
    RecheckSFV(recheckPath_);
    return true;
  }
  if (event->type() == WM_OPENHOMEPAGE) {
    actHomepageExecute();
    return true;
  }
  if (event->type() == WM_DEFERREDSTARTUP) {
    DeferredStartup();
    return true;
  }
  return QMainWindow::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  CloseDetailsTip();
  abortRequested_ = true;
  FormCloseQuery();
  event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grd_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
    showDetails_ = !showDetails_;
    ShowFileDetails();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::grdCurrentChanged() {
  QCoreApplication::postEvent(this, new QEvent(WM_SHOWFILEDETAILS));
}

void TMainForm::grdContextPopup(const QPoint& position) {
  popup_->popup(grd_->viewport()->mapToGlobal(position));
}

bool TMainForm::StartDetached(const std::string& program,
                              const std::vector<std::string>& arguments) {
  return startDetached_(program, arguments);
}
