#pragma once

#include "sfv/verify.h"

#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

class QLabel;

// How a finished verification adds up: OK rows are good, ignored rows were
// skipped on purpose, and every other status (a row still waiting or running
// included) counts against the SFV.
struct TStatusCounts {
  int Files = 0;
  int OK = 0;
  int Ignored = 0;
  int Failed = 0;
};
TStatusCounts CountStatuses(const std::vector<TFileStatus>& statuses);

// The strip between the tool bar and the rows: the product picture, then the
// summary labels side by side. A label with nothing to count is hidden and the
// next one moves up to where the previous shown one ends.
class TSummaryStrip : public QWidget {
  Q_OBJECT

 public:
  explicit TSummaryStrip(const QImage& picture, QWidget* parent = nullptr);

  void ShowCounts(const TStatusCounts& counts);
  // What the strip reads now, e.g. "Files 5,  OK 2,  Ignored 1,  Failed 2".
  QString SummaryText() const;

 signals:
  void PictureClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* AddLabel(const QColor& colour);

  QLabel* picture_;
  QLabel* files_;
  QLabel* ok_;
  QLabel* ignored_;
  QLabel* failed_;
};
