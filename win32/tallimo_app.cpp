// The application object.
#include "win32/tallimo_app.h"

#include <windows.h>
// Builds on the types that windows.h declares.
#include <commctrl.h>

#include "win32/tallimo_dlg.h"

bool CTallimoApp::InitInstance() {
  // The manifest asks for common controls 6; registering their classes once makes sure the
  // visual-style edit boxes and buttons are the ones the dialogs get.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  CTallimoDlg dialog;
  dialog.DoModal();
  return false;
}
