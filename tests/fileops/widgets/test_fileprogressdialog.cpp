#include "fileops/shfileoperation.h"
#include "fileops/widgets/fileprogressdialog.h"

#include "common/scripted_interaction.h"
#include "common/temp_tree.h"

#include <QApplication>
#include <QMainWindow>
#include <QProgressDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QProgressDialog* VisibleProgressDialog() {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible()) {
      return dialog;
    }
  }
  return nullptr;
}

}  // namespace

TEST(FileProgressDialog, SitsModallyAboveTheOwnersWindowAndReportsItsCancel) {
  QMainWindow window;
  window.show();
  QObject owner(&window);
  TFileProgressDialogFactory factory;

  std::unique_ptr<TFileOperationProgress> progress = factory.Create("Moving files", &owner);
  auto* display = dynamic_cast<TFileProgressDialog*>(progress.get());
  ASSERT_NE(display, nullptr);
  QProgressDialog* dialog = display->Dialog();
  EXPECT_EQ(dialog->parentWidget(), &window);
  EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(dialog->windowTitle(), "Moving files");

  EXPECT_TRUE(progress->Update("/data/set/a.rar", 3, 4));
  EXPECT_EQ(dialog->labelText(), "/data/set/a.rar");
  EXPECT_EQ(dialog->value(), 750);
  EXPECT_TRUE(dialog->isVisible());

  dialog->cancel();
  EXPECT_FALSE(progress->Update("/data/set/b.rar", 4, 4));
  progress.reset();
  EXPECT_EQ(VisibleProgressDialog(), nullptr);
}

TEST(FileProgressDialog, ItsCancelStopsARunningCopyWithoutAPartialFile) {
  TTempTree t;
  const std::string big = t.Write("in/big.bin", std::string(4 * 1024 * 1024, 'x'));
  const std::string next = t.Write("in/next.bin", "n");
  TFileProgressDialogFactory factory;
  TScopedFileOperationProgressFactory installed(factory);
  bool dialogSeen = false;
  // Runs inside the operation, at the first moment the dialog lets events through.
  QTimer::singleShot(0, [&] {
    if (QProgressDialog* dialog = VisibleProgressDialog()) {
      dialogSeen = true;
      dialog->cancel();
    }
  });

  TSHFileOperation op;
  op.SetOperation(foCopy);
  op.SetFlags({fofNoConfirmation});
  op.SetFilesFrom({big, next});
  op.SetFilesTo({t.File("out")});
  op.SetProgressDelay(std::chrono::milliseconds(0));
  EXPECT_FALSE(op.Execute());

  EXPECT_TRUE(dialogSeen);
  EXPECT_TRUE(op.AnyOperationsAborted());
  EXPECT_FALSE(t.Exists("out/big.bin"));
  EXPECT_FALSE(t.Exists("out/next.bin"));
  EXPECT_EQ(t.Read("in/big.bin").size(), 4u * 1024 * 1024);
  EXPECT_EQ(VisibleProgressDialog(), nullptr);
}
