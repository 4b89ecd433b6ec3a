#pragma once

#include <QMainWindow>

// Stands in for the manager window until it is part of the program: says so,
// and closing it ends the program like the real one.
class TManagerPlaceholder : public QMainWindow {
  Q_OBJECT

 public:
  explicit TManagerPlaceholder(QWidget* parent = nullptr);
};
