#include "game/core/WinMain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/window.h"

namespace {

struct Args {
  std::vector<const char*> v;
  Args(std::initializer_list<const char*> l) : v(l) {}
  int argc() const { return int(v.size()); }
  const char* const* argv() const { return v.data(); }
};

std::vector<std::string> Parse(Args a) {
  ResetAppFlags();
  return ParseCommandLine(a.argc(), a.argv());
}

using Words = std::vector<std::string>;

TEST(CommandLine, NumbersSetFlagsAndDefaultsStand) {
  Parse({"ostrel"});
  EXPECT_TRUE(IsFullScreen());
  EXPECT_EQ(GetScreenFlag(), 0);
  EXPECT_EQ(GetRotateFlag(), 0);
  EXPECT_FLOAT_EQ(GetAspectRatio(), 4.0f / 3.0f);

  Parse({"ostrel", "-fullscreen", "0", "-screen", "7", "-rotate", "-1"});
  EXPECT_FALSE(IsFullScreen());
  EXPECT_EQ(GetScreenFlag(), 1);
  EXPECT_EQ(GetRotateFlag(), 1);

  // A value that does not read as a number is 0.
  Parse({"ostrel", "-fullscreen", "yes"});
  EXPECT_FALSE(IsFullScreen());
  // Later options win.
  Parse({"ostrel", "-fullscreen", "0", "-fullscreen", "2"});
  EXPECT_TRUE(IsFullScreen());
}

TEST(CommandLine, MissingValuesUnknownSwitchesAndSubstrings) {
  // An option as the last argument changes nothing.
  Parse({"ostrel", "-fullscreen"});
  EXPECT_TRUE(IsFullScreen());
  Parse({"ostrel", "-screen", "1", "-rotate"});
  EXPECT_EQ(GetScreenFlag(), 1);
  EXPECT_EQ(GetRotateFlag(), 0);

  // Unknown switches are ignored.
  Parse({"ostrel", "-window", "1", "--help", "-fs", "0"});
  EXPECT_TRUE(IsFullScreen());
  EXPECT_EQ(GetScreenFlag(), 0);

  // An argument that merely contains the option name counts as the option.
  Parse({"ostrel", "x-fullscreeny", "0"});
  EXPECT_FALSE(IsFullScreen());
  // "-fullscreen" does not contain "-screen".
  Parse({"ostrel", "-fullscreen", "0"});
  EXPECT_EQ(GetScreenFlag(), 0);

  // The value argument is itself examined as an option: "-rotate" is the
  // value of "-screen" (reads as 0) and takes "1" as its own value.
  Parse({"ostrel", "-screen", "-rotate", "1"});
  EXPECT_EQ(GetScreenFlag(), 0);
  EXPECT_EQ(GetRotateFlag(), 1);

  // The program path is examined too.
  Parse({"/opt/x-rotate", "1"});
  EXPECT_EQ(GetRotateFlag(), 1);

  // Null entries are skipped without crashing.
  Parse({"ostrel", nullptr, "-rotate", nullptr});
  EXPECT_EQ(GetRotateFlag(), 0);
}

// The words the parse does not use, worked by hand: a word is used when it
// holds an option's name or follows a word that does; the program path is
// no word given.
TEST(CommandLine, TheWordsNotUsedAreReturnedInOrder) {
  const struct {
    Args args;
    Words unused;
  } rows[] = {
      {{"ostrel"}, {}},
      {{"ostrel", "-fullscreen"}, {}},
      {{"ostrel", "x-fullscreeny", "0"}, {}},
      {{"ostrel", "-fullscreen", "0", "extra"}, {"extra"}},
      {{"ostrel", "-fullscreen", "abc"}, {}},
      {{"ostrel", "--help"}, {"--help"}},
      {{"ostrel", "play", "-window", "1"}, {"play", "-window", "1"}},
      {{"ostrel", "-screen", "-rotate", "1", "2"}, {"2"}},
      {{"ostrel", "-fullscreen0", "x"}, {}},
      {{"/opt/x-rotate", "1", "y"}, {"y"}},
      {{"ostrel", "a", nullptr, "b"}, {"a", "b"}},
      {{"ostrel", "-rotate", nullptr, "b"}, {"b"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.v.size() > 1 && row.args.v[1] ? row.args.v[1] : "(none)");
    EXPECT_EQ(Parse(row.args), row.unused);
  }
}

class MessageLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    plat::ClearQuitMessage();
    ASSERT_TRUE(win.Create(plat::WindowDesc{})) << win.LastError();
  }
  void TearDown() override { plat::ClearQuitMessage(); }
  plat::Window win;
};

TEST_F(MessageLoop, StepsWhileIdleAndEndsOnEscape) {
  int steps = 0;
  int code = RunMessageLoop(win, [&] {
    ++steps;
    if (steps == 3) win.PostKeyDown('z');  // swallowed, loop goes on
    if (steps == 5) win.PostKeyDown(int32_t(plat::KeyCode::kEscape));
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(steps, 5);  // the quit message comes before another step
}

TEST_F(MessageLoop, CloseRequestFromGameCodeEndsTheLoop) {
  int steps = 0;
  RunMessageLoop(win, [&] {
    if (++steps == 2) win.PostClose();
  });
  EXPECT_EQ(steps, 2);
}

TEST_F(MessageLoop, NoStepWhileMinimised) {
  std::atomic<int> steps{0};
  int stepsWhileMinimised = 0;
  std::atomic<int64_t> restoredAt{0};
  int64_t firstStepAfterRestore = 0;
  std::thread restorer;
  RunMessageLoop(win, [&] {
    if (win.IsHiddenOrMinimised()) ++stepsWhileMinimised;
    int n = ++steps;
    if (n == 3) {
      win.PostShowState(true);
      restorer = std::thread([&] {
        plat::SleepMs(40);
        restoredAt = plat::PerfCounter();
        win.PostShowState(false);
      });
    }
    if (n == 4) firstStepAfterRestore = plat::PerfCounter();
    if (n == 6) win.PostClose();
  });
  restorer.join();
  EXPECT_EQ(stepsWhileMinimised, 0);
  EXPECT_EQ(steps, 6);
  // Step 4 only ran once the window had been restored.
  EXPECT_GT(firstStepAfterRestore, restoredAt.load());
}

}  // namespace
