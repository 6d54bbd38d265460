// tallimo-measure.exe started with a restricted, low-integrity token inside a job that caps its
// memory, allows it no further process, keeps it from the desktop and ends it when the window's
// process lets go of the job. It talks over a named pipe of its own; each file is opened here and
// its handle duplicated into the process.
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "drops/measure_channel.h"
#include "drops/measuring_process.h"
#include "io/file.h"
#include "measure/limits.h"
#include "measure/protocol.h"

namespace drops {

namespace {

using Clock = std::chrono::steady_clock;

// Room for every request in flight, names of the longest kind included, so that handing a file
// over never waits for the process.
constexpr DWORD kPipeBytes = 16384;

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr)
      : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(Handle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    std::swap(m_handle, other.m_handle);
    return *this;
  }
  ~Handle() {
    if (m_handle) ::CloseHandle(m_handle);
  }
  HANDLE get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }

 private:
  HANDLE m_handle;
};

std::filesystem::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

// The job: memory, one process, no desktop, and kill-on-close, so that the window's process
// ending in any way ends this one too.
Handle MakeJob() {
  Handle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
      JOB_OBJECT_LIMIT_ACTIVE_PROCESS | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  limits.BasicLimitInformation.ActiveProcessLimit = 1;
  limits.ProcessMemoryLimit = static_cast<SIZE_T>(measure::kMemoryCap);
  JOBOBJECT_BASIC_UI_RESTRICTIONS ui{};
  ui.UIRestrictionsClass = JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS |
                           JOB_OBJECT_UILIMIT_EXITWINDOWS | JOB_OBJECT_UILIMIT_GLOBALATOMS |
                           JOB_OBJECT_UILIMIT_HANDLES | JOB_OBJECT_UILIMIT_READCLIPBOARD |
                           JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS | JOB_OBJECT_UILIMIT_WRITECLIPBOARD;
  if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof(limits)) ||
      !::SetInformationJobObject(job.get(), JobObjectBasicUIRestrictions, &ui, sizeof(ui))) {
    return Handle();
  }
  return job;
}

// This process's token without its privileges and at low integrity: it may not write to the
// user's files or send input to the user's windows.
Handle MakeToken() {
  HANDLE own = nullptr;
  if (!::OpenProcessToken(
          ::GetCurrentProcess(),
          TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, &own)) {
    return Handle();
  }
  const Handle ownToken(own);
  HANDLE restricted = nullptr;
  if (!::CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 0, nullptr, 0, nullptr, 0, nullptr,
                               &restricted)) {
    return Handle();
  }
  Handle token(restricted);
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidBytes = sizeof(sid);
  if (!::CreateWellKnownSid(WinLowLabelSid, nullptr, sid, &sidBytes)) return Handle();
  TOKEN_MANDATORY_LABEL label{};
  label.Label.Attributes = SE_GROUP_INTEGRITY;
  label.Label.Sid = sid;
  if (!::SetTokenInformation(token.get(), TokenIntegrityLevel, &label,
                             sizeof(label) + ::GetLengthSid(sid))) {
    return Handle();
  }
  return token;
}

// Moves all of `bytes` over the pipe before `deadline`; a read or write still pending then is
// cancelled, so that the buffer it would fill may go.
bool Transfer(HANDLE pipe, std::span<std::uint8_t> bytes, bool write, Clock::time_point deadline) {
  const Handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) return false;
  for (std::size_t done = 0; done < bytes.size();) {
    OVERLAPPED operation{};
    operation.hEvent = event.get();
    const auto wanted = static_cast<DWORD>(bytes.size() - done);
    const BOOL started = write ? ::WriteFile(pipe, bytes.data() + done, wanted, nullptr, &operation)
                               : ::ReadFile(pipe, bytes.data() + done, wanted, nullptr, &operation);
    if (!started && ::GetLastError() != ERROR_IO_PENDING) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const DWORD patience = left.count() <= 0 ? 0 : static_cast<DWORD>(left.count());
    DWORD moved = 0;
    if (::WaitForSingleObject(event.get(), patience) != WAIT_OBJECT_0) {
      ::CancelIoEx(pipe, &operation);
      ::GetOverlappedResult(pipe, &operation, &moved, TRUE);
      return false;
    }
    if (!::GetOverlappedResult(pipe, &operation, &moved, FALSE) || moved == 0) return false;
    done += moved;
  }
  return true;
}

}  // namespace

struct MeasureChannel::Impl {
  Handle process;  // guarded by m_mutex
  Handle job;
  Handle pipe;

  // The file's handle as a number the process can use; it closes it when done.
  std::uint64_t HandOver(const io::File& file) {
    HANDLE theirs = nullptr;
    if (!process ||
        !::DuplicateHandle(::GetCurrentProcess(), reinterpret_cast<HANDLE>(file.handle()),
                           process.get(), &theirs, GENERIC_READ, FALSE, 0)) {
      return 0;
    }
    return reinterpret_cast<std::uintptr_t>(theirs);
  }
};

// The process starts in its job, inheriting the pipe's end and nothing else.
MeasureChannel::Started MeasureChannel::Launch(std::uint64_t interruptsBefore) {
  static std::atomic<unsigned> serial = 0;
  const std::wstring name = L"\\\\.\\pipe\\tallimo-measure-" +
                            std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(serial++);
  Handle ours(::CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, kPipeBytes,
      kPipeBytes, 0, nullptr));
  if (!ours) return Started::kDied;
  SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
  Handle theirs(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited,
                              OPEN_EXISTING, 0, nullptr));
  if (!theirs) return Started::kDied;
  Handle newJob = MakeJob();
  Handle token = MakeToken();
  if (!newJob || !token) return Started::kImpossible;

  // Of the handles this process lets children inherit, only the pipe's end goes to this one.
  SIZE_T attributeBytes = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeBytes);
  std::vector<std::uint8_t> attributeList(attributeBytes);
  const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeList.data());
  HANDLE inheritedHandles[] = {theirs.get()};
  if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &attributeBytes)) {
    return Started::kImpossible;
  }
  const bool listed =
      ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                  inheritedHandles, sizeof(inheritedHandles), nullptr, nullptr);
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = theirs.get();
  startup.StartupInfo.hStdOutput = theirs.get();
  startup.StartupInfo.hStdError = nullptr;
  startup.lpAttributeList = attributes;
  std::wstring commandLine = L"\"" + m_program.wstring() + L"\"";
  PROCESS_INFORMATION started{};
  // Suspended until it is in the job, so that it runs no instruction outside it.
  const BOOL created =
      listed && ::CreateProcessAsUserW(
                    token.get(), m_program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                    CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                    nullptr, &startup.StartupInfo, &started);
  ::DeleteProcThreadAttributeList(attributes);
  // Only the child may hold its end: its death must break the pipe.
  theirs = Handle();
  if (!created) return Started::kImpossible;
  Handle child(started.hProcess);
  const Handle thread(started.hThread);
  if (!::AssignProcessToJobObject(newJob.get(), child.get())) {
    ::TerminateProcess(child.get(), 1);
    return Started::kImpossible;
  }
  ::ResumeThread(thread.get());
  {
    const std::lock_guard lock(m_mutex);
    m_impl->process = std::move(child);
    RegisterLocked(interruptsBefore);
  }
  m_impl->job = std::move(newJob);
  m_impl->pipe = std::move(ours);
  std::array<std::uint8_t, measure::kHelloBytes> hello{};
  if (!Transfer(m_impl->pipe.get(), hello, false, Clock::now() + kStartLimit) ||
      !measure::IsHello(hello)) {
    End();
    return Started::kDied;
  }
  return Started::kRunning;
}

void MeasureChannel::End() {
  {
    const std::lock_guard lock(m_mutex);
    if (m_impl->process) {
      ::TerminateProcess(m_impl->process.get(), 1);
      ::WaitForSingleObject(m_impl->process.get(), INFINITE);
    }
    m_impl->process = Handle();
    m_killed = false;
  }
  m_impl->pipe = Handle();
  m_impl->job = Handle();
}

bool MeasureChannel::HasProcessLocked() const { return static_cast<bool>(m_impl->process); }

void MeasureChannel::KillLocked() { ::TerminateProcess(m_impl->process.get(), 1); }

std::filesystem::path MeasuringProcess::Find() {
  if (const DWORD length = ::GetEnvironmentVariableW(L"TALLIMO_MEASURE", nullptr, 0); length > 1) {
    std::wstring named(length, L'\0');
    named.resize(::GetEnvironmentVariableW(L"TALLIMO_MEASURE", named.data(), length));
    return named;
  }
  const std::filesystem::path beside = ProgramFolder() / L"tallimo-measure.exe";
  return ::GetFileAttributesW(beside.c_str()) == INVALID_FILE_ATTRIBUTES ? std::filesystem::path()
                                                                         : beside;
}

MeasureChannel::MeasureChannel(std::filesystem::path program, std::chrono::milliseconds fileLimit)
    : m_program(std::move(program)), m_fileLimit(fileLimit), m_impl(std::make_unique<Impl>()) {}

MeasureChannel::~MeasureChannel() { End(); }

bool MeasureChannel::Hand(const io::File& file) {
  if (!m_impl->pipe) return false;
  std::uint64_t handle = 0;
  {
    // The process is not ended under the handle being duplicated into it.
    const std::lock_guard lock(m_mutex);
    handle = m_impl->HandOver(file);
  }
  if (handle == 0) return false;
  const std::u8string name = file.Name().u8string();
  std::string request = measure::EncodeRequest(
      handle, std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
  // The pipe's buffer takes a request at once unless the process stopped reading.
  return Transfer(m_impl->pipe.get(),
                  std::span(reinterpret_cast<std::uint8_t*>(request.data()), request.size()), true,
                  Clock::now() + m_fileLimit);
}

std::optional<std::int64_t> MeasureChannel::Answer() {
  if (!m_impl->pipe) return std::nullopt;
  std::array<std::uint8_t, measure::kReplyBytes> reply{};
  if (!Transfer(m_impl->pipe.get(), reply, false, Clock::now() + m_fileLimit)) {
    return std::nullopt;
  }
  return measure::DecodeReply(reply);
}

}  // namespace drops
