#include "config/widgets/extension.h"

#include "config/extensionlist.h"
#include "config/widgets/dialogrunner.h"
#include "config/widgets/extensionactions.h"
#include "config/widgets/radiogroup.h"
#include "support/messages.h"
#include "support/strings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Rule values are lower case: every letter that enters the box is turned to
// lower case as it is typed or pasted.
class TLowerCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toLower();
    return Acceptable;
  }
};

QStringList ActionChoices() {
  QStringList choices;
  for (const TExtensionActionText& action : kExtensionActionTexts)
    choices << QString::fromLatin1(action.Description) + QLatin1Char('.');
  return choices;
}

}  // namespace

TdlgExtension::TdlgExtension(const pugi::xml_document& config, const QString& title,
                             QWidget* parent)
    : QDialog(parent), config_(config) {
  setObjectName(QStringLiteral("dlgExtension"));
  setWindowTitle(title);
  auto* label = new QLabel(QStringLiteral("Extension"), this);
  edtExtension = new QLineEdit(this);
  edtExtension->setObjectName(QStringLiteral("edtExtension"));
  edtExtension->setValidator(new TLowerCaseValidator(edtExtension));
  label->setBuddy(edtExtension);
  rgpAction = new TRadioGroup(QStringLiteral("Action"), ActionChoices(), 1, this);
  rgpAction->setObjectName(QStringLiteral("rgpAction"));
  rgpAction->SetItemIndex(0);

  QDialogButtonBox* const buttons = AddOKCancel(*this, btnOK, btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edtExtension);
  layout->addWidget(rgpAction);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  edtExtension->setFocus();
}

void TdlgExtension::SetExtension(const std::string& text) {
  edtExtension->setText(QString::fromStdString(text));
}

std::string TdlgExtension::Extension() const {
  return edtExtension->text().toStdString();
}

void TdlgExtension::SetAction(const std::string& code) {
  int index = 0;
  for (int i = 0; i < static_cast<int>(std::size(kExtensionActionTexts)); ++i) {
    if (SameTextASCII(code, kExtensionActionTexts[i].Code)) index = i;
  }
  rgpAction->SetItemIndex(index);
}

std::string TdlgExtension::Action() const {
  const int index = rgpAction->ItemIndex();
  return kExtensionActionTexts[index < 0 ? 0 : index].Code;
}

void TdlgExtension::accept() {
  const TExtensionCheck check = CheckExtension(config_, Extension(), oldValue_);
  if (check.Text != Extension()) SetExtension(check.Text);
  if (!check.Error.empty()) {
    ShowWarning(check.Error);
    edtExtension->setFocus();
    edtExtension->selectAll();
    return;
  }
  QDialog::accept();
}

void TdlgExtension::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
  edtExtension->setFocus();
}
