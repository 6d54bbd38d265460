// The build machine's tools that make media fixtures (ffmpeg, tar), run from the tests and the
// benchmarks on either platform, and the bytes this process has read, which shows what a reader
// skipped. The Windows programs run under Wine on the build machine: they start the same Linux
// tools through Wine, name files to them by their Unix paths, and read the kernel's count.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <memory>
#include <thread>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace readers_test {

// The bytes read by the process that `io` (a /proc/<pid>/io file) describes; -1 without them.
inline std::int64_t ReadCharacters(const std::filesystem::path& io) {
  std::ifstream in(io);
  std::string key;
  std::int64_t value = 0;
  while (in >> key >> value) {
    if (key == "rchar:") return value;
  }
  return -1;
}

#ifdef _WIN32

namespace wine {

// Wine's own exports, which name a Windows path in the Unix file system and back.
template <typename Function>
Function* Export(const char* name) {
  return reinterpret_cast<Function*>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

inline std::wstring DosPath(const std::string& unix_path) {
  static auto* const to_dos = Export<wchar_t*(const char*)>("wine_get_dos_file_name");
  if (!to_dos) return {};
  const std::unique_ptr<wchar_t, void (*)(wchar_t*)> dos(
      to_dos(unix_path.c_str()), [](wchar_t* p) { ::HeapFree(::GetProcessHeap(), 0, p); });
  return dos ? std::wstring(dos.get()) : std::wstring();
}

}  // namespace wine

inline std::string ProcessId() { return std::to_string(::GetCurrentProcessId()); }

// `path` as the build machine's tools see it.
inline std::string ToolPath(const std::filesystem::path& path) {
  static auto* const to_unix = wine::Export<char*(const wchar_t*)>("wine_get_unix_file_name");
  if (!to_unix) return {};
  const std::unique_ptr<char, void (*)(char*)> name(
      to_unix(std::filesystem::absolute(path).c_str()),
      [](char* p) { ::HeapFree(::GetProcessHeap(), 0, p); });
  return name ? std::string(name.get()) : std::string();
}

// Wine starts a Linux program without a process handle to wait on or an exit code to read, so the
// shell that runs `command` leaves its status in a file, renamed into place once written whole.
inline int RunShell(const std::string& command) {
  static int runs = 0;
  const std::filesystem::path status =
      std::filesystem::temp_directory_path() /
      ("tallimo-tool-" + ProcessId() + "-" + std::to_string(++runs));
  const std::string unix_status = ToolPath(status);
  const std::string script = "(" + command + ") </dev/null; echo $? >'" + unix_status +
                             ".part' && mv '" + unix_status + ".part' '" + unix_status + "'";
  std::wstring line = L"\"" + wine::DosPath("/bin/sh") + L"\" -c \"";
  for (const char c : script) {
    if (c == '"') line += L'\\';
    line += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  line += L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (unix_status.empty() || !::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                                               nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (!std::filesystem::exists(status)) {
    if (std::chrono::steady_clock::now() > give_up) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  int code = -1;
  std::ifstream(status) >> code;
  std::filesystem::remove(status);
  return code;
}

// The /proc folder of the Linux process that this Wine process is: found by a file that only it
// maps, since Wine opens files in its server, for which /proc/self would stand.
inline std::string UnixProcessFolder() {
  namespace fs = std::filesystem;
  const std::string name = "tallimo-self-" + ProcessId();
  const fs::path marker = fs::temp_directory_path() / name;
  std::ofstream(marker) << name;
  const HANDLE file =
      ::CreateFileW(marker.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  std::string found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(wine::DosPath("/proc"), error)) {
    const std::string pid = entry.path().filename().string();
    if (!view || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream maps(entry.path() / "maps");
    for (std::string line; found.empty() && std::getline(maps, line);) {
      if (line.ends_with("/" + name)) found = "/proc/" + pid;
    }
    if (!found.empty()) break;
  }
  if (view) ::UnmapViewOfFile(view);
  if (mapping) ::CloseHandle(mapping);
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  fs::remove(marker, error);
  return found;
}

// Bytes this process has read; -1 when nothing tells. Wine keeps no count of its own
// (GetProcessIoCounters gives 0), and its process is a Linux process: the kernel's count of it
// tells instead.
inline std::int64_t BytesRead() {
  IO_COUNTERS counters{};
  if (::GetProcessIoCounters(::GetCurrentProcess(), &counters) && counters.ReadTransferCount > 0) {
    return static_cast<std::int64_t>(counters.ReadTransferCount);
  }
  static const std::string folder = UnixProcessFolder();
  return folder.empty() ? -1 : ReadCharacters(wine::DosPath(folder + "/io"));
}

#else

inline std::string ProcessId() { return std::to_string(::getpid()); }

inline std::string ToolPath(const std::filesystem::path& path) { return path.string(); }

inline int RunShell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Bytes this process has read, by the kernel's count.
inline std::int64_t BytesRead() { return ReadCharacters("/proc/self/io"); }

#endif

// Runs `ffmpeg <arguments> <output>` quietly; true when it succeeded.
inline bool RunFfmpeg(const std::string& arguments, const std::filesystem::path& output) {
  return RunShell(std::string(TALLIMO_FFMPEG_TOOL) + " -hide_banner -loglevel error -nostdin -y " +
                  arguments + " '" + ToolPath(output) + "'") == 0;
}

}  // namespace readers_test
