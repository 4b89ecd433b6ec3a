#pragma once

#include <QStringList>

class QMimeData;

// The local ".sfv" files among what a drag carries (the extension in any letter
// case); nothing else of a drag is taken.
QStringList DroppedSFVFiles(const QMimeData* data);
