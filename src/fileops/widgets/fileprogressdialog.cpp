#include "fileops/widgets/fileprogressdialog.h"

#include <QApplication>
#include <QFile>
#include <QProgressDialog>
#include <QWidget>

namespace {

constexpr int kSteps = 1000;

// The nearest window up the owner chain, else whatever window the user works in.
QWidget* WindowFor(QObject* owner) {
  for (QObject* o = owner; o != nullptr; o = o->parent()) {
    if (auto* widget = qobject_cast<QWidget*>(o)) return widget->window();
  }
  return QApplication::activeWindow();
}

}  // namespace

TFileProgressDialog::TFileProgressDialog(const std::string& title, QWidget* parent)
    : dialog_(new QProgressDialog(parent)) {
  dialog_->setWindowTitle(QString::fromLocal8Bit(title));
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setCancelButtonText(QStringLiteral("Cancel"));
  dialog_->setRange(0, kSteps);
  dialog_->setMinimumDuration(0);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumWidth(420);
  dialog_->show();
  QObject::connect(&pacer_, &TFramePacer::FrameDue, dialog_, [this] { ShowPending(); });
  pacer_.RequestFrame();
}

TFileProgressDialog::~TFileProgressDialog() {
  delete dialog_.data();
}

bool TFileProgressDialog::Update(const std::string& file, std::uint64_t done, std::uint64_t total) {
  if (dialog_.isNull()) return false;
  const int value =
      total == 0
          ? 0
          : static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * kSteps);
  if (!file.empty()) pendingFile_ = QFile::decodeName(QByteArray::fromStdString(file));
  pendingValue_ = value < kSteps ? value : kSteps;
  pacer_.Yield();
  return !dialog_.isNull() && !dialog_->wasCanceled();
}

void TFileProgressDialog::ShowPending() {
  if (dialog_.isNull()) return;
  dialog_->setLabelText(pendingFile_);
  // Modal, the dialog processes events itself on a new value: only one per frame.
  dialog_->setValue(pendingValue_);
}

std::unique_ptr<TFileOperationProgress> TFileProgressDialogFactory::Create(const std::string& title,
                                                                           QObject* owner) {
  return std::make_unique<TFileProgressDialog>(title, WindowFor(owner));
}
