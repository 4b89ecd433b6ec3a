#pragma once

#include "config/widgets/dialogrunner.h"

#include <pugixml.hpp>

#include <QMainWindow>

#include <string>

class QAction;
class QMenu;
class TConfigOwner;
class TNTierDataset;
class TNTierGrid;

// The list of extension rules. Not modal; it lists itself in the owner's
// "Window" menu while open and deletes itself on closing. Every confirmed New,
// Edit or Delete changes the document, saves it through the owner and reloads
// the rows from it.
class TfrmConfigureExtensions : public QMainWindow {
  Q_OBJECT

 public:
  // Loads the rows; throws when a rule has an attribute the list does not know.
  explicit TfrmConfigureExtensions(TConfigOwner& owner, QWidget* parent = nullptr);
  ~TfrmConfigureExtensions() override;

  TNTierGrid& Grid() const { return *grd_; }
  TNTierDataset& Rows() const { return *ds_; }
  // How the edit dialog is shown; tests drive it instead of its modal loop.
  void SetDialogRunner(TDialogRunner runner) { runDialog_ = std::move(runner); }

  QAction* actNew;
  QAction* actEdit;
  QAction* actDelete;

  void actNewExecute();
  void actEditExecute();
  void actDeleteExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void DefineColumns();
  void dsRefreshData();
  void UpdateActions();
  void Changed();

  TConfigOwner& owner_;
  pugi::xml_node extensions_;
  TNTierDataset* ds_;
  TNTierGrid* grd_;
  QMenu* popup_;
  TDialogRunner runDialog_ = RunDialogModally;
  bool closed_ = false;
};
