#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "game/core/WinMain.h"
#include "cabinet/QvtBTUtil.h"
#include "platform/window.h"
#include "support/TempDir.h"
#include "vrax/kernel/SKernel.h"

namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    plat::ClearQuitMessage();
  }
  void TearDown() override {
    plat::ClearQuitMessage();
    QvtChannels::Default().Unlink();
  }
  testsupport::ScopedSaveDir save;  // the service client's channels live here
};

TEST_F(ApplicationTest, WindowedStartRunsUntilEscapeAndRestoresTheDisplay) {
  const char* argv[] = {"ostrel", "-fullscreen", "0"};
  int restores = plat::DisplayModeRestoreCount();
  {
    Application app;
    ASSERT_EQ(app.Start(3, argv), 0) << app.Failure();
    EXPECT_FALSE(IsFullScreen());
    ASSERT_EQ(GetMainWindow(), &app.Window());
    EXPECT_EQ(app.Window().Desc().title, "OSTREL for Cabri");
    EXPECT_EQ(app.Width(), 640);
    EXPECT_EQ(app.Height(), 480);
    EXPECT_TRUE(app.Window().CursorShown());  // windowed: cursor stays
    EXPECT_TRUE(plat::DisplayModeChanged());   // the 16-bit switch is made windowed too

    PostCloseToMainWindow();
    EXPECT_EQ(app.Run(), 0);
    app.Shutdown();
    EXPECT_FALSE(plat::DisplayModeChanged());
    EXPECT_EQ(GetMainWindow(), nullptr);
    app.Shutdown();  // a second shutdown does nothing
  }
  EXPECT_EQ(plat::DisplayModeRestoreCount(), restores + 1);
  PostCloseToMainWindow();  // no window: nothing happens
}

TEST_F(ApplicationTest, FullScreenHidesTheCursorAndDestructorRestoresTheDisplay) {
  const char* argv[] = {"ostrel"};
  {
    Application app;
    ASSERT_EQ(app.Start(1, argv), 0) << app.Failure();
    EXPECT_TRUE(IsFullScreen());
    EXPECT_FALSE(app.Window().CursorShown());
    EXPECT_TRUE(plat::DisplayModeChanged());
  }  // left without Shutdown, as on an exception
  EXPECT_FALSE(plat::DisplayModeChanged());
}

}  // namespace

namespace {

// A list-0 process that records its events and can fail its initialisation.
class ProbeProc : public SProc {
 public:
  explicit ProbeProc(int32_t initResult) : initResult_(initResult) {}
  int32_t Init(SProcArg) override {
    SetName("Probe");
    SetInitResult(initResult_);
    return initResult_;
  }
  int32_t Main(SProcArg) override {
    ++mains;
    if (mains == closeAfter) PostCloseToMainWindow();
    return 0;
  }
  int32_t OnDispose(SProcArg) override {
    ++disposes;
    return 0;
  }
  int mains = 0;
  int disposes = 0;
  int closeAfter = -1;

 private:
  int32_t initResult_;
};

const char* kWindowed[] = {"ostrel", "-fullscreen", "0"};

TEST_F(ApplicationTest, LoopStepsTheKernelUntilGameCodeClosesTheWindow) {
  ProbeProc probe(0);
  probe.closeAfter = 5;
  Application app;
  StartOptions opt;
  opt.extraManager = &probe;
  ASSERT_EQ(app.Start(3, kWindowed, opt), 0) << app.Failure();
  EXPECT_EQ(app.Run(), 0);
  // The first step only makes the processes running; five more ran logic.
  EXPECT_EQ(probe.mains, 5);
  app.Shutdown();
  EXPECT_EQ(probe.disposes, 1);
}

TEST_F(ApplicationTest, ManagerInitFailureEndsTheStartWithStatusOneAndCleansUp) {
  ProbeProc probe(-2);
  int restores = plat::DisplayModeRestoreCount();
  Application app;
  StartOptions opt;
  opt.extraManager = &probe;
  EXPECT_EQ(app.Start(3, kWindowed, opt), 1);
  EXPECT_NE(app.Failure().find("Probe"), std::string::npos) << app.Failure();
  EXPECT_NE(app.Failure().find("-2"), std::string::npos) << app.Failure();
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(plat::DisplayModeChanged());
  EXPECT_EQ(plat::DisplayModeRestoreCount(), restores + 1);
  EXPECT_EQ(GetMainWindow(), nullptr);
  EXPECT_EQ(probe.disposes, 1);  // what had started was disposed
  EXPECT_EQ(SKernel::GetInstance(), nullptr);
}

TEST_F(ApplicationTest, KernelStartFailureEndsWithStatusOneAndOneLine) {
  StartOptions opt;
  opt.kernelStartHook = []() -> int32_t { return -1; };
  Application app;
  EXPECT_EQ(app.Start(3, kWindowed, opt), 1);
  EXPECT_EQ(app.Failure(), "the kernel did not start");
  EXPECT_FALSE(plat::DisplayModeChanged());
  EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(ApplicationTest, WinMainReportsAFailedStartOnStandardError) {
  StartOptions opt;
  opt.kernelStartHook = []() -> int32_t { return -1; };
  ::testing::internal::CaptureStderr();
  int status = WinMain(3, kWindowed, opt);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "ostrel: start-up failed: the kernel did not start\n");
  EXPECT_FALSE(plat::DisplayModeChanged());
}

}  // namespace

namespace {

class ThrowingProc : public SProc {
 public:
  int32_t Init(SProcArg) override { throw std::runtime_error("out of luck"); }
};

TEST_F(ApplicationTest, AnEscapingExceptionEndsWinMainWithOneLineAndTheDisplayRestored) {
  ThrowingProc thrower;
  StartOptions opt;
  opt.extraManager = &thrower;
  ::testing::internal::CaptureStderr();
  int status = WinMain(3, kWindowed, opt);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "ostrel: stopped: out of luck\n");
  EXPECT_FALSE(plat::DisplayModeChanged());
  EXPECT_EQ(GetMainWindow(), nullptr);
}

}  // namespace
