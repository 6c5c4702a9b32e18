// The tools a developer starts by hand tell how to use them: asked with
// --help, on standard output with status 0; given nothing to do (the
// damaged-data check without an argument) or an argument they do not take,
// on standard error with a failing status, and nothing is run. The game
// itself has no usage: it takes the cabinet's options and passes over any
// other word.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/BuildDirs.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "tools/common/WholeNumber.h"

namespace {

struct ToolRun {
  bool ended = false;
  int status = -1;
  std::string out, err;
};

// Runs a tool of the build (a path below the build's tools folder, or
// "../app/ostrel") with arguments and reads both its streams until it ends,
// at most limitMs (then it is killed and `ended` stays false). It runs in
// the folder cwd when one is given.
ToolRun RunTool(const std::string& tool, const std::vector<std::string>& args, int limitMs = 60000,
                const std::string& cwd = "") {
  const std::string exe = std::string(testsupport::TestBinaryDir()) + "/tools/" + tool;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  ToolRun run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  pollfd p[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  char buf[512];
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

int ExitCode(const ToolRun& r) { return WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1; }

// A command line's words, one space between them.
std::string Words(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) line += (line.empty() ? "" : " ") + a;
  return line;
}

// The usage names every option the tool's command line takes.
void ExpectNamesAll(const std::string& usage, const std::vector<std::string>& options) {
  for (const std::string& o : options) EXPECT_NE(usage.find(o), std::string::npos) << o << " not in:\n" << usage;
}

const std::vector<std::string> kServiceOptions = {"--save-dir", "--status",     "--countdown", "--reg",
                                                  "--expect",   "--timeout-ms", "--busy",      "--help"};
const std::vector<std::string> kDamageOptions = {"--sample", "--long",    "--case", "--jobs",  "--data",
                                                 "--margin", "--timeout", "--keep", "--frames", "--watch",
                                                 "--times"};

TEST(ToolUsage, TheServiceStandInTellsItsOptions) {
  const ToolRun help = RunTool("fake_service", {"--help"});
  ASSERT_TRUE(help.ended);
  EXPECT_EQ(ExitCode(help), 0);
  EXPECT_EQ(help.out.rfind("usage: fake_service ", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.find("\nREADY\n"), std::string::npos);  // it did not start serving
  ExpectNamesAll(help.out, kServiceOptions);

  const ToolRun wrong = RunTool("fake_service", {"--bogus"});
  ASSERT_TRUE(wrong.ended);
  EXPECT_EQ(ExitCode(wrong), 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err, "fake_service: unknown argument --bogus\n" + help.out);

  // An option given what it does not take (a number with anything after
  // it is no number) is told in one line that names it, status 2, before
  // anything is served.
  testsupport::TempDir dir;
  const std::string number = "a whole number from 0 to 2147483647\n";
  const std::string reg = "fake_service: --reg takes Name=value, the value a whole number from 0 to 4294967295\n";
  const struct {
    std::vector<std::string> args;
    std::string told;
  } bad[] = {
      {{"--expect", "1.5"}, "fake_service: --expect takes " + number},
      {{"--timeout-ms", "-1"}, "fake_service: --timeout-ms takes " + number},
      {{"--countdown", "x"}, "fake_service: --countdown takes " + number},
      {{"--status", "2147483648"}, "fake_service: --status takes a whole number from -2147483648 to 2147483647\n"},
      {{"--status"}, "fake_service: --status takes a whole number from -2147483648 to 2147483647\n"},
      {{"--reg", "Resolution"}, reg},
      {{"--reg", "Resolution=4294967296"}, reg},
      {{"--reg"}, reg},
      {{"--reg", "=1"}, reg},
      {{"--save-dir"}, "fake_service: --save-dir takes a folder: the save directory\n"},
      {{"--save-dir", ""}, "fake_service: --save-dir takes a folder: the save directory\n"},
      // The top bound is taken: the word after it is the one named.
      {{"--reg", "Resolution=4294967295", "--expect", "x"}, "fake_service: --expect takes " + number},
      // The first bad word ends the reading: a good number after it does
      // not make the tool serve.
      {{"--expect", "x", "--countdown", "5"}, "fake_service: --expect takes " + number},
  };
  for (const auto& b : bad) {
    std::vector<std::string> args = {"--save-dir", dir.Path(), "--timeout-ms", "100"};
    args.insert(args.end(), b.args.begin(), b.args.end());
    SCOPED_TRACE(Words(b.args));
    const ToolRun part = RunTool("fake_service", args);
    ASSERT_TRUE(part.ended);
    EXPECT_EQ(ExitCode(part), 2);
    EXPECT_EQ(part.out, "");
    EXPECT_EQ(part.err, b.told);
  }
}

TEST(ToolUsage, TheDamageCheckWithoutAnArgumentTellsItsUsageAndRunsNothing) {
  const ToolRun bare = RunTool("damagecheck", {});
  ASSERT_TRUE(bare.ended) << "ran something instead of telling its usage";
  EXPECT_EQ(ExitCode(bare), 2);
  EXPECT_EQ(bare.out, "");
  EXPECT_EQ(bare.err.rfind("usage: damagecheck ", 0), 0u) << bare.err;
  ExpectNamesAll(bare.err, kDamageOptions);

  const ToolRun help = RunTool("damagecheck", {"--help"});
  ASSERT_TRUE(help.ended);
  EXPECT_EQ(ExitCode(help), 0);
  EXPECT_EQ(help.out, bare.err);
  EXPECT_EQ(help.err, "");

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--bogus"}, {"run", "demo1"}, {"--frames", "5"}, {"tree", "copies", "a"}}) {
    const ToolRun wrong = RunTool("damagecheck", args);
    ASSERT_TRUE(wrong.ended) << args[0];
    EXPECT_EQ(ExitCode(wrong), 2) << args[0];
    EXPECT_EQ(wrong.err, bare.err) << args[0];
  }

  // An option it knows given what it does not take is named in one line
  // with what it takes (the bounds of each), status 2, and nothing is run.
  const std::string frames = "a whole number from 0 to 2147483647\n";
  const std::string cases =
      "damagecheck: --case takes SCENARIO:PATH:DAMAGE (SCENARIO opening, demo1, demo2, demo3, stage4 or stage5; "
      "DAMAGE deleted, emptied, cut, flipped or counts)\n";
  // Each top bound is taken: the word after it is the one named, and a
  // tree asked for with it is made (from a folder that is not there: it
  // cannot be copied, status 1).
  testsupport::TempDir dir;
  const std::string from = dir.Path() + "/none", to = dir.Path() + "/out";
  const struct {
    std::vector<std::string> args;
    std::string told;
    int status = 2;
  } bad[] = {
      {{"--jobs", "1024", "--timeout", "0"}, "damagecheck: --timeout takes a whole number from 1 to 604800\n"},
      {{"tree", "copies", from, to, "--random", "16777216"},
       "damagecheck: cannot copy " + from + " to " + to + ": No such file or directory\n", 1},
      {{"--jobs", "0"}, "damagecheck: --jobs takes a whole number from 1 to 1024\n"},
      {{"--jobs", "1025"}, "damagecheck: --jobs takes a whole number from 1 to 1024\n"},
      {{"--sample", "--jobs"}, "damagecheck: --jobs takes a whole number from 1 to 1024\n"},
      {{"--timeout", "0"}, "damagecheck: --timeout takes a whole number from 1 to 604800\n"},
      {{"--timeout", "604801"}, "damagecheck: --timeout takes a whole number from 1 to 604800\n"},
      {{"--margin", "2147483647", "--timeout", "0"}, "damagecheck: --timeout takes a whole number from 1 to 604800\n"},
      {{"run", "demo1", ".", "--margin", "2147483647", "--frames", "-1"}, "damagecheck: --frames takes " + frames},
      {{"--margin", "-1"}, "damagecheck: --margin takes " + frames},
      {{"--margin", "2147483648"}, "damagecheck: --margin takes " + frames},
      {{"--data"}, "damagecheck: --data takes a folder: the data tree\n"},
      {{"--data", ""}, "damagecheck: --data takes a folder: the data tree\n"},
      {{"--case", "demo1:common/Demo01.rpd:melted"}, cases},
      {{"--case", "stage9:common/Demo01.rpd:cut"}, cases},
      {{"--case", "demo1"}, cases},
      {{"--case"}, cases},
      {{"run", "demo1", ".", "--frames", "1.5"}, "damagecheck: --frames takes " + frames},
      {{"run", "demo1", ".", "--frames"}, "damagecheck: --frames takes " + frames},
      {{"run", "demo1", ".", "--margin", "1e3"}, "damagecheck: --margin takes " + frames},
      {{"run", "stage6", "."},
       "damagecheck: run SCENARIO takes opening, demo1, demo2, demo3, stage1, stage2, stage3, stage4 or stage5\n"},
      {{"tree", "copies", "a", "b", "--random", "16777217"},
       "damagecheck: --random takes a whole number from 0 to 16777216\n"},
      {{"tree", "copies", "a", "b", "--random"}, "damagecheck: --random takes a whole number from 0 to 16777216\n"},
      {{"tree", "copy", "a", "b"}, "damagecheck: tree takes copies DATA_DIR OUT_DIR\n"},
      // The empty word names no folder: neither the default tree nor the
      // current folder is taken for it.
      {{"run", "demo1", ""}, "damagecheck: run DATA_DIR takes a folder: the data tree\n"},
      {{"tree", "copies", "", to}, "damagecheck: tree DATA_DIR takes a folder: the data tree\n"},
      {{"tree", "copies", from, ""}, "damagecheck: tree OUT_DIR takes a folder: the copies tree to write\n"},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(Words(b.args));
    const ToolRun wrong = RunTool("damagecheck", b.args);
    ASSERT_TRUE(wrong.ended) << "ran something instead of naming the argument";
    EXPECT_EQ(ExitCode(wrong), b.status);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, b.told);
  }
}

// One run with --times tells, just before its end line, which frame was the
// slowest, its wall and processor time, the most resident memory and the
// most the shared total of loads held; the same run without it prints no
// such line.
TEST(ToolUsage, TheDamageCheckRunTellsItsSlowestFrameWhenAsked) {
  const std::string data = std::string(testsupport::TestBinaryDir()) + "/data";
  const ToolRun plain = RunTool("damagecheck", {"run", "opening", data, "--frames", "20"});
  ASSERT_TRUE(plain.ended);
  EXPECT_EQ(ExitCode(plain), 0) << plain.err;
  EXPECT_EQ(plain.out, "end 20 all frames run\n");

  const ToolRun timed = RunTool("damagecheck", {"run", "opening", data, "--frames", "20", "--times"});
  ASSERT_TRUE(timed.ended);
  EXPECT_EQ(ExitCode(timed), 0) << timed.err;
  long long end = 0, frame = 0;
  unsigned long long held = 0;
  double ms = -1, cpuMs = -1, mib = -1;
  char tail[64] = {};
  ASSERT_EQ(std::sscanf(timed.out.c_str(),
                        "times %lld slowest frame %lld took %lf ms (%lf ms of processor time); resident memory at "
                        "most %lf MiB; loads held at most %llu bytes\nend 20 %63[a-z ]",
                        &end, &frame, &ms, &cpuMs, &mib, &held, tail),
            7)
      << timed.out;
  EXPECT_GT(held, 100000u);  // the start-up's files and resources
  EXPECT_EQ(end, 20);
  EXPECT_GE(frame, 1);
  EXPECT_LE(frame, 20);
  EXPECT_GT(ms, 0.0);
  EXPECT_GE(cpuMs, 0.0);
  EXPECT_GT(mib, 1.0);  // the program and its start-up: far more than a MiB
  EXPECT_STREQ(tail, "all frames run");
}

// The soak takes a frame count of digits only, from the frame where the
// first round of the attract sequence ends (40,853) up: a word that is no
// number, a number with anything after it, a sign, a count too short for
// one round or past its bound is a usage error, told before the program is
// started.
TEST(ToolUsage, TheSoakRefusesAFrameCountThatIsNoCount) {
  const std::string usage =
      "usage: soak [--frames N] [--long]  (N from 40853, one round of the attract sequence, to 216000000)\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--frames", "x"}, {"--frames", "12x"}, {"--frames", ""}, {"--frames", " 5"},
        {"--frames", "-5"}, {"--frames", "+5"}, {"--frames", "0"}, {"--frames", "1"}, {"--frames", "40852"},
        {"--frames", "216000001"},
        {"--frames", "99999999999999999999"}, {"--frames"}, {"--long", "--frames", "1e3"}, {"--frames", "5 "},
        {"--frames", "1.5"}}) {
    SCOPED_TRACE(args.back());
    const ToolRun run = RunTool("soak", args);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(ExitCode(run), 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, usage);
  }
  // The least count is taken: the run ends with its first round.
  const ToolRun round = RunTool("soak", {"--frames", "40853"}, 280000);
  ASSERT_TRUE(round.ended);
  EXPECT_EQ(ExitCode(round), 0) << round.err;
  EXPECT_EQ(round.err, "");
  EXPECT_NE(round.out.find("round 1 over at frame 40853,"), std::string::npos) << round.out;
  EXPECT_NE(round.out.find("soak: ok, 40853 frames, 1 rounds,"), std::string::npos) << round.out;
}

// The tools' number parser at its edges: the empty word and a lone sign
// are no number; each bound itself is read and one past it refused, for
// the 32-bit ranges the options take and the whole 64-bit range; digits
// past 64 bits are refused, not wrapped (2^64 + 5 would wrap to 5, inside
// the range). A refused word leaves the number as it was.
TEST(ToolUsage, TheNumberParserReadsItsBoundsAndNothingPastThem) {
  constexpr int64_t kLeast32 = INT32_MIN, kMost32 = INT32_MAX, kLeast64 = INT64_MIN, kMost64 = INT64_MAX;
  const struct {
    const char* text;
    int64_t least, most;
    bool read;
    int64_t value;
  } rows[] = {
      {"", kLeast32, kMost32, false, 0},
      {"", 0, kMost32, false, 0},
      {"-", kLeast32, kMost32, false, 0},
      {"-0", 0, kMost32, false, 0},
      {"2147483647", kLeast32, kMost32, true, 2147483647},
      {"2147483648", kLeast32, kMost32, false, 0},
      {"-2147483648", kLeast32, kMost32, true, -2147483647 - 1},
      {"-2147483649", kLeast32, kMost32, false, 0},
      {"2147483647", 0, kMost32, true, 2147483647},
      {"0", 0, kMost32, true, 0},
      {"-1", 0, kMost32, false, 0},
      {"9223372036854775807", kLeast64, kMost64, true, kMost64},
      {"9223372036854775808", kLeast64, kMost64, false, 0},
      {"-9223372036854775808", kLeast64, kMost64, true, kLeast64},
      {"-9223372036854775809", kLeast64, kMost64, false, 0},
      {"18446744073709551621", kLeast32, kMost32, false, 0},
      {"18446744073709551621", kLeast64, kMost64, false, 0},
      {"-18446744073709551621", kLeast64, kMost64, false, 0},
      {"99999999999999999999999999", 0, kMost32, false, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("\"") + r.text + "\" from " + std::to_string(r.least) + " to " + std::to_string(r.most));
    int64_t got = 12345;
    EXPECT_EQ(tools::ParseWholeNumber(r.text, r.least, r.most, &got), r.read);
    EXPECT_EQ(got, r.read ? r.value : 12345);
  }
}

// The data generator takes one folder to fill. An option word is never
// taken for that folder: --help and -h tell the usage, any other word that
// begins with a dash is named with it, and nothing is written.
TEST(ToolUsage, TheDataGeneratorTakesNoOptionForItsFolder) {
  testsupport::TempDir dir;
  const ToolRun help = RunTool("datagen", {"--help"}, 60000, dir.Path());
  ASSERT_TRUE(help.ended);
  EXPECT_EQ(ExitCode(help), 0);
  EXPECT_EQ(help.out.rfind("usage: datagen <data directory>\n", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(RunTool("datagen", {"-h"}, 60000, dir.Path()).out, help.out);

  for (const std::vector<std::string>& args : {std::vector<std::string>{"-x"}, {"--data", "out"}, {"out", "-v"}}) {
    const ToolRun wrong = RunTool("datagen", args, 60000, dir.Path());
    ASSERT_TRUE(wrong.ended) << args[0];
    EXPECT_EQ(ExitCode(wrong), 2) << args[0];
    EXPECT_EQ(wrong.out, "") << args[0];
    const std::string& option = args[0][0] == '-' ? args[0] : args[1];
    EXPECT_EQ(wrong.err, "datagen: unknown option " + option + "\n" + help.out) << args[0];
  }
  // The empty word names no folder: told in one line, and the tree is not
  // written into the current one.
  const ToolRun empty = RunTool("datagen", {""}, 60000, dir.Path());
  ASSERT_TRUE(empty.ended);
  EXPECT_EQ(ExitCode(empty), 2);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "datagen: <data directory> takes a folder: the data tree to write\n");
  EXPECT_EQ(dir.List(), std::vector<std::string>{}) << "an option word was taken for a folder";
}

// The five tools answer --help and -h alike: the usage on standard output,
// status 0, nothing run; a command line they cannot take gets that usage on
// standard error, status 2 (replaycheck: a play's name after an empty one).
TEST(ToolUsage, EveryToolTellsItsUsageWhenAsked) {
  const struct {
    const char* tool;
    std::vector<std::string> wrong;
  } rows[] = {
      {"datagen", {"a", "b"}},
      {"damagecheck", {}},
      {"fake_service", {"--bogus"}},
      {"soak", {"--frames", "0"}},
      {"replaycheck", {"", "demo1"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.tool);
    const ToolRun help = RunTool(r.tool, {"--help"});
    ASSERT_TRUE(help.ended);
    EXPECT_EQ(ExitCode(help), 0);
    EXPECT_EQ(help.out.rfind(std::string("usage: ") + r.tool + " ", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(RunTool(r.tool, {"-h"}).out, help.out);
    const ToolRun wrong = RunTool(r.tool, r.wrong);
    ASSERT_TRUE(wrong.ended);
    EXPECT_EQ(ExitCode(wrong), 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_TRUE(wrong.err.size() >= help.out.size() && wrong.err.substr(wrong.err.size() - help.out.size()) == help.out)
        << wrong.err;
  }
}

// The game reads its command line as the cabinet's start-up does: an
// argument that contains "-fullscreen", "-screen" or "-rotate" takes the
// number after it, and every other word, a missing number or one that is
// no number, changes nothing. No word stops the start or is answered with a
// usage: each of these starts the game (here to its end for want of a
// display, with that one line and nothing on standard output).
TEST(ToolUsage, TheGameStartsWhateverWordsItIsGiven) {
  testsupport::TempDir dir;
  // No display, so that a game that started ends at once saying so.
  testsupport::ScopedEnv video("SDL_VIDEODRIVER", nullptr), x("DISPLAY", nullptr), w("WAYLAND_DISPLAY", nullptr);
  testsupport::ScopedEnv save("OSTREL_SAVE_DIR", dir.Path().c_str()), rt("XDG_RUNTIME_DIR", dir.Path().c_str());
  // Each command line with the line it tells of the words it does not use
  // (empty: no such line).
  const struct {
    std::vector<std::string> args;
    const char* notUsed;
  } cases[] = {
      {{"--help"}, "\"--help\""},
      {{"-h"}, "\"-h\""},
      {{"--full"}, "\"--full\""},
      {{"-fullscreen0"}, ""},
      {{"play", "-window", "1"}, "\"play\" \"-window\" \"1\""},
      {{"-rotate"}, ""},
      {{"-screen", "on"}, ""},
      {{"-fullscreen", "-rotate", "1"}, ""},
      {{"x-fullscreeny", "0"}, ""},
      {{"-fullscreen", "0"}, ""},
      {{"-fullscreen", "0", "extra"}, "\"extra\""},
      {{"-fullscreen", "abc"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const ToolRun run = RunTool("../app/ostrel", c.args);
    ASSERT_TRUE(run.ended) << run.err;
    EXPECT_EQ(ExitCode(run), 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find("usage"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
    const std::string told = std::string("ostrel: not used: ") + c.notUsed +
                             " (the options are -fullscreen N, -screen N and -rotate N)\n";
    if (*c.notUsed)
      EXPECT_NE(run.err.find(told), std::string::npos) << run.err;
    else
      EXPECT_EQ(run.err.find("not used"), std::string::npos) << run.err;
  }
}

}  // namespace
