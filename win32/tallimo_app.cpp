// The application object.
#include "win32/tallimo_app.h"

#include <windows.h>
// Builds on the types that windows.h declares.
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <vector>

#include "drops/command_line.h"
#include "win32/tallimo_dlg.h"
#include "win32/window_ops.h"

namespace {

// The arguments after the program's name, split as the C runtime splits them.
std::vector<drops::Argument> CommandLineArguments() {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<drops::Argument> result;
  for (int i = 1; arguments && i < count; ++i) result.emplace_back(arguments[i]);
  ::LocalFree(arguments);
  return result;
}

}  // namespace

bool CTallimoApp::InitInstance() {
  const std::vector<drops::Argument> arguments = CommandLineArguments();
  const drops::CommandLine line = drops::ReadCommandLine(arguments, u"" TALLIMO_VERSION);
  if (line.action != drops::CommandLine::Action::kRun) {
    // A program without a console answers in a message box.
    const bool error = line.action == drops::CommandLine::Action::kError;
    ::MessageBoxW(nullptr, win32::Wide(line.message), L"Tallimo",
                  MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    m_exitStatus = error ? drops::kUsageErrorStatus : 0;
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
