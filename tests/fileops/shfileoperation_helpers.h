#pragma once

#include "fileops/shfileoperation.h"

#include <QDir>
#include <QStringList>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Keeps the warnings an operation hands back, in order.
struct TReportLog {
  std::vector<std::string> Texts;
  TReportEvent Recorder() {
    return [this](const std::string& text) { Texts.push_back(text); };
  }
};

// The flags the set actions use to move or copy a set file by file.
inline const TSHFileOpFlags kSetTransfer{fofMultiDestFiles, fofNoConfirmation, fofNoConfirmMkDir};

// Temporary copies are dot-files beside their target; none may survive an operation.
inline bool HasLeftovers(const std::string& folder) {
  const QStringList names = QDir(QString::fromStdString(folder))
                                .entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    if (name.contains(QLatin1String(".cw-"))) return true;
  }
  return false;
}

// An operation whose progress display, when it has one, appears at once rather than
// after the usual second, so that tests see it.
inline std::unique_ptr<TSHFileOperation> MakeOperation(TSHFileOp operation, TSHFileOpFlags flags,
                                                       std::vector<std::string> from,
                                                       std::vector<std::string> to = {}) {
  auto op = std::make_unique<TSHFileOperation>();
  op->SetOperation(operation);
  op->SetFlags(flags);
  op->SetFilesFrom(std::move(from));
  op->SetFilesTo(std::move(to));
  op->SetProgressDelay(std::chrono::milliseconds(0));
  return op;
}
