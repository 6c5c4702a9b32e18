// The enemies in the whole program: stage 1's generated script on the
// enemy timeline while the Player plays, its waves spawned along the rail,
// flying their scripts, firing and dying under the Player's shots.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/enemy_tables.h"
#include "support/PlayWorld.h"
#include "vrax/resource/model_fixtures.h"

namespace {

using plat::CabInput;
using testsupport::PlayWorld;

// The stage scene's share of the enemies while the stage scenes are not
// built: stage 1's script from the generated data tree on the timeline, the
// rail moved by its speed and the timeline stepped once a frame.
class StageDriver : public SProc {
 public:
  bool Load() {
    std::ifstream in(OSTREL_TEST_BINARY_DIR "/data/Script/Stage01.stg", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !bytes.empty() && ParseStageScript(bytes.data(), bytes.size(), &script_);
  }

 protected:
  int32_t Init(SProcArg) override {
    SetName("StageDriver");
    g_MapMng.t = 0.0f;
    g_EnemySet.Init(&script_, 0);
    return 0;
  }
  int32_t Main(SProcArg) override {
    g_MapMng.t += g_MapMng.speed;
    g_EnemySet.Update();
    return 0;
  }
  int32_t OnDispose(SProcArg) override {
    g_EnemySet.Reset();
    return 0;
  }

 private:
  StageScript script_;
};

TEST(EnemyPlay, StageOneWavesFlyFireAndFall) {
  // The gunships' model (no scene loads the enemy models yet).
  std::unique_ptr<SRsc_Model_Ex> model = modelfix::BuildRigid();
  MdlEnemySe12 = model.get();
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  auto* driver = new StageDriver;
  ASSERT_TRUE(driver->Load());
  ASSERT_EQ(w.G()->AddChild(GAME_LIST_STAGE, driver, 0), 0);
  g_MapMng.speed = 1.0f;
  // The first V of five drones comes at rail key 60 and 72, 84.
  w.Step(59);
  EXPECT_EQ(StageEnemyCount, 0);
  w.Step(30);
  EXPECT_EQ(StageEnemyCount, 5);
  auto* e = static_cast<EObjBase*>(g_EnemyMan.FindFirst("Drone"));
  ASSERT_NE(e, nullptr);
  const float y0 = e->GetPosition()[1];
  w.Step(10);
  EXPECT_GT(e->GetPosition()[1], y0);  // diving down the screen
  // Their fans come out while the Player holds fire under them.
  int maxShots = 0;
  w.Hold(CabInput::kButton1);
  for (int f = 0; f < 700; ++f) {
    w.Step();
    maxShots = std::max(maxShots, HitGroupTable[EShotMan::kHitGroup].Count());
    if (g_Player.state != Player::STATE_PLAY) w.RunToControl();
  }
  w.ReleaseAll();
  EXPECT_GT(maxShots, 0);
  EXPECT_GE(StageEnemyCount, 5 + 4 + 1 + 4);
  EXPECT_GT(StageDefeatCount, 0);
  EXPECT_LE(StageDefeatCount, StageEnemyCount);
  // The gunship came with its model.
  EXPECT_EQ(EnemyDrawList.size(), size_t(g_EnemyMan.CountChildren()));
  driver->Kill(0);
  w.Step(2);
  MdlEnemySe12 = nullptr;
}

}  // namespace
