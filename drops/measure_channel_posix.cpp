// tallimo-measure started with fork and exec, talked to over a Unix socket that carries each
// file's descriptor along with its request (SCM_RIGHTS), and ended with SIGKILL.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <span>
#include <string>
#include <utility>

#include "drops/measure_channel.h"
#include "drops/measuring_process.h"
#include "io/file.h"
#include "measure/protocol.h"

namespace drops {
namespace {

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  explicit Fd(int fd = -1) : m_fd(fd) {}
  Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(m_fd, other.m_fd);
    return *this;
  }
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }

 private:
  int m_fd;
};

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

// Reads exactly `into` before `deadline`; false on a timeout, the end of the channel or an error.
bool ReadAll(int fd, std::span<std::uint8_t> into, Clock::time_point deadline) {
  std::size_t done = 0;
  while (done < into.size()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd wait{.fd = fd, .events = POLLIN, .revents = 0};
    const int ready =
        ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t got = ::recv(fd, into.data() + done, into.size() - done, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

// The request with the file's descriptor riding along; the socket's buffer takes it at once.
bool SendRequest(int channel, const std::string& request, int file) {
  iovec data{.iov_base = const_cast<char*>(request.data()), .iov_len = request.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  msghdr message{};
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof(control);
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = SOL_SOCKET;
  header->cmsg_type = SCM_RIGHTS;
  header->cmsg_len = CMSG_LEN(sizeof(int));
  std::memcpy(CMSG_DATA(header), &file, sizeof(int));
  ssize_t sent = 0;
  do {
    sent = ::sendmsg(channel, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(request.size());
}

}  // namespace

struct MeasureChannel::Impl {
  pid_t pid = 0;  // 0: none running; guarded by m_mutex
  Fd channel;
};

bool MeasureChannel::Launch() {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  Fd ours(ends[0]);
  Fd theirs(ends[1]);
  const std::string path = m_program.string();
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  // Between fork and exec only calls that are safe in a copy of a threaded process.
  const pid_t child = ::fork();
  if (child == 0) {
    // A window that dies without closing takes its measuring process with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::dup2(theirs.get(), measure::kChannelFd) != measure::kChannelFd) ::_exit(127);
    // Nothing to read but the files it is handed: not even the window's terminal.
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing < 0 || ::dup2(nothing, STDIN_FILENO) != STDIN_FILENO) ::_exit(127);
    ::syscall(SYS_close_range, measure::kChannelFd + 1, ~0U, 0);
    ::execv(path.c_str(), argv);
    ::_exit(127);
  }
  // Only the child may hold its end: its death must close the channel.
  theirs = Fd();
  if (child < 0) return false;
  {
    const std::lock_guard lock(m_mutex);
    m_impl->pid = child;
    m_killed = false;
  }
  m_impl->channel = std::move(ours);
  std::array<std::uint8_t, measure::kHelloBytes> hello{};
  if (!ReadAll(m_impl->channel.get(), hello, Clock::now() + kStartLimit) ||
      !measure::IsHello(hello)) {
    End();
    return false;
  }
  return true;
}

void MeasureChannel::End() {
  m_impl->channel = Fd();
  const std::lock_guard lock(m_mutex);
  if (m_impl->pid == 0) return;
  ::kill(m_impl->pid, SIGKILL);
  while (::waitpid(m_impl->pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  m_impl->pid = 0;
  m_killed = false;
}

bool MeasureChannel::HasProcessLocked() const { return m_impl->pid != 0; }

void MeasureChannel::KillLocked() { ::kill(m_impl->pid, SIGKILL); }

std::filesystem::path MeasuringProcess::Find() {
  if (const char* named = std::getenv("TALLIMO_MEASURE"); named && *named) return named;
  const std::filesystem::path folder = ProgramFolder();
  if (folder.empty()) return {};
  for (const auto& candidate :
       {folder / "tallimo-measure", folder / ".." / "libexec" / "tallimo" / "tallimo-measure"}) {
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal();
  }
  return {};
}

MeasureChannel::MeasureChannel(std::filesystem::path program, std::chrono::milliseconds fileLimit)
    : m_program(std::move(program)), m_fileLimit(fileLimit), m_impl(std::make_unique<Impl>()) {}

MeasureChannel::~MeasureChannel() { End(); }

MeasureChannel::Handed MeasureChannel::Hand(const std::filesystem::path& file) {
  const std::optional<io::File> opened = io::File::Open(file);
  if (!opened || !Start()) return Handed::kNotSent;
  const std::string request = measure::EncodeRequest(0, opened->Name().string());
  return SendRequest(m_impl->channel.get(), request, static_cast<int>(opened->handle()))
             ? Handed::kSent
             : Handed::kBroken;
}

std::optional<std::int64_t> MeasureChannel::Answer() {
  if (!m_impl->channel) return std::nullopt;
  std::array<std::uint8_t, measure::kReplyBytes> reply{};
  if (!ReadAll(m_impl->channel.get(), reply, Clock::now() + m_fileLimit)) return std::nullopt;
  return measure::DecodeReply(reply);
}

}  // namespace drops
