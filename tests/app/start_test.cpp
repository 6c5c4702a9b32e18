// The program itself, started as a player would: a start that cannot open
// its window ends at once with status 1 and says why; a data folder that
// lacks the files the start reads is named with the first one missing; a
// command line it does not take is named with the usage, and nothing starts.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/BuildDirs.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

struct GameRun {
  bool ended = false;
  int status = -1;
  std::string out, err;
};

// Starts the game with env changes and arguments, reads its standard
// output and error and waits for its end, at most limitMs in all (then it
// is killed and `ended` stays false).
GameRun StartGame(const std::string& saveDir, const std::string& runtimeDir, int limitMs,
                  const std::string& dataDir = "",
                  const std::vector<std::string>& args = {"-fullscreen", "0"}) {
  const std::string exe = std::string(testsupport::TestBinaryDir()) + "/app/ostrel";
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("SDL_VIDEODRIVER");
    ::setenv("OSTREL_SAVE_DIR", saveDir.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!dataDir.empty()) ::setenv("OSTREL_DATA_DIR", dataDir.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  GameRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  pollfd p[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  char buf[512];
  // Both streams up to their end (the program closed them) or the bound.
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (::poll(p, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (p[i].fd < 0 || (p[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      const ssize_t got = ::read(p[i].fd, buf, sizeof buf);
      if (got <= 0) {
        ::close(p[i].fd);
        p[i].fd = -1;
        --open;
        continue;
      }
      (i == 0 ? run.out : run.err).append(buf, static_cast<size_t>(got));
    }
  }
  for (const pollfd& q : p)
    if (q.fd >= 0) ::close(q.fd);
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

// The command line is checked before anything starts: --help or -h tells
// the usage on standard output; an unknown option or word, an option
// without its number or with something else in its place is named with the
// usage on standard error, with status 2. Either way the game does not
// start (without a display it would end with status 1 saying so).
TEST(Start, TheCommandLineIsCheckedBeforeAnythingStarts) {
  testsupport::TempDir dir;
  const GameRun help = StartGame(dir.File("save"), dir.Path(), 120000, "", {"--help"});
  ASSERT_TRUE(help.ended) << help.err;
  ASSERT_TRUE(WIFEXITED(help.status));
  EXPECT_EQ(WEXITSTATUS(help.status), 0) << help.err;
  EXPECT_EQ(help.out.rfind("usage: ostrel [-fullscreen N] [-screen N] [-rotate N]\n", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
  const GameRun h = StartGame(dir.File("save"), dir.Path(), 120000, "", {"-fullscreen", "0", "-h"});
  EXPECT_EQ(h.out, help.out);
  struct Case {
    std::vector<std::string> args;
    std::string line;
  } const cases[] = {
      {{"--full"}, "ostrel: unknown option --full"},
      {{"-fullscreen", "0", "-window"}, "ostrel: unknown option -window"},
      {{"-fullscreen0"}, "ostrel: unknown option -fullscreen0"},
      {{"play"}, "ostrel: unknown argument play"},
      {{"-rotate"}, "ostrel: no number after -rotate"},
      {{"-screen", "on"}, "ostrel: -screen takes a number, not on"},
      {{"-fullscreen", "-rotate", "1"}, "ostrel: -fullscreen takes a number, not -rotate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const GameRun run = StartGame(dir.File("save"), dir.Path(), 120000, "", c.args);
    ASSERT_TRUE(run.ended) << run.err;
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_EQ(WEXITSTATUS(run.status), 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.line + "\n" + help.out);
  }
  // Good options with their numbers start the game (here to its end for
  // want of a display).
  const GameRun good = StartGame(dir.File("save"), dir.Path(), 120000, "", {"-fullscreen", "0", "-rotate", "-1"});
  ASSERT_TRUE(good.ended);
  EXPECT_EQ(WEXITSTATUS(good.status), 1);
  EXPECT_NE(good.err.find("no display"), std::string::npos) << good.err;
}

}  // namespace
