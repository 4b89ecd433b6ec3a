#pragma once

#include "checkwindow/checkwindowowner.h"
#include "checkwindow/checkwindowplacement.h"
#include "checkwindow/sfvrepair.h"
#include "sfv/verify.h"

#include <pugixml.hpp>

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QPainter;
class TFramePacer;
class TNTierDataset;
class TNTierGrid;
class TSummaryStrip;
struct TGridDrawState;

// The window that verifies one SFV file by file and repairs it. Stand-alone
// (no owner) it is the program's only window: it loads and saves its own copy of
// the configuration and checks its launch file once the event loop runs. Opened
// by the manager it borrows the manager's configuration, the manager runs the
// verification with the window as its view, and a repair hands the SFV back.
//
// Long work on the window thread follows one rule: every command and every
// verification runs as the window's long operation. While one runs, every action
// is disabled, so no command starts inside another; the window's pacer is the one
// place that processes events, at frame rate; and a window closed meanwhile is put
// away (and, opened by the manager, deleted) once the operation has returned.
class TfrmCheckSFV : public QMainWindow, public TVerifyView, public TSFVRepairHost {
  Q_OBJECT

 public:
  // Starts a program without waiting for it; false when it could not be started.
  using TDetachedStarter =
      std::function<bool(const QString& program, const QStringList& arguments)>;
  using TVerification = std::function<TVerifyResult(const TVerifyOptions& options)>;

  explicit TfrmCheckSFV(TCheckWindowOwner* owner = nullptr, QWidget* parent = nullptr);
  ~TfrmCheckSFV() override;

  // The stand-alone start: loads the configuration at configPath (an empty one
  // when the file does not exist) and places the window from it. On a damaged
  // file it reports the error and returns false; the file is not touched, now
  // or when the window closes.
  bool InitStandAlone(const std::string& configPath);

  const std::string& LaunchFile() const { return launchFile_; }
  void SetLaunchFile(const std::string& path) { launchFile_ = path; }
  bool Closing() const { return closing_; }
  bool Verifying() const { return verifying_ > 0; }
  // A command or a verification is running.
  bool Busy() const { return busy_ > 0; }
  // Paces what the window's long operations show; yours to use for loops that
  // write to this window.
  TFramePacer& Pacer() const { return *pacer_; }

  // The abort query of this window's verifications: stop once the window closes.
  void QueryAbort(bool& abort) const { abort = closing_; }
  // What a verification with this window as its view is given.
  TVerifyOptions ViewOptions();
  // Runs a verification with this window as the view, as a long operation.
  TVerifyResult RunVerification(const TVerification& verify);
  // Runs a command as a long operation; nothing happens while another one runs
  // or once the window is closing. Errors are reported as the window's errors.
  void RunCommand(const std::function<void()>& command);

  // Tests replace how "Send To Notepad" and "Manager" start programs.
  void SetDetachedStarter(TDetachedStarter starter) { startDetached_ = std::move(starter); }

  TNTierGrid& Grid() const { return *grid_; }
  TNTierDataset& Rows() const { return *rows_; }
  QString SummaryText() const;
  // "Visual Check - ", with "Checkwell " in front when stand-alone.
  QString BaseCaption() const;
  TWindowBounds CurrentBounds() const;
  // The grid's context menu as it reads now; the caller owns it.
  QMenu* CreateContextMenu(QWidget* parent) const;

  // TVerifyView
  void ShowView() override;
  void AttachSFV(const std::string& sfvPath) override;
  int AppendRow() override;
  void SetFilename(int row, const std::string& fileName) override;
  void SetPath(int row, const std::string& folder) override;
  void SetStatus(int row, TFileStatus status) override;
  void SetSize(int row, std::int64_t size) override;
  void SetTimestamp(int row, TDateTime timestamp) override;
  TFileStatus GetStatus(int row) const override;
  void MakeCurrent(int row) override;
  void Repaint() override;
  void ShowSummary() override;
  void SetFileDetailsXML(const std::string& text) override;
  void TakeFileDetailsXML(std::string&& text) override;

  // TSFVRepairHost
  int ActionRowCount() const override;
  void EnsureSelection() override;
  std::vector<int> SelectedRows() const override;
  int RowCount() const override;
  std::string RowFilename(int row) const override;
  std::string RowPath(int row) const override;
  std::string SFVPath() const override { return sfvPath_; }
  std::string FileDetailsXML() const override { return fileDetailsXML_; }
  std::optional<TFileIdentity> SFVIdentity() const override { return sfvIdentity_; }
  void SetSFVIdentity(const TFileIdentity& identity) override { sfvIdentity_ = identity; }
  void VerifySFVAgain() override;
  bool OpenedByManager() const override { return owner_ != nullptr; }
  // Remembers the window's bounds in the configuration and saves it (stand-alone)
  // or lets the manager save it; then lets go of the configuration and empties
  // the rows and their columns.
  void SaveWindowPlacement() override;
  void HandBackToManager(const std::string& sfvPath) override;
  bool YieldAndQueryClosing() override;
  void RemoveAllRows() override;
  void VerifyAsView(const std::string& fileDetailsXML) override;

  QAction* actLaunch;
  QAction* actRemove;
  QAction* actRename;
  QAction* actRefreshCRC;
  QAction* actTidySFV;
  QAction* actManager;
  QAction* actSendToNotepad;
  QAction* actCopyFilename;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A dropped SFV opens in a check window of its own.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class TLongOperation;

  void CreateActions();
  void CreateToolBar();
  void DefineColumns();
  void PlaceWindow(const TWindowBounds& bounds);
  void StartCheck();
  // Reads the SFV at sfvFile and verifies it with this window as the view.
  void CheckSFVFile(const std::string& sfvFile);
  bool ValidRow(int row) const;
  // A verification of the window's own, which hands the completed text to the window.
  static TVerifyOptions OwnRunOptions(const TVerifyOptions& options);
  void SetActionsEnabled(bool enabled);
  // Brings the grid up to date with what the view calls wrote since the last frame.
  void ShowFrame();
  // Rows are appended as one change, which ends before anything else reads the grid.
  void EndAppending();
  // Saves the placement, leaves the owner's menu and, opened by the manager, goes.
  void FinishClose();
  // The highlighted rows of a row-by-row action: the selection, made from the
  // current row when nothing is selected.
  std::vector<int> HighlightedRows();
  std::string RowFile(int row) const;

  void actLaunchExecute();
  void actSendToNotepadExecute();
  void actCopyFilenameExecute();
  void actManagerExecute();
  void grdDrawCell(TNTierGrid& grid, QPainter& canvas, int column, int row, const QRect& rect,
                   TGridDrawState state);
  void grdContextPopup(const QPoint& position);
  void imgProductClick();

  TCheckWindowOwner* owner_;
  std::string launchFile_;
  std::string sfvPath_;
  std::string fileDetailsXML_;
  // The SFV as this window last read or wrote it.
  std::optional<TFileIdentity> sfvIdentity_;
  // The configuration in use: the manager's or ownConfig_; null once released.
  pugi::xml_document* config_ = nullptr;
  std::unique_ptr<pugi::xml_document> ownConfig_;
  std::string configPath_;
  // The caption the owner's "Window" menu knows this window by.
  std::string menuCaption_;
  bool closing_ = false;
  // An SFV was read and is shown: only then may it be repaired.
  bool sfvShown_ = false;
  bool closeFinished_ = false;
  int verifying_ = 0;
  int busy_ = 0;
  // Written by the view calls, shown by the next frame.
  bool appending_ = false;
  bool dirty_ = false;
  int pendingCurrent_ = -1;

  TNTierDataset* rows_;
  TNTierGrid* grid_;
  TSummaryStrip* strip_;
  TFramePacer* pacer_;
  std::unique_ptr<TSFVRepair> repair_;
  TDetachedStarter startDetached_;
};
