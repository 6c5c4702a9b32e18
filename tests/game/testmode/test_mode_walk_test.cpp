// The whole program: the test switch during the attract sequence opens the
// test mode; a walk through every page sets 5 lives and saves them; the
// exit closes the program; the next start plays with 5 lives.
#include <gtest/gtest.h>

#include "TestModeRig.h"

namespace {

using namespace testmode_rig;

// One stop of the walk: the menu item, what the operator does on its page.
struct Stop {
  int32_t item;
  std::vector<PadLine> script;
};

TEST(TestModeWalk, EveryPageThenExitAndTheNextStartHasFiveLives) {
  std::string saved;
  {
    TestModeRig rig;
    ASSERT_TRUE(rig.Open("Logo"));
    const PadLine _{{}, 1};  // one frame with nothing held
    const Stop walk[] = {
        {kMenuDisplay, {{{kB1}}, _, {{kB2}}, _, {{kService}}, _}},
        {kMenuInput, {{{kStart, kB1, kUp}, 10}, {{kTest}}, _}},
        // Effect volume down 10 from the 22nd frame on, then EXIT and no.
        {kMenuSound, {{{kDown}}, _, {{kDown}}, _, {{kLeft}, 30}, _, {{kUp}}, _, {{kUp}}, _, {{kUp}}, _, {{kB1}}, _,
                      {{kB1}}, _}},
        // Free play, then EXIT, cancelled, then no.
        {kMenuSystem, {{{kRight}}, _, {{kRight}}, _, {{kUp}}, _, {{kB1}}, _, {{kService}}, _, {{kB2}}, _, {{kB1}}, _}},
        // Lives 2 -> 5 (shown 6), EXIT, yes.
        {kMenuGame, {{{kDown}}, _, {{kRight}}, _, {{kRight}}, _, {{kRight}}, _, {{kUp}}, _, {{kUp}}, _, {{kB1}}, _,
                     {{kRight}}, _, {{kB1}}, _}},
        {kMenuDefaults, {{{kB1}}, _}},
        {kMenuRanking, {{{kB2}}, _}},
    };
    for (const Stop& s : walk) {
      rig.OpenPage(s.item);
      rig.Run(s.script);
      ASSERT_TRUE(rig.BackToMenu(3)) << "page " << s.item + 1;
      EXPECT_EQ(rig.Mode()->GetCursor(), s.item);
    }
    const int32_t* live = rig.Settings();
    EXPECT_EQ(live[SettingsWord::lives], 5);
    EXPECT_EQ(live[SettingsWord::effectVolume], 100);  // discarded
    EXPECT_EQ(live[SettingsWord::coinPlay], 1);        // discarded
    saved = SettingsFileBytes(rig.Sys());
    const int32_t words[kSettingsCount] = {1, 1, 1, 1, 1, 2, 5, 3, 0, 100, 100, 0, 1, 3, 1};
    EXPECT_EQ(saved, SettingsFileFor(words));
    rig.Tap({kDown});
    ASSERT_EQ(rig.Mode()->GetCursor(), kMenuExit);
    rig.Tap({kB1});
    for (int i = 0; i < 100 && !rig.Sys().QuitRequested(); ++i) rig.Frame();
    EXPECT_TRUE(rig.Sys().QuitRequested());
  }
  testsupport::HeadlessOptions next;
  next.nullDevice = true;
  next.saveFiles = {{"OSR_SYS.dat", saved}};
  testsupport::Headless sys(next);
  ASSERT_TRUE(sys.Ok()) << sys.Failure();
  sys.Step(2);
  Game* g = GetGame();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->settings[SettingsWord::lives], 5);
  EXPECT_EQ(g->lives, 5);
  g->ResetForPlay();  // the lives a play starts with
  EXPECT_EQ(g->lives, 5);
  EXPECT_EQ(IsTestMode(), 0);
}

}  // namespace
