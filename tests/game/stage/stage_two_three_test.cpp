// Stages 2 and 3 started directly and played to their ends: where their
// triggers fire, what stage 2 waves, turns and restores, stage 3's fog and
// its cloud veil; the overlapping fog records; a picture of each.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "game/core/Game.h"
#include "game/core/RangeTable.h"
#include "game/core/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/Stage2.h"
#include "game/stage/Stage3.h"
#include "support/ErrorBox.h"
#include "support/ExpectAll.h"
#include "support/ImageCompare.h"
#include "support/PlayWorld.h"
#include "support/StageWorld.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

using testsupport::PlayWorld;

struct Mark {
  int32_t path, key;
  bool operator==(const Mark&) const = default;
};

// Plays stage n from its start to its end (the ship firing in the middle,
// lives topped up), calling `each` after every frame; returns the rail
// places of the stage titles and route banners that started, in order.
std::vector<Mark> PlayStage(int32_t n, const std::function<void(Game*, StageProc*)>& each) {
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
  for (SProc* title = nullptr; f < 20000 && g->GetSceneId() == SCENE_STAGE; ++f) {
    g->lives = 3;
    w.Step();
    auto* stage = static_cast<StageProc*>(g->FindInList(n == 2 ? "Stage2" : "Stage3", GAME_LIST_STAGE));
    SProc* t = stage != nullptr ? stage->FindInList("StageName", 0) : nullptr;
    if (stage != nullptr && ((t != nullptr && t != title) || g_ZGInterface.BannerFrames() > banner + 1))
      marks.push_back(Mark{g_MapMng.currentPath, StageProc::RailKey()});
    title = t, banner = g_ZGInterface.BannerFrames();
    if (stage != nullptr) each(g, stage);
  }
  w.Step(3);  // the ended stage is disposed
  each(g, nullptr);
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE_RESULT) << f;
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
  return marks;
}

TEST(StageTwoThree, StageTwoWavesItsBannersTurnsItsSkyAndRestoresTheLights) {
  int skyFrames = 0, waveFrames = 0;
  float sky = 0.0f, scroll = 0.0f;
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
    skyFrames += t > 8520.0f;
    sky = static_cast<Stage2*>(s)->GetSkyAngle();
    waveFrames += t > 5000.0f && t < 7000.0f;
    if (auto* m = dynamic_cast<SRsc_Model_Ex*>(g_MapMng.layers[22].GetModel()))
      scroll = m->GetMaterialGroup(0)->materials[0].matrix.m[2][0];
  });
  EXPECT_EQ(marks, (std::vector<Mark>{{0, 115}, {0, 1250}}));
  EXPECT_GT(skyFrames, 500);
  EXPECT_NEAR(sky, 0.0002f * float(skyFrames), 1e-4f);
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
  });
  // The ship in the middle takes the branch: the route banner comes on the
  // second path.
  EXPECT_EQ(marks, (std::vector<Mark>{{0, 148}, {1, 2}}));
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

// One frame of stage n on the OpenGL device, the rail put at t on path 0
// and run for 45 frames, against its reference picture.
plat::Image StageFrame(int32_t n, float t) {
  testsupport::PlayOptions o;
  o.nullDevice = false;
  o.livelyStage = true;
  o.stage = n;
  PlayWorld w(o);
  g_MapMng.SetSection(0, t);
  w.Step(45);
  plat::Image img;
  EXPECT_TRUE(w.H().Screenshot(&img));
  return img;
}

TEST(StageTwoThree, PictureOfStageTwoUnderItsSkyAndOfStageThreeInItsVeil) {
  // Past 8520 stage 2's sky turns far behind the play, with no fog.
  EXPECT_TRUE(testsupport::MatchesGolden(StageFrame(2, 9000.0f), "stage2_frame.png", 8, 400));
  // At 5400 the veil is half in (alpha 0.35) under the blue haze.
  EXPECT_TRUE(testsupport::MatchesGolden(StageFrame(3, 5400.0f), "stage3_frame.png", 8, 400));
}

}  // namespace
