#pragma once

#include "checkwindow/checkwindowowner.h"
#include "config/widgets/dialogrunner.h"
#include "manager/runmode.h"

#include <pugixml.hpp>

#include <QEvent>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QToolButton;
class TFramePacer;
class TNTierDataset;
class TNTierGrid;
class TSFVList;
class TfrmConfigureExtensions;
class TfrmPaths;
struct TChoiceOption;
struct TGridDrawState;
class TSetCommands;
class TCheckRun;
class TPathSearch;
enum class TSetMode;
enum class TWebLink;
struct TWindowBounds;

// The manager's private messages to itself.
inline constexpr QEvent::Type WM_SHOWFILEDETAILS = static_cast<QEvent::Type>(QEvent::User + 100);
inline constexpr QEvent::Type WM_OPENHOMEPAGE = static_cast<QEvent::Type>(QEvent::User + 104);
inline constexpr QEvent::Type WM_DEFERREDSTARTUP = static_cast<QEvent::Type>(QEvent::User + 105);

// The manager window: the SFV list, the commands that search, check, mark and
// move whole sets, and the owner of the program's configuration document, which
// it lends to the check windows it opens.
//
// The class is implemented area by area: mainform.cpp (construction, busy mode,
// Window menu, events), mainformmarking.cpp, mainformruns.cpp, mainformstartup.cpp,
// mainformsetops.cpp and mainformsettings.cpp.
class TMainForm : public QMainWindow, public TCheckWindowOwner {
  Q_OBJECT

 public:
  // Starts a program without waiting for it; false when it could not be started.
  using TDetachedStarter =
      std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;

  // configPath: the configuration file; launchPathsFile: "LaunchPaths.txt".
  explicit TMainForm(const std::string& configPath, const std::string& launchPathsFile = {},
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // False when the start-up failed and the program is to end without the window.
  bool Created() const { return created_; }
  const std::string& ConfigPath() const { return configPath_; }

  // TCheckWindowOwner
  pugi::xml_document& Config() override { return *config_; }
  void SaveConfig() override;
  void AddWindowMenuItem(const std::string& caption, QObject* window) override;
  void RemoveWindowMenuItem(const std::string& caption) override;
  void SetRecheckPath(const std::string& sfvPath) override { recheckPath_ = sfvPath; }
  QObject* EventReceiver() override { return this; }
  const std::string& RecheckPath() const { return recheckPath_; }

  // The list and what shows it.
  TNTierDataset& Rows() const { return *ds_; }
  TNTierGrid& Grid() const { return *grd_; }
  TSFVList& List() const { return *list_; }
  // Paces every long loop of this window.
  TFramePacer& Pacer() const { return *pacer_; }
  QMenu& WindowMenu() const { return *mnuWindow_; }

  QString FilterText() const;
  void SetFilterText(const QString& text);
  bool ShowHiddenChecked() const;
  void SetShowHiddenChecked(bool checked);
  // The "Use Launched Paths" toggle: shown when launch paths exist, read by a search.
  QToolButton& LaunchedPathsToggle() const { return *sbUseLaunchedPaths_; }
  bool UseLaunchedPaths() const;
  // The first status-bar panel (run state) and the second (summary).
  void SetRunStateText(const QString& text);
  QString RunStateText() const;
  QString SummaryText() const;

  // Tests replace how "Send To Notepad" and "Explore this path" start programs.
  void SetDetachedStarter(TDetachedStarter starter) { startDetached_ = std::move(starter); }

  // Busy mode around a command: selection locked, header sorting off, every action
  // disabled; EndBusy enables all but "Stop", those needing rows only with rows.
  void BeginBusy();
  void EndBusy();
  // The drop-down items named by the options shown in bold.
  void ApplyDefaultActionMenus();
  // The start-up steps after the configuration is loaded. The constructor runs
  // them once FormCreate has succeeded; FormCreate may run them itself in its
  // own order, a second call changes nothing.
  // Defines the list's columns and sort (once).
  void DefineListColumns();
  // Every action but "Stop", those needing rows only with rows (no sorting switch).
  void EnableActions() { SetActionsEnabled(false); }
  // The rows a command acts on: false without any; else the current row is
  // selected when nothing is.
  bool EnsureTargetRows();

  // Marking and display.
  void chkShowHiddenClick();
  void ShowHiddenRows();
  void RemoveHiddenRows();
  void UpdateSummary();
  void ShowFileDetails();
  bool DetailsShown() const { return showDetails_; }
  void SetDetailsShown(bool on) { showDetails_ = on; }
  // The text the tooltip shows now; empty when none.
  QString FileDetailsTipText() const { return tipText_; }
  void sbUseLaunchedPathsClick();

  // Runs (mainformruns.cpp).
  void ExecuteRun(TRunMode mode);
  void RecheckSFV(const std::string& sfvPath);

  // Start-up and shut-down (mainformstartup.cpp).
  bool FormCreate();
  void FormCloseQuery();
  void DeferredStartup();
  // The folders "LaunchPaths.txt" handed over that exist, in file order.
  const std::vector<std::string>& LaunchPaths() const { return launchedPaths_; }
  // Tests replace how web pages and the help file are opened.
  void SetURLOpener(std::function<void(const std::string&)> opener) {
    openURL_ = std::move(opener);
  }

  // Toolbar, menus and pop-up share these.
  QAction* actStart;
  QAction* actStartSearchOnly;
  QAction* actStartSearchAndCheck;
  QAction* actStartCheckWaiting;
  QAction* actStartCheckAll;
  QAction* actStartCheckSelected;
  QAction* actStop;
  QAction* actVisualCheckSFV;
  QAction* actMove;
  QAction* actMoveToFolder;
  QAction* actMoveToZips;
  QAction* actMoveToSubFolders;
  QAction* actCopy;
  QAction* actCopyToFolder;
  QAction* actCopyToZips;
  QAction* actCopyToSubFolders;
  QAction* actRename;
  QAction* actDeleteSFVAndFiles;
  QAction* actMarkSelected;
  QAction* actMarkSelectedAsSkip;
  QAction* actMarkSelectedAsHide;
  QAction* actMarkSelectedAsNormal;
  QAction* actMarkGoodSFVs;
  QAction* actMarkGoodAsSkip;
  QAction* actMarkGoodAsHide;
  QAction* actMarkGoodAsNormal;
  QAction* actRemoveDone;
  QAction* actSendToNotepad;
  QAction* actExplore;
  QAction* actPaths;
  QAction* actConfigureExtensions;
  QAction* actOptions;
  QAction* actExit;
  QAction* actHelp;
  QAction* actCheckForNewVersion;
  QAction* actHomepage;
  QAction* actDownload;
  QAction* actHistory;
  QAction* actDonate;
  QAction* actFeedback;
  QAction* actAbout;

 public slots:
  // mainformruns.cpp
  void actStartExecute();
  void actStartSearchOnlyExecute();
  void actStartSearchAndCheckExecute();
  void actStartCheckWaitingExecute();
  void actStartCheckAllExecute();
  void actStartCheckSelectedExecute();
  void actStopExecute();
  void actVisualCheckSFVExecute();
  // mainformsetops.cpp
  void actMoveExecute();
  void actMoveToFolderExecute();
  void actMoveToZipsExecute();
  void actMoveToSubFoldersExecute();
  void actCopyExecute();
  void actCopyToFolderExecute();
  void actCopyToZipsExecute();
  void actCopyToSubFoldersExecute();
  void actRenameExecute();
  void actDeleteSFVAndFilesExecute();
  // mainformmarking.cpp
  void actMarkSelectedExecute();
  void actMarkSelectedAsSkipExecute();
  void actMarkSelectedAsHideExecute();
  void actMarkSelectedAsNormalExecute();
  void actMarkGoodSFVsExecute();
  void actMarkGoodAsSkipExecute();
  void actMarkGoodAsHideExecute();
  void actMarkGoodAsNormalExecute();
  void actRemoveDoneExecute();
  void actSendToNotepadExecute();
  void actExploreExecute();
  // mainformsettings.cpp
  void actPathsExecute();
  void actConfigureExtensionsExecute();
  void actOptionsExecute();
  // mainformstartup.cpp
  void actExitExecute();
  void actHelpExecute();
  void actCheckForNewVersionExecute();
  void actHomepageExecute();
  void actDownloadExecute();
  void actHistoryExecute();
  void actDonateExecute();
  void actFeedbackExecute();
  void actAboutExecute();
  void imgProductClick();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // mainformdrop.cpp: a dropped SFV opens in a check window.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // --- manager ---
  void CreateActions();
  void CreateToolBar();
  void CreateMenus();
  void CreateBars();
  void SetActionsEnabled(bool busy);
  void grdDrawCell(TNTierGrid& grid, QPainter& canvas, int column, int row, const QRect& rect,
                   TGridDrawState state);
  void grdContextPopup(const QPoint& position);
  void grdCurrentChanged();
  // Marks the selected rows; "S", "H" or "N".
  void MarkSelected(char target);
  void MarkGood(char target);
  // Runs the default of a mark group, or asks for one.
  void RunDefaultMark(const TChoiceOption& option, const char* question, QAction* skip,
                      QAction* hide, QAction* normal);
  void ShowFrame();
  void CloseDetailsTip();
  bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

  std::unique_ptr<pugi::xml_document> config_;
  std::string configPath_;
  std::string launchPathsFile_;
  std::string recheckPath_;
  bool created_ = false;
  bool columnsDefined_ = false;
  bool showDetails_ = false;
  QString tipText_;
  TDetachedStarter startDetached_;

  TNTierDataset* ds_;
  TNTierGrid* grd_;
  std::unique_ptr<TSFVList> list_;
  TFramePacer* pacer_;
  QMenu* mnuStart_;
  QMenu* mnuMove_;
  QMenu* mnuCopy_;
  QMenu* mnuMarkSelected_;
  QMenu* mnuMarkGood_;
  QMenu* mnuWindow_;
  QMenu* popup_;
  QMenu* popMove_;
  QMenu* popCopy_;
  QLineEdit* edtFilter_;
  QCheckBox* chkShowHidden_;
  QToolButton* sbUseLaunchedPaths_;
  QToolButton* imgProduct_;
  QLabel* pnlRunState_;
  QLabel* pnlSummary_;
  QWidget* tip_ = nullptr;

  // --- runs ---
 public:
  // The folders "LaunchPaths.txt" named; with any, the "Use Launched Paths" toggle
  // shows them in its tooltip.
  void SetLaunchedPaths(std::vector<std::string> paths);
  // The search phase of a run; EAbort when stopped.
  void SearchPaths();
  void SearchFolder(const std::string& folder);
  bool MatchesFilter(const std::string& fileName) const;
  // The verification pass of a run.
  void CheckRows(TRunMode mode);
  void ReportProgress(const std::string& sfvPath, int done, int total);
  void QueryAbort(bool& abort) const { abort = abortRequested_; }
  bool AbortRequested() const { return abortRequested_; }
  bool RunInProgress() const { return running_; }
  // The row being verified, or -1.
  int RunningRow() const { return runningRow_; }

 private:
  class TRunHost;
  // The frame around every run mode: Stop on, the selection locked, the window
  // restored however the run ends, good sets marked Skip after a verification.
  void RunFrame(TRunMode mode);
  // While a run goes on, the run commands, the commands on rows and "Show Hidden"
  // are off, so nothing changes the rows the run visits by position.
  void LockForRun();
  // The automatic Mark Good after a run, when the options ask for it.
  void MarkGoodAfterRun();
  void SaveClosingState();
  // Brings the list up to date with a running search or check at a frame.
  void ShowRunFrame();
  void VisualCheckRow(int row);

  std::vector<std::string> launchedPaths_;
  // The search and the check pass of the running run, while they run.
  TPathSearch* search_ = nullptr;
  TCheckRun* check_ = nullptr;
  bool abortRequested_ = false;
  bool running_ = false;
  bool appendingRows_ = false;
  int runningRow_ = -1;
  bool runningRowShown_ = true;

  // --- startup ---
  void showEvent(QShowEvent* event) override;
  void PlaceWindow(const TWindowBounds& bounds);
  TWindowBounds CurrentBounds() const;
  // Asks the site for the latest version; quiet: nothing is shown when this is it.
  void CheckForNewVersion(bool quiet);
  void OpenWebLink(TWebLink link);
  void OpenURL(const std::string& url);

  std::function<void(const std::string&)> openURL_;
  bool deferredPosted_ = false;
  bool closing_ = false;
  bool checkingVersion_ = false;

  // --- setops ---
  // Runs one of the set commands with the window as their host.
  void RunSetCommand(const std::function<void(TSetCommands&)>& command);
  void RunDefaultSetAction(TSetMode mode);

  // --- settings ---
 public:
  // How the Options dialog is shown; tests drive it instead of its modal loop.
  void SetDialogRunner(TDialogRunner runner) { runDialog_ = std::move(runner); }
  // The open Paths and Configure Extensions windows, or null.
  TfrmPaths* PathsWindow() const;
  TfrmConfigureExtensions* ExtensionsWindow() const;

 private:
  TDialogRunner runDialog_ = RunDialogModally;
  QPointer<TfrmPaths> frmPaths_;
  QPointer<TfrmConfigureExtensions> frmConfigureExtensions_;
};
