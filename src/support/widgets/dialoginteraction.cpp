#include "support/widgets/dialoginteraction.h"

#include "support/paths.h"
#include "support/widgets/qelmessagebox.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>

namespace {

// Dialogs belong to whatever the user is looking at, so that they stay above it
// and block it; with no window yet they stand alone.
QWidget* DialogParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace

int TDialogInteraction::MessageBox(const TMessageBoxParams& params) {
  TfrmQelMessageBox dialog(params, DialogParent());
  return dialog.Execute();
}

bool TDialogInteraction::InputBox(const std::string& title, const std::string& prompt,
                                  std::string& value) {
  QInputDialog dialog(DialogParent());
  dialog.setObjectName(QStringLiteral("dlgInputBox"));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(QString::fromUtf8(title));
  dialog.setLabelText(QString::fromUtf8(prompt));
  dialog.setTextValue(FromPath(value));
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("Cancel"));
  if (dialog.exec() != QDialog::Accepted) return false;
  value = ToPath(dialog.textValue());
  return true;
}

bool TDialogInteraction::ChooseFolder(const std::string& title, const std::string& startFolder,
                                      const std::string& presetName, std::string& folder) {
  QFileDialog dialog(DialogParent(), QString::fromUtf8(title), FromPath(startFolder));
  dialog.setObjectName(QStringLiteral("dlgChooseFolder"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!presetName.empty()) dialog.selectFile(FromPath(presetName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  folder = IncludeTrailingPathDelimiter(ToPath(dialog.selectedFiles().constFirst()));
  return true;
}
