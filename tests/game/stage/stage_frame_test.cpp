// The stage scene frame and stage 1: rail triggers at whole positions, the
// fog tables and their lookup, the cloud layer's planes and puffs with their
// rand order, where a stage starts (afresh, or continued at a checkpoint,
// with or without its music), and a stage whose resources fail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "game/core/Game.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/CStage1.h"
#include "game/stage/Cloud.h"
#include "game/stage/MapMng.h"
#include "game/stage/RangeTable.h"
#include "game/stage/StageProc.h"
#include "platform/crt_rand.h"
#include "support/ErrorBox.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"
#include "support/StageWorld.h"
#include "support/TempDir.h"

namespace {

using testsupport::PlayOptions;
using testsupport::PlayWorld;

// The C library's generator as the format gives it, beside the game's.
struct Lcg {
  uint32_t seed;
  int Next() {
    seed = seed * 214013u + 2531011u;
    return int((seed >> 16) & 0x7FFF);
  }
  float U() { return float(Next()) / 32767.0f; }
};

int CountNamed(SProc* owner, const char* name) {
  int n = 0;
  SProcList* l = owner->GetList(0);
  for (SObject* o = l != nullptr ? l->Head() : nullptr; o != nullptr; o = o->GetNext())
    if (static_cast<SProc*>(o)->GetName() == name && static_cast<SProc*>(o)->GetState() < SProc::STATE_KILLED) ++n;
  return n;
}

// Stage 1 in play, the ship under control, the rail under the test's hand.
class StageOne : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayOptions o;
    o.livelyStage = true;
    w = std::make_unique<PlayWorld>(o);
    ASSERT_TRUE(w->Ok());
    // Stage 1's first trigger flies the ship in.
    ASSERT_GE(w->RunToControl(1000), 0);
    stage = static_cast<StageProc*>(w->G()->FindInList("Stage1", GAME_LIST_STAGE));
    ASSERT_NE(stage, nullptr);
  }
  // Puts the rail at t on path 0 with the given speed.
  void Rail(float t, float speed, int32_t path = 0) {
    g_MapMng.SetHoldState(2);
    g_MapMng.SetSpeed(speed);
    g_MapMng.currentPath = path;
    g_MapMng.t = t;
  }
  std::unique_ptr<PlayWorld> w;
  StageProc* stage = nullptr;
};

TEST_F(StageOne, TriggerFiresOnEveryFrameItsWholePositionHoldsAndNeverWhenSkipped) {
  // The stage title comes at 420: at half speed the rail holds 420 and
  // 420.5, two frames, two titles.
  const int before = CountNamed(stage, "StageName");
  Rail(418.0f, 0.5f);
  w->Step(8);
  EXPECT_EQ(CountNamed(stage, "StageName") - before, 2);
  // Two keys a frame from 418 land on 420 once; three keys jump over it.
  Rail(418.0f, 2.0f);
  w->Step(2);
  EXPECT_EQ(CountNamed(stage, "StageName") - before, 3);
  Rail(418.0f, 3.0f);
  w->Step(2);
  EXPECT_EQ(CountNamed(stage, "StageName") - before, 3);
  // Off path 0 stage 1 fires nothing.
  Rail(419.5f, 0.5f, 1);
  w->Step(2);
  EXPECT_EQ(CountNamed(stage, "StageName") - before, 3);
}

TEST_F(StageOne, FogFollowsTheTablesOfBothPaths) {
  struct Case {
    float t;
    int32_t path;
    uint8_t on;
    float start, end, r, g, b;
  };
  const float ko = 0.913725f, kg = 0.372549f, kb = 0.192157f;
  const Case cases[] = {
      {0.5f, 0, 0, 0, 0, 0, 0, 0},                     // before the first record
      {1.0f, 0, 1, 0, 7200, 0, 0, 0},                  // black to 290
      {410.0f, 0, 1, 0, 13600, ko * 0.5f, kg * 0.5f, kb * 0.5f},  // half way from black to orange
      {530.0f, 0, 1, 0, 20000, ko, kg, kb},            // a shared key: the first record holding it
      {3640.0f, 0, 1, 1000, 27500, ko, kg, kb},        // half way to 2000-35000
      {127.5f, 1, 1, 0, 27500, ko, kg, kb},            // path 1: half way from 30000 to 25000
      {3549.5f, 1, 0, 0, 0, 0, 0, 0},                  // past path 1's last record
  };
  SGpState_Fog& fog = w->G()->StageFog();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    Rail(c.t, 0.0f, c.path);
    w->Step();
    ASSERT_EQ(fog.GetEnable(), c.on);
    if (c.on == 0) continue;
    float start = 0, end = 0;
    fog.GetRange(&start, &end);
    EXPECT_NEAR(start, c.start, 0.5f);
    EXPECT_NEAR(end, c.end, 0.5f);
    EXPECT_NEAR(fog.GetColour().r, c.r, 1e-4f);
    EXPECT_NEAR(fog.GetColour().g, c.g, 1e-4f);
    EXPECT_NEAR(fog.GetColour().b, c.b, 1e-4f);
  }
}

TEST(StageFogTables, StageOneTablesHaveTheirRecordCounts) {
  auto records = [](const float* t, int floats) {
    int n = 0;
    while (!(t[n * floats] == -1.0f && t[n * floats + floats / 2] == -1.0f)) ++n;
    return n;
  };
  EXPECT_ALL({VAL(records(CStage1::FogPath0(), 12), 18), VAL(records(CStage1::FogOtherPaths(), 12), 7),
              VAL(records(CStage1::CloudTableA(), 24), 6), VAL(records(CStage1::CloudTableB(), 24), 11)});
}

class StageLayers : public testsupport::StageWorld {};

TEST_F(StageLayers, ARecordWhoseKeysShareOnePositionHoldsItsFirstKey) {
  // t0 = t1 = 100 (not the end marker): no division by zero, the first key.
  const float table[] = {100, 10, 20, 0.25f, 0.5f, 0.75f, 100, 30, 40, 1, 1, 1,
                         -1,  0,  0,  0,     0,    0,     -1,  0,  0,  0, 0, 0};
  map.t = 100.0f;
  map.currentPath = 0;
  ApplyStageFog(table, table);
  SGpState_Fog& fog = game->StageFog();
  float start = 0, end = 0;
  fog.GetRange(&start, &end);
  EXPECT_ALL({VAL(fog.GetEnable(), 1), VAL(start, 10.0f), VAL(end, 20.0f), VAL(fog.GetColour().b, 0.75f)});
}

TEST_F(StageLayers, StageOneCloudPlacesItsFortyPuffsWithOneHundredAndTwentyDraws) {
  plat::SRand(4242);
  Lcg lcg{4242};
  Cloud cloud(1);
  cloud.SetStatic(true);
  ASSERT_EQ(kernel.AddChild(2, &cloud, 0), 0);
  constexpr float kTwoPi = 6.2831855f;
  float a = 1.0f / 24.0f;
  for (int i = 0; i < 40; ++i) {
    if (i == 25) a = 1.0f / 24.0f;
    const bool wide = i < 25;
    const float r = (lcg.U() - 0.5f) * (wide ? 6000.0f : 5000.0f) + (wide ? 3000.0f : 1000.0f);
    const float z = lcg.U() * 500.0f - 1200.0f;
    const float size = lcg.U() * 700.0f + 500.0f;
    SCOPED_TRACE(i);
    EXPECT_NEAR(cloud.GetPuffPosition(i).x, r * std::cos(a * kTwoPi), 0.05f);
    EXPECT_NEAR(cloud.GetPuffPosition(i).y, r * std::sin(a * kTwoPi), 0.05f);
    EXPECT_FLOAT_EQ(cloud.GetPuffPosition(i).z, z);
    EXPECT_FLOAT_EQ(cloud.GetPuffSize(i), size);
    a -= wide ? 0.012222222f : 0.033333335f;
  }
  // Nothing else was drawn: the next number is the 121st.
  EXPECT_EQ(plat::Rand(), lcg.Next());
  cloud.Kill(0);
  Frame(2);
}

TEST_F(StageLayers, StageOneCloudStepsFadeThePuffsAndKeepThePhaseRunning) {
  Cloud cloud(1);
  cloud.SetStatic(true);
  ASSERT_EQ(kernel.AddChild(2, &cloud, 0), 0);
  SProc& p = cloud;
  map.currentPath = 0;
  map.t = 1.0f;
  p.Main(0);  // the wait starts at rail position 1: 290 frames
  EXPECT_ALL({VAL(cloud.GetStep(), 0), VAL(cloud.GetLength(), 290), VAL(cloud.GetCounter(), 0)});
  map.t = 2.0f;
  for (int i = 0; i < 290; ++i) p.Main(0);
  EXPECT_ALL({VAL(cloud.GetStep(), 1), VAL(cloud.GetLength(), 100), VAL(cloud.GetPhase(), 0.65f)});
  // Step 1 eases v from 0.65 to 5 while the puffs fade from 0.5 to 0.
  for (int i = 0; i < 50; ++i) p.Main(0);
  const float w = 1.0f - std::cos(0.5f * 1.5707964f);
  EXPECT_NEAR(cloud.GetPuffAlpha(), 0.5f - 0.5f * w, 1e-5f);
  EXPECT_NEAR(cloud.GetPhase(), 0.65f + 4.35f * w, 1e-4f);
  float before = 0.0f;
  for (int i = 0; i < 50; ++i) {
    before = cloud.GetPhase();
    p.Main(0);
  }
  // The last frame of step 1 reached 5.0; step 2 starts from the amount of
  // that frame's growth, so the phase's fraction runs on without a jump.
  EXPECT_ALL({VAL(cloud.GetStep(), 2), VAL(cloud.GetPuffAlpha(), 0.0f), VAL(cloud.GetLength(), 160),
              VAL(cloud.GetPhase(), 5.0f)});
  p.Main(0);
  const float grown = 5.0f - before;
  EXPECT_NEAR(cloud.GetPhase(), grown + 10.5f / 160.0f, 1e-4f);
  for (int i = 0; i < 159 + 80; ++i) p.Main(0);
  EXPECT_EQ(cloud.GetStep(), -1);
  EXPECT_ALL({VAL(cloud.GetWeightA(), 0.0f), VAL(cloud.GetWeightB(), 1.0f)});
  cloud.Kill(0);
  Frame(2);
}

TEST_F(StageLayers, StageOneCloudDrawsThePlanesOnlyOnPathZeroUpTo800) {
  Cloud cloud(1);
  cloud.SetStatic(true);
  ASSERT_EQ(kernel.AddChild(2, &cloud, 0), 0);
  SProc& p = cloud;
  map.currentPath = 0;
  map.t = 700.0f;
  p.Draw(0);
  // v = 0.65: a = 0.65 > b = 0.15, so plane B comes first at weight 1 and
  // plane A at 1 - b.
  EXPECT_ALL({VAL(cloud.DrewAFirst(), false), VAL(cloud.DrawnWeightB(), 1.0f)});
  EXPECT_NEAR(cloud.DrawnWeightA(), 0.85f, 1e-5f);
  map.t = 801.0f;
  p.Draw(0);
  EXPECT_ALL({VAL(cloud.DrawnWeightA(), 0.0f), VAL(cloud.DrawnWeightB(), 0.0f)});
  map.t = 700.0f;
  map.currentPath = 1;
  p.Draw(0);
  EXPECT_ALL({VAL(cloud.DrawnWeightA(), 0.0f), VAL(cloud.DrawnWeightB(), 0.0f)});
  cloud.Kill(0);
  Frame(2);
}

// Puts stage 1's rail (path 0) just short of a checkpoint key and plays on
// until the rail has passed it and the game holds its value; false when it
// never does (20 frames).
bool RideToCheckpoint(PlayWorld& w, int32_t key, int32_t value) {
  Game* g = w.G();
  if (g_MapMng.currentPath != 0) return false;
  g_MapMng.t = float(key) - 1.5f;
  for (int f = 0; f < 20 && g->checkpoint != value; ++f) {
    g->lives = 3;
    w.Step();
  }
  return g->checkpoint == value && g_MapMng.currentPath == 0 && int32_t(g_MapMng.t) >= key;
}

// Runs until the stage scene of that name has loaded and placed its rail
// (its play state); false after the limit.
bool RunToStagePlay(PlayWorld& w, const char* name, int limit) {
  for (int f = 0; f < limit; ++f) {
    const auto* scene = static_cast<StageProc*>(w.G()->FindInList(name, GAME_LIST_STAGE));
    if (scene != nullptr && scene->GetState() == SProc::STATE_RUNNING &&
        scene->GetBehaviorState() == StageProc::STATE_PLAY)
      return true;
    w.G()->lives = 3;
    w.Step();
  }
  return false;
}

// A stage entered afresh starts from its beginning, whatever checkpoint the
// play reached before: stage 1 from the title at rail 0 (not at the
// checkpoint of its number, rail 4075), then, the play past stage 1's
// checkpoint 1, stage 2 from the stage result at its own rail 0.
TEST(StageStart, AStageEnteredAfreshStartsFromItsBeginning) {
  PlayOptions o;
  o.livelyStage = true;
  o.intro = true;  // as from the title: nothing but the stage sets the checkpoint
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  EXPECT_ALL({VAL(g->checkpoint, 0), VAL(g->stage, 1), VAL(g_MapMng.currentPath, 0)});
  EXPECT_LT(g_MapMng.t, 2.0f);
  // The play reaches stage 1's checkpoint 1 (path 0, 3587) and clears the
  // stage: stage 2 starts neither at its checkpoint 1 (rail 1606) nor at
  // the checkpoint of its number (path 1, 6).
  ASSERT_TRUE(RideToCheckpoint(w, 3587, 1));
  w.stageMayEnd = true;
  g->SendEvent(Game::kEventStageClear, 0);
  for (int f = 0; f < 700 && g->GetSceneId() != SCENE_STAGE_RESULT; ++f) {
    g->lives = 3;
    w.Step();
  }
  ASSERT_EQ(g->GetSceneId(), SCENE_STAGE_RESULT);
  EXPECT_EQ(g->checkpoint, 1);
  // Presses hurry the result's rows.
  for (int f = 0; f < 600 && g->GetSceneId() != SCENE_STAGE; f += 2) {
    w.Hold(plat::CabInput::kButton1);
    w.Step();
    w.ReleaseAll();
    w.Step();
  }
  ASSERT_EQ(g->GetSceneId(), SCENE_STAGE);
  ASSERT_TRUE(RunToStagePlay(w, "Stage2", 300));
  EXPECT_ALL({VAL(g->checkpoint, 0), VAL(g->stage, 2), VAL(g_MapMng.currentPath, 0)});
  EXPECT_LT(g_MapMng.t, 2.0f);
}

// A continue restarts the stage at the checkpoint the play reached. Stage
// 1's music starts only below checkpoint 3: restarted at checkpoint 1 (rail
// 4075) it plays again; restarted at checkpoint 3 (rail 7299, the boss's
// arena) the stage goes on without it.
TEST(StageStart, AContinuePastTheMusicsLastCheckpointRestartsTheStageWithoutIt) {
  struct Case {
    int32_t key, value;
    float restart;
    bool music;
  };
  for (const Case& c : {Case{3587, 1, 4075.0f, true}, Case{7298, 3, 7299.0f, false}}) {
    SCOPED_TRACE(c.value);
    PlayOptions o;
    o.livelyStage = true;
    PlayWorld w(o);
    ASSERT_TRUE(w.Ok());
    ASSERT_GE(w.RunToControl(1000), 0);
    Game* g = w.G();
    ASSERT_TRUE(RideToCheckpoint(w, c.key, c.value));
    SRsc* music = testsupport::MusicBank();
    ASSERT_NE(music, nullptr);
    // The play ends into the continue scene: the stage goes (its music with
    // it); a credit and start buy the continue.
    g->ClearStageObjects();
    g->ChangeScene(SCENE_CONTINUE);
    for (int f = 0; f < 60 && g->GetSceneId() != SCENE_CONTINUE; ++f) w.Step();
    ASSERT_EQ(g->GetSceneId(), SCENE_CONTINUE);
    w.Step(10);
    testsupport::RearmSound(music, 0);
    w.H().Press(plat::CabInput::kService, 2);
    w.Step(2);
    w.H().Press(plat::CabInput::kStart, 1);
    for (int f = 0; f < 200 && g->GetSceneId() != SCENE_STAGE; ++f) w.Step();
    ASSERT_EQ(g->GetSceneId(), SCENE_STAGE);
    ASSERT_TRUE(RunToStagePlay(w, "Stage1", 300));
    EXPECT_ALL({VAL(g->checkpoint, c.value), VAL(g->stage, 1), VAL(g_MapMng.currentPath, 0)});
    EXPECT_GE(g_MapMng.t, c.restart);
    EXPECT_LT(g_MapMng.t, c.restart + 2.0f);
    EXPECT_EQ(testsupport::SoundPlayed(music, 0), c.music);
  }
}

// The generated data tree with one file of a stage and the stage's cache
// archive taken away (everything else linked to the real tree).
class BrokenStageData {
 public:
  BrokenStageData(int32_t stage, const char* missing) {
    namespace fs = std::filesystem;
    const fs::path root = testsupport::GeneratedDataRoot();
    const std::string stageDir = "Stg0" + std::to_string(stage);
    for (const auto& e : fs::directory_iterator(root)) {
      const std::string name = e.path().filename().string();
      if (name == stageDir || name == "Script" || name == "cache")
        fs::copy(e.path(), fs::path(dir.Path()) / name, fs::copy_options::recursive);
      else
        fs::create_directory_symlink(e.path(), fs::path(dir.Path()) / name);
    }
    fs::remove(fs::path(dir.Path()) / missing);
    archive = fs::path(dir.Path()) / "cache" / ("stage" + std::to_string(stage) + ".sca");
    fs::remove(archive);
  }
  testsupport::TempDir dir{"brokenstage"};
  testsupport::ScopedDataDir data{dir.Path()};
  std::filesystem::path archive;
};

// A stage whose camera path or script failed shows one error line and goes
// on with what loaded: it is played, never ended as if cleared.
void ExpectStageGoesOnUncleared(int32_t stage, const char* missing, const std::function<void()>& alsoCheck) {
  testsupport::ErrorBoxCatcher box;
  BrokenStageData broken(stage, missing);
  testsupport::PlayOptions o;
  o.stage = stage;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  w.stageMayEnd = true;
  w.Step(600);
  const std::string name = "Stage" + std::to_string(stage);
  auto* scene = static_cast<StageProc*>(w.G()->FindInList(name.c_str(), GAME_LIST_STAGE));
  ASSERT_NE(scene, nullptr);
  EXPECT_ALL({VAL(w.G()->GetSceneId(), SCENE_STAGE), VAL(scene->GetBehaviorState(), StageProc::STATE_PLAY),
              VAL(w.G()->stageClear, 0), VAL(box.Count("resource open error"), 1)});
  // The archive was written from the files that could be read.
  EXPECT_TRUE(std::filesystem::exists(broken.archive));
  alsoCheck();
}

TEST(StageFailure, WithoutItsCameraPathTheStageGoesOnWithTheRailStandingStill) {
  ExpectStageGoesOnUncleared(1, "Stg01/Stg01_a.cam", [] { EXPECT_EQ(g_MapMng.t, 0.0f); });
}

TEST(StageFailure, WithoutItsScriptTheStageGoesOnWithoutEnemies) {
  ExpectStageGoesOnUncleared(1, "Script/Stage01.stg", [] {
    EXPECT_GT(g_MapMng.t, 100.0f);
    EXPECT_TRUE(g_EnemySet.Finished());
    EXPECT_EQ(g_EnemyMan.CountChildren(), 0);
  });
}

// Stage 4, whose failed load once ended it after one frame into the result,
// the ending and the ranking as if it had been cleared.
TEST(StageFailure, StageFourWithoutItsCameraPathOrScriptGoesOnUncleared) {
  ExpectStageGoesOnUncleared(4, "Stg04/Stg04_a.cam", [] { EXPECT_EQ(g_MapMng.t, 0.0f); });
  ExpectStageGoesOnUncleared(4, "Script/Stage04.stg", [] {
    EXPECT_GT(g_MapMng.t, 100.0f);
    EXPECT_EQ(g_EnemyMan.CountChildren(), 0);
  });
}

}  // namespace
