// Entry of the end-to-end test binaries: a private HOME and XDG folders for every launcher
// they start, then the tests.
#include "support/test_environment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  tarvex::testing::TestEnvironment environment;
  tarvex::testing::PrepareBrowserEnvironment();
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
