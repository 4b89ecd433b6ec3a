#include "support/widgets/aboutbox.h"

#include "support/messages.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

TDlgAboutBox::TDlgAboutBox(const TVersionData& data, const std::string& productName,
                           const std::string& hiddenMessage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      hiddenMessage_(hiddenMessage) {
  setObjectName(QStringLiteral("DlgAboutBoxForm"));
  const QString product = QString::fromUtf8(productName);
  setWindowTitle(QStringLiteral("About ") + product);

  icon_ = new QLabel(this);
  icon_->setObjectName(QStringLiteral("imgIcon"));
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
  icon_->setPixmap(icon.pixmap(32, 32));
  icon_->installEventFilter(this);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->addWidget(icon_, 0, 0, 4, 1, Qt::AlignTop);
  grid->addWidget(AddLabel(this, "lblProductName", product), 0, 1);
  grid->addWidget(AddLabel(this, "lblVersion",
                           QStringLiteral("Version ") + QString::fromUtf8(data.FileVersion)),
                  1, 1);
  grid->addWidget(AddLabel(this, "lblCopyright", QString::fromUtf8(data.LegalCopyright)), 2, 1);
  grid->addWidget(AddLabel(this, "lblComments",
                           QStringLiteral("Finds, verifies and tidies the files of SFV lists.")),
                  3, 1);
  grid->addWidget(ok, 4, 0, 1, 2, Qt::AlignHCenter);
}

bool TDlgAboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == icon_ && event->type() == QEvent::MouseButtonDblClick) {
    IconDoubleClicked();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TDlgAboutBox::IconDoubleClicked() {
  if (++doubleClicks_ < kClicksForHiddenMessage) return;
  doubleClicks_ = 0;
  std::string message = hiddenMessage_;
  std::replace(message.begin(), message.end(), '~', '\r');
  ShowInformation(message);
}
