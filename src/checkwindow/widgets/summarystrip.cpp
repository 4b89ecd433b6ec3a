#include "checkwindow/widgets/summarystrip.h"

#include "support/widgets/readablecolour.h"

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

namespace {

const QColor kFilesColour(0, 0, 255);
const QColor kOKColour(0, 128, 0);
const QColor kIgnoredColour(128, 0, 128);
const QColor kFailedColour(255, 0, 0);

}  // namespace

TSummaryStrip::TSummaryStrip(const QImage& picture, QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(0);

  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("imgProduct"));
  picture_->setPixmap(QPixmap::fromImage(picture));
  picture_->setCursor(Qt::PointingHandCursor);
  picture_->installEventFilter(this);
  layout->addWidget(picture_);
  layout->addSpacing(12);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setTextFormat(Qt::RichText);
  summary_->setTextInteractionFlags(Qt::NoTextInteraction);
  QFont font = summary_->font();
  font.setBold(true);
  summary_->setFont(font);
  layout->addWidget(summary_, 1);
}

void TSummaryStrip::ShowCounts(const TStatusCounts& counts) {
  std::vector<TPart> parts{{QStringLiteral("Files %1").arg(counts.Files), kFilesColour}};
  const auto add = [&parts](const char* caption, int count, const QColor& colour) {
    if (count > 0) parts.push_back({QString::fromLatin1(caption) + QString::number(count), colour});
  };
  add(",  OK ", counts.OK, kOKColour);
  add(",  Ignored ", counts.Ignored, kIgnoredColour);
  add(",  Failed ", counts.Failed, kFailedColour);
  Show(std::move(parts));
}

void TSummaryStrip::ShowProblem(const QString& text) {
  Show({{text, kFailedColour}});
}

void TSummaryStrip::Show(std::vector<TPart> parts) {
  parts_ = std::move(parts);
  Render();
}

void TSummaryStrip::Render() {
  const QColor background = palette().color(QPalette::Window);
  QString html;
  for (const TPart& part : parts_) {
    // Blanks are kept as they are: the sentence separates its counts with two.
    html += QStringLiteral("<span style=\"color:%1; white-space:pre\">%2</span>")
                .arg(ReadableOn(part.Colour, background).name(), part.Text.toHtmlEscaped());
  }
  summary_->setText(html);
  summary_->setAccessibleName(SummaryText());
}

QString TSummaryStrip::SummaryText() const {
  QString text;
  for (const TPart& part : parts_) text += part.Text;
  return text;
}

void TSummaryStrip::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) Render();
}

bool TSummaryStrip::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    emit PictureClicked();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
