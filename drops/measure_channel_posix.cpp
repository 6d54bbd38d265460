// tallimo-measure started with fork and exec, talked to over a Unix socket that carries each
// file's descriptor along with its request (SCM_RIGHTS), and ended with SIGKILL.
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
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

// Where the child keeps the writing end of its exec report: above the descriptors it sets up.
constexpr int kReportFd = 10;

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

MeasureChannel::Started MeasureChannel::Launch(std::uint64_t interruptsBefore) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return Started::kDied;
  Fd ours(ends[0]);
  Fd theirs(ends[1]);
  // The child tells through this pipe why exec failed; a successful exec closes it unwritten.
  // Its writing end lies above the descriptors the child rearranges.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return Started::kDied;
  Fd reportRead(report[0]);
  Fd reportWrite(::fcntl(report[1], F_DUPFD_CLOEXEC, kReportFd));
  ::close(report[1]);
  if (!reportWrite) return Started::kDied;
  const std::string path = m_program.string();
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  // Between fork and exec only calls that are safe in a copy of a threaded process.
  const pid_t child = ::fork();
  if (child == 0) {
    // A window that dies without closing takes its measuring process with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The channel on its place; dup2 onto itself would keep its close-on-exec.
    const int channel = theirs.get();
    if (channel == measure::kChannelFd ? ::fcntl(channel, F_SETFD, 0) != 0
                                       : ::dup2(channel, measure::kChannelFd) < 0) {
      ::_exit(127);
    }
    // Nothing to read or write but its channel and the files it is handed: not even the window's
    // terminal.
    const int nothing = ::open("/dev/null", O_RDWR);
    for (const int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
      if (nothing < 0 || ::dup2(nothing, standard) < 0) ::_exit(127);
    }
    // Everything else the window holds goes at exec; the report pipe with it.
    ::syscall(SYS_close_range, measure::kChannelFd + 1, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execv(path.c_str(), argv);
    const int error = errno;
    ssize_t written = 0;
    do {
      written = ::write(reportWrite.get(), &error, sizeof error);
    } while (written < 0 && errno == EINTR);
    ::_exit(127);
  }
  // Only the child may hold its end: its death must close the channel.
  theirs = Fd();
  reportWrite = Fd();
  if (child < 0) return Started::kDied;
  {
    const std::lock_guard lock(m_mutex);
    m_impl->pid = child;
    RegisterLocked(interruptsBefore);
  }
  m_impl->channel = std::move(ours);
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(reportRead.get(), &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  if (got > 0) {
    End();
    return Started::kImpossible;
  }
  std::array<std::uint8_t, measure::kHelloBytes> hello{};
  if (!ReadAll(m_impl->channel.get(), hello, Clock::now() + kStartLimit) ||
      !measure::IsHello(hello)) {
    End();
    return Started::kDied;
  }
  return Started::kRunning;
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

bool MeasureChannel::Hand(const io::File& file) {
  if (!m_impl->channel) return false;
  const std::string request = measure::EncodeRequest(0, file.Name().string());
  return SendRequest(m_impl->channel.get(), request, static_cast<int>(file.handle()));
}

std::optional<std::int64_t> MeasureChannel::Answer() {
  if (!m_impl->channel) return std::nullopt;
  std::array<std::uint8_t, measure::kReplyBytes> reply{};
  if (!ReadAll(m_impl->channel.get(), reply, Clock::now() + m_fileLimit)) return std::nullopt;
  return measure::DecodeReply(reply);
}

}  // namespace drops
