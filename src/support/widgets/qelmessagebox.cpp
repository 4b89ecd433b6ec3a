#include "support/widgets/qelmessagebox.h"

#include "support/widgets/shell.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kIconLeft = 16;
constexpr int kIconTop = 8;
constexpr int kIconSize = 32;
constexpr int kTextLeft = kIconSize + 32;
constexpr int kTextRightMargin = 24;
constexpr int kFirstLineTop = 16;
constexpr int kLineGap = 2;
constexpr int kMinButtonTop = 56;
constexpr int kButtonGapBelowText = 6;
constexpr int kButtonHeight = 25;
constexpr int kStackedGap = 3;
constexpr int kSideBySideGap = 8;
constexpr int kEdge = 16;
constexpr int kCaptionPadding = 16;
constexpr int kBottomMargin = 32;
constexpr int kMemoHeight = 150;
constexpr int kMemoAbove = 24;
constexpr int kMoreInfoGrowth = 166;

QString FromBytes(const std::string& text) {
  return QString::fromUtf8(text);
}

int LineHeight(const QFontMetrics& metrics, const QString& line) {
  return metrics.size(Qt::TextSingleLine, line.isEmpty() ? QStringLiteral("A") : line).height();
}

// Width of a caption as the button shows it, with "&" marking a mnemonic.
int CaptionWidth(const QFontMetrics& metrics, const QString& caption) {
  return metrics.size(Qt::TextShowMnemonic, caption).width();
}

int ButtonWidth(const TMessageBoxParams& params, const QFontMetrics& metrics, int index,
                const QString& caption) {
  int width = CaptionWidth(metrics, caption);
  if (index == params.MoreButton) {
    width = std::max(CaptionWidth(metrics, TfrmQelMessageBox::FoldedCaption(caption)),
                     CaptionWidth(metrics, TfrmQelMessageBox::UnfoldedCaption(caption)));
  }
  return std::max(params.MinButtonWidth, width + kCaptionPadding);
}

void LayOutStacked(const TMessageBoxParams& params, const QFontMetrics& metrics,
                   const QStringList& captions, int top, TMessageBoxLayout& layout) {
  int width = params.MinButtonWidth;
  if (!params.Buttons.empty()) {
    for (qsizetype i = 0; i < captions.size(); ++i) {
      width = std::max(width, ButtonWidth(params, metrics, static_cast<int>(i), captions[i]));
    }
    layout.width = std::max(layout.width, width + 2 * kEdge);
  }
  for (qsizetype i = 0; i < captions.size(); ++i) {
    layout.buttons.emplace_back((layout.width - width) / 2, top, width, kButtonHeight);
    top += kButtonHeight + kStackedGap;
  }
}

void LayOutSideBySide(const TMessageBoxParams& params, const QFontMetrics& metrics,
                      const QStringList& captions, int top, TMessageBoxLayout& layout) {
  if (params.Buttons.empty()) {
    layout.buttons.emplace_back(kEdge, top, params.MinButtonWidth, kButtonHeight);
    return;
  }
  int left = kEdge;
  for (qsizetype i = 0; i < captions.size(); ++i) {
    const int width = ButtonWidth(params, metrics, static_cast<int>(i), captions[i]);
    layout.buttons.emplace_back(left, top, width, kButtonHeight);
    left += width + kSideBySideGap;
  }
  const int needed = layout.buttons.back().x() + layout.buttons.back().width() + kEdge;
  if (needed > layout.width) {
    layout.width = needed;
  } else {
    const int shift = layout.width - needed;
    for (QRect& r : layout.buttons) r.translate(shift, 0);
  }
}

QIcon IconFor(TMessageIcon kind) {
  QStyle* style = QApplication::style();
  switch (kind) {
    case TMessageIcon::Exclamation:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case TMessageIcon::Information:
      return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TMessageIcon::Question:
      return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case TMessageIcon::Error:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case TMessageIcon::Application:
    case TMessageIcon::Resource:
      break;
  }
  // The program has no icon resources of its own beyond its window icon.
  return QApplication::windowIcon();
}

}  // namespace

QStringList MessageLines(const std::string& text) {
  QString normalised = FromBytes(text);
  normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
  normalised.replace(QLatin1Char('\n'), QLatin1Char('\r'));
  return normalised.split(QLatin1Char('\r'));
}

QStringList ButtonCaptions(const TMessageBoxParams& params) {
  QStringList captions;
  for (const std::string& caption : params.Buttons) captions << FromBytes(caption);
  if (captions.isEmpty()) captions << QStringLiteral("OK");
  return captions;
}

TMessageBoxLayout LayoutMessageBox(const TMessageBoxParams& params, const QFontMetrics& metrics) {
  TMessageBoxLayout layout;
  layout.icon = QRect(kIconLeft, kIconTop, kIconSize, kIconSize);
  const QStringList lines = MessageLines(params.Text);
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  layout.width = widest + kTextLeft + kTextRightMargin;
  int top = kFirstLineTop;
  for (const QString& line : lines) {
    const int height = LineHeight(metrics, line);
    // Labels reach the text margin so that rounding never clips a glyph.
    layout.lines.emplace_back(kTextLeft, top, layout.width - kTextLeft - kEdge, height);
    top += height + kLineGap;
  }
  const int buttonTop = std::max(kMinButtonTop, top + kButtonGapBelowText);
  const QStringList captions = ButtonCaptions(params);
  if (params.Stacked) {
    LayOutStacked(params, metrics, captions, buttonTop, layout);
  } else {
    LayOutSideBySide(params, metrics, captions, buttonTop, layout);
  }
  // The widening may have come after the labels were sized.
  for (QRect& r : layout.lines) r.setWidth(layout.width - kTextLeft - kEdge);
  const QRect& last = layout.buttons.back();
  layout.height = last.y() + last.height() + kBottomMargin;
  return layout;
}

QString TfrmQelMessageBox::FoldedCaption(const QString& caption) {
  return caption.section(QLatin1Char('|'), 0, 0);
}

QString TfrmQelMessageBox::UnfoldedCaption(const QString& caption) {
  return caption.contains(QLatin1Char('|')) ? caption.section(QLatin1Char('|'), 1) : caption;
}

TfrmQelMessageBox::TfrmQelMessageBox(const TMessageBoxParams& params, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      params_(params) {
  setObjectName(QStringLiteral("frmQelMessageBox"));
  setWindowTitle(FromBytes(params.Caption));
  setModal(true);
  layout_ = LayoutMessageBox(params_, fontMetrics());
  CreateIcon();
  CreateLines(MessageLines(params_.Text));
  CreateButtons(ButtonCaptions(params_));

  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName(QStringLiteral("memMoreInfo"));
  memo_->setReadOnly(true);
  memo_->setPlainText(MessageLines(params_.MoreText).join(QLatin1Char('\n')));
  memo_->hide();

  setFixedSize(layout_.width, layout_.height);
  const int focus = params_.DefaultButton >= 0 && params_.DefaultButton < ButtonCount()
                        ? params_.DefaultButton
                        : 0;
  buttons_[static_cast<std::size_t>(focus)]->setDefault(true);
  buttons_[static_cast<std::size_t>(focus)]->setFocus();
}

void TfrmQelMessageBox::CreateIcon() {
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("imgIcon"));
  icon->setPixmap(IconFor(params_.IconKind).pixmap(kIconSize, kIconSize));
  icon->setGeometry(layout_.icon);
}

void TfrmQelMessageBox::CreateLines(const QStringList& lines) {
  for (qsizetype i = 0; i < lines.size(); ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("lblLine%1").arg(i));
    // File names are data, never markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(lines[i]);
    label->setGeometry(layout_.lines[static_cast<std::size_t>(i)]);
    lines_.push_back(label);
  }
}

void TfrmQelMessageBox::CreateButtons(const QStringList& captions) {
  for (qsizetype i = 0; i < captions.size(); ++i) {
    const int index = static_cast<int>(i);
    auto* button = new QPushButton(
        index == params_.MoreButton ? FoldedCaption(captions[i]) : captions[i], this);
    button->setObjectName(QStringLiteral("btnButton%1").arg(index));
    button->setAutoDefault(true);
    button->setGeometry(layout_.buttons[static_cast<std::size_t>(i)]);
    connect(button, &QPushButton::clicked, this, [this, index] { ButtonClicked(index); });
    buttons_.push_back(button);
  }
}

QPushButton* TfrmQelMessageBox::Button(int index) const {
  return index >= 0 && index < ButtonCount() ? buttons_[static_cast<std::size_t>(index)] : nullptr;
}

void TfrmQelMessageBox::ButtonClicked(int index) {
  if (index == params_.MoreButton) {
    ToggleMoreInfo();
  } else if (index == params_.HelpButton) {
    ShowHelp(params_.HelpContext);
  } else {
    done(index);
  }
}

void TfrmQelMessageBox::ToggleMoreInfo() {
  QPushButton* more = Button(params_.MoreButton);
  const QString caption = ButtonCaptions(params_).value(params_.MoreButton);
  moreShown_ = !moreShown_;
  if (moreShown_) {
    if (more != nullptr) more->setText(UnfoldedCaption(caption));
    memo_->setGeometry(kEdge, height() - kMemoAbove, width() - 2 * kEdge, kMemoHeight);
    setFixedSize(width(), height() + kMoreInfoGrowth);
    memo_->show();
  } else {
    if (more != nullptr) more->setText(FoldedCaption(caption));
    memo_->hide();
    setFixedSize(width(), height() - kMoreInfoGrowth);
  }
}

void TfrmQelMessageBox::reject() {
  if (params_.EscapeResult != kNoButton) done(params_.EscapeResult);
}

void TfrmQelMessageBox::keyPressEvent(QKeyEvent* event) {
  // As in the platform's own message boxes, a caption's marked letter works
  // without Alt too: the dialog has no text input that could want the letter.
  if (event->modifiers() == Qt::NoModifier && !event->text().isEmpty()) {
    const QString pressed = event->text().toUpper();
    for (QPushButton* button : buttons_) {
      const QString text = button->text();
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      if (amp >= 0 && amp + 1 < text.size() && text.at(amp + 1) != QLatin1Char('&') &&
          text.mid(amp + 1, 1).toUpper() == pressed) {
        button->click();
        return;
      }
    }
  }
  QDialog::keyPressEvent(event);
}

void TfrmQelMessageBox::Beep() const {
  // The desktop offers one sound, whatever the kind asks for.
  if (params_.BeepKind != TMessageBeep::None) QApplication::beep();
}

void TfrmQelMessageBox::CentreOnScreen() {
  const QWidget* anchor = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  QScreen* screen = anchor != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

int TfrmQelMessageBox::Execute() {
  CentreOnScreen();
  Beep();
  return exec();
}
