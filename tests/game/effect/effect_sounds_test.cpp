// The sound-effect entries of the effects, heard in a running play: the
// explosion sequences (55 at the burst window's sound frame, 48 at the
// blast), the boss's staged death (an explosion sound every 4th frame, 23
// at its end) and the laser (47 as the charge starts, 4 and 5 as it fires).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "game/core/Game.h"
#include "game/core/SystemFile.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxProc.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"

namespace {

using testsupport::PlayWorld;

// A creator whose children get the frame's MAIN.
class Creator : public SProc {
 public:
  int32_t Main(SProcArg) override {
    BroadcastAll(EVENT_MAIN, 0);
    return 0;
  }
};

class EffectSounds : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.Ok());
    world.G()->GetList(GAME_LIST_STAGE)->KillAll(0);
    world.Step(2);
    se = testsupport::EffectBank();
    ASSERT_NE(se, nullptr);
  }
  // Runs one frame with the given entries stopped (a sound still playing
  // from a moment ago is not started again) and marked; the entries heard.
  std::set<int32_t> Frame(const std::vector<int32_t>& entries) {
    for (int32_t n : entries) testsupport::RearmSound(se, n);
    world.Step();
    std::set<int32_t> heard;
    for (int32_t n : entries)
      if (testsupport::SoundPlayed(se, n)) heard.insert(n);
    return heard;
  }
  // A creator in the managers' list, running from the next frame.
  Creator* AddCreator() {
    auto* creator = new Creator;
    world.G()->AddChild(GAME_LIST_MANAGERS, creator, 0);
    world.Step();
    return creator;
  }
  // The boss's staged death (effect 8) at the origin.
  static int32_t SpawnBossDeath(Creator* creator) {
    const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
    SMatrix m = kIdentityMatrix;
    return EfxProc::SpawnG(creator, &at, 8, 1.0f, &m);
  }
  PlayWorld world;
  SRsc* se = nullptr;
};

TEST_F(EffectSounds, SequencesSoundTheBurstAndTheBlast) {
  // Kinds 3 to 7 at once: 55 at ages 1, 11, 171, 31 and 1; 48 at the blast
  // frames 160, 170, 330, 190 and 250.
  const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
  for (uint32_t kind = 3; kind <= 7; ++kind) ASSERT_NE(g_EfxMan.SpawnRandom(kind, &at, 0.0f, nullptr), nullptr);
  std::vector<int> burst, blast;
  for (int age = 1; age <= 335; ++age) {
    const std::set<int32_t> heard = Frame({55, 48});
    if (heard.count(55) != 0) burst.push_back(age);
    if (heard.count(48) != 0) blast.push_back(age);
  }
  EXPECT_EQ(burst, (std::vector<int>{1, 11, 31, 171}));
  EXPECT_EQ(blast, (std::vector<int>{160, 170, 190, 250, 330}));
}

TEST_F(EffectSounds, BossDeathSoundsEveryFourthFrameAndEndsWith23) {
  Creator* creator = AddCreator();
  ASSERT_EQ(SpawnBossDeath(creator), 0);
  // Added between frames, it runs from the second frame on: frame f is its
  // n = f - 1.
  std::vector<int> explosions, end;
  for (int f = 1; f <= 293; ++f) {
    const int n = f - 1;
    const std::set<int32_t> heard = Frame({14, 15, 16, 25, 23});
    int k = 0;
    for (int32_t e : {14, 15, 16, 25}) k += static_cast<int>(heard.count(e));
    if (k != 0) explosions.push_back(n);
    EXPECT_LE(k, 1) << n;
    if (heard.count(23) != 0) end.push_back(n);
  }
  // Every 4th frame before the closing stage at 120, except the frame of
  // the large glow at 96, which does nothing else.
  std::vector<int> every4;
  for (int n = 4; n < 120; n += 4)
    if (n != 96) every4.push_back(n);
  EXPECT_EQ(explosions, every4);
  EXPECT_EQ(end, std::vector<int>{290});
  creator->Kill(0);
  world.Step(2);
}

// The explosion sounds of the staged death are played by the sound rule at
// level 57344 for sound 15 and 65536 for 14, 16 and 25, and 23 at 65536.
// With the effect volume at 100 the buffer volume is L x 10000 / 65536 -
// 10000 hundredths of a dB: -1250 for 57344, 0 for 65536.
TEST_F(EffectSounds, BossDeathPlaysSound15AtLevel57344AndTheOthersAt65536) {
  world.G()->settings[SettingsWord::effectVolume] = 100;
  Creator* creator = AddCreator();
  ASSERT_EQ(SpawnBossDeath(creator), 0);
  std::set<int32_t> heardAny;
  for (int f = 1; f <= 293; ++f) {
    for (int32_t e : Frame({14, 15, 16, 25, 23})) {
      heardAny.insert(e);
      EXPECT_EQ(testsupport::SoundVolume(se, e), e == 15 ? -1250 : 0) << e << " at frame " << f;
    }
  }
  EXPECT_EQ(heardAny.count(15), 1u);  // the play's draws choose it at least once
  EXPECT_EQ(heardAny.count(23), 1u);
  creator->Kill(0);
  world.Step(2);
}

TEST_F(EffectSounds, LaserSoundsItsChargeAndItsFiring) {
  Creator* creator = AddCreator();
  ASSERT_TRUE(ELaserGen::ChargeSoundArmed());
  SMatrix origin = kIdentityMatrix;
  creator->AddChild(0, ELaserGen::ELaserGenEx(&origin, 0x1, 8.0f, 60, 0, 0.5f, 20.0f, 0.0f, 10.0f, 10.0f, 20.0f,
                                               0.0f, 10.0f, 10.0f, 0),
                    0);
  // Added between frames, it runs from the second frame on: frame f is its
  // phase f - 2 of the charge.
  std::vector<int> charge, fire, loop;
  for (int f = 1; f <= 131; ++f) {
    const std::set<int32_t> heard = Frame({47, 4, 5});
    if (heard.count(47) != 0) charge.push_back(f);
    if (heard.count(4) != 0) fire.push_back(f);
    if (heard.count(5) != 0) loop.push_back(f);
  }
  // Phase 0 on its first frame; its 126th frame fires.
  EXPECT_EQ(charge, std::vector<int>{2});
  EXPECT_EQ(fire, std::vector<int>{127});
  EXPECT_EQ(loop, std::vector<int>{127});
  creator->Kill(0);
  world.Step(2);
  EXPECT_EQ(ELaserGen::FiringCount(), 0);
}

}  // namespace
