#include <gtest/gtest.h>

#include <cstdlib>

#include "game/core/WinMain.h"
#include "platform/window.h"

namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    plat::ClearQuitMessage();
  }
  void TearDown() override { plat::ClearQuitMessage(); }
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
