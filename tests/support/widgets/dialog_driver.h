#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Acts on the next modal dialog of type T once exec() shows it. If the action
// leaves the dialog open past the deadline, the test fails and the dialog is
// closed, so that a broken dialog can never hang the run.
template <class T>
class TDialogDriver {
 public:
  explicit TDialogDriver(std::function<void(T&)> action, int deadlineMs = 20000)
      : action_(std::move(action)) {
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start();
    deadline_.setSingleShot(true);
    QObject::connect(&deadline_, &QTimer::timeout, [this] { GiveUp(); });
    deadline_.start(deadlineMs);
  }
  bool Acted() const { return acted_; }

 private:
  void Poll() {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    if (!acted_) {
      acted_ = true;
      shown_ = dialog;
      action_(*dialog);
    }
  }
  void GiveUp() {
    poll_.stop();
    if (!acted_) {
      ADD_FAILURE() << "dialog never shown";
    } else if (shown_ && shown_->isVisible()) {
      ADD_FAILURE() << "dialog still open at the deadline";
    }
    // Closes the dialog and anything it opened on top of itself.
    for (int guard = 0; guard < 10; ++guard) {
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (modal == nullptr) break;
      modal->done(-99);
      QApplication::processEvents();
    }
  }

  std::function<void(T&)> action_;
  QTimer poll_;
  QTimer deadline_;
  QPointer<QDialog> shown_;
  bool acted_ = false;
};
