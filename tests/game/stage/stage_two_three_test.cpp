// Stages 2 and 3 started directly and played to their ends: where their
// triggers fire, what stage 2 waves, turns and restores, stage 3's fog and
// its cloud veil; the overlapping fog records; a picture of each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/core/SystemFile.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss08/EnemyType8.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/RangeTable.h"
#include "game/stage/Stage2.h"
#include "game/stage/Stage3.h"
#include "game/stage/StageName.h"
#include "game/tables/effect_tables.h"
#include "game/tables/font_tables.h"
#include "support/EffectWatch.h"
#include "support/ErrorBox.h"
#include "support/ExpectAll.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"
#include "support/StageWorld.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

using testsupport::PlayWorld;

struct Mark {
  int32_t path, key;
  bool operator==(const Mark&) const = default;
};

// The stage whose title a title process shows: its rows are cells (stage -
// 1) x 23 + 1 to (stage - 1) x 23 + 23 of the stage-title sprite grid; 0
// before its first frame has laid them.
int32_t TitleStage(StageName& title) {
  auto& batch = const_cast<SGpSpriteBatch&>(title.GetBatch());  // its list has no const reader
  const auto* row = static_cast<const SGpSpriteCell*>(batch.GetList()->HeadObj());
  for (int32_t stage = 1; stage <= 5 && row != nullptr; ++stage) {
    SGpUV uv[4];
    SprStgNameDesc.GetCellUV((stage - 1) * 23 + 1, uv);
    if (row->part->uTL == uv[0].u && row->part->vTL == uv[0].v) return stage;
  }
  return 0;
}

// Plays stage n from its start to its end (the ship firing in the middle,
// lives topped up), calling `each` after every frame; returns the rail
// places of the stage titles and route banners that started, in order, and
// the stages the titles named. The effects never run out of room.
std::vector<Mark> PlayStage(int32_t n, const std::function<void(Game*, StageProc*)>& each,
                            std::vector<int32_t>* titles = nullptr) {
  testsupport::ErrorBoxCatcher box;
  testsupport::PlayOptions o;
  o.livelyStage = true;
  o.stage = n;
  PlayWorld w(o);
  std::vector<Mark> marks;
  Game* g = w.G();
  w.stageMayEnd = true;
  w.Hold(plat::CabInput::kButton1);
  int banner = 0, f = 0;
  testsupport::EffectWatch effects;
  for (SProc* title = nullptr; f < 20000 && g->GetSceneId() == SCENE_STAGE; ++f) {
    g->lives = 3;
    w.Step();
    effects.Frame();
    auto* stage = static_cast<StageProc*>(g->FindInList(n == 2 ? "Stage2" : "Stage3", GAME_LIST_STAGE));
    SProc* t = stage != nullptr ? stage->FindInList("StageName", 0) : nullptr;
    if (stage != nullptr && ((t != nullptr && t != title) || g_ZGInterface.BannerFrames() > banner + 1))
      marks.push_back(Mark{g_MapMng.currentPath, StageProc::RailKey()});
    title = t, banner = g_ZGInterface.BannerFrames();
    if (auto* name = dynamic_cast<StageName*>(t); name != nullptr && name->GetFrame() == 1 && titles != nullptr)
      titles->push_back(TitleStage(*name));
    if (stage != nullptr) each(g, stage);
  }
  w.Step(3);  // the ended stage is disposed
  each(g, nullptr);
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE_RESULT) << f;
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
  effects.ExpectRoomAndNoStuckSprites("stage " + std::to_string(n) + " shot at");
  return marks;
}

TEST(StageTwoThree, StageTwoWavesItsBannersTurnsItsSkyAndRestoresTheLights) {
  int waveFrames = 0;
  float scroll = 0.0f;
  std::vector<int32_t> titles;
  const std::vector<Mark> marks = PlayStage(2, [&](Game* g, StageProc* s) {
    if (s == nullptr) {
      // The stage's end brings back the lights its storm darkened.
      EXPECT_ALL({VAL(g->LightA().GetEnable(), 1u), VAL(g->LightA().GetColour(0).g, 1.0f),
                  VAL(g->Ambient10().Get().b, 1.0f), VAL(g->LightD().GetEnable(), 1u),
                  VAL(g->Ambient05().Get().r, 0.5f)});
      return;
    }
    // No fog in stage 2; the storm's darkness stands in for the boss's.
    EXPECT_EQ(g->StageFog().GetEnable(), 0);
    g->LightA().SetColour(0, 0.4f, 0.4f, 0.4f), g->LightD().SetEnable(0), g->Ambient05().Set(0, 0, 0);
    const float t = g_MapMng.t;
    waveFrames += t > 5000.0f && t < 7000.0f;
    if (auto* m = dynamic_cast<SRsc_Model_Ex*>(g_MapMng.layers[22].GetModel()))
      scroll = m->GetMaterialGroup(0)->materials[0].matrix.m[2][0];
  }, &titles);
  // The title at 115 names stage 2; the route banner comes at 1250.
  EXPECT_EQ(marks, (std::vector<Mark>{{0, 115}, {0, 1250}}));
  EXPECT_EQ(titles, std::vector<int32_t>{2});
  // The banner cloth moved 1/50 on each frame it waved, and no further.
  EXPECT_GT(waveFrames, 1000);
  EXPECT_NEAR(scroll, 0.02f * float(waveFrames), 0.05f);
}

TEST(StageTwoThree, StageThreeTakesTheSecondPathUnderItsFogAndCloudVeil) {
  struct Fog {
    int32_t path;
    float t, start, end, red;
  };
  // Worked from the tables: 100 is 0.4 into record 0 (white); 3275 ends
  // record 3 (the first found, not record 4's 1200.06); on path 1, 2360
  // ends record 8 (2000-3001) and 2450 is 90/194 into record 9.
  const float k = 90.0f / 194.0f;
  const float c = 0.784314f, d = 0.392157f;
  const Fog fogs[] = {{0, 100, 3500, 8000, 1.0f},
                      {0, 3275, 1200.33f, 7423.82f, c},
                      {1, 2360, 2000, 3001, d},
                      {1, 2450, 2000 - 700 * k, 2001 + 4999 * k, d + (c - d) * k}};
  std::vector<Fog> seen;
  std::vector<int32_t> steps;  // the cloud planes' step at 150, 330 and 380
  float veil[2][2] = {{1e9f, -1e9f}, {1e9f, -1e9f}};  // first and last t with the veil, by path
  std::vector<int32_t> titles;
  const std::vector<Mark> marks = PlayStage(3, [&](Game* g, StageProc* s) {
    if (s == nullptr) return;
    const float t = g_MapMng.t;
    const int32_t p = g_MapMng.currentPath;
    float start = 0, end = 0;
    g->StageFog().GetRange(&start, &end);
    for (const Fog& f : fogs)
      if (f.path == p && f.t == t) seen.push_back(Fog{p, t, start, end, g->StageFog().GetColour().r});
    const Cloud& cloud = static_cast<Stage3*>(s)->CloudLayer();
    if (p == 0 && (t == 150.0f || t == 330.0f || t == 380.0f)) steps.push_back(cloud.GetStep());
    if (cloud.VeilShown()) veil[p][0] = std::min(veil[p][0], t), veil[p][1] = std::max(veil[p][1], t);
  }, &titles);
  // The ship in the middle takes the branch: the route banner comes on the
  // second path.
  EXPECT_EQ(marks, (std::vector<Mark>{{0, 148}, {1, 2}}));
  EXPECT_EQ(titles, std::vector<int32_t>{3});
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(seen[i].start, fogs[i].start, 0.01f) << i;
    EXPECT_NEAR(seen[i].end, fogs[i].end, 0.01f) << i;
    EXPECT_NEAR(seen[i].red, fogs[i].red, 1e-5f) << i;
  }
  EXPECT_EQ(steps, (std::vector<int32_t>{1, 2, 3}));
  // The veil on path 1 from 2000 until the jump back at 2554, then on path
  // 0 from the landing at 5729 to 5745.
  EXPECT_ALL({VAL(veil[1][0], 2000.0f), VAL(veil[1][1], 2553.0f), VAL(veil[0][0], 5729.0f), VAL(veil[0][1], 5745.0f)});
}

// The stage sound effects: stage 1 effect 2 at rail key 230 and stage 3
// effect 2 at 280, at level 61440; stage 4 effect 20 at 3200, at 63488. Each
// comes on the frame the rail's whole position reaches its key on path 0,
// and stages 1 and 3 play nothing there off path 0. With the effect volume
// at 100 the level is the factor itself: 61440 x 10000 / 65536 - 10000 =
// -625 and 63488 x 10000 / 65536 - 10000 = -313 (cut) hundredths of a dB.
TEST(StageTwoThree, StageSoundEffectsAtTheirRailKeys) {
  struct Case {
    int32_t stage, key, effect, volume;
  };
  for (const Case& c : {Case{1, 230, 2, -625}, Case{3, 280, 2, -625}, Case{4, 3200, 20, -313}}) {
    SCOPED_TRACE(c.stage);
    testsupport::PlayOptions o;
    o.stage = c.stage;
    o.livelyStage = true;
    PlayWorld w(o);
    ASSERT_GE(w.RunToControl(1000), 0);
    w.G()->settings[SettingsWord::effectVolume] = 100;
    SRsc* se = testsupport::EffectBank();
    ASSERT_NE(se, nullptr);
    auto rail = [](float t, int32_t path) {
      g_MapMng.SetHoldState(2);
      g_MapMng.SetSpeed(0.5f);
      g_MapMng.currentPath = path;
      g_MapMng.t = t;
    };
    testsupport::MarkSound(se, c.effect);
    if (c.stage != 4) {
      rail(float(c.key) - 1.0f, 1);
      w.Step(4);
      EXPECT_FALSE(testsupport::SoundPlayed(se, c.effect));
    }
    // Nothing while the whole position is below the key; the frame at the
    // key plays it.
    rail(float(c.key) - 1.5f, 0);
    for (int f = 0; f < 8 && StageProc::RailKey() < c.key; ++f) {
      EXPECT_FALSE(testsupport::SoundPlayed(se, c.effect)) << StageProc::RailKey();
      w.Step();
    }
    ASSERT_EQ(StageProc::RailKey(), c.key);
    EXPECT_TRUE(testsupport::SoundPlayed(se, c.effect));
    EXPECT_EQ(testsupport::SoundVolume(se, c.effect), c.volume);
  }
}

class StageThreeFog : public testsupport::StageWorld {};

TEST_F(StageThreeFog, OverlappingRecordsTakeTheFirstFound) {
  // 5196-5297 holds 300-11600; the record 5200-5300 would give 300-12100.
  map.currentPath = 0;
  for (float t : {5250.0f, 5299.0f}) {
    map.t = t;
    ApplyStageFog(Stage3::FogPath0(), Stage3::FogOtherPaths());
    float start = 0, end = 0;
    game->StageFog().GetRange(&start, &end);
    EXPECT_EQ(end, t == 5250.0f ? 11600.0f : 11600.0f + 1000.0f * 0.99f) << t;
  }
}

// Stage n started in the whole program with the enemy timeline stopped and
// the rail put at t on path 0.
std::unique_ptr<PlayWorld> StageAt(int32_t n, float t, bool picture = false) {
  testsupport::PlayOptions o;
  o.nullDevice = !picture;
  o.livelyStage = true;
  o.stage = n;
  auto w = std::make_unique<PlayWorld>(o);
  g_EnemySet.Reset();
  g_MapMng.SetSection(0, t);
  return w;
}

// Where the camera stands at key k of path 0 (the stage's loaded path).
const CamKey* PathKey(int32_t k) { return g_MapMng.GetPath(0)->GetKey(k); }

// Stage n put at t on the OpenGL device and run for 45 frames, compared with
// its reference picture; the world, for what the picture shows.
std::unique_ptr<PlayWorld> PictureAt(int32_t n, float t, const char* golden) {
  auto w = StageAt(n, t, true);
  w->Step(45);
  plat::Image img;
  EXPECT_TRUE(w->H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, golden, 8, 400));
  return w;
}

TEST(StageTwoThree, PictureOfStageTwoUnderItsSkyAndOfStageThreeInItsVeil) {
  {
    // Put at 9000 and run 45 frames: the rail at 9045 on path 0; no fog in
    // stage 2; the sky turned 0.0002 turns on each of the 45 frames, all
    // past 8520; nothing spawned.
    auto w = PictureAt(2, 9000.0f, "stage2_frame.png");
    auto* s = dynamic_cast<Stage2*>(w->G()->FindInList("Stage2", GAME_LIST_STAGE));
    ASSERT_NE(s, nullptr);
    const float* eye = g_MapMng.camera->GetPosition();
    EXPECT_ALL({VAL(g_MapMng.t, 9045.0f), VAL(g_MapMng.currentPath, 0), VAL(eye[2], PathKey(9045)->z),
                VAL(w->G()->StageFog().GetEnable(), 0), VAL(g_EnemyMan.CountChildren(), 0)});
    EXPECT_NEAR(s->GetSkyAngle(), 45 * 0.0002f, 1e-6f);
  }
  {
    // Put at 5400 and run 45 frames: 5445 on path 0. The veil is in at
    // alpha 0.7 k, k = (5445 - 5300) x 0.005 = 0.725, drifting at 60 + 40
    // cos(0.725 pi) = 34.022 a frame; the fog 0.45 of the way through record
    // 19 (5400: 1300-5000 colour C to 5500: 2000-5000 colour D): 1615-5000,
    // red 0.784314 - 0.45 x 0.392157.
    auto w = PictureAt(3, 5400.0f, "stage3_frame.png");
    auto* s = dynamic_cast<Stage3*>(w->G()->FindInList("Stage3", GAME_LIST_STAGE));
    ASSERT_NE(s, nullptr);
    const Cloud& cloud = s->CloudLayer();
    float start = 0, end = 0;
    w->G()->StageFog().GetRange(&start, &end);
    EXPECT_ALL({VAL(g_MapMng.t, 5445.0f), VAL(g_MapMng.currentPath, 0), VAL(cloud.VeilShown(), true),
                VAL(w->G()->StageFog().GetEnable(), 1), VAL(g_EnemyMan.CountChildren(), 0)});
    EXPECT_NEAR(cloud.GetVeilAlpha(), 0.7f * 0.725f, 1e-4f);
    EXPECT_NEAR(cloud.GetVeilSpeedY(), 34.0221f, 1e-3f);
    EXPECT_NEAR(start, 1615.0f, 0.01f);
    EXPECT_NEAR(end, 5000.0f, 0.01f);
    EXPECT_NEAR(w->G()->StageFog().GetColour().r, 0.784314f - 0.45f * 0.392157f, 1e-5f);
  }
}

// The veil at 5445 on path 0 (horizontal screen: the screen matrix is the
// flip of y and z). Its layer's world matrix is that matrix followed by a
// move to z -1300: rows (1, 0, 0), (0, -1, 0), (0, 0, -1), (0, 0, -1300).
// Its view is its own state packet: a turn of -0.05 about X (c = cos 0.1 pi
// = 0.9510565, s = sin(-0.1 pi) = -0.3090170: row 1 (0, c, s), row 2 (0,
// -s, c)) with translation (0, 0, -200). At key 24 it enters that packet,
// the blend preset 1, the cloud texture and the layer, in this order.
TEST(StageTwoThree, StageThreeDrawsItsVeilThroughTheScreenMatrixAndItsOwnView) {
  auto w = StageAt(3, 5400.0f);
  w->Step(45);
  auto* s = dynamic_cast<Stage3*>(w->G()->FindInList("Stage3", GAME_LIST_STAGE));
  ASSERT_NE(s, nullptr);
  const Cloud& cloud = s->CloudLayer();
  ASSERT_TRUE(cloud.VeilShown());
  const SMatrix& world = cloud.VeilLayer().world;
  const float wantWorld[4][4] = {{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, -1300, 1}};
  const SMatrix& view = cloud.VeilView().GetMatrix();
  const float c = 0.9510565f, sn = -0.3090170f;
  const float wantView[4][4] = {{1, 0, 0, 0}, {0, c, sn, 0}, {0, -sn, c, 0}, {0, 0, -200, 1}};
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(world.m[r][k], wantWorld[r][k], 1e-5f) << r << k;
      EXPECT_NEAR(view.m[r][k], wantView[r][k], 1e-5f) << r << k;
    }
  std::vector<SGpObj*> drawn;
  for (auto& [key, p] : GetGpMan()->GetQueue()->Entries())
    if (key == 24) drawn.push_back(p);  // the veil draws at key 24
  const auto at = std::find(drawn.begin(), drawn.end(), static_cast<const SGpObj*>(&cloud.VeilView()));
  ASSERT_NE(at, drawn.end());
  ASSERT_NE(SprEfx11[0].GetTexture(), nullptr);
  const std::vector<SGpObj*> want = {const_cast<SGpState_View*>(&cloud.VeilView()), &BlendPresets[1],
                                     SprEfx11[0].GetTexture(), const_cast<ScrollLayer*>(&cloud.VeilLayer())};
  EXPECT_EQ(std::vector<SGpObj*>(at, std::min(at + 4, drawn.end())), want);
}

TEST(StageTwoThree, StageTwoTurnsItsSkyOnlyPastRailPosition8520) {
  // From 8500 the rail reaches 8500 + n on frame n; the sky turns by 0.0002
  // on each frame whose rail position is above 8520: none up to 8520, then
  // 1 at 8521, 80 at 8600 and 180 at 8700.
  auto w = StageAt(2, 8500.0f);
  auto* s = dynamic_cast<Stage2*>(w->G()->FindInList("Stage2", GAME_LIST_STAGE));
  ASSERT_NE(s, nullptr);
  std::vector<std::pair<float, float>> angles;
  for (int f = 0; f < 200; ++f) {
    w->Step();
    const float t = g_MapMng.t;
    if (t == 8520.0f || t == 8521.0f || t == 8600.0f || t == 8700.0f) angles.emplace_back(t, s->GetSkyAngle());
  }
  ASSERT_EQ(angles.size(), 4u);
  const float want[4] = {0.0f, 0.0002f, 0.016f, 0.036f};
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(angles[i].second, want[i], 1e-5f) << angles[i].first;
}

TEST(StageTwoThree, AnExplosionsBlastDiscsDoNotWhiteOutThePlay) {
  // The defeat blast of stage 2's second boss (an explosion sequence of
  // kind 4), where the play turned white for seconds. Its blast comes at
  // age 170 with a disc of radius 64 to 1024 for 120 frames and a flat one
  // for 180; the screen flashes towards white from blast + 10 (level 2.0 at
  // blast + 20) and is clear again at blast + 110 (85 frames from blast +
  // 25). The discs glow about the blast: from blast + 40 on, less than a
  // third of the play area is near white.
  auto w = StageAt(2, 8600.0f, true);
  w->Step(30);
  const SVec4 at{0.0f, -100.0f, 0.0f, 1.0f};
  ASSERT_NE(g_EfxMan.SpawnRandom(4, &at, 1.0f, static_cast<SProc*>(nullptr)), nullptr);
  std::vector<std::pair<int, int>> white;
  std::vector<int> discs;
  plat::Image img;
  for (int age = 1; age <= 360; ++age) {
    w->Step();
    if (age == 190) {
      EXPECT_FLOAT_EQ(w->G()->GetFadeLevel(), 2.0f);
    }
    if (age == 280) {
      EXPECT_FLOAT_EQ(w->G()->GetFadeLevel(), 1.0f);
    }
    if (age == 200 || age == 300 || age == 360) discs.push_back(g_EfxMan.LiveCount(5));
    if (age < 210 || age > 340 || age % 10 != 0) continue;
    ASSERT_TRUE(w->H().Screenshot(&img));
    const auto nearWhite = [](uint32_t r, uint32_t g, uint32_t b) { return r > 220 && g > 220 && b > 220; };
    const int n = testsupport::CountPlayPixels(img, -240.0f, -320.0f, 240.0f, 320.0f, nearWhite);
    if (n > 360 * 480 / 3) white.emplace_back(age, n);
  }
  EXPECT_EQ(discs, (std::vector<int>{2, 1, 0}));
  EXPECT_TRUE(white.empty()) << "age " << white.front().first << ": " << white.front().second << " white pixels";
}

TEST(StageTwoThree, StageThreeTakesItsEscapePathWhenTheGunMountBossEscapes) {
  // The ship kept at the right edge (and out of harm's way), where the
  // branch after the arena (3276) would keep the rail on path 0. Once the
  // gun-mount boss is over its time it escapes; the stage then takes the
  // branch onto path 1, where the boss climbs away from rail position 85
  // and ends at 250, uncounted. The ship never fires: the stage goes on to
  // its end with every enemy and boss left alone, and the effects never run
  // out of room.
  testsupport::PlayOptions o;
  o.stage = 3;
  o.livelyStage = true;
  PlayWorld w(o);
  w.stageMayEnd = true;
  testsupport::EffectWatch effects;
  ASSERT_GE(w.RunToControl(), 0);
  w.Hold(plat::CabInput::kRight);
  auto step = [&] {
    g_Player.invulnerability = 1000;
    const int n = w.Step();
    effects.Frame();
    return n;
  };
  EnemyType8* boss = nullptr;
  for (int f = 0; f < 3000 && boss == nullptr; ++f, step())
    boss = dynamic_cast<EnemyType8*>(g_EnemyMan.FindFirst("Boss06"));
  ASSERT_NE(boss, nullptr);
  boss->chainFrameLimit = 0;
  SHandle<EnemyType8> h(boss);
  for (int f = 0; f < 1500 && h.Get() != nullptr && boss->Script().GetState() != EnemyType8Behavior::ESCAPE; ++f)
    step();
  ASSERT_EQ(boss->Script().GetState(), EnemyType8Behavior::ESCAPE);
  EXPECT_EQ(g_MapMng.currentPath, 0);
  EXPECT_GT(PlayerPos.x, 0.0f);
  const int32_t defeats = StageDefeatCount;
  for (int f = 0; f < 1500 && g_MapMng.currentPath == 0; ++f) step();
  ASSERT_EQ(g_MapMng.currentPath, 1);
  EXPECT_EQ(StageProc::RailKey(), 1);  // the branch lands on key 1
  const float y = boss->GetPosition()[1];
  while (StageProc::RailKey() < 85) step();
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(boss->GetPosition()[1], y);  // nothing moves before 85
  while (StageProc::RailKey() < 249 && h.Get() != nullptr) step();
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_GT(boss->GetPosition()[1], y);  // climbing away
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(h.Get(), nullptr);
  EXPECT_EQ(StageDefeatCount, defeats);
  for (int f = 0; f < 20000 && w.G()->GetSceneId() == SCENE_STAGE; ++f) step();
  EXPECT_EQ(w.G()->GetSceneId(), SCENE_STAGE_RESULT);
  std::printf("stage 3 left alone: %d frames, at most %d effect sprites\n", effects.Frames(), effects.Peak(1));
  effects.ExpectRoomAndNoStuckSprites("stage 3 left alone");
}

}  // namespace
