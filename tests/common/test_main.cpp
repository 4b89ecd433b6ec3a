#include "common/scripted_interaction.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  // A question that a test did not script fails the test instead of going to the console.
  TScriptedInteraction::InstallStrictDefault();
  return RUN_ALL_TESTS();
}
