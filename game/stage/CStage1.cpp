#include "game/stage/CStage1.h"

#include "game/core/Game.h"
#include "game/effect/EfxMath.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageRscTables.h"
#include "game/stage/StageTables.h"

namespace {

constexpr float kOr = 0.913725f, kOg = 0.372549f, kOb = 0.192157f;

constexpr FogKey kFogKeys0[] = {
    {1, 0, 7200, 0, 0, 0},          {290, 0, 7200, 0, 0, 0},        {530, 0, 20000, kOr, kOg, kOb},
    {950, 0, 20000, kOr, kOg, kOb}, {1500, 0, 20000, kOr, kOg, kOb}, {1600, 0, 18000, kOr, kOg, kOb},
    {2600, 0, 18000, kOr, kOg, kOb}, {3580, 0, 20000, kOr, kOg, kOb}, {3700, 2000, 35000, kOr, kOg, kOb},
    {4000, 0, 18000, kOr, kOg, kOb}, {6600, 0, 18000, kOr, kOg, kOb}, {6700, 0, 25000, kOr, kOg, kOb},
    {6768, 0, 18000, kOr, kOg, kOb}, {6940, 0, 22000, kOr, kOg, kOb}, {7250, 0, 16000, kOr, kOg, kOb},
    {8250, 0, 16000, kOr, kOg, kOb}, {8317, 0, 20000, kOr, kOg, kOb}, {8400, 0, 18500, kOr, kOg, kOb},
    {90000, 0, 18500, kOr, kOg, kOb},
};
constexpr FogKey kFogKeys1[] = {
    {0, 0, 20000, kOr, kOg, kOb},    {105, 0, 30000, kOr, kOg, kOb},  {150, 0, 25000, kOr, kOg, kOb},
    {350, 0, 16000, kOr, kOg, kOb},  {1600, 0, 12000, kOr, kOg, kOb}, {3200, 0, 12000, kOr, kOg, kOb},
    {3400, 0, 25000, kOr, kOg, kOb}, {3549, 0, 18213.6f, kOr, kOg, kOb},
};
constexpr auto kFog0 = FogFromKeys(kFogKeys0);
constexpr auto kFog1 = FogFromKeys(kFogKeys1);

// Cloud puffs of CloudQuad (placed by the view, facing the camera): warm
// white puffs 420 units up the drift, drifting down the screen by 6 units a
// rail key; they come every 20 to 60 keys, thinning out towards the boss.
constexpr CloudKey kCloudKeysA[] = {
    {0, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.30f, 0, 0, 40, 0},    {800, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.35f, 0, 0, 25, 0},
    {2000, 1, 6, 420, 1.0f, 0.9f, 0.8f, 0.35f, 0, 0, 20, 0}, {3585, 1, 7, 420, 1.0f, 0.85f, 0.75f, 0.3f, 0, 0, 30, 0},
    {5000, 0, 7, 420, 1.0f, 0.85f, 0.75f, 0.3f, 0, 0, 25, 0}, {7300, 0, 6, 420, 1.0f, 0.8f, 0.7f, 0.25f, 0, 0, 40, 0},
    {9000, 0, 6, 420, 1.0f, 0.8f, 0.7f, 0.2f, 0, 0, 60, 0},
};
// Path 1: eleven stretches of 323 keys each with the puffs drifting a
// little to the left while the rail swings out.
constexpr CloudKey kCloudKeysB[] = {
    {0, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 30, 0},     {323, -1, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 25, 0},
    {646, -1, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 25, 0},  {969, -2, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 20, 0},
    {1292, -2, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 20, 0}, {1615, -2, 7, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 20, 0},
    {1938, -1, 7, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 25, 0}, {2261, -1, 7, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 25, 0},
    {2584, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 30, 0},  {2907, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.3f, 0, 0, 30, 0},
    {3230, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.25f, 0, 0, 35, 0}, {3550, 0, 6, 420, 1.0f, 0.9f, 0.8f, 0.25f, 0, 0, 40, 0},
};
constexpr auto kCloudA = CloudFromKeys(kCloudKeysA);
constexpr auto kCloudB = CloudFromKeys(kCloudKeysB);
static_assert(kFog0.size() == 19 * 12 && kFog1.size() == 8 * 12);
static_assert(kCloudA.size() == 7 * 24 && kCloudB.size() == 12 * 24);

constexpr StageParams kParams{1, "Stage1", RscTableStage1, "\\cache\\stage1", 0};

}  // namespace

CStage1::CStage1() : StageProc(kParams) {}

const float* CStage1::FogPath0() { return kFog0.data(); }
const float* CStage1::FogOtherPaths() { return kFog1.data(); }
const float* CStage1::CloudTableA() { return kCloudA.data(); }
const float* CStage1::CloudTableB() { return kCloudB.data(); }

void CStage1::StartLayers() {
  StartFog(kFog0.data(), kFog1.data());
  StartClouds(CloudQuadArgs{1, kCloudA.data(), kCloudB.data(), 0x0101u, 300.0f, -70.0f});
  AddChildProcess(&cloud_, 0);
}

void CStage1::SetUpMap() {
  MapMng& m = g_MapMng;
  m.PushEventType3(0, 0, 0, 0, 0);
  m.PushEventType3(1, 0, 3587, 0, 4075);
  m.PushEventType3(2, 1, 2, 1, 609);
  m.PushEventType3(3, 0, 7298, 0, 7299);
  m.PushEventA(MapCommand::BRANCH, 0, 3585, 1, 0, 1);
  m.PushEventA(MapCommand::LOOP, 1, 3550, 0, 7136, 1);
  m.PushEventA(MapCommand::LOOP, 0, 5849, 0, 5680, 5);
  m.PushEventA(MapCommand::LOOP, 1, 2016, 1, 1616, 4);
  m.PushEventB(MapCommand::SHOW, 0, 1, MapCommand::kTargetAll, 0);
  m.PushEventB(MapCommand::SHOW, 0, 500, MapCommand::kTargetAll, 1);
  for (int n : {0, 2, 3, 4, 5, 6, 7}) m.layers[n].drawKey = 27;
}

void CStage1::PlayTriggers() {
  if (!OnPath0()) return;
  switch (RailKey()) {
    case 1: g_Player.OnEvent(2); break;
    case 230: PlayStageSe(2, 61440); break;
    case 420: AddStageName(1); break;
    case 3200: g_ZGInterface.SetStageTimer(); break;
    default: break;
  }
}

void CStage1::PlayDraw() {
  if (g_MapMng.t > 320.0f) return;
  // The sky round the camera, 550 units ahead.
  SMatrix& m = SkyMatrix();
  GetSharedMatrix(&m, 1);
  SMatrix::Scale(&m, &m, 3.0f, 2.0f, 3.0f);
  const float* eye = g_MapMng.camera->GetPosition();
  m.m[3][0] = eye[0], m.m[3][1] = eye[1], m.m[3][2] = eye[2] - 550.0f;
  EnterSky(35);
}
