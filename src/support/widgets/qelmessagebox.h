#pragma once

#include "support/messages.h"

#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

class QFontMetrics;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// Where everything of a message dialog goes, in the dialog's client coordinates.
struct TMessageBoxLayout {
  int width = 0;
  int height = 0;
  QRect icon;
  std::vector<QRect> lines;
  std::vector<QRect> buttons;
};

// The message split into its lines: CR LF and lone LF count as CR, and an empty
// message is one empty line.
QStringList MessageLines(const std::string& text);

// The captions the buttons show; an empty list is a single "OK".
QStringList ButtonCaptions(const TMessageBoxParams& params);

// Lays out a dialog for params in a font with the given metrics. The More Info
// area is not part of it: unfolding it adds to the height later.
TMessageBoxLayout LayoutMessageBox(const TMessageBoxParams& params, const QFontMetrics& metrics);

// The program's message dialog: it sizes itself to its text, shows an icon,
// beeps, and returns the index of the button that closed it (or EscapeResult).
// Child widgets carry object names for tests: "imgIcon", "lblLine<i>",
// "btnButton<i>" and "memMoreInfo".
class TfrmQelMessageBox : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmQelMessageBox(const TMessageBoxParams& params, QWidget* parent = nullptr);

  // Beeps, centres the dialog on the screen and shows it modally.
  int Execute();

  const TMessageBoxLayout& Layout() const { return layout_; }
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  QPushButton* Button(int index) const;
  const std::vector<QLabel*>& Lines() const { return lines_; }
  QPlainTextEdit* Memo() const { return memo_; }
  bool MoreInfoShown() const { return moreShown_; }

  // The fold-out area with the More text; the More button does the same.
  void ToggleMoreInfo();

  // The states of a More Info caption "folded|unfolded"; both are the
  // caption when it holds no "|".
  static QString FoldedCaption(const QString& caption);
  static QString UnfoldedCaption(const QString& caption);

 public slots:
  // Esc: closes with EscapeResult, or does nothing when that is kNoButton.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateIcon();
  void CreateLines(const QStringList& lines);
  void CreateButtons(const QStringList& captions);
  void ButtonClicked(int index);
  void Beep() const;
  void CentreOnScreen();

  TMessageBoxParams params_;
  TMessageBoxLayout layout_;
  std::vector<QLabel*> lines_;
  std::vector<QPushButton*> buttons_;
  QPlainTextEdit* memo_ = nullptr;
  bool moreShown_ = false;
};
