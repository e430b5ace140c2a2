// main() of the Qt tests: one QApplication for the whole run, then GoogleTest.

#include <gtest/gtest.h>

#include <QApplication>

#include "process_setup.h"

int main(int argc, char** argv) {
  // CTest's listing of the cases runs without the test environment; the tests always run
  // offscreen unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  benchbridge::FixRegionalFormats();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
