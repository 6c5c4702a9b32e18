#include "game/stage/Stage2.h"

#include "game/core/Game.h"
#include "game/effect/EfxMath.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageRscTables.h"
#include "game/stage/StageTables.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

// Clouds placed by the view (not turned to face it): pale grey puffs 380
// units up the drift, drifting down the screen by 5 units a rail key;
// thick over the castle approach, thinning out towards the sky at the end.
constexpr CloudKey kCloudKeysA[] = {
    {0, 0, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 45, 0},     {1600, 0, 5, 380, 0.9f, 0.9f, 1.0f, 0.35f, 0, 0, 30, 0},
    {4300, 1, 5, 380, 0.85f, 0.85f, 0.95f, 0.35f, 0, 0, 25, 0}, {5000, 1, 6, 380, 0.85f, 0.85f, 0.95f, 0.3f, 0, 0, 25, 0},
    {7000, 0, 6, 380, 0.8f, 0.8f, 0.9f, 0.3f, 0, 0, 35, 0},  {7348, 0, 5, 380, 0.8f, 0.8f, 0.9f, 0.25f, 0, 0, 40, 0},
    {8520, 0, 4, 380, 0.9f, 0.85f, 0.8f, 0.2f, 0, 0, 60, 0}, {12000, 0, 4, 380, 0.9f, 0.85f, 0.8f, 0.2f, 0, 0, 60, 0},
};
// Path 1: eight stretches of 340 keys with the puffs swinging right and
// back while the rail swings out.
constexpr CloudKey kCloudKeysB[] = {
    {0, 0, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 30, 0},     {340, 1, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 25, 0},
    {680, 1, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 25, 0},   {1020, 2, 6, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 20, 0},
    {1360, 2, 6, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 20, 0},  {1700, 1, 6, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 25, 0},
    {2040, 1, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 25, 0},  {2380, 0, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 30, 0},
    {2720, 0, 5, 380, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 30, 0},
};
constexpr auto kCloudA = CloudFromKeys(kCloudKeysA);
constexpr auto kCloudB = CloudFromKeys(kCloudKeysB);
static_assert(kCloudA.size() == 8 * 24 && kCloudB.size() == 9 * 24);

constexpr StageParams kParams{2, "Stage2", RscTableStage2, "\\cache\\stage2", 1};

// Object sets: the banners that wave, and the sky's rail position.
constexpr int kBannerSets[2] = {22, 23};
constexpr float kSkyFrom = 8520.0f;
constexpr float kSkyTurnPerFrame = 0.0002f;

void WaveBanner(int set) {
  if (auto* m = dynamic_cast<SRsc_Model_Ex*>(g_MapMng.layers[set].GetModel())) m->FlagMesh(0);
}

}  // namespace

Stage2::Stage2() : StageProc(kParams) {}

void Stage2::StartLayers() {
  // No fog layer: the fog stays off for the whole stage.
  StartClouds(CloudQuadArgs{2, kCloudA.data(), kCloudB.data(), 0x0001u, 300.0f, -50.0f});
}

void Stage2::SetUpMap() {
  MapMng& m = g_MapMng;
  m.PushEventType3(0, 0, 0, 0, 0);
  m.PushEventType3(1, 0, 1604, 0, 1606);
  m.PushEventType3(2, 1, 4, 1, 6);
  m.PushEventType3(3, 0, 6600, 0, 6602);
  m.PushEventA(MapCommand::BRANCH, 0, 1601, 1, 1, 1);
  m.PushEventA(MapCommand::LOOP, 1, 2700, 0, 4301, 1);
  m.PushEventA(MapCommand::LOOP, 0, 200, 0, 158, 10);
  m.PushEventA(MapCommand::LOOP, 0, 776, 0, 674, 7);
  m.PushEventA(MapCommand::LOOP, 0, 11680, 0, 9709, 100);
  for (int n : {4, 5}) m.layers[n].drawKey = 33;
  for (int n : {22, 23}) m.layers[n].drawKey = 27;
  // The tunnel goes for the open stretch before the castle and comes back
  // twice; the scenery of the first half goes with it.
  m.PushEventB(MapCommand::SHOW, 0, 7050, MapCommand::kTargetTunnel, 0);
  m.PushEventB(MapCommand::SHOW, 0, 8299, MapCommand::kTargetTunnel, 1);
  m.PushEventB(MapCommand::SHOW, 0, 8601, MapCommand::kTargetTunnel, 1);
  m.PushEventB(MapCommand::SHOW, 0, 9300, MapCommand::kTargetTunnel, 0);
  for (int n : {0, 1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 21, 22, 23})
    m.PushEventB(MapCommand::SHOW, 0, 7050, n, 0);
}

void Stage2::PlayEnter() { skyAngle_ = 0.0f; }

void Stage2::PlayTriggers() {
  if (OnPath0()) {
    switch (RailKey()) {
      case 115: AddStageName(2); break;
      case 1250: g_ZGInterface.SetStageTimer(); break;
      default: break;
    }
  }
  const float t = g_MapMng.t;
  if (t > 5000.0f && t < 7000.0f)
    for (int set : kBannerSets) WaveBanner(set);
  if (t > kSkyFrom) skyAngle_ += kSkyTurnPerFrame;
}

void Stage2::PlayDraw() {
  if (g_MapMng.t <= kSkyFrom) return;
  // The sky stands far behind the play: stretched upward, stood up by a
  // quarter turn about x and turned about its own axis by the sky angle.
  SMatrix& m = SkyMatrix();
  GetSharedMatrix(&m, 1);
  SMatrix::Scale(&m, &m, 1.0f, 1.3f, 1.0f);
  MatrixRotateYXZ(&m, &m, 0.0f, skyAngle_, 0.0f);
  MatrixRotateX(&m, 0.25f);
  m.m[3][0] = 0.0f, m.m[3][1] = 250.0f, m.m[3][2] = 17000.0f;
  EnterSky(28);
}

int32_t Stage2::OnDispose(SProcArg arg) {
  StageProc::OnDispose(arg);
  // The last boss's storm darkens the stage lights: back to the game's
  // start values (the stage layers' light with full ambient, the play
  // layers' light with half ambient).
  if (Game* game = GetGame()) {
    game->LightA().SetEnable(1);
    game->LightA().SetColour(0, 1.0f, 1.0f, 1.0f);
    game->Ambient10().Set(1.0f, 1.0f, 1.0f);
    game->LightD().SetEnable(1);
    game->Ambient05().Set(0.5f, 0.5f, 0.5f);
  }
  return 0;
}
