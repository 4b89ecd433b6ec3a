#include "checkwindow/widgets/checksfvwindow.h"

#include "checkwindow/widgets/checkicons.h"
#include "checkwindow/widgets/jpegimage.h"
#include "checkwindow/widgets/screenarea.h"
#include "checkwindow/widgets/sfvdrop.h"
#include "checkwindow/widgets/summarystrip.h"
#include "checkwindow/widgets/texteditor.h"
#include "config/config.h"
#include "config/udfxml.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "sfv/sfvfiles.h"
#include "support/files.h"
#include "support/guard.h"
#include "support/messages.h"
#include "support/pacer.h"
#include "support/paths.h"
#include "support/productinfo.h"
#include "support/widgets/readablecolour.h"
#include "support/widgets/shell.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>
#include <new>
#include <span>

namespace {

constexpr int kRowHeight = 17;
constexpr int kGlyphColumnWidth = 20;

QString FromBytes(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

int ScreenHeight() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().height() : 768;
}

QAction* NewAction(QObject* parent, const char* name, const char* caption, const char* hint) {
  auto* action = new QAction(QString::fromLatin1(caption), parent);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(QString::fromLatin1(hint));
  action->setToolTip(QString::fromLatin1(hint));
  return action;
}

}  // namespace

TfrmCheckSFV::TfrmCheckSFV(TCheckWindowOwner* owner, QWidget* parent)
    : QMainWindow(parent), owner_(owner) {
  setObjectName(QStringLiteral("frmCheckSFV"));
  setWindowIcon(ApplicationIcon());
  startDetached_ = [](const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
  };
  repair_ = std::make_unique<TSFVRepair>(*this);
  pacer_ = new TFramePacer(this);
  connect(pacer_, &TFramePacer::FrameDue, this, &TfrmCheckSFV::ShowFrame);

  CreateActions();
  CreateToolBar();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  strip_ = new TSummaryStrip(ProductPicture(), central);
  connect(strip_, &TSummaryStrip::PictureClicked, this, &TfrmCheckSFV::imgProductClick);
  layout->addWidget(strip_);

  rows_ = new TNTierDataset("ds", this);
  grid_ = new TNTierGrid(central);
  grid_->setObjectName(QStringLiteral("grd"));
  grid_->SetColumnSorting(false);
  grid_->SetDefaultRowHeight(kRowHeight);
  grid_->setAccessibleName(QStringLiteral("Files"));
  grid_->SetCopyField("Filename");
  grid_->SetGlyphTextField("Status");
  grid_->SetImages({StatusGlyph(sgOK), StatusGlyph(sgFailed), StatusGlyph(sgIgnored),
                    StatusGlyph(sgRunning), StatusGlyph(sgWaiting)});
  grid_->SetOnDrawCell(
      [this](TNTierGrid& grid, QPainter& canvas, int column, int row, const QRect& rect,
             TGridDrawState state) { grdDrawCell(grid, canvas, column, row, rect, state); });
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this, &TfrmCheckSFV::grdContextPopup);
  connect(grid_, &TNTierGrid::OnDblClickData, this, [this](TNTierGrid*, int, int row) {
    if (row > 0 && actLaunch->isEnabled()) actLaunch->trigger();
  });
  layout->addWidget(grid_, 1);
  setCentralWidget(central);
  statusBar();

  DefineColumns();

  // Window keys come before the grid's own.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  auto* closeChild = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), this);
  connect(closeChild, &QShortcut::activated, this, [this] {
    if (OpenedByManager()) close();
  });

  setWindowTitle(BaseCaption());
  setAcceptDrops(true);
  // The repairs wait for an SFV to repair.
  SetActionsEnabled(true);
  QCoreApplication::postEvent(this, new QEvent(WM_STARTCHECK));

  if (owner_ != nullptr) {
    config_ = &owner_->Config();
    PlaceWindow(
        ReadCheckWindowBounds(FindOrCreateChild(*config_, kCheckWindowElement), ScreenHeight()));
  }
}

TfrmCheckSFV::~TfrmCheckSFV() {
  // The grid must not outlive its dataset's signals in a half-destroyed window.
  grid_->SetDataset(nullptr);
}

void TfrmCheckSFV::CreateActions() {
  actLaunch = NewAction(this, "actLaunch", "Shortcut", "Open selected file(s)");
  actRemove = NewAction(this, "actRemove", "Remove", "Remove selected file(s) from SFV");
  actRename = NewAction(this, "actRename", "Rename", "Rename selected file(s)");
  actRefreshCRC =
      NewAction(this, "actRefreshCRC", "Refresh CRC", "Recalulate CRC for selected file(s)");
  actTidySFV = NewAction(this, "actTidySFV", "Tidy SFV", "Tidy and rewrite the SFV file");
  actManager = NewAction(this, "actManager", "Manager", "Launch full Checkwell");
  actSendToNotepad = NewAction(this, "actSendToNotepad", "Send To Notepad", "Send To Notepad");
  actCopyFilename =
      NewAction(this, "actCopyFilename", "Copy Filename", "Copy Filename to Clipboard");

  actLaunch->setIcon(ToolImage(TToolImage::Launch));
  actRemove->setIcon(ToolImage(TToolImage::Remove));
  actRename->setIcon(ToolImage(TToolImage::Rename));
  actRefreshCRC->setIcon(ToolImage(TToolImage::RefreshCRC));
  actTidySFV->setIcon(ToolImage(TToolImage::TidySFV));
  actManager->setIcon(ToolImage(TToolImage::Manager));
  actSendToNotepad->setIcon(ToolImage(TToolImage::Notepad));
  actCopyFilename->setIcon(ToolImage(TToolImage::Copy));
  actManager->setVisible(false);
  actRemove->setShortcut(QKeySequence::Delete);
  actRename->setShortcut(QKeySequence(Qt::Key_F2));

  connect(actLaunch, &QAction::triggered, this,
          [this] { RunCommand([this] { actLaunchExecute(); }); });
  connect(actSendToNotepad, &QAction::triggered, this,
          [this] { RunCommand([this] { actSendToNotepadExecute(); }); });
  connect(actCopyFilename, &QAction::triggered, this,
          [this] { RunCommand([this] { actCopyFilenameExecute(); }); });
  connect(actManager, &QAction::triggered, this,
          [this] { RunCommand([this] { actManagerExecute(); }); });
  connect(actRemove, &QAction::triggered, this,
          [this] { RunCommand([this] { repair_->actRemoveExecute(); }); });
  connect(actRename, &QAction::triggered, this,
          [this] { RunCommand([this] { repair_->actRenameExecute(); }); });
  connect(actRefreshCRC, &QAction::triggered, this,
          [this] { RunCommand([this] { repair_->actRefreshCRCExecute(); }); });
  connect(actTidySFV, &QAction::triggered, this,
          [this] { RunCommand([this] { repair_->actTidySFVExecute(); }); });
}

void TfrmCheckSFV::CreateToolBar() {
  auto* toolBar = addToolBar(QStringLiteral("Tools"));
  toolBar->setObjectName(QStringLiteral("tbrTools"));
  toolBar->setMovable(false);
  toolBar->setIconSize(QSize(24, 24));
  toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolBar->addAction(actLaunch);
  toolBar->addSeparator();
  toolBar->addAction(actRemove);
  toolBar->addAction(actRename);
  toolBar->addAction(actRefreshCRC);
  toolBar->addAction(actManager);
  // Tab reaches the tool bar as it reaches the list.
  for (QAction* action : toolBar->actions()) {
    if (QWidget* button = toolBar->widgetForAction(action)) button->setFocusPolicy(Qt::TabFocus);
  }
}

void TfrmCheckSFV::DefineColumns() {
  TNTierColumn& glyph = rows_->AddColumn("Glyph", "", NTierType::String,
                                         NTierOption::Displayed | NTierOption::FixedWidth);
  glyph.NoReverse = true;
  glyph.Width = kGlyphColumnWidth;
  glyph.StoredWidth = kGlyphColumnWidth;
  rows_->AddColumn("Filename", "Filename", NTierType::String, NTierOption::Displayed);
  rows_->AddColumn("Status", "Status", NTierType::String, NTierOption::Displayed);
  // Sizes of 2 GiB and more do not fit the 32-bit integer column, so the size is
  // kept as its decimal text and shown right-aligned like a number.
  rows_->AddColumn("Size", "Size", NTierType::String, NTierOption::Displayed).Alignment =
      TNTierAlignment::Right;
  rows_->AddColumn("Timestamp", "Timestamp", NTierType::DateTime, NTierOption::Displayed);
  rows_->AddColumn("Path", "Path", NTierType::String, NTierOption::Displayed);
  rows_->PrepareColumns();
  grid_->SetDataset(rows_);
  grid_->ColumnsChanged();
  grid_->InvalidateData();
}

QString TfrmCheckSFV::BaseCaption() const {
  return OpenedByManager() ? QStringLiteral("Visual Check - ")
                           : QStringLiteral("Checkwell Visual Check - ");
}

QString TfrmCheckSFV::SummaryText() const {
  return strip_->SummaryText();
}

TWindowBounds TfrmCheckSFV::CurrentBounds() const {
  return TWindowBounds{pos().y(), pos().x(), height(), width()};
}

void TfrmCheckSFV::PlaceWindow(const TWindowBounds& bounds) {
  const TWindowBounds fitted = FitWindowBounds(bounds, AvailableScreenArea(bounds));
  move(fitted.Left, fitted.Top);
  resize(fitted.Width, fitted.Height);
}

bool TfrmCheckSFV::InitStandAlone(const std::string& configPath) {
  std::unique_ptr<pugi::xml_document> document;
  try {
    document = CreateXMLDocument();
  } catch (const std::exception&) {
    document.reset();
  }
  if (document == nullptr) {
    ShowWarning("You need to install the Microsoft XML Parser V3 or above to use this product.");
    return false;
  }
  try {
    const pugi::xml_node element = LoadCheckWindowConfig(*document, configPath);
    PlaceWindow(ReadCheckWindowBounds(element, ScreenHeight()));
  } catch (const std::exception& error) {
    ShowException(ConfigLoadErrorText(configPath), 0, error);
    return false;
  }
  ownConfig_ = std::move(document);
  config_ = ownConfig_.get();
  configPath_ = configPath;
  return true;
}

bool TfrmCheckSFV::event(QEvent* event) {
  if (event->type() == WM_STARTCHECK) {
    StartCheck();
    return true;
  }
  // The status bar stays blank; the hints are read from the actions by the context menu.
  if (event->type() == QEvent::StatusTip) return true;
  return QMainWindow::event(event);
}

void TfrmCheckSFV::StartCheck() {
  if (closing_ || launchFile_.empty()) return;
  const std::string sfvFile = AbsoluteFilePath(launchFile_);
  if (!FileExists(sfvFile)) {
    strip_->ShowProblem(FromBytes("The SFV file " + sfvFile + " does not exist."));
    return;
  }
  actManager->setVisible(true);
  CheckSFVFile(sfvFile);
}

void TfrmCheckSFV::VerifySFVAgain() {
  RemoveAllRows();
  CheckSFVFile(sfvPath_);
}

void TfrmCheckSFV::CheckSFVFile(const std::string& sfvFile) {
  GuardedCommand("", [&] {
    // Taken before the read: a change in between then counts as a change, never
    // the other way round.
    const TFileIdentity identity = FileIdentityOf(sfvFile);
    std::string text, problem;
    // The command-line verifier's limits, so both take the same lists.
    if (!LoadSFVText(sfvFile, text, problem)) {
      const std::string message = "The SFV file " + sfvFile + " " + problem + ".";
      sfvShown_ = false;
      strip_->ShowProblem(FromBytes(message));
      ShowWarning(message);
      return;
    }
    sfvIdentity_ = identity;
    // A window without a loaded configuration verifies without extension rules.
    pugi::xml_document empty;
    empty.append_child("config");
    const pugi::xml_document& config = config_ != nullptr ? *config_ : empty;
    std::string fileDetails;
    bool mine = false;
    try {
      RunVerification([&](const TVerifyOptions& options) {
        return VerifySFV(std::move(text), ExtractFilePath(sfvFile), ExtractFileName(sfvFile),
                         config, fileDetails, mine, OwnRunOptions(options));
      });
    } catch (const std::bad_alloc&) {
      // Without rows no repair can write back a list that was only read in part.
      RemoveAllRows();
      ShowWarning("The SFV file " + sfvFile + " " + kNoMemoryProblem + ".");
    }
  });
}

// --- Long operations ---------------------------------------------------------

// Ends an operation however it leaves: the screen shows the final state, the
// actions come back, and a window that was closed meanwhile is put away once
// nothing of the operation is on the stack any more.
class TfrmCheckSFV::TLongOperation {
 public:
  explicit TLongOperation(TfrmCheckSFV& window) : window_(window) {
    if (window_.busy_++ == 0) window_.SetActionsEnabled(false);
  }
  ~TLongOperation() {
    if (--window_.busy_ > 0) return;
    window_.pacer_->Flush();
    window_.SetActionsEnabled(true);
    if (window_.closing_) window_.FinishClose();
  }
  TLongOperation(const TLongOperation&) = delete;
  TLongOperation& operator=(const TLongOperation&) = delete;

 private:
  TfrmCheckSFV& window_;
};

TVerifyOptions TfrmCheckSFV::ViewOptions() {
  TVerifyOptions options;
  options.View = this;
  options.OnQueryAbort = [this](bool& abort) { QueryAbort(abort); };
  options.Yield = [this] { pacer_->Yield(); };
  return options;
}

TVerifyOptions TfrmCheckSFV::OwnRunOptions(const TVerifyOptions& options) {
  TVerifyOptions own = options;
  // The window's own runs have no use for the text besides its working copy.
  own.ViewTakesFileDetails = true;
  return own;
}

TVerifyResult TfrmCheckSFV::RunVerification(const TVerification& verify) {
  const TLongOperation operation(*this);
  // Counted down before the operation ends, whatever the verification throws.
  const std::unique_ptr<int, void (*)(int*)> verifying(&++verifying_, [](int* n) { --*n; });
  return verify(ViewOptions());
}

void TfrmCheckSFV::RunCommand(const std::function<void()>& command) {
  if (busy_ > 0 || closing_) return;
  const TLongOperation operation(*this);
  GuardedCommand("", command);
}

void TfrmCheckSFV::SetActionsEnabled(bool enabled) {
  for (QAction* action : {actLaunch, actManager, actSendToNotepad, actCopyFilename}) {
    action->setEnabled(enabled);
  }
  for (QAction* action : {actRemove, actRename, actRefreshCRC, actTidySFV}) {
    action->setEnabled(enabled && sfvShown_);
  }
}

void TfrmCheckSFV::ShowFrame() {
  EndAppending();
  if (ValidRow(pendingCurrent_)) grid_->SetCurrentDataRow(pendingCurrent_);
  pendingCurrent_ = -1;
  if (dirty_) {
    dirty_ = false;
    grid_->InvalidateData();
  }
}

void TfrmCheckSFV::EndAppending() {
  if (!appending_) return;
  appending_ = false;
  rows_->EndUpdate();
}

// --- The verification's view -------------------------------------------------

bool TfrmCheckSFV::ValidRow(int row) const {
  // A closing window has dropped its rows while a verification may still be
  // unwinding; its last calls find nothing to write to.
  return row >= 0 && row < rows_->RowCount();
}

void TfrmCheckSFV::ShowView() {
  if (!isVisible()) show();
}

void TfrmCheckSFV::AttachSFV(const std::string& sfvPath) {
  sfvPath_ = sfvPath;
  sfvShown_ = true;
  if (busy_ == 0) SetActionsEnabled(true);
  const QString caption = BaseCaption() + FromBytes(sfvPath);
  if (owner_ != nullptr && !menuCaption_.empty()) owner_->RemoveWindowMenuItem(menuCaption_);
  setWindowTitle(caption);
  if (owner_ != nullptr) {
    menuCaption_ = caption.toStdString();
    owner_->AddWindowMenuItem(menuCaption_, this);
  }
}

int TfrmCheckSFV::AppendRow() {
  if (rows_->ColumnCount() == 0) return -1;
  // A view told of every appended row would lay its rows out again each time.
  if (!appending_) {
    rows_->BeginUpdate();
    appending_ = true;
  }
  return rows_->AppendRow();
}

void TfrmCheckSFV::SetFilename(int row, const std::string& fileName) {
  if (ValidRow(row)) rows_->FieldByName("Filename", row).SetAsString(fileName);
}

void TfrmCheckSFV::SetPath(int row, const std::string& folder) {
  if (ValidRow(row)) rows_->FieldByName("Path", row).SetAsString(folder);
}

void TfrmCheckSFV::SetStatus(int row, TFileStatus status) {
  if (ValidRow(row)) rows_->FieldByName("Status", row).SetAsString(FileStatusText(status));
}

void TfrmCheckSFV::SetSize(int row, std::int64_t size) {
  if (ValidRow(row)) rows_->FieldByName("Size", row).SetAsString(std::to_string(size));
}

void TfrmCheckSFV::SetTimestamp(int row, TDateTime timestamp) {
  if (ValidRow(row)) rows_->FieldByName("Timestamp", row).SetAsDateTime(timestamp);
}

TFileStatus TfrmCheckSFV::GetStatus(int row) const {
  return ValidRow(row) ? FileStatusFromText(rows_->FieldByName("Status", row).AsString())
                       : TFileStatus::None;
}

void TfrmCheckSFV::MakeCurrent(int row) {
  pendingCurrent_ = row;
  dirty_ = true;
}

void TfrmCheckSFV::Repaint() {
  EndAppending();
  dirty_ = true;
}

void TfrmCheckSFV::ShowSummary() {
  EndAppending();
  std::vector<TFileStatus> statuses;
  statuses.reserve(static_cast<size_t>(rows_->RowCount()));
  for (int row = 0; row < rows_->RowCount(); ++row) statuses.push_back(GetStatus(row));
  strip_->ShowCounts(CountStatuses(statuses));
  pendingCurrent_ = -1;
  dirty_ = false;
  grid_->InvalidateData();
  if (rows_->RowCount() > 0) grid_->SetCurrentDataRow(rows_->RowCount() - 1);
}

void TfrmCheckSFV::SetFileDetailsXML(const std::string& text) {
  fileDetailsXML_ = text;
}

void TfrmCheckSFV::TakeFileDetailsXML(std::string&& text) {
  fileDetailsXML_ = std::move(text);
}

// --- The repairs' host -------------------------------------------------------

int TfrmCheckSFV::ActionRowCount() const {
  return grid_->ActionRowCount();
}

void TfrmCheckSFV::EnsureSelection() {
  grid_->EnsureSelection();
}

std::vector<int> TfrmCheckSFV::SelectedRows() const {
  std::vector<int> selected;
  const int count = rows_->SelectedCount();
  selected.reserve(static_cast<size_t>(count));
  for (int n = 0; n < count; ++n) selected.push_back(rows_->SelectedRow(n));
  return selected;
}

int TfrmCheckSFV::RowCount() const {
  return rows_->RowCount();
}

std::string TfrmCheckSFV::RowFilename(int row) const {
  return ValidRow(row) ? rows_->FieldByName("Filename", row).AsString() : std::string();
}

std::string TfrmCheckSFV::RowPath(int row) const {
  return ValidRow(row) ? rows_->FieldByName("Path", row).AsString() : std::string();
}

std::string TfrmCheckSFV::RowFile(int row) const {
  return RowPath(row) + RowFilename(row);
}

void TfrmCheckSFV::SaveWindowPlacement() {
  if (pugi::xml_document* config = std::exchange(config_, nullptr); config != nullptr) {
    // Released whatever the save does: the configuration is not used again.
    const std::unique_ptr<pugi::xml_document> owned = std::move(ownConfig_);
    WriteWindowBounds(FindOrCreateChild(*config, kCheckWindowElement), CurrentBounds());
    if (owner_ != nullptr) {
      owner_->SaveConfig();
    } else {
      SaveConfig(*config, configPath_);
    }
  }
  EndAppending();
  pendingCurrent_ = -1;
  rows_->ClearColumns();
  grid_->ColumnsChanged();
  grid_->InvalidateData();
}

void TfrmCheckSFV::HandBackToManager(const std::string& sfvPath) {
  if (owner_ == nullptr) return;
  TCheckWindowOwner* owner = owner_;
  owner->SetRecheckPath(sfvPath);
  close();
  QCoreApplication::postEvent(owner->EventReceiver(), new QEvent(WM_RECHECKSFV));
}

bool TfrmCheckSFV::YieldAndQueryClosing() {
  pacer_->Yield();
  return closing_;
}

void TfrmCheckSFV::RemoveAllRows() {
  EndAppending();
  pendingCurrent_ = -1;
  rows_->Clear();
}

void TfrmCheckSFV::VerifyAsView(const std::string& fileDetailsXML) {
  std::string text = fileDetailsXML;
  RunVerification([&](const TVerifyOptions& options) {
    return VerifyFileDetails(text, sfvPath_, OwnRunOptions(options));
  });
}

// --- Closing -----------------------------------------------------------------

void TfrmCheckSFV::dragEnterEvent(QDragEnterEvent* event) {
  if (!closing_ && !DroppedSFVFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfrmCheckSFV::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedSFVFiles(event->mimeData());
  if (closing_ || files.isEmpty()) return;
  event->acceptProposedAction();
  // The program itself opens each one, as the desktop does: every window keeps
  // its own rows and its own repairs.
  const QString program = QCoreApplication::applicationFilePath();
  for (const QString& file : files) {
    if (!startDetached_(program, {file})) {
      ShowWarning("Unable to start " + QFile::encodeName(program).toStdString() + ".");
      return;
    }
  }
}

void TfrmCheckSFV::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closing_) return;
  closing_ = true;
  // A running operation sees the flag at its next abort point and returns; the
  // window is put away when it has, so the rows are never emptied under it.
  if (busy_ == 0) FinishClose();
}

void TfrmCheckSFV::FinishClose() {
  if (closeFinished_) return;
  closeFinished_ = true;
  GuardedCommand("", [this] { SaveWindowPlacement(); });
  if (owner_ != nullptr && !menuCaption_.empty()) owner_->RemoveWindowMenuItem(menuCaption_);
  if (owner_ != nullptr) deleteLater();
}

// --- Commands ----------------------------------------------------------------

std::vector<int> TfrmCheckSFV::HighlightedRows() {
  if (grid_->ActionRowCount() == 0) return {};
  grid_->EnsureSelection();
  return SelectedRows();
}

void TfrmCheckSFV::actLaunchExecute() {
  for (const int row : HighlightedRows()) {
    const std::string file = RowFile(row);
    if (FileExists(file)) ShellOpenDefault(file);
  }
}

void TfrmCheckSFV::actSendToNotepadExecute() {
  for (const int row : HighlightedRows()) {
    const std::string file = RowFile(row);
    if (!FileExists(file)) {
      ShowWarning("File not found : " + file + ".");
      continue;
    }
    const std::optional<TEditorCommand> editor = TextEditorCommand(FromBytes(file));
    if (!editor || !startDetached_(editor->Program, editor->Arguments)) ShellOpenDefault(file);
  }
}

void TfrmCheckSFV::actCopyFilenameExecute() {
  if (rows_->RowCount() == 0) return;
  const int row = grid_->CurrentDataRow();
  if (!ValidRow(row)) return;
  QGuiApplication::clipboard()->setText(FromBytes(RowFilename(row)));
}

void TfrmCheckSFV::actManagerExecute() {
  const QString program = QCoreApplication::applicationFilePath();
  // Closing would leave the user with no window at all if the manager never came up.
  if (!startDetached_(program, {})) {
    ShowWarning("Unable to start " + QFile::encodeName(program).toStdString() + ".");
    return;
  }
  close();
}

void TfrmCheckSFV::imgProductClick() {
  ShellOpenDefault(ProductPageURL("/shareware/donate.asp?appid=checkwell"));
}

// --- Drawing -----------------------------------------------------------------

void TfrmCheckSFV::grdDrawCell(TNTierGrid& grid, QPainter& canvas, int column, int row,
                               const QRect& rect, TGridDrawState state) {
  if (state.Fixed || row <= 0 || !ValidRow(row - 1)) {
    grid.PaintCell(canvas, column, row, rect, state);
    return;
  }
  const TFileStatus status = GetStatus(row - 1);
  QPen pen = canvas.pen();
  pen.setColor(ReadableOn(StatusTextColor(status, pen.color()), canvas.brush().color()));
  canvas.setPen(pen);
  const int glyph = StatusGlyphIndex(status);
  if (grid.Columns(column).Name == "Glyph" && glyph >= 0) {
    const TCellImage image{0, glyph};
    grid.PaintCell(canvas, column, row, rect, state, std::span<const TCellImage>(&image, 1));
    return;
  }
  grid.PaintCell(canvas, column, row, rect, state);
}

QMenu* TfrmCheckSFV::CreateContextMenu(QWidget* parent) const {
  // The menu reads like a list of what will happen: each item is captioned with
  // its action's hint, looked up afresh every time the menu opens.
  auto* menu = new QMenu(parent);
  const auto addItem = [menu](QAction* action) {
    QAction* item = menu->addAction(action->icon(), action->statusTip());
    item->setObjectName(action->objectName() + QStringLiteral("Item"));
    item->setEnabled(action->isEnabled());
    item->setVisible(action->isVisible());
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
  };
  addItem(actLaunch);
  addItem(actSendToNotepad);
  menu->addSeparator();
  addItem(actRemove);
  addItem(actRename);
  addItem(actRefreshCRC);
  addItem(actTidySFV);
  addItem(actCopyFilename);
  menu->addSeparator();
  addItem(actManager);
  return menu;
}

void TfrmCheckSFV::grdContextPopup(const QPoint& position) {
  const std::unique_ptr<QMenu> menu(CreateContextMenu(nullptr));
  menu->exec(grid_->viewport()->mapToGlobal(position));
}
