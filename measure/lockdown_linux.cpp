// On Linux the process caps its own memory and then installs a seccomp filter that leaves it the
// calls needed to read the descriptors it is handed and to answer, and nothing that reaches
// anything else: no open of a path, no new socket, no new process, no exec.
#include <seccomp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

#include "measure/limits.h"
#include "measure/lockdown.h"
#include "measure/protocol.h"

namespace measure {

namespace {

bool Allow(scmp_filter_ctx filter, int call) {
  return seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
}
// The call with its first argument equal to `value` (libseccomp's SCMP_A0 is C, not C++).
bool AllowWithFirst(scmp_filter_ctx filter, int call, scmp_datum_t value) {
  const scmp_arg_cmp first{.arg = 0, .op = SCMP_CMP_EQ, .datum_a = value, .datum_b = 0};
  return seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1, first) == 0;
}
bool AllowOnFd(scmp_filter_ctx filter, int call, int fd) {
  return AllowWithFirst(filter, call, static_cast<scmp_datum_t>(fd));
}

// What the readers, the C and C++ libraries and the allocator need once the process runs. Every
// other call fails with EPERM, which the libraries take as any other refusal.
bool InstallFilter() {
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
  if (!filter) return false;
  bool ok = true;
  for (const int call : {SCMP_SYS(read),
                         SCMP_SYS(pread64),
                         SCMP_SYS(lseek),
                         SCMP_SYS(fstat),
                         SCMP_SYS(newfstatat),
                         SCMP_SYS(close),
                         SCMP_SYS(mmap),
                         SCMP_SYS(munmap),
                         SCMP_SYS(mremap),
                         SCMP_SYS(mprotect),
                         SCMP_SYS(brk),
                         SCMP_SYS(madvise),
                         SCMP_SYS(futex),
                         SCMP_SYS(clock_gettime),
                         SCMP_SYS(clock_nanosleep),
                         SCMP_SYS(nanosleep),
                         SCMP_SYS(gettimeofday),
                         SCMP_SYS(getpid),
                         SCMP_SYS(gettid),
                         SCMP_SYS(sched_yield),
                         SCMP_SYS(getrandom),
                         SCMP_SYS(rt_sigreturn),
                         SCMP_SYS(rt_sigprocmask),
                         SCMP_SYS(rt_sigaction),
                         SCMP_SYS(sigaltstack),
                         SCMP_SYS(exit),
                         SCMP_SYS(exit_group)}) {
    ok = ok && Allow(filter, call);
  }
  // The channel carries the requests and the replies; standard error, what a failing check of
  // the C library or a sanitizer says before it ends the process.
  ok = ok && AllowOnFd(filter, SCMP_SYS(recvmsg), kChannelFd) &&
       AllowOnFd(filter, SCMP_SYS(write), kChannelFd) &&
       AllowOnFd(filter, SCMP_SYS(write), STDERR_FILENO) &&
       AllowOnFd(filter, SCMP_SYS(writev), STDERR_FILENO);
  // abort() signals the process itself, and nothing else.
  ok = ok && AllowWithFirst(filter, SCMP_SYS(tgkill), static_cast<scmp_datum_t>(::getpid()));
#ifdef __SANITIZE_ADDRESS__
  // The sanitizers' runtime tells whether memory can be read (a vtable that UndefinedBehavior-
  // Sanitizer checks, say) by writing it into a pipe of its own; refused, it reports every such
  // check as a fault. The test builds of the program only.
  ok = ok && Allow(filter, SCMP_SYS(pipe2)) && Allow(filter, SCMP_SYS(write));
#endif
  ok = ok && seccomp_load(filter) == 0;
  seccomp_release(filter);
  return ok;
}

}  // namespace

bool LockDown() {
  // A crash is expected of hostile files; it must not leave core files behind.
  const rlimit noCore{0, 0};
  if (::setrlimit(RLIMIT_CORE, &noCore) != 0) return false;
#ifndef __SANITIZE_ADDRESS__
  // AddressSanitizer reserves terabytes of address space for its shadow; its builds cap the
  // mapped memory with the runtime's own limit instead (see main.cpp).
  const rlimit memory{static_cast<rlim_t>(kMemoryCap), static_cast<rlim_t>(kMemoryCap)};
  if (::setrlimit(RLIMIT_AS, &memory) != 0) return false;
#endif
  return InstallFilter();
}

}  // namespace measure
