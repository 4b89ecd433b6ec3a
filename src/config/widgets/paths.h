#pragma once

#include "config/pathlist.h"

#include <pugixml.hpp>

#include <QMainWindow>

#include <string>
#include <vector>

class QAction;
class QListWidget;
class QListWidgetItem;
class QMenu;
class TConfigOwner;

// The Paths window: the search folders with their active check boxes. Not modal;
// it lists itself in the owner's "Window" menu while open and deletes itself on
// closing. Every New, Edit and Delete rewrites the document's `paths` in sorted
// order at once; the file is written by the owner's next save.
class TfrmPaths : public QMainWindow {
  Q_OBJECT

 public:
  // Loads the list; throws when `paths` holds a node that is not an element.
  explicit TfrmPaths(TConfigOwner& owner, QWidget* parent = nullptr);
  ~TfrmPaths() override;

  QListWidget& List() const { return *lstPaths_; }
  // The entries as the list shows them.
  std::vector<TSearchPath> Entries() const;

  QAction* actNew;
  QAction* actEdit;
  QAction* actDelete;

  void actNewExecute();
  void actEditExecute();
  void actDeleteExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void LoadList();
  // Sorts the list and rewrites `paths` from it; current stays on folder if given.
  void WriteList(const std::string& current = {});
  void UpdateActions();
  // Asks for a folder; false when cancelled.
  bool ChooseFolder(const std::string& startFolder, const char* presetName, std::string& folder);
  // False (after one warning per clash) when another entry than `except` has folder.
  bool PassesDuplicateTest(const std::string& folder, int except) const;
  void lstPathsItemChanged(QListWidgetItem* item);

  TConfigOwner& owner_;
  pugi::xml_node paths_;
  QListWidget* lstPaths_;
  QMenu* popup_;
  bool closed_ = false;
  bool filling_ = false;
};
