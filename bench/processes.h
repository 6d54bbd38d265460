// Other programs as the benchmarks start them on Linux: run to their end, and the processor time
// they took.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace media_bench {

// CPU time of the child processes ended so far, user and system, theirs that they waited for
// included.
inline double ChildCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `arguments` (the program found on PATH, or named by its path) without a shell, with its
// output kept in `output`, or thrown away when that is null. Its exit status; -1 when it could
// not run.
inline int Run(const std::vector<std::string>& arguments, std::string* output = nullptr) {
  int pipe[2] = {-1, -1};
  if (output && ::pipe2(pipe, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (output) {
    ::posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
  } else {
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (output) {
    ::close(pipe[1]);
    char buffer[4096];
    for (ssize_t read; (read = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
      output->append(buffer, static_cast<std::size_t>(read));
    }
    ::close(pipe[0]);
  }
  if (spawned != 0) return -1;
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace media_bench
