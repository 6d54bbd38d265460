// Test runner for the dialog: one application object for the whole run, on the offscreen
// platform unless the environment picks another.
#include <gtest/gtest.h>

#include "ui/tallimo_app.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery only lists names; it must not need a window system at all.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  CTallimoApp app(argc, argv);
  return RUN_ALL_TESTS();
}
