#include "support/ChildProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace testsupport {

ChildResult RunInChild(const std::function<int()>& body, int timeoutMs) {
  ChildResult r;
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return r;
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
    }
    std::fflush(nullptr);
    ::_exit(code);
  }
  // The child's end is an event to wait on: poll its process descriptor.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  bool ended = true;
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    int n;
    do {
      n = ::poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    ended = n > 0;
    ::close(pidfd);
  }
  if (!ended) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  r.ended = ended;
  r.exitCode = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

bool WaitOrKill(pid_t pid, std::chrono::steady_clock::time_point deadline, int* status) {
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid, status, WNOHANG) == pid) return true;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, status, 0);
  return false;
}

}  // namespace testsupport
