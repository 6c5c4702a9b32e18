// The test mode's frame: start-up schedule, the menu, the page protocol and
// the exit with its service codes and coin settlement.
#include <gtest/gtest.h>

#include "TestModeRig.h"
#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "cabinet/SimCabIoBoard.h"
#include "game/core/CoinCounter.h"
#include "game/tables/image_slots.h"
#include "vrax/input/SCtrlMan.h"

namespace {

using namespace testmode_rig;

TEST(TestModeFrame, SetsUpInTheFourthFrameAndDrawsOnlyOnceLoaded) {
  TestModeRig rig;
  ASSERT_TRUE(rig.RunToScene("Notice"));
  EXPECT_EQ(ImgTestTop, nullptr);
  rig.Frame({kTest});  // the game root takes over in this frame's logic
  TestMode* m = rig.Mode();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(g_GameTakeover, 1);
  EXPECT_EQ(IsTestMode(), 1);
  EXPECT_EQ(GetServiceClient()->GetTestCounter(), 1);
  // The run state after each frame: three frames of waiting, the set-up in
  // the fourth, loaded in the fifth, resumed in the sixth.
  const int32_t states[] = {TEST_RUN_STARTING, TEST_RUN_STARTING, TEST_RUN_STARTING, TEST_RUN_LOADING,
                            TEST_RUN_RESUMING, TEST_RUN_RUNNING};
  for (int32_t expected : states) {
    rig.Frame();
    EXPECT_EQ(m->GetRunState(), expected);
    if (expected <= TEST_RUN_LOADING) {
      EXPECT_EQ(m->SpritesUsed(), 0);
    }
  }
  EXPECT_NE(ImgTestTop, nullptr);
  EXPECT_NE(m->Confirm().GetParent(), nullptr);
  EXPECT_EQ(m->Confirm().GetName(), "TestModeYN");
  EXPECT_EQ(m->GetCursor(), 0);
  EXPECT_EQ(rig.Root()->GetFadeLevel(), 0.0f);
  rig.Frame();  // the menu: title, 8 items, arrow, help, 2 guides
  EXPECT_EQ(m->SpritesUsed(), 13);
}

// Each row: inputs pressed in one frame, the menu cursor after it.
struct MenuRow {
  Inputs pressed;
  int32_t cursor;
};

TEST(TestModeMenu, CursorWrapsAndMovesOncePerPress) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  TestMode* m = rig.Mode();
  const MenuRow rows[] = {
      {{kUp}, 7}, {{kDown}, 0}, {{kDown}, 1}, {{kUp, kDown}, 1}, {{kDown}, 2}, {{kUp}, 1}, {{kUp}, 0},
  };
  for (const MenuRow& r : rows) {
    rig.Tap(r.pressed);
    EXPECT_EQ(m->GetCursor(), r.cursor);
    EXPECT_EQ(m->GetPage(), TEST_PAGE_MENU);
  }
  rig.Frame({kDown}, 40);  // held: one step only
  EXPECT_EQ(m->GetCursor(), 1);
  rig.Frame();
  // A direction and a button in one frame open the item under the moved cursor.
  rig.Frame({kDown, kB2});
  EXPECT_EQ(m->GetPage(), TEST_PAGE_SOUND);
  EXPECT_EQ(m->GetMenuCursor(), kMenuSound);
}

TEST(TestModeMenu, InputTestLeavesWithoutTheResumingFrame) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  TestMode* m = rig.Mode();
  rig.OpenPage(kMenuInput);
  rig.Frame({kService});
  EXPECT_EQ(m->GetPage(), TEST_PAGE_MENU);
  EXPECT_EQ(m->GetRunState(), TEST_RUN_RUNNING);
  EXPECT_EQ(m->GetCursor(), kMenuInput);
  // With the test switch held, the display test hands back at its first step.
  rig.OpenPage(kMenuDisplay);
  rig.Frame({kTest});
  EXPECT_EQ(m->GetPage(), TEST_PAGE_MENU);
  EXPECT_EQ(m->GetRunState(), TEST_RUN_RESUMING);
}

TEST(TestModeExit, ClosesTheProgram62FramesAfterTheChoiceWithCodes12And14) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Sys().Ok());
  ServiceTap service;
  ASSERT_TRUE(rig.Open());
  EXPECT_EQ(service.Codes(), std::vector<uint8_t>{12});
  TestMode* m = rig.Mode();
  // Coins inserted meanwhile stay on the board; they never become credits.
  rig.Tap({CabInput::kCoin});
  rig.Tap({CabInput::kCoin});
  EXPECT_EQ(SimCabIoBoard::Instance().CoinCount(0, 0), 2);
  rig.Tap({kUp});
  ASSERT_EQ(m->GetCursor(), kMenuExit);
  rig.Frame({kB1});  // frame 0: the page opens
  int frames = 0, killedIn = -1;
  while (!rig.Sys().QuitRequested() && frames < 100) {
    rig.Frame();
    ++frames;
    EXPECT_EQ(m->SpritesUsed(), 0);  // the exit page draws nothing
    if (killedIn < 0 && m->GetCoinSettlement() != CoinSettlement::kNotRun) killedIn = frames;
  }
  // One frame opens the page, 61 count; the frame after the kill finds the
  // close and runs no more.
  EXPECT_EQ(killedIn, 62);
  EXPECT_EQ(frames, 63);
  EXPECT_EQ(m->GetCoinSettlement(), CoinSettlement::kSettled);
  EXPECT_EQ(SimCabIoBoard::Instance().CoinCount(0, 0), 0);
  EXPECT_EQ(GetCoinCounter()->credits, 0);
  EXPECT_EQ(g_GameTakeover, 0);
  // The game root's shutdown broadcast reaches the killed test mode again.
  m->SendEvent(SProc::EVENT_KILL, 0);
  EXPECT_EQ(service.Codes(), std::vector<uint8_t>{14});
  EXPECT_EQ(service.GameResult(), 0u);
}

}  // namespace
