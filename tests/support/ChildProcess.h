#pragma once
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

// A check that must not hang the test run if the fault it guards against
// comes back (a start that blocks forever on a named pipe): the body runs in
// a forked child process, and the test waits for it with a generous bound
// instead of for ever.
namespace testsupport {

struct ChildResult {
  bool ended = false;  // false: still running at the bound, then killed
  int exitCode = -1;   // the body's result, or -1 when it did not exit
};

// Runs body in a child process and waits at most timeoutMs for it to end.
// The body's result is the child's exit status: return
// ::testing::Test::HasFailure() ? 1 : 0 to pass the child's own checks on
// (their messages appear in the output). The child leaves with _exit, so
// nothing of the parent's is torn down twice.
ChildResult RunInChild(const std::function<int()>& body, int timeoutMs = 120000);

// Runs the test that is running now once more in a fresh process of this
// test binary (started anew: nothing of this process's threads, loaded
// libraries or exit handlers carried over), with the environment variable
// `name` set to `value` so that the test knows to play that case; the other
// variables are passed on. Its standard output (the framework's report) is
// dropped, its standard error kept. Waits at most timeoutMs for it to end;
// the case's result is its exit status.
ChildResult RunThisTestAfresh(const char* name, const std::string& value, int timeoutMs = 120000);

// Waits for a started child until the deadline; past it the child is
// killed. True when it ended by itself; its wait status in *status.
bool WaitOrKill(pid_t pid, std::chrono::steady_clock::time_point deadline, int* status);

}  // namespace testsupport
