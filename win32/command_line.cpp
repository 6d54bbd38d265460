// Where the Windows programs' answers to the command line go.
#include "win32/command_line.h"

#include <windows.h>
// Builds on the types that windows.h declares.
#include <shellapi.h>

#include <filesystem>
#include <vector>

#include "drops/terminal.h"
#include "res/resource.h"
#include "win32/window_ops.h"

namespace win32 {
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

std::wstring WideFromUtf8(std::string_view bytes) {
  std::wstring text(bytes.size(), L'\0');
  text.resize(static_cast<std::size_t>(
      ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                            static_cast<int>(text.size()))));
  return text;
}

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Whether the standard streams lead somewhere: to the console of the program that started this
// one (cmd, PowerShell), attached first so that a console handle handed down is written as one,
// else to the pipe or file that whoever started the program sent them to.
bool ConnectStandardStreams() {
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) {
    return Usable(::GetStdHandle(STD_OUTPUT_HANDLE)) || Usable(::GetStdHandle(STD_ERROR_HANDLE));
  }
  for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    if (Usable(::GetStdHandle(which))) continue;
    const HANDLE console = ::CreateFileW(
        which == STD_INPUT_HANDLE ? L"CONIN$" : L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) ::SetStdHandle(which, console);
  }
  return true;
}

// What --list and --total write, kept for a message box.
class Collected final : public drops::Terminal {
 public:
  void Write(std::string_view bytes) override { m_text.append(bytes); }
  void WriteError(std::string_view text) override { m_text.append(text); }
  bool ShowsProgress() const override { return false; }
  std::string ReadInput() override { return {}; }
  const std::string& text() const { return m_text; }

 private:
  std::string m_text;
};

}  // namespace

std::u16string LoadCommandLineText(int id) { return LoadStringText(static_cast<UINT>(id)); }

drops::CommandLine ReadProgramCommandLine() {
  return drops::ReadCommandLine(CommandLineArguments(), u"" TALLIMO_VERSION, LoadCommandLineText);
}

int AnswerWithoutWindow(const drops::CommandLine& line) {
  if (ConnectStandardStreams()) {
    return drops::RunWithoutWindow(line, *drops::StandardStreams(), LoadCommandLineText);
  }
  int status = 0;
  std::wstring text;
  switch (line.action) {
    case drops::CommandLine::Action::kList:
    case drops::CommandLine::Action::kTotal: {
      Collected collected;
      status = drops::RunWithoutWindow(line, collected, LoadCommandLineText);
      text = WideFromUtf8(collected.text());
      break;
    }
    default:
      // The message as it stands: a message box wraps its paragraphs and sets out the options'
      // rows at its tab stop.
      status = line.action == drops::CommandLine::Action::kError ? drops::kUsageErrorStatus : 0;
      text = Wide(line.message);
      break;
  }
  ::MessageBoxW(nullptr, text.c_str(), L"Tallimo",
                MB_OK | (status == 0   ? MB_ICONINFORMATION
                         : status == 1 ? MB_ICONWARNING
                                       : MB_ICONERROR));
  return status;
}

int RunConsoleProgram() {
  const drops::CommandLine line = ReadProgramCommandLine();
  if (line.action != drops::CommandLine::Action::kRun) {
    return drops::RunWithoutWindow(line, *drops::StandardStreams(), LoadCommandLineText);
  }
  // The window's program beside this one, given the command line as it came, after the
  // program's name (which ends at its closing quote, or else at the first blank).
  wchar_t module[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
  const std::wstring program =
      std::filesystem::path(std::wstring_view(module, length)).replace_extension(L".exe");
  const std::wstring_view given = ::GetCommandLineW();
  const std::size_t nameEnd =
      given.starts_with(L'"') ? given.find(L'"', 1) : given.find_first_of(L" \t");
  const std::wstring_view rest = nameEnd == std::wstring_view::npos
                                     ? std::wstring_view()
                                     : given.substr(nameEnd + (given.starts_with(L'"') ? 1 : 0));
  std::wstring commandLine = L"\"" + program + L"\"" + std::wstring(rest);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
    drops::WriteErrorMessage(
        *drops::StandardStreams(),
        drops::Substitute(LoadCommandLineText(res::kIdsNoWindowProgram), {Utf16(program)}));
    return 1;
  }
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return 0;
}

}  // namespace win32
