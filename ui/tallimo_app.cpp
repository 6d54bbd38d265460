// The application object.
#include "ui/tallimo_app.h"

#include "ui/tallimo_dlg.h"

CTallimoApp::CTallimoApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tallimo"));
  setApplicationVersion(QStringLiteral(TALLIMO_VERSION));
  // Lets Wayland compositors find the installed desktop entry and its icon.
  setDesktopFileName(QStringLiteral("example.tallimo.Tallimo"));
}

bool CTallimoApp::InitInstance() {
  CTallimoDlg dialog;
  dialog.exec();
  return false;
}
