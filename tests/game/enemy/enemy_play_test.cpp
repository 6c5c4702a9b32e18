// The enemies in the whole program: stage 1's scene hands its loaded script
// to the enemy timeline while the Player plays; its waves spawn along the
// rail, fly their scripts, fire and die under the Player's shots. The set
// pieces are started on a test driver at their place in the timeline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType9.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"
#include "game/scene/CommonTables.h"
#include "support/BuildDirs.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"
#include "support/TempDir.h"
#include "platform/sound_device.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/resource/model_fixtures.h"
#include "boss_stage.h"

namespace {

using plat::CabInput;
using testsupport::PlayOptions;
using testsupport::PlayWorld;

// A stage scene's share of the enemies, cut down to a set piece: stage n's
// script from the generated data tree on the timeline from the record that
// waits for the piece, the rail run as the map manager runs it (the armed
// section change, the speed easing, the move) and the timeline stepped once
// a frame.
class StageDriver : public SProc {
 public:
  explicit StageDriver(int stage = 1) : stage_(stage) {}
  bool Load() {
    char path[96];
    std::snprintf(path, sizeof path, "%s/data/Script/Stage%02d.stg", testsupport::TestBinaryDir(), stage_);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !bytes.empty() && ParseStageScript(bytes.data(), bytes.size(), &script_);
  }
  // Starts at the record that waits for rail key `key` with the rail at t
  // (the records before it are passed over); false when the script has no
  // such record.
  bool StartAt(float key, float t) {
    for (size_t i = 0; i < script_.timeline.size(); ++i)
      if (script_.timeline[i].Op() == EnemySet::OP_WAIT_RAIL && script_.timeline[i].ArgumentF() == key) {
        first_ = int32_t(i);
        startT_ = t;
        return true;
      }
    return false;
  }
  const StageScript& Script() const { return script_; }

 protected:
  int32_t Init(SProcArg) override {
    SetName("StageDriver");
    g_MapMng.t = startT_;
    g_EnemySet.Init(&script_, 0);
    g_EnemySet.index = first_;
    return 0;
  }
  int32_t Main(SProcArg) override {
    g_MapMng.CheckQueuedSection();
    g_MapMng.StepTransition();
    g_MapMng.Advance(g_MapMng.speed);
    g_EnemySet.Update();
    return 0;
  }
  int32_t OnDispose(SProcArg) override {
    g_EnemySet.Reset();
    return 0;
  }

 private:
  int stage_;
  int32_t first_ = 0;
  float startT_ = 0.0f;
  StageScript script_;
};

TEST(EnemyPlay, StageOneWavesFlyFireAndFall) {
  PlayOptions o;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  // The timeline runs on the stage's script from the stage's first frame.
  ASSERT_NE(g_EnemySet.script, nullptr);
  // The first V of five drones comes 60 rail keys in, in three rows 12 keys
  // apart.
  int first = -1;
  for (int f = 0; f < 120 && first < 0; ++f) {
    w.Step();
    if (StageEnemyCount > 0) first = f;
  }
  ASSERT_GE(first, 0);
  EXPECT_EQ(StageEnemyCount, 1);
  w.Step(23);
  EXPECT_EQ(StageEnemyCount, 3);
  w.Step(2);
  EXPECT_EQ(StageEnemyCount, 5);
  auto* e = static_cast<EObjBase*>(g_EnemyMan.FindFirst("Drone"));
  ASSERT_NE(e, nullptr);
  const float y0 = e->GetPosition()[1];
  w.Step(10);
  EXPECT_GT(e->GetPosition()[1], y0);  // diving down the screen
  // Their fans come out while the Player holds fire under them.
  int maxShots = 0;
  bool gunshipModel = false;
  w.Hold(CabInput::kButton1);
  for (int f = 0; f < 700; ++f) {
    w.Step();
    maxShots = std::max(maxShots, HitGroupTable[EShotMan::kHitGroup].Count());
    if (g_EnemyMan.FindFirst("Gunship") != nullptr) gunshipModel = gunshipModel || MdlEnemySe12.Ready() != nullptr;
    if (g_Player.state != Player::STATE_PLAY) w.RunToControl();
  }
  w.ReleaseAll();
  EXPECT_GT(maxShots, 0);
  EXPECT_GE(StageEnemyCount, 5 + 4 + 1 + 4);
  EXPECT_GT(StageDefeatCount, 0);
  EXPECT_LE(StageDefeatCount, StageEnemyCount);
  // The gunship came with the model the stage's resource table loaded.
  EXPECT_TRUE(gunshipModel);
  EXPECT_EQ(EnemyDrawList.size(), size_t(g_EnemyMan.CountChildren()));
}

// The gunship at rail position 900, 60 frames after its record: where the
// whole tree draws it purple, with its picture deleted it flies there unseen
// and only the orange sky shows (red above 200, blue below 110), not the
// gunship with another picture's texture.
TEST(EnemyPlay, AGunshipWhosePictureFailedFliesUnseen) {
  for (const bool damaged : {false, true}) {
    testsupport::TempDir dir("gunship_data");
    testsupport::LinkDataTreeWithout(dir, {damaged ? "enemy/osr_se12_00.png" : "", "cache/stage1.sca"});
    testsupport::ScopedDataDir data(dir.Path());
    enemytest::BossPicture p(1, 3, &MdlEnemySe12, nullptr);
    ASSERT_TRUE(p.world->Ok());
    p.world->Step(58);
    auto* gunship = static_cast<EObjBase*>(g_EnemyMan.FindFirst("Gunship"));
    ASSERT_NE(gunship, nullptr);
    EXPECT_NEAR(gunship->GetPosition()[1], -242.0f, 1.0f);
    plat::Image img;
    ASSERT_TRUE(p.world->H().Screenshot(&img));
    const int notSky = testsupport::CountPlayPixels(img, -40.0f, -272.0f, 47.0f, -193.0f,
                                                    [](uint32_t r, uint32_t, uint32_t b) { return r <= 200 || b >= 110; });
    EXPECT_TRUE(damaged ? notSky == 0 : notSky > 300) << notSky;
  }
}

// A scene that releases the stage script while its enemies and bullets are
// still about (a load over a play that was not cleared away): they end with
// the script, and nothing reads its tables after it has gone (the address
// checker would stop the test at such a read).
TEST(EnemyPlay, EnemiesAndBulletsEndWhenTheirScriptIsReleased) {
  PlayOptions o;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  const StageScript* script = g_EnemySet.script;
  ASSERT_NE(script, nullptr);
  ASSERT_FALSE(script->patternLists.empty());
  for (int f = 0; f < 400 && g_EnemyMan.CountChildren() < 3; ++f) w.Step();
  ASSERT_GE(g_EnemyMan.CountChildren(), 3);
  // Standing bullets far from the ship: one on a bullet path of the script,
  // one on a path of the test's own.
  static const EShotMotion kOwnPath{100000, 0, 0.0f, 0.0f, 0.0f, 0.0f, nullptr};
  ASSERT_NE(EShotMan::Fire(0, 0, 230.0f, -300.0f, 0.0f, 0.0f, 0.0f, script->patternLists[0].First(), 77, nullptr, 1.0f),
            nullptr);
  ASSERT_NE(EShotMan::Fire(0, 0, -230.0f, -300.0f, 0.0f, 0.0f, 0.0f, &kOwnPath, 78, nullptr, 1.0f), nullptr);
  auto shots = [](int32_t id) {
    int n = 0;
    EShotMan::WalkShots([&](EShot* s) { n += s->id == id; });
    return n;
  };
  GetRscMan()->ReleaseGroup(3, nullptr, 0);
  // The script goes when its resource is disposed; the enemies it ends are
  // disposed two frames after that.
  w.Step(5);
  EXPECT_ALL({VAL(g_EnemyMan.CountChildren(), 0), VAL(EnemyDrawList.size(), size_t(0)),
              VAL(g_EnemySet.script == nullptr, true), VAL(shots(77), 0), VAL(shots(78), 1)});
  // The stage plays on without its resources.
  w.Step(120);
  EXPECT_EQ(g_EnemyMan.CountChildren(), 0);
}

// The set pieces of the generated stages at their rail keys.
plat::SoundBuffer* Buffer(SRsc* bank, int32_t entry) {
  auto* sound = dynamic_cast<SRsc_Sound*>(bank);
  if (!sound || entry >= static_cast<int32_t>(sound->Bank()->entries.size())) return nullptr;
  return sound->Bank()->entries[size_t(entry)]->buffer;
}

bool Playing(SRsc* bank, int32_t entry) {
  uint32_t status = 0;
  plat::SoundBuffer* b = Buffer(bank, entry);
  return b && b->GetStatus(&status) == plat::kSoundOk && (status & plat::kSoundStatusPlaying) != 0;
}

struct EventPlay {
  explicit EventPlay(int stage, SRscSlot<SRsc_Model>* slot)
      : slot_(slot), owned(std::make_unique<StageDriver>(stage)) {
    slot_->Set(model.get());
  }
  ~EventPlay() { slot_->Reset(); }
  // Starts the stage's timeline at its set piece (waiting for rail key
  // `key`) with the rail at t.
  bool Start(float key, float t) {
    if (!w.Ok() || w.RunToControl() < 0 || !owned->Load() || !owned->StartAt(key, t))
      return false;
    StageDriver* d = owned.release();  // the game owns it from here
    return w.G()->AddChild(GAME_LIST_STAGE, d, 0) == 0;
  }
  // Runs until the enemy of that name appears; the frames, or -1.
  int RunUntil(const char* name, int limit) {
    for (int f = 1; f <= limit; ++f) {
      w.Step();
      if (g_EnemyMan.FindFirst(name) != nullptr) return f;
    }
    return -1;
  }

  std::unique_ptr<SRsc_Model_Ex> model = modelfix::BuildRigid();
  SRscSlot<SRsc_Model>* slot_;
  PlayWorld w;
  std::unique_ptr<StageDriver> owned;
};

TEST(EnemyPlay, StageOneEntranceSwitchesTheMusicAndLoopsTheArena) {
  EventPlay p(1, &MdlEnemyBs01);
  ASSERT_TRUE(p.Start(7360.0f, 7200.0f));
  SRsc* voices = GetRscMan()->Find("\\sound\\osr_voice", RscTag("SND"));
  p.w.G()->PlayMusic(0);  // the stage's tune, as the stage starts it
  ASSERT_TRUE(Playing(RscMusic, 0));
  const int spawn = p.RunUntil("Herald", 400);
  ASSERT_GT(spawn, 0);
  EXPECT_GE(g_MapMng.t, 7360.0f);
  EXPECT_LT(g_MapMng.t, 7362.0f);
  EXPECT_EQ(StageEnemyCount, 0);
  EXPECT_FALSE(Playing(RscMusic, 0));
  EXPECT_TRUE(Playing(RscMusic, 5));
  EXPECT_EQ(g_EnemySet.paused, 1);
  // Hovering from its 92nd frame, with its voice.
  p.w.Step(92);
  EXPECT_TRUE(Playing(voices, 15));
  // The arena loops: the rail never passes 7636 while it is armed.
  float most = 0.0f;
  for (int f = 0; f < 300; ++f) {
    p.w.Step();
    most = std::max(most, g_MapMng.t);
  }
  EXPECT_LT(most, 7637.0f);
  EXPECT_EQ(g_EnemyMan.FindFirst("Herald"), nullptr);  // gone after its exit
  // The timeline ran on: free, or held by the arena's boss that follows.
  EXPECT_TRUE(g_EnemySet.paused == 0 || g_EnemyMan.FindFirst("Boss01") != nullptr);
}

TEST(EnemyPlay, StageThreeFlyPastHaltsTheRailAndSpeaks) {
  EventPlay p(3, &MdlEnemyBs07);
  ASSERT_TRUE(p.Start(6150.0f, 6100.0f));
  SRsc* voices = GetRscMan()->Find("\\sound\\osr_voice", RscTag("SND"));
  p.w.G()->PlayMusic(2);
  const int spawn = p.RunUntil("Flyby", 100);
  ASSERT_GT(spawn, 0);
  EXPECT_GE(g_MapMng.t, 6150.0f);
  EXPECT_FALSE(Playing(RscMusic, 2));
  EXPECT_TRUE(Playing(RscMusic, 5));
  // Voice 33 comes in the frame the settle ends (its step becomes 2), voice
  // 34 in the frame the second wobble ends (step 4).
  testsupport::MarkSound(voices, 33);
  testsupport::MarkSound(voices, 34);
  int32_t stepAtA = -1, stepAtB = -1;
  for (int f = 0; f < 700; ++f) {
    auto* e = dynamic_cast<EnemyType9*>(g_EnemyMan.FindFirst("Flyby"));
    if (e == nullptr) break;
    const int32_t before = e->Script().step;
    p.w.Step();
    if (stepAtA < 0 && testsupport::SoundPlayed(voices, 33)) stepAtA = before * 10 + e->Script().step;
    if (stepAtB < 0 && testsupport::SoundPlayed(voices, 34)) stepAtB = before * 10 + e->Script().step;
  }
  EXPECT_EQ(g_EnemyMan.FindFirst("Flyby"), nullptr);
  EXPECT_EQ(stepAtA, 12);  // from step 1 to step 2
  EXPECT_EQ(stepAtB, 34);  // from step 3 to step 4
  // The rail stood still just past key 6300, the timeline runs on.
  EXPECT_LT(std::fabs(g_MapMng.speed), 0.01f);
  EXPECT_GE(g_MapMng.t, 6300.0f);
  EXPECT_LT(g_MapMng.t, 6310.0f);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

TEST(EnemyPlay, WithTheSoundOffTheOldMusicStopsAndNoneStarts) {
  EventPlay p(3, &MdlEnemyBs07);
  ASSERT_TRUE(p.Start(6150.0f, 6140.0f));
  p.w.G()->PlayMusic(2);
  p.w.G()->soundOff = 1;
  ASSERT_GT(p.RunUntil("Flyby", 100), 0);
  EXPECT_FALSE(Playing(RscMusic, 2));
  EXPECT_FALSE(Playing(RscMusic, 5));
  p.w.G()->soundOff = 0;
}

}  // namespace
