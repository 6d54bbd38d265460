// Test runner for the dialog: one application object for the whole run, on the offscreen
// platform unless the environment picks another.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "ui/tallimo_app.h"

namespace {

// CTest runs the suite once in each language and names it in TALLIMO_TEST_LANGUAGE; the run gets
// that language's locale here, before Qt reads it, as a user's session would set it.
void SetLocaleOfTheRun() {
  const QByteArray language = qgetenv("TALLIMO_TEST_LANGUAGE");
  if (language.isEmpty()) return;
  qputenv("LOCPATH", TALLIMO_TEST_LOCALES);
  qputenv("LC_ALL", language == "ja" ? "ja_JP.UTF-8" : "en_US.UTF-8");
  qunsetenv("LANGUAGE");
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery only lists names; it must not need a window system at all.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  SetLocaleOfTheRun();
  CTallimoApp app(argc, argv);
  return RUN_ALL_TESTS();
}
