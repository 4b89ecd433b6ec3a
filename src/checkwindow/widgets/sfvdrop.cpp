#include "checkwindow/widgets/sfvdrop.h"

#include <QMimeData>
#include <QUrl>

QStringList DroppedSFVFiles(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString file = url.toLocalFile();
    if (file.endsWith(QLatin1String(".sfv"), Qt::CaseInsensitive)) files << file;
  }
  return files;
}
