// The program itself, started as a player would: a start that cannot open
// its window ends at once with status 1 and says why; a data folder that
// lacks the files the start reads is named with the first one missing.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/BuildDirs.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

struct GameRun {
  bool ended = false;
  int status = -1;
  std::string err;
};

// Starts the game with env changes, reads its standard error and waits for
// its end, at most limitMs in all (then it is killed and `ended` stays
// false).
GameRun StartGame(const std::string& saveDir, const std::string& runtimeDir, int limitMs,
                  const std::string& dataDir = "", const std::vector<std::pair<std::string, std::string>>& env = {}) {
  const std::string exe = std::string(testsupport::TestBinaryDir()) + "/app/ostrel";
  int err[2];
  if (::pipe(err) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(err[1], 2);
    ::close(err[0]);
    ::close(err[1]);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("SDL_VIDEODRIVER");
    ::setenv("OSTREL_SAVE_DIR", saveDir.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!dataDir.empty()) ::setenv("OSTREL_DATA_DIR", dataDir.c_str(), 1);
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    ::execl(exe.c_str(), exe.c_str(), "-fullscreen", "0", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(err[1]);
  GameRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  char buf[512];
  // Its standard error up to the end (the program closed it) or the bound.
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{err[0], POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const ssize_t got = ::read(err[0], buf, sizeof buf);
    if (got <= 0) break;
    run.err.append(buf, static_cast<size_t>(got));
  }
  ::close(err[0]);
  run.ended = testsupport::WaitOrKill(pid, deadline, &run.status);
  return run;
}

// With no display named, the driver that draws nowhere is not taken: the
// start fails with one line instead of running on unseen until killed.
TEST(Start, WithoutADisplayItEndsWithOneLine) {
  testsupport::TempDir dir;
  const GameRun run = StartGame(dir.File("save"), dir.Path(), 120000);
  ASSERT_TRUE(run.ended) << "still running without a display; stderr:\n" << run.err;
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 1);
  EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "more than one line:\n" << run.err;
}

// A display named but not there (no server behind it) is named in the
// line, whichever variable names it; with both named, both are.
TEST(Start, ADisplayThatCannotBeOpenedIsNamed) {
  testsupport::TempDir dir;
  if (std::filesystem::exists("/tmp/.X11-unix/X97")) GTEST_SKIP() << "an X server answers on :97";
  const struct {
    std::vector<std::pair<std::string, std::string>> env;
    std::string reason;
  } cases[] = {
      {{{"DISPLAY", ":97"}}, "no display (DISPLAY=:97 cannot be opened; "},
      {{{"WAYLAND_DISPLAY", "ostrel-none"}}, "no display (WAYLAND_DISPLAY=ostrel-none cannot be opened; "},
      {{{"DISPLAY", ":97"}, {"WAYLAND_DISPLAY", "ostrel-none"}},
       "no display (neither DISPLAY=:97 nor WAYLAND_DISPLAY=ostrel-none can be opened; "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const GameRun run = StartGame(dir.File("save"), dir.Path(), 120000, "", c.env);
    ASSERT_TRUE(run.ended) << run.err;
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("names one"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "more than one line:\n" << run.err;
  }
}

// A data folder without the files the game reads as it starts: one line
// names the folder and the first file missing, before the start goes on as
// it would (here to its end for want of a display). The files are looked
// for in the order they are read: the loading screen's font, the common
// resources (unless their cache archive is there), the other fonts and the
// music bank; names are matched without regard to case.
TEST(Start, ADataFolderWithoutTheStartFilesIsNamedWithTheFirstMissing) {
  testsupport::TempDir dir;
  const std::string data = dir.File("data");
  struct Case {
    std::vector<std::string> files;
    const char* missing;
  } const cases[] = {
      {{}, "common/Osr_Font_Large.tr"},
      {{"common/Osr_Font_Large.tr"}, "common/osr_efx.tr"},
      {{"COMMON/osr_font_large.TR", "COMMON/OSR_EFX.tr"}, "common/osr_efx00.tr"},
      {{"common/Osr_Font_Large.tr", "cache/common.sca"}, "common/Osr_Font_Small.tr"},
      {{"common/Osr_Font_Large.tr", "cache/common.sca", "common/Osr_Font_Small.tr", "common/Osr_Font_Num.tr"},
       "sound/osr_bgm_low.sr"},
  };
  for (const Case& c : cases) {
    std::error_code ec;
    std::filesystem::remove_all(data, ec);
    ASSERT_TRUE(dir.MakeDir("data"));
    for (const std::string& f : c.files) ASSERT_TRUE(dir.Write("data/" + f, "x"));
    const GameRun run = StartGame(dir.File("save"), dir.Path(), 120000, data);
    ASSERT_TRUE(run.ended) << run.err;
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    const std::string line =
        "ostrel: the data folder " + data + " has no " + c.missing + " (OSTREL_DATA_DIR names the folder)\n";
    EXPECT_EQ(run.err.substr(0, line.size()), line) << run.err;
    EXPECT_NE(run.err.find("no display", line.size()), std::string::npos) << run.err;
  }
  // A folder that is not there at all lacks the first file.
  const GameRun none = StartGame(dir.File("save"), dir.Path(), 120000, dir.File("nowhere"));
  ASSERT_TRUE(none.ended);
  EXPECT_EQ(none.err.find("ostrel: the data folder " + dir.File("nowhere") + " has no common/Osr_Font_Large.tr"), 0u)
      << none.err;
}

}  // namespace
