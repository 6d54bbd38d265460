// The application object.
#include "win32/tallimo_app.h"

#include <windows.h>
// Builds on the types that windows.h declares.
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <filesystem>
#include <system_error>

#include "timecalc/command_line.h"
#include "win32/tallimo_dlg.h"
#include "win32/window_ops.h"

namespace {

// The arguments after the program's name, split as the C runtime splits them.
std::vector<std::u16string> CommandLineArguments() {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::u16string> result;
  for (int i = 1; arguments && i < count; ++i) {
    result.emplace_back(win32::Utf16(arguments[i]));
  }
  ::LocalFree(arguments);
  return result;
}

// Relative paths are taken from the working folder, as a command line means them.
std::u16string FullPath(const std::u16string& path) {
  std::error_code error;
  const std::filesystem::path full =
      std::filesystem::absolute(std::wstring(win32::Wide(path), path.size()), error);
  return error ? path : std::u16string(win32::Utf16(full.native()));
}

}  // namespace

bool CTallimoApp::InitInstance() {
  const std::vector<std::u16string> arguments = CommandLineArguments();
  const timecalc::CommandLine line = timecalc::ReadCommandLine(arguments, u"" TALLIMO_VERSION);
  if (line.action != timecalc::CommandLine::Action::kRun) {
    // A program without a console answers in a message box.
    const bool error = line.action == timecalc::CommandLine::Action::kError;
    ::MessageBoxW(nullptr, win32::Wide(line.message), L"Tallimo",
                  MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    m_exitStatus = error ? timecalc::kUsageErrorStatus : 0;
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
    std::vector<std::u16string> paths;
    for (const std::u16string& path : line.paths) paths.push_back(FullPath(path));
    dialog.DropOnStart(std::move(paths));
    dialog.DoModal();
  }
  if (SUCCEEDED(ole)) ::OleUninitialize();
  return false;
}
