#include "app/entry.h"

#include "checkwindow/widgets/checkicons.h"
#include "checkwindow/widgets/checksfvwindow.h"
#include "config/config.h"
#include "config/udfxml.h"
#include "fileops/widgets/fileprogressdialog.h"
#include "manager/widgets/mainform.h"
#include "support/debug.h"
#include "support/messages.h"
#include "support/productinfo.h"
#include "support/system.h"
#include "support/widgets/dialoginteraction.h"
#include "support/widgets/shell.h"

#include <QApplication>

#include <stdexcept>

TEntryChoice ChooseEntry(const std::vector<std::string>& arguments) {
  TEntryChoice choice;
  if (!arguments.empty() && !arguments.front().empty()) {
    choice.OpenManager = false;
    choice.SFVPath = arguments.front();
  }
  return choice;
}

bool CheckXMLParser(const TDocumentFactory& createDocument, const TURLOpener& openURL) {
  constexpr int kHomePageButton = 1;
  try {
    if (createDocument() != nullptr) return true;
    throw std::runtime_error("The XML document could not be created");
  } catch (const std::exception& error) {
    DebugError(error);
  }
  TMessageBoxParams params;
  params.Caption = "Warning";
  params.IconKind = TMessageIcon::Exclamation;
  params.BeepKind = TMessageBeep::Exclamation;
  params.Stacked = false;
  params.MinButtonWidth = 80;
  params.Buttons = {"OK", "Home Page"};
  params.DefaultButton = kHomePageButton;
  params.EscapeResult = kHomePageButton;
  params.Text =
      "Checkwell requires Microsoft XML Parser\rversion 4 to be installed on your "
      "computer.\r\rEither visit the Microsoft website or click the\r'Home Page' button and "
      "follow the link from\rthe Checkwell Home Page on the Qel website.";
  if (ShowMessageBox(params) == kHomePageButton)
    openURL(ProductPageURL("/shareware/links.asp?cat=Microsoft"));
  return false;
}

std::unique_ptr<QWidget> CreateMainWindow(const TEntryChoice& choice,
                                          const std::string& configPath) {
  if (choice.OpenManager) {
    auto manager =
        std::make_unique<TMainForm>(configPath, LaunchPathsFilePath(ApplicationFilePath()));
    if (!manager->Created()) return nullptr;
    return manager;
  }
  auto window = std::make_unique<TfrmCheckSFV>();
  if (!window->InitStandAlone(configPath)) return nullptr;
  window->SetLaunchFile(choice.SFVPath);
  return window;
}

int RunCheckwell(QApplication& application, const std::vector<std::string>& arguments) {
  return RunCheckwell(application, arguments, ConfigFilePath(ApplicationFilePath()));
}

int RunCheckwell(QApplication& application, const std::vector<std::string>& arguments,
                 const std::string& configPath) {
  application.setApplicationName(QStringLiteral("Checkwell"));
  application.setWindowIcon(ApplicationIcon());
  TDialogInteraction dialogs;
  const TScopedUserInteraction answers(dialogs);
  TFileProgressDialogFactory progressDialogs;
  const TScopedFileOperationProgressFactory fileProgress(progressDialogs);

  if (!CheckXMLParser(&CreateXMLDocument, &ShellOpenDefault)) return 1;
  const std::unique_ptr<QWidget> window = CreateMainWindow(ChooseEntry(arguments), configPath);
  if (window == nullptr) return 1;
  window->show();
  return application.exec();
}
