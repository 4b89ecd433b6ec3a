#include "manager/widgets/mainform.h"

#include "checkwindow/checkwindowplacement.h"
#include "checkwindow/widgets/screenarea.h"
#include "config/config.h"
#include "config/options.h"
#include "manager/managerstartup.h"
#include "manager/sfvlist.h"
#include "manager/versionreply.h"
#include "manager/weblinks.h"
#include "manager/webrequest.h"
#include "support/messages.h"
#include "support/pacer.h"
#include "support/system.h"
#include "support/versiondata.h"
#include "support/widgets/aboutbox.h"
#include "support/widgets/shell.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <optional>

// Start-up, shut-down, the version check and the web links.

namespace {

// How often a start-up step that found the window busy looks again.
constexpr std::chrono::milliseconds kDeferredRetry{100};

constexpr const char* kAboutHiddenMessage =
    "Checkwell began as a small checker for release sets and grew into a manager for "
    "whole collections.";

int ScreenHeight() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().height() : 768;
}

// Tooltips break lines at "\n" only.
QString TipText(const std::string& text) {
  QString tip = QString::fromStdString(text);
  tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  tip.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return tip;
}

// Every action of the window off for one scope, and back as each one was: the
// version check waits with the window's events going on, and no command may
// start inside it, nor may one that it interrupted find its own states changed.
class TActionsHeld {
 public:
  explicit TActionsHeld(QObject& window) {
    for (QAction* action : window.findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
      if (action->objectName().isEmpty() || !action->isEnabled()) continue;
      held_.push_back(action);
      action->setEnabled(false);
    }
  }
  ~TActionsHeld() {
    for (QAction* action : held_) action->setEnabled(true);
  }
  TActionsHeld(const TActionsHeld&) = delete;
  TActionsHeld& operator=(const TActionsHeld&) = delete;

 private:
  std::vector<QAction*> held_;
};

}  // namespace

void TMainForm::SetLaunchedPaths(std::vector<std::string> paths) {
  launchedPaths_ = std::move(paths);
  sbUseLaunchedPaths_->setToolTip(TipText(LaunchPathsTip(launchedPaths_)));
  sbUseLaunchedPaths_->setVisible(!launchedPaths_.empty());
}

bool TMainForm::FormCreate() {
  // Outside the guarded part: the handed-over list is consumed whatever follows.
  std::vector<std::string> launchPaths = TakeLaunchPaths(launchPathsFile_);
  try {
    KeepExistingFolders(launchPaths);
    SetLaunchedPaths(std::move(launchPaths));
    LoadConfig(*config_, configPath_);
    const pugi::xml_node root = ConfigRoot(*config_);
    // The remembered destination folder (`currentDir`) is read by the set commands
    // straight from the root when they need it.
    if (const std::optional<std::string> filter = ReadAttribute(root, kFilterAttribute))
      SetFilterText(QString::fromStdString(*filter));
    PlaceWindow(ReadMainFormBounds(FindOrCreateChild(*config_, kMainFormElement), ScreenHeight()));
  } catch (const std::exception& error) {
    ShowException("An error occured loading the config information.\rEither repair \"" +
                      configPath_ + "\" or delete it and reconfigure.",
                  0, error);
    return false;
  }
  ApplyDefaultActionMenus();
  DefineListColumns();
  EnableActions();
  return true;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Posted, so that the step runs from the event loop once the window is up.
  if (created_ && !deferredPosted_) {
    deferredPosted_ = true;
    QCoreApplication::postEvent(this, new QEvent(WM_DEFERREDSTARTUP));
  }
}

void TMainForm::DeferredStartup() {
  if (closing_) return;
  // A command that a loop's events started holds the window (Start is off during
  // every one of them): the step waits until it has ended.
  if (!actStart->isEnabled()) {
    QTimer::singleShot(kDeferredRetry, this, &TMainForm::DeferredStartup);
    return;
  }
  if (ReadOption(*config_, kCheckForNewVersion)) CheckForNewVersion(true);
  if (closing_) return;
  if (const std::optional<TRunMode> run = DefaultLoadRun(*config_)) RunFrame(*run);
}

void TMainForm::FormCloseQuery() {
  closing_ = true;
  // A run below this close sees the flag at its next item; a version check that
  // waits gives up at its next poll (closing_).
  actStopExecute();
  SaveClosingState();
}

void TMainForm::SaveClosingState() {
  try {
    list_->RefreshMarkLists();
    WriteClosingState(*config_, FilterText().toStdString(), CurrentBounds());
    SaveConfig();
  } catch (const std::exception& error) {
    ShowException("The configuration could not be saved.", 0, error);
  }
}

void TMainForm::PlaceWindow(const TWindowBounds& bounds) {
  // Bounds from another screen layout or a hand-edited file are brought on screen.
  const TWindowBounds fitted = FitWindowBounds(bounds, AvailableScreenArea(bounds));
  move(fitted.Left, fitted.Top);
  resize(fitted.Width, fitted.Height);
}

TWindowBounds TMainForm::CurrentBounds() const {
  return TWindowBounds{pos().y(), pos().x(), height(), width()};
}

// --- The version check ---------------------------------------------------------

void TMainForm::CheckForNewVersion(bool quiet) {
  if (checkingVersion_) return;
  checkingVersion_ = true;
  const auto done = qScopeGuard([this] { checkingVersion_ = false; });

  const std::string version = ProgramVersionText();
  std::optional<TVersionReply> reply;
  std::string failure;
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TActionsHeld held(*this);
    const auto restore = qScopeGuard([this] {
      pacer_->Flush();
      QApplication::restoreOverrideCursor();
    });
    try {
      const std::string text = TWebRequest().Get(VersionCheckURL(version), [this] {
        pacer_->Yield();
        return !closing_;
      });
      reply = ReadVersionReply(text);
    } catch (const EWebRequestCancelled&) {
      return;
    } catch (const std::exception& error) {
      failure = error.what();
    }
  }
  if (closing_) return;
  if (!reply) {
    if (AskQuestion(VersionCheckFailedText(failure)) == mrYes) actHistoryExecute();
    return;
  }
  if (reply->AlreadyLatest) {
    if (!quiet) ShowInformation("You are running the latest version already.");
    return;
  }
  if (AskQuestionMore(OutOfDateText(version, *reply), reply->History) == mrYes)
    actDownloadExecute();
}

void TMainForm::actCheckForNewVersionExecute() {
  CheckForNewVersion(false);
}

// --- Web links, help, About, Exit ------------------------------------------------

void TMainForm::OpenURL(const std::string& url) {
  if (openURL_)
    openURL_(url);
  else
    ShellOpenDefault(url);
}

void TMainForm::OpenWebLink(TWebLink link) {
  OpenURL(WebLinkURL(link));
}

void TMainForm::actExitExecute() {
  close();
}

void TMainForm::actHelpExecute() {
  OpenURL(HelpFilePath());
}

void TMainForm::actHomepageExecute() {
  OpenWebLink(TWebLink::HomePage);
}

void TMainForm::actDownloadExecute() {
  OpenWebLink(TWebLink::Download);
}

void TMainForm::actHistoryExecute() {
  OpenWebLink(TWebLink::History);
}

void TMainForm::actDonateExecute() {
  OpenWebLink(TWebLink::Donate);
}

void TMainForm::actFeedbackExecute() {
  OpenWebLink(TWebLink::Feedback);
}

void TMainForm::actAboutExecute() {
  const TVersionData data = CurrentVersionData();
  const std::string product =
      data.ProductName.empty() ? windowTitle().toStdString() : data.ProductName;
  TDlgAboutBox dialog(data, product, kAboutHiddenMessage, this);
  dialog.exec();
}

void TMainForm::imgProductClick() {
  actDonateExecute();
}
