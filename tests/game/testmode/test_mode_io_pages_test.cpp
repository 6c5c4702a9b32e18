// The display and input test pages, and pictures of the menu and of the
// input test with held inputs.
#include <gtest/gtest.h>

#include "TestModeRig.h"
#include "support/ImageCompare.h"

namespace {

using namespace testmode_rig;

// Each row: inputs held for some frames on the display test, the picture
// shown after, and whether the page is still open.
struct DisplayRow {
  Inputs held;
  int frames;
  int32_t picture;
  bool open;
};

TEST(TestModeDisplayPage, ButtonsToggleThePictureServiceLeaves) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuDisplay);
  TestMode* m = rig.Mode();
  EXPECT_EQ(m->GetCursor(), 0);
  const DisplayRow rows[] = {
      {{kB1}, 30, 1, true},  {{}, 1, 1, true},         {{kB1, kB2}, 1, 0, true}, {{}, 1, 0, true},
      {{kB2}, 1, 1, true},   {{}, 1, 1, true},         {{kUp, kLeft}, 3, 1, true}, {{kB1, kService}, 1, 0, false},
  };
  for (const DisplayRow& r : rows) {
    rig.Frame(r.held, r.frames);
    EXPECT_EQ(m->GetCursor(), r.picture);
    EXPECT_EQ(m->GetPage() == TEST_PAGE_DISPLAY, r.open);
  }
  EXPECT_TRUE(rig.BackToMenu(2));
  EXPECT_EQ(m->GetCursor(), kMenuDisplay);
}

// The states of the input test's seven marks: start, button 1, button 2,
// up, left, right, down; 0 held, 1 released.
std::vector<int32_t> Marks() {
  std::vector<int32_t> out;
  for (int i = 0; i < 7; ++i) out.push_back(InputSwitchTable[i].index);
  return out;
}

TEST(TestModeInputPage, MarksFollowTheControlsAndKeepTheirLastStates) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  EXPECT_EQ(Marks(), (std::vector<int32_t>{1, 1, 1, 1, 1, 1, 1}));
  rig.OpenPage(kMenuInput);
  const std::pair<Inputs, std::vector<int32_t>> rows[] = {
      {{kStart, kB1, kLeft}, {0, 0, 1, 1, 0, 1, 1}},
      {{kB2, kUp, kRight}, {1, 1, 0, 0, 1, 0, 1}},
      {{kDown}, {1, 1, 1, 1, 1, 1, 0}},
      {{}, {1, 1, 1, 1, 1, 1, 1}},
  };
  for (const auto& [held, marks] : rows) {
    rig.Frame(held, 5);
    EXPECT_EQ(Marks(), marks);
  }
  // Leaving samples the controls of that frame; they show at the next visit.
  rig.Frame({kService, kStart, kDown});
  EXPECT_EQ(rig.Mode()->GetPage(), TEST_PAGE_MENU);
  EXPECT_EQ(Marks(), (std::vector<int32_t>{0, 1, 1, 1, 1, 1, 0}));
}

// The page space is the play space of the picture.
using testsupport::CountPlayPixels;
using testsupport::PlayPy;

bool Black(uint32_t r, uint32_t g, uint32_t b) { return r + g + b == 0; }
bool Yellow(uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g > 200 && b < 60; }
bool Red(uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g < 60 && b < 60; }
bool White(uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g > 200 && b > 200; }
bool LightRed(uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g > 30 && g < 100 && b > 30 && b < 100; }
bool LightBlue(uint32_t r, uint32_t g, uint32_t b) { return b > 200 && r > 30 && r < 100 && g > 30 && g < 100; }

// Blacks out the version line, whose build date and time change with every
// build.
void HideVersionLine(plat::Image* img) {
  for (int y = PlayPy(216.0f); y < PlayPy(280.0f); ++y)
    for (int x = 0; x < img->width; ++x)
      for (int k = 0; k < 3; ++k) img->rgba[(static_cast<size_t>(y) * img->width + x) * 4 + k] = 0;
}

TEST(TestModePictures, Menu) {
  TestModeRig rig(true);
  ASSERT_TRUE(rig.Open());
  rig.Tap({kDown});
  rig.Frame();
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  ASSERT_EQ(shot.width, 640);
  // Outside the page, and on the black fade behind it, nothing.
  EXPECT_EQ(CountPlayPixels(shot, -240.0f, -320.0f, -220.0f, 320.0f, Black), 15 * 480);
  // The title in yellow; item 1 (input test) under the cursor in red, item 0
  // in white; the arrow in red left of item 1.
  EXPECT_GT(CountPlayPixels(shot, -84.0f, -296.0f, 84.0f, -272.0f, Yellow), 100);
  EXPECT_GT(CountPlayPixels(shot, -72.0f, -224.0f, 24.0f, -200.0f, Red), 40);
  EXPECT_EQ(CountPlayPixels(shot, -72.0f, -224.0f, 24.0f, -200.0f, White), 0);
  EXPECT_GT(CountPlayPixels(shot, -72.0f, -248.0f, 12.0f, -224.0f, White), 40);
  EXPECT_GT(CountPlayPixels(shot, -108.0f, -224.0f, -84.0f, -200.0f, Red), 10);
  HideVersionLine(&shot);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "test_mode_menu.png", 8, 40));
}

TEST(TestModePictures, InputTestWithHeldInputs) {
  TestModeRig rig(true);
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuInput);
  rig.Frame({kStart, kB2, kLeft}, 3);  // drawn in the frame after they are sampled
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  // The start mark (centre -28, top -128, "ON" 36 wide) in light red; the
  // button 1 mark below it ("OFF", 48 wide) in light blue; left held, right
  // not.
  const auto mark = [&](float cx, float top, float w, bool (*test)(uint32_t, uint32_t, uint32_t)) {
    return CountPlayPixels(shot, cx - w / 2, top, cx + w / 2, top + 24.0f, test);
  };
  EXPECT_GT(mark(-28.0f, -128.0f, 36.0f, LightRed), 20);
  EXPECT_EQ(mark(-28.0f, -128.0f, 36.0f, LightBlue), 0);
  EXPECT_GT(mark(-28.0f, -104.0f, 48.0f, LightBlue), 20);
  EXPECT_GT(mark(-28.0f, -80.0f, 36.0f, LightRed), 20);
  EXPECT_GT(mark(-160.0f, 64.0f, 36.0f, LightRed), 20);
  EXPECT_GT(mark(-40.0f, 64.0f, 48.0f, LightBlue), 20);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "test_mode_input.png", 8, 40));
}

}  // namespace
