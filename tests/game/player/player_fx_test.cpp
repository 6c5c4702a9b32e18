// The player's effects on the effect manager alone: the ring burst of the
// lock catch, the bomb and the dash.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/player/PlayerFx.h"
#include "platform/crt_rand.h"

namespace {

// The effect manager started under a root of its own.
class PlayerFxWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    root.StartRoot(0);
    root.CreateLists(1);
    ASSERT_EQ(root.AddChildProcess(&g_EfxMan, 0), 0);
    root.Advance();
  }
  void TearDown() override {
    g_EfxMan.ClearAll();
    root.DisposeChildren();
  }
  SProc root;
};

// The burst aims spark k 300 px out at k / m turns, m from 8 to 16, so the
// 32 the tendril pool takes go round the point two to four times: each
// quarter of the circle gets about 8 of them, give or take the jitter (up
// to 100 px a side, under 0.08 turn at 300 px). A half ring leaves two
// quarters with 2 or none.
TEST_F(PlayerFxWorld, BurstSendsSparksIntoEveryQuarterOfTheCircle) {
  const float at[4] = {40.0f, -120.0f, 0.0f, 1.0f};
  for (uint32_t seed : {1u, 2u, 77u, 4096u}) {
    SCOPED_TRACE(seed);
    g_EfxMan.ClearAll();
    plat::SRand(seed);
    PlayerFx::Burst(at);
    ASSERT_EQ(g_EfxMan.LiveCount(7), EfxMan::kTendrils);
    std::array<int, 4> quarters{};
    for (SObject* o = g_EfxMan.Live(7).HeadObj(); o != nullptr; o = o->GetNext()) {
      const auto* t = static_cast<const EfxTendril*>(o);
      EXPECT_EQ(t->position.x, at[0]);
      EXPECT_EQ(t->position.y, at[1]);
      const float turn = t->heading - std::floor(t->heading);
      ++quarters[static_cast<size_t>(std::min(3.0f, turn * 4.0f))];
    }
    for (int q : quarters) EXPECT_GE(q, 4);
  }
}

}  // namespace
