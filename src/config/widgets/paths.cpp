#include "config/widgets/paths.h"

#include "config/widgets/listtools.h"

#include "config/configowner.h"
#include "support/guard.h"
#include "support/messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr const char* kCaption = "Paths";
constexpr const char* kChooserTitle = "Path for searching";

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

}  // namespace

TfrmPaths::TfrmPaths(TConfigOwner& owner, QWidget* parent)
    : QMainWindow(parent, Qt::Window), owner_(owner) {
  setObjectName(QStringLiteral("frmPaths"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromLatin1(kCaption));
  resize(420, 300);

  const TListTools tools = AddListTools(
      *this, "popPaths", [this] { actNewExecute(); }, [this] { actEditExecute(); },
      [this] { actDeleteExecute(); });
  actNew = tools.New;
  actEdit = tools.Edit;
  actDelete = tools.Delete;
  popup_ = tools.Popup;

  lstPaths_ = new QListWidget(this);
  lstPaths_->setObjectName(QStringLiteral("lstPaths"));
  lstPaths_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lstPaths_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popup_->popup(lstPaths_->viewport()->mapToGlobal(at)); });
  connect(lstPaths_, &QListWidget::itemChanged, this, &TfrmPaths::lstPathsItemChanged);
  connect(lstPaths_, &QListWidget::itemDoubleClicked, actEdit, &QAction::trigger);
  setCentralWidget(lstPaths_);
  statusBar();

  auto* closeChild = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), this);
  connect(closeChild, &QShortcut::activated, this, &QWidget::close);

  move(50, 50);
  LoadList();
  owner_.AddWindowMenuItem(kCaption, this);
}

TfrmPaths::~TfrmPaths() = default;

void TfrmPaths::LoadList() {
  paths_ = FindOrCreatePaths(owner_.Config());
  filling_ = true;
  for (const TSearchPath& entry : LoadPathList(paths_)) {
    auto* item = new QListWidgetItem(FromPath(entry.Folder), lstPaths_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.Active ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = false;
  if (lstPaths_->count() > 0) lstPaths_->setCurrentRow(0);
  UpdateActions();
}

std::vector<TSearchPath> TfrmPaths::Entries() const {
  std::vector<TSearchPath> entries;
  for (int i = 0; i < lstPaths_->count(); ++i) {
    const QListWidgetItem* item = lstPaths_->item(i);
    entries.push_back({ToPath(item->text()), item->checkState() == Qt::Checked});
  }
  return entries;
}

void TfrmPaths::WriteList(const std::string& current) {
  const int currentRow = lstPaths_->currentRow();
  std::vector<TSearchPath> entries = Entries();
  WritePathList(paths_, entries);
  filling_ = true;
  lstPaths_->clear();
  for (const TSearchPath& entry : entries) {
    auto* item = new QListWidgetItem(FromPath(entry.Folder), lstPaths_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.Active ? Qt::Checked : Qt::Unchecked);
    if (!current.empty() && entry.Folder == current) lstPaths_->setCurrentItem(item);
  }
  filling_ = false;
  // Without a folder to follow the current place stays, as after a deletion.
  if (lstPaths_->currentItem() == nullptr && lstPaths_->count() > 0)
    lstPaths_->setCurrentRow(std::clamp(currentRow, 0, lstPaths_->count() - 1));
}

void TfrmPaths::UpdateActions() {
  const bool any = lstPaths_->count() > 0;
  actEdit->setEnabled(any);
  actDelete->setEnabled(any);
}

bool TfrmPaths::ChooseFolder(const std::string& startFolder, const char* presetName,
                             std::string& folder) {
  return ::ChooseFolder(kChooserTitle, startFolder, presetName, folder);
}

bool TfrmPaths::PassesDuplicateTest(const std::string& folder, int except) const {
  const int clashes = CountDuplicatePaths(Entries(), folder, except);
  for (int i = 0; i < clashes; ++i) ShowWarning("Duplicate path.");
  return clashes == 0;
}

void TfrmPaths::actNewExecute() {
  std::string folder;
  if (!ChooseFolder({}, "Choose Path [New]", folder)) return;
  if (PassesDuplicateTest(folder, -1)) {
    filling_ = true;
    auto* item = new QListWidgetItem(FromPath(folder), lstPaths_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    filling_ = false;
    WriteList(folder);
  }
  UpdateActions();
}

void TfrmPaths::actEditExecute() {
  QListWidgetItem* item = lstPaths_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  std::string folder;
  if (!ChooseFolder(ToPath(item->text()), "Choose Path [Edit]", folder)) return;
  if (!PassesDuplicateTest(folder, lstPaths_->row(item))) return;
  filling_ = true;
  item->setText(FromPath(folder));
  filling_ = false;
  WriteList(folder);
}

void TfrmPaths::actDeleteExecute() {
  QListWidgetItem* item = lstPaths_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const std::string folder = ToPath(item->text());
  const bool remove =
      AskQuestion("Deleting the path '" + folder + "'\rContinue?", 0, qbNo, qbNo) == mrYes;
  if (remove) delete item;
  WriteList(remove ? std::string() : folder);
  UpdateActions();
}

// A box ticked or cleared reaches the document at once (the entry keeps its
// place), so closing the manager while this window is open keeps the change.
void TfrmPaths::lstPathsItemChanged(QListWidgetItem* item) {
  if (filling_) return;
  SetPathActive(paths_, ToPath(item->text()), item->checkState() == Qt::Checked);
}

void TfrmPaths::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closed_) return;
  closed_ = true;
  GuardedCommand("", [this] { WriteList(); });
  owner_.RemoveWindowMenuItem(kCaption);
}
