#include "checkwindow/widgets/summarystrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

TStatusCounts CountStatuses(const std::vector<TFileStatus>& statuses) {
  TStatusCounts counts;
  counts.Files = static_cast<int>(statuses.size());
  for (const TFileStatus status : statuses) {
    switch (status) {
      case TFileStatus::OK:
        ++counts.OK;
        break;
      case TFileStatus::Ignored:
        ++counts.Ignored;
        break;
      case TFileStatus::None:
      case TFileStatus::Waiting:
      case TFileStatus::NotFound:
      case TFileStatus::Running:
      case TFileStatus::NoCRC:
      case TFileStatus::CRCFailed:
        ++counts.Failed;
        break;
    }
  }
  return counts;
}

TSummaryStrip::TSummaryStrip(const QImage& picture, QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  // No spacing: each shown label starts exactly where the previous one ends.
  layout->setSpacing(0);

  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("imgProduct"));
  picture_->setPixmap(QPixmap::fromImage(picture));
  picture_->setCursor(Qt::PointingHandCursor);
  picture_->installEventFilter(this);
  layout->addWidget(picture_);
  layout->addSpacing(12);

  files_ = AddLabel(QColor(0, 0, 255));
  ok_ = AddLabel(QColor(0, 128, 0));
  ignored_ = AddLabel(QColor(128, 0, 128));
  failed_ = AddLabel(QColor(255, 0, 0));
  files_->setObjectName(QStringLiteral("lblFiles"));
  ok_->setObjectName(QStringLiteral("lblOK"));
  ignored_->setObjectName(QStringLiteral("lblIgnored"));
  failed_->setObjectName(QStringLiteral("lblFailed"));
  layout->addStretch(1);
}

QLabel* TSummaryStrip::AddLabel(const QColor& colour) {
  auto* label = new QLabel(this);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setVisible(false);
  layout()->addWidget(label);
  return label;
}

void TSummaryStrip::ShowCounts(const TStatusCounts& counts) {
  files_->setText(QStringLiteral("Files %1").arg(counts.Files));
  files_->setVisible(true);
  const auto show = [](QLabel* label, const char* caption, int count) {
    label->setText(QString::fromLatin1(caption) + QString::number(count));
    label->setVisible(count > 0);
  };
  show(ok_, ",  OK ", counts.OK);
  show(ignored_, ",  Ignored ", counts.Ignored);
  show(failed_, ",  Failed ", counts.Failed);
}

QString TSummaryStrip::SummaryText() const {
  QString text;
  for (const QLabel* label : {files_, ok_, ignored_, failed_}) {
    if (label->isVisibleTo(this)) text += label->text();
  }
  return text;
}

bool TSummaryStrip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    emit PictureClicked();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
