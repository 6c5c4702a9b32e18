#include "support/ChildProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace testsupport {

namespace {

// Waits at most timeoutMs for a started child; past that it is killed.
ChildResult AwaitChild(pid_t pid, int timeoutMs) {
  ChildResult r;
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

}  // namespace

ChildResult RunInChild(const std::function<int()>& body, int timeoutMs) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
    }
    std::fflush(nullptr);
    ::_exit(code);
  }
  return AwaitChild(pid, timeoutMs);
}

ChildResult RunThisTestAfresh(const char* name, const std::string& value, int timeoutMs) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test == nullptr) return {};
  // Everything the new process gets is made before the fork: between the
  // fork and the exec a child of a process with threads may only make
  // calls that take no lock.
  const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
  const std::string self = "/proc/self/exe";
  const std::string mine = std::string(name) + "=";
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    // A report file of this run is not the fresh process's to write.
    if (entry.rfind(mine, 0) != 0 && entry.rfind("GTEST_OUTPUT=", 0) != 0) env.push_back(entry);
  }
  env.push_back(mine + value);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(self.c_str()), const_cast<char*>(filter.c_str()), nullptr};
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 1);
    ::execve(self.c_str(), argv, envp.data());
    ::_exit(127);
  }
  return AwaitChild(pid, timeoutMs);
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
