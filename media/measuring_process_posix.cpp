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

#include "media/measure_protocol.h"
#include "media/measure_channel.h"
#include "media/measuring_process.h"

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

// The descriptor the measuring process finds its channel on.
constexpr int kChannelFd = 3;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// As the readers themselves would open it: a FIFO must not hold the open until a writer comes,
// and only a regular file is handed over.
Fd OpenRegularFile(const std::filesystem::path& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return Fd();
  return fd;
}

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
  pid_t pid = 0;  // 0: none running; guarded by mutex_
  Fd channel;
};

bool MeasureChannel::Launch() {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  Fd ours(ends[0]);
  Fd theirs(ends[1]);
  const std::string path = program_.string();
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  // Between fork and exec only calls that are safe in a copy of a threaded process.
  const pid_t child = ::fork();
  if (child == 0) {
    // A window that dies without closing takes its measuring process with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::dup2(theirs.get(), kChannelFd) != kChannelFd) ::_exit(127);
    // Nothing to read but the files it is handed: not even the window's terminal.
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing < 0 || ::dup2(nothing, STDIN_FILENO) != STDIN_FILENO) ::_exit(127);
    ::syscall(SYS_close_range, kChannelFd + 1, ~0U, 0);
    ::execv(path.c_str(), argv);
    ::_exit(127);
  }
  // Only the child may hold its end: its death must close the channel.
  theirs = Fd();
  if (child < 0) return false;
  {
    const std::lock_guard lock(mutex_);
    impl_->pid = child;
    killed_ = false;
  }
  impl_->channel = std::move(ours);
  std::array<std::uint8_t, measure::kHelloBytes> hello{};
  if (!ReadAll(impl_->channel.get(), hello, Clock::now() + kStartLimit) ||
      !measure::IsHello(hello)) {
    End();
    return false;
  }
  return true;
}

void MeasureChannel::End() {
  impl_->channel = Fd();
  const std::lock_guard lock(mutex_);
  if (impl_->pid == 0) return;
  ::kill(impl_->pid, SIGKILL);
  while (::waitpid(impl_->pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  impl_->pid = 0;
  killed_ = false;
}

bool MeasureChannel::HasProcessLocked() const { return impl_->pid != 0; }

void MeasureChannel::KillLocked() { ::kill(impl_->pid, SIGKILL); }

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
    : program_(std::move(program)), fileLimit_(fileLimit), impl_(std::make_unique<Impl>()) {}

MeasureChannel::~MeasureChannel() { End(); }

MeasureChannel::Handed MeasureChannel::Hand(const std::filesystem::path& file) {
  const Fd opened = OpenRegularFile(file);
  if (!opened || !Start()) return Handed::kNotSent;
  const std::string request = measure::EncodeRequest(0, file.filename().string());
  return SendRequest(impl_->channel.get(), request, opened.get()) ? Handed::kSent
                                                                  : Handed::kBroken;
}

std::optional<std::int64_t> MeasureChannel::Answer() {
  if (!impl_->channel) return std::nullopt;
  std::array<std::uint8_t, measure::kReplyBytes> reply{};
  if (!ReadAll(impl_->channel.get(), reply, Clock::now() + fileLimit_)) return std::nullopt;
  return measure::DecodeReply(reply);
}

}  // namespace media
