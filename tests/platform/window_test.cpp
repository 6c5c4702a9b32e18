#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    plat::ClearQuitMessage();
    plat::WindowDesc d;
    ASSERT_TRUE(win.Create(d)) << win.LastError();
  }
  void TearDown() override { plat::ClearQuitMessage(); }

  // Drains every waiting message through the window procedure; returns true
  // when the quit message came.
  bool Pump() {
    plat::Message m;
    while (win.Peek(&m)) {
      if (m.type == plat::MsgType::kQuit) return true;
      win.DispatchMessage(m);
    }
    return false;
  }

  plat::Window win;
};

TEST_F(WindowTest, OpensWithRequestedClientSizeAndModernContext) {
  int w = 0, h = 0;
  win.GetDrawableSize(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_TRUE(win.IsOpen());
  EXPECT_GE(win.ContextMajor() * 10 + win.ContextMinor(), 33);
  EXPECT_TRUE(win.MakeCurrent());
  EXPECT_NE(win.GetGlProcAddress("glGenFramebuffers"), nullptr);
  EXPECT_FALSE(win.IsHiddenOrMinimised());
  win.Swap();
}

TEST_F(WindowTest, EscapeAndCloseEndTheLoopOtherKeysDoNot) {
  win.PostKeyDown('a');
  win.PostKeyDown(13);
  EXPECT_FALSE(Pump());
  EXPECT_FALSE(plat::QuitPending());

  win.PostKeyDown(int32_t(plat::KeyCode::kEscape));
  EXPECT_TRUE(Pump());

  win.PostClose();
  plat::Message m;
  ASSERT_TRUE(win.Peek(&m));
  EXPECT_EQ(m.type, plat::MsgType::kClose);
  win.DispatchMessage(m);
  ASSERT_TRUE(win.Peek(&m));
  EXPECT_EQ(m.type, plat::MsgType::kQuit);
  EXPECT_FALSE(win.Peek(&m));  // delivered once
}

TEST_F(WindowTest, QuitComesAfterMessagesPostedBeforeIt) {
  win.PostKeyDown('x');
  plat::PostQuitMessage(3);
  plat::Message m;
  ASSERT_TRUE(win.Peek(&m));
  EXPECT_EQ(m.type, plat::MsgType::kKeyDown);
  ASSERT_TRUE(win.Peek(&m));
  EXPECT_EQ(m.type, plat::MsgType::kQuit);
  EXPECT_EQ(m.quitCode, 3);
}

TEST_F(WindowTest, CloseCanBePostedFromAnotherThread) {
  std::thread t([this] {
    for (int i = 0; i < 100; ++i) win.PostKeyDown('k');
    win.PostClose();
  });
  t.join();
  EXPECT_TRUE(Pump());
}

TEST_F(WindowTest, ShowStateFollowsMinimiseAndRestore) {
  win.PostShowState(true);
  EXPECT_FALSE(Pump());
  EXPECT_TRUE(win.IsHiddenOrMinimised());
  win.PostShowState(false);
  EXPECT_FALSE(Pump());
  EXPECT_FALSE(win.IsHiddenOrMinimised());
}

TEST(WindowHidden, HiddenWindowCountsAsHidden) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  plat::Window w;
  plat::WindowDesc d;
  d.hidden = true;
  d.width = 1280;
  d.height = 720;
  ASSERT_TRUE(w.Create(d)) << w.LastError();
  EXPECT_TRUE(w.IsHiddenOrMinimised());
  int dw = 0, dh = 0;
  w.GetDrawableSize(&dw, &dh);
  EXPECT_EQ(dw, 1280);
  EXPECT_EQ(dh, 720);
  w.Destroy();
  EXPECT_FALSE(w.IsOpen());
}

}  // namespace
