#pragma once

#include <pugixml.hpp>

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;
class TRadioGroup;

// The modal dialog that adds or changes one extension rule. "OK" checks the
// text against the document's rules and closes only when it passes; the text
// the rule is to store is then Extension().
class TdlgExtension : public QDialog {
  Q_OBJECT

 public:
  TdlgExtension(const pugi::xml_document& config, const QString& title, QWidget* parent = nullptr);

  QLineEdit* edtExtension;
  TRadioGroup* rgpAction;
  QPushButton* btnOK;
  QPushButton* btnCancel;

  // The rule being edited, exempt from the "already used" test; empty for a new one.
  void SetOldValue(const std::string& value) { oldValue_ = value; }
  void SetExtension(const std::string& text);
  std::string Extension() const;
  // Chooses the action whose code equals code without regard to case, else the first.
  void SetAction(const std::string& code);
  std::string Action() const;

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const pugi::xml_document& config_;
  std::string oldValue_;
};
