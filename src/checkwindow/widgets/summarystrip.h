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
// summary as one label, so that a screen reader hears the whole sentence. Each
// count has its colour; a count of nothing is left out and the next one moves
// up to where the previous shown one ends.
class TSummaryStrip : public QWidget {
  Q_OBJECT

 public:
  explicit TSummaryStrip(const QImage& picture, QWidget* parent = nullptr);

  void ShowCounts(const TStatusCounts& counts);
  // Says why there is nothing to show, in the colour of a failure.
  void ShowProblem(const QString& text);
  // What the strip reads now, e.g. "Files 5,  OK 2,  Ignored 1,  Failed 2".
  QString SummaryText() const;

 signals:
  void PictureClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // One coloured part of the sentence.
  struct TPart {
    QString Text;
    QColor Colour;
  };
  void Show(std::vector<TPart> parts);
  // Lays the parts out again, in colours readable on the strip's palette.
  void Render();

  QLabel* picture_;
  QLabel* summary_;
  std::vector<TPart> parts_;
};
