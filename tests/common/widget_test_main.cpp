#include "common/scripted_interaction.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Widget tests never need a display; a run from a desktop terminal stays off screen too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  // A dialog that a test did not script must fail the test, never wait for a click.
  TScriptedInteraction::InstallStrictDefault();
  return RUN_ALL_TESTS();
}
