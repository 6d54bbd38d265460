// The application object.
#include "ui/tallimo_app.h"

#include "ui/tallimo_dlg.h"

CTallimoApp::CTallimoApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tallimo"));
  setApplicationVersion(QStringLiteral(TALLIMO_VERSION));
}

bool CTallimoApp::InitInstance() {
  CTallimoDlg dialog;
  dialog.exec();
  return false;
}
