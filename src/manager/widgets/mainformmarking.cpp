#include "manager/widgets/mainform.h"

#include "config/options.h"
#include "dataset/ntierdataset.h"
#include "dataset/widgets/ntiergrid.h"
#include "manager/desktopprograms.h"
#include "manager/managerdisplay.h"
#include "manager/sfvlist.h"
#include "manager/widgets/managericons.h"
#include "support/guard.h"
#include "support/messages.h"
#include "support/pacer.h"
#include "support/paths.h"
#include "support/widgets/readablecolour.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QToolTip>

#include <optional>

#include <span>

namespace {

// Ends busy mode however the command ends.
class TBusy {
 public:
  explicit TBusy(TMainForm& form) : form_(form) { form_.BeginBusy(); }
  ~TBusy() { form_.EndBusy(); }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TMainForm& form_;
};

}  // namespace

// --- Marking -----------------------------------------------------------------

void TMainForm::MarkSelected(char target) {
  if (ds_->RowCount() == 0) return;
  const int current = grd_->CurrentDataRow();
  const std::optional<std::int32_t> key =
      current >= 0 && current < ds_->RowCount() ? std::optional(list_->Key(current)) : std::nullopt;
  if (!EnsureTargetRows()) return;
  {
    const TBusy busy(*this);
    GuardedCommand("", [&] {
      TSFVList& list = *list_;
      for (int row = 0; row < ds_->RowCount(); ++row) {
        pacer_->Yield();
        if (!ds_->IsSelected(row) || list.MovedOrDeleted(row)) continue;
        const std::string fullPath = list.FullPath(row);
        if (!FileExists(fullPath)) continue;
        const char mark = list.Marked(row);
        if (mark == target) continue;
        if (target == kMarkSkip) {
          if (mark == kMarkHide) list.RemoveMarkEntries(list.GetHideList(), fullPath);
          list.AppendMarkEntry(list.GetSkipList(), fullPath, list.Status(row));
        } else if (target == kMarkHide) {
          if (mark == kMarkSkip) list.RemoveMarkEntries(list.GetSkipList(), fullPath);
          list.AppendMarkEntry(list.GetHideList(), fullPath, list.Status(row));
        } else {
          list.RemoveMarkEntries(mark == kMarkSkip ? list.GetSkipList() : list.GetHideList(),
                                 fullPath);
        }
        list.SetMarked(row, target);
      }
    });
  }
  pacer_->Flush();
  if (target == kMarkHide) chkShowHiddenClick();
  if (key) {
    const int row = list_->FindRowByKey(*key);
    if (row >= 0) grd_->SetCurrentDataRow(row);
  }
  grd_->InvalidateData();
}

void TMainForm::MarkGood(char target) {
  ds_->ClearSelection();
  for (int row = 0; row < ds_->RowCount(); ++row)
    if (IsGoodStatus(list_->Status(row))) ds_->SetSelected(row, true);
  if (ds_->SelectedCount() > 0) MarkSelected(target);
  ds_->ClearSelection();
  grd_->viewport()->update();
}

void TMainForm::actMarkSelectedAsSkipExecute() {
  MarkSelected(kMarkSkip);
}

void TMainForm::actMarkSelectedAsHideExecute() {
  MarkSelected(kMarkHide);
}

void TMainForm::actMarkSelectedAsNormalExecute() {
  MarkSelected(kMarkNormal);
}

void TMainForm::actMarkGoodAsSkipExecute() {
  MarkGood(kMarkSkip);
}

void TMainForm::actMarkGoodAsHideExecute() {
  MarkGood(kMarkHide);
}

void TMainForm::actMarkGoodAsNormalExecute() {
  MarkGood(kMarkNormal);
}

void TMainForm::RunDefaultMark(const TChoiceOption& option, const char* question, QAction* skip,
                               QAction* hide, QAction* normal) {
  const int choice = ReadOption(*config_, option);
  QAction* const items[] = {skip, hide, normal};
  if (choice >= 0 && choice < 3 && items[choice]->isEnabled()) {
    items[choice]->trigger();
    return;
  }
  if (AskQuestion(question) == mrYes) actOptionsExecute();
}

void TMainForm::actMarkSelectedExecute() {
  RunDefaultMark(kDefaultMarkSelectedAction,
                 "There is no default \"Mark Selected\" action. Would you like to choose one now?",
                 actMarkSelectedAsSkip, actMarkSelectedAsHide, actMarkSelectedAsNormal);
}

void TMainForm::actMarkGoodSFVsExecute() {
  RunDefaultMark(kDefaultMarkGoodSFVsAction,
                 "There is no default \"Mark Good\" action. Would you like to choose one now?",
                 actMarkGoodAsSkip, actMarkGoodAsHide, actMarkGoodAsNormal);
}

// --- Hidden rows ---------------------------------------------------------------

void TMainForm::chkShowHiddenClick() {
  if (chkShowHidden_->isChecked())
    ShowHiddenRows();
  else
    RemoveHiddenRows();
}

void TMainForm::ShowHiddenRows() {
  GuardedCommand("", [&] {
    TSFVList& list = *list_;
    // Entries are copied first: reading an SFV never edits the lists, but the
    // walk must not depend on that.
    std::vector<std::pair<std::string, std::string>> entries;
    for (const pugi::xml_node entry : list.GetHideList().children())
      if (entry.type() == pugi::node_element)
        entries.emplace_back(entry.attribute("file").value(), entry.attribute("status").value());
    ds_->BeginUpdate();
    const auto endUpdate = qScopeGuard([this] { ds_->EndUpdate(); });
    for (const auto& [file, status] : entries) {
      pacer_->Yield();
      const std::string name = ExtractFileName(file);
      const std::string folder = ExtractFilePath(file);
      if (list.IsListed(folder, name)) continue;
      const bool missing = !FileExists(file);
      // A missing SFV cannot be read; its row shows it as gone.
      if (missing)
        list.AppendRow(status, name, folder, true, kMarkHide);
      else
        list.AddRow(status, name, folder, false, kMarkHide);
    }
  });
  list_->Resort();
  pacer_->Flush();
  grd_->InvalidateData();
  UpdateSummary();
}

void TMainForm::RemoveHiddenRows() {
  std::vector<int> hidden;
  for (int row = ds_->RowCount() - 1; row >= 0; --row)
    if (list_->Marked(row) == kMarkHide) hidden.push_back(row);
  if (!hidden.empty()) ds_->DeleteRows(std::move(hidden));
  grd_->InvalidateData();
}

void TMainForm::actRemoveDoneExecute() {
  std::vector<int> done;
  for (int row = ds_->RowCount() - 1; row >= 0; --row)
    if (list_->MovedOrDeleted(row)) done.push_back(row);
  if (!done.empty()) ds_->DeleteRows(std::move(done));
  grd_->InvalidateData();
}

// --- Display -------------------------------------------------------------------

void TMainForm::UpdateSummary() {
  pnlSummary_->setText(QString::fromStdString(::SummaryText(CountSummary(*list_))));
}

void TMainForm::ShowFrame() {
  grd_->InvalidateData();
}

void TMainForm::grdDrawCell(TNTierGrid& grid, QPainter& canvas, int column, int row,
                            const QRect& rect, TGridDrawState state) {
  const int dataRow = row - 1;
  if (state.Fixed || dataRow < 0 || dataRow >= ds_->RowCount()) {
    grid.PaintCell(canvas, column, row, rect, state);
    return;
  }
  const std::string status = list_->Status(dataRow);
  const TRowLook look = RowLook(status, list_->MovedOrDeleted(dataRow), state.Selected);
  QPen pen = canvas.pen();
  pen.setColor(ReadableOn(RowColour(look.Colour, pen.color()), canvas.brush().color()));
  canvas.setPen(pen);
  QFont font = canvas.font();
  font.setStrikeOut(look.StruckOut);
  canvas.setFont(font);
  if (grid.Columns(column).Name != "Glyph") {
    grid.PaintCell(canvas, column, row, rect, state);
    return;
  }
  const std::vector<TGlyphPlace> places = RowGlyphs(
      status, list_->Marked(dataRow), list_->Mine(dataRow), ReadOption(*config_, kIndicateMine));
  std::vector<TCellImage> images;
  for (const TGlyphPlace& place : places) images.push_back({place.Slot, place.Index});
  grid.PaintCell(canvas, column, row, rect, state, std::span<const TCellImage>(images));
}

void TMainForm::CloseDetailsTip() {
  if (tip_ != nullptr) {
    tip_->close();
    tip_->deleteLater();
    tip_ = nullptr;
  }
  tipText_.clear();
}

void TMainForm::ShowFileDetails() {
  CloseDetailsTip();
  if (ds_->RowCount() == 0 || !showDetails_) return;
  const int row = grd_->CurrentDataRow();
  if (row < 0 || row >= ds_->RowCount()) return;
  const std::string text = ::FileDetailsTipText(list_->FileDetails(row), list_->Path(row));
  if (text.empty()) return;
  tipText_ = QString::fromStdString(text);
  auto* tip = new QLabel(tipText_, this, Qt::ToolTip);
  tip->setObjectName(QStringLiteral("tipFileDetails"));
  tip->setTextFormat(Qt::PlainText);
  tip->setWordWrap(false);
  tip->setFrameShape(QFrame::Box);
  tip->setAutoFillBackground(true);
  tip->setPalette(QToolTip::palette());
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int limit = (screen != nullptr ? screen->geometry().width() : 1024) - 20;
  tip->adjustSize();
  if (tip->width() > limit) tip->resize(limit, tip->height());
  tip->move(grd_->viewport()->mapToGlobal(QPoint(300, 0)));
  tip->show();
  tip_ = tip;
}

// --- Desktop programs ---------------------------------------------------------

void TMainForm::actSendToNotepadExecute() {
  if (grd_->ActionRowCount() == 0) return;
  showDetails_ = false;
  ShowFileDetails();
  EnsureTargetRows();
  const TBusy busy(*this);
  GuardedCommand("", [&] {
    const TDesktopCommand editor = TextEditorCommand();
    for (int row = 0; row < ds_->RowCount(); ++row) {
      if (!ds_->IsSelected(row)) continue;
      const std::string file = list_->FullPath(row);
      if (!FileExists(file)) continue;
      std::vector<std::string> arguments = editor.Arguments;
      arguments.push_back(file);
      StartDetached(editor.Program, arguments);
    }
  });
}

void TMainForm::actExploreExecute() {
  if (grd_->ActionRowCount() == 0) return;
  EnsureTargetRows();
  const TBusy busy(*this);
  GuardedCommand("", [&] {
    const TDesktopCommand manager = FileManagerCommand();
    for (int row = 0; row < ds_->RowCount(); ++row) {
      if (!ds_->IsSelected(row)) continue;
      std::vector<std::string> arguments = manager.Arguments;
      arguments.push_back(list_->Path(row));
      StartDetached(manager.Program, arguments);
    }
  });
}
