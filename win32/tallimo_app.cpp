// The application object.
#include "win32/tallimo_app.h"

#include <windows.h>
// Builds on the types that windows.h declares.
#include <commctrl.h>
#include <ole2.h>

#include "drops/command_line.h"
#include "win32/command_line.h"
#include "win32/tallimo_dlg.h"

bool CTallimoApp::InitInstance() {
  const drops::CommandLine line = win32::ReadProgramCommandLine();
  if (line.action != drops::CommandLine::Action::kRun) {
    m_exitStatus = win32::AnswerWithoutWindow(line);
    return false;
  }

  // The manifest asks for common controls 6; registering their classes once makes sure the
  // visual-style edit boxes and buttons are the ones the dialogs get.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  // Drops come through OLE, which the window's thread must have initialised.
  const HRESULT ole = ::OleInitialize(nullptr);
  {
    CTallimoDlg dialog;
    dialog.DropOnStart(line.paths);
    dialog.DoModal();
  }
  if (SUCCEEDED(ole)) ::OleUninitialize();
  return false;
}
