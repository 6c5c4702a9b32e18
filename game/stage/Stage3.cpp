#include "game/stage/Stage3.h"

#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageRscTables.h"
#include "game/stage/StageTables.h"

namespace {

// Fog colours: white at the start, the bluish haze, a deep blue.
constexpr float kW[3] = {1.0f, 1.0f, 1.0f};
constexpr float kC[3] = {0.784314f, 0.784314f, 1.0f};
constexpr float kD[3] = {0.392157f, 0.392157f, 1.0f};

constexpr FogKey Key(float t, float start, float end, const float (&c)[3]) { return FogKey{t, start, end, c[0], c[1], c[2]}; }

// Written as records (from, to): a record may start with other values than
// the one before it ends with, and records 16 and 17 overlap (the first
// found holds from 5200 to 5297).
constexpr FogKey kFrom0[] = {
    Key(0, 4500, 10000, kW),        Key(250, 2000, 5000, kC),   Key(360, 2000, 7000, kC),
    Key(3175, 1200.33f, 7423.82f, kC), Key(3275, 1200.06f, 7423.82f, kC), Key(4000, 1000, 7530, kC),
    Key(4100, 1000, 4250, kC),      Key(4200, 1600, 5630, kC),  Key(4300, 1700, 7080, kC),
    Key(4400, 1800, 8550, kC),      Key(4500, 1800, 10120, kC), Key(4600, 1800, 11530, kC),
    Key(4700, 1800, 12530, kC),     Key(4800, 1800, 12840, kC), Key(4900, 1800, 12300, kC),
    Key(5100, 800, 12700, kC),      Key(5196, 300, 11600, kC),  Key(5200, 300, 11600, kC),
    Key(5300, 300, 12600, kC),      Key(5400, 1300, 5000, kC),  Key(5500, 2000, 5000, kD),
    Key(5600, 2000, 8000, kD),      Key(5700, 1300, 3000, kC),  Key(5746, 1300, 8000, kC),
    Key(5866, 1300, 8000, kC),      Key(5900, 1300, 8000, kC),  Key(6000, 5000, 8000, kC),
};
constexpr FogKey kTo0[] = {
    Key(250, 2000, 5000, kW),       Key(360, 2000, 7000, kC),   Key(3175, 1200.33f, 7423.82f, kC),
    Key(3275, 1200.33f, 7423.82f, kC), Key(4000, 1000, 7530, kC), Key(4100, 1000, 4250, kC),
    Key(4200, 1600, 5630, kC),      Key(4300, 1700, 7080, kC),  Key(4400, 1800, 8550, kC),
    Key(4500, 1800, 10120, kC),     Key(4600, 1800, 11530, kC), Key(4700, 1800, 12530, kC),
    Key(4800, 1800, 12840, kC),     Key(4900, 1800, 12300, kC), Key(5100, 800, 12200, kC),
    Key(5196, 300, 11600, kC),      Key(5297, 300, 11600, kC),  Key(5300, 300, 12600, kC),
    Key(5400, 1300, 5000, kC),      Key(5500, 2000, 5000, kD),  Key(5600, 2000, 8000, kD),
    Key(5700, 1300, 3000, kC),      Key(5746, 1300, 8000, kC),  Key(5866, 1300, 8000, kC),
    Key(5900, 1300, 8000, kC),      Key(6000, 5000, 8000, kC),  Key(10000, 5000, 8000, kC),
};
constexpr FogKey kFrom1[] = {
    Key(0, 1200.06f, 7423.97f, kC), Key(500, 1000, 7530, kC),   Key(600, 1000, 8530, kC),
    Key(700, 1000, 9530, kC),       Key(800, 1000, 10530, kC),  Key(900, 1000, 11530, kC),
    Key(1200, 1000, 11530, kC),     Key(2000, 1000, 11530, kC), Key(2100, 1000, 9000, kC),
    Key(2360, 2000, 2001, kD),
};
constexpr FogKey kTo1[] = {
    Key(500, 1000, 7530, kC),       Key(600, 1000, 8530, kC),   Key(700, 1000, 9530, kC),
    Key(800, 1000, 10530, kC),      Key(900, 1000, 11530, kC),  Key(1200, 1000, 11530, kC),
    Key(2000, 1000, 11530, kC),     Key(2100, 1000, 9000, kC),  Key(2360, 2000, 3001, kD),
    Key(2554, 1300, 7000, kC),
};
constexpr auto kFog0 = FogRecords(kFrom0, kTo0);
constexpr auto kFog1 = FogRecords(kFrom1, kTo1);

// Cloud puffs of CloudQuad (placed by the view, facing the camera): white
// puffs 300 units up the drift, drifting down the screen by 4 to 7 units a
// rail key. Path 0: over the open sea every 30 keys, thicker (every 15)
// where the fog closes in from 4900 to 5700, sparse past the last boss.
constexpr CloudKey kCloudKeysA[] = {
    {0, 0, 4, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 40, 0},      {400, 0, 4, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 30, 0},
    {1000, 1, 5, 300, 1.0f, 1.0f, 1.0f, 0.35f, 0, 0, 30, 0},  {1600, 1, 5, 300, 1.0f, 1.0f, 1.0f, 0.35f, 0, 0, 30, 0},
    {2200, 0, 5, 300, 1.0f, 1.0f, 1.0f, 0.35f, 0, 0, 30, 0},  {2800, -1, 5, 300, 1.0f, 1.0f, 1.0f, 0.35f, 0, 0, 30, 0},
    {3276, -1, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 30, 0},  {3800, 0, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 30, 0},
    {4300, 0, 6, 300, 0.9f, 0.9f, 1.0f, 0.3f, 0, 0, 25, 0},   {4900, 0, 6, 300, 0.9f, 0.9f, 1.0f, 0.35f, 0, 0, 15, 0},
    {5200, 1, 7, 300, 0.9f, 0.9f, 1.0f, 0.4f, 0, 0, 15, 0},   {5500, 1, 7, 300, 0.8f, 0.8f, 1.0f, 0.4f, 0, 0, 15, 0},
    {5700, 0, 6, 300, 0.9f, 0.9f, 1.0f, 0.35f, 0, 0, 25, 0},  {5900, 0, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 30, 0},
    {6400, 0, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 40, 0},   {7000, 0, 4, 300, 1.0f, 1.0f, 1.0f, 0.25f, 0, 0, 50, 0},
    {8000, 0, 4, 300, 1.0f, 1.0f, 1.0f, 0.25f, 0, 0, 60, 0},  {10000, 0, 4, 300, 1.0f, 1.0f, 1.0f, 0.2f, 0, 0, 60, 0},
};
// Path 1: eight stretches with the puffs drifting right while the rail
// swings out, thick where the veil passes (2000 to 2554).
constexpr CloudKey kCloudKeysB[] = {
    {0, 0, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 30, 0},     {300, 1, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 30, 0},
    {600, 1, 5, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 25, 0},   {900, 2, 6, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 25, 0},
    {1200, 2, 6, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 25, 0},  {1600, 1, 6, 300, 1.0f, 1.0f, 1.0f, 0.3f, 0, 0, 25, 0},
    {2000, 1, 7, 300, 0.9f, 0.9f, 1.0f, 0.35f, 0, 0, 15, 0}, {2360, 0, 7, 300, 0.8f, 0.8f, 1.0f, 0.4f, 0, 0, 15, 0},
    {2554, 0, 6, 300, 0.9f, 0.9f, 1.0f, 0.35f, 0, 0, 20, 0},
};
constexpr auto kCloudA = CloudFromKeys(kCloudKeysA);
constexpr auto kCloudB = CloudFromKeys(kCloudKeysB);
static_assert(kFog0.size() == 28 * 12 && kFog1.size() == 11 * 12);
static_assert(kCloudA.size() == 18 * 24 && kCloudB.size() == 9 * 24);

constexpr StageParams kParams{3, "Stage3", RscTableStage3, "\\cache\\stage3", 2};

}  // namespace

Stage3::Stage3() : StageProc(kParams) {}

const float* Stage3::FogPath0() { return kFog0.data(); }
const float* Stage3::FogOtherPaths() { return kFog1.data(); }

void Stage3::StartLayers() {
  StartFog(kFog0.data(), kFog1.data());
  StartClouds(CloudQuadArgs{3, kCloudA.data(), kCloudB.data(), 0x0101u, 900.0f, -50.0f});
  AddChildProcess(&cloud_, 0);
}

void Stage3::SetUpMap() {
  MapMng& m = g_MapMng;
  m.PushEventType3(0, 0, 0, 0, 0);
  m.PushEventType3(1, 0, 3278, 0, 3280);
  m.PushEventType3(2, 1, 3, 1, 210);
  m.PushEventType3(3, 0, 5998, 0, 5999);
  m.PushEventA(MapCommand::BRANCH, 0, 3276, 1, 1, 1);
  m.PushEventA(MapCommand::LOOP, 1, 2554, 0, 5729, 1);
  m.PushEventA(MapCommand::LOOP, 0, 5297, 0, 5197, 10);
  m.PushEventA(MapCommand::LOOP, 1, 1976, 1, 1893, 10);
  m.PushEventA(MapCommand::LOOP, 0, 5866, 0, 5746, 10);
  m.PushEventB(MapCommand::SHOW, 0, 1, MapCommand::kTargetAll, 0);
  m.PushEventB(MapCommand::SHOW, 0, 300, MapCommand::kTargetAll, 1);
  m.PushEventB(MapCommand::SHOW, 0, 5303, 4, 0);
  m.PushEventB(MapCommand::SHOW, 0, 5500, 4, 1);
  for (int n = 3; n <= 7; ++n) m.layers[n].drawKey = 27;
  // The first set animates its model on the second path from 85 to 300.
  m.layers[0].Spawn(1, 85, 300, 0, 0, 0.0f, 100.0f, 0.7f, 1);
}

void Stage3::PlayTriggers() {
  const int32_t key = RailKey();
  // The gun-mount boss of the arena before the branch at 3276 escapes by
  // the second path, where it climbs away from rail position 85: its escape
  // raises the section flag, and the stage then takes the branch whatever
  // side the ship is on. Its escape flight runs on that path only: left on
  // the first, the boss would hover out of reach, humming, for the rest of
  // the stage.
  if (g_MapMng.sectionFlag == 1 && OnPath0()) g_MapMng.branchLatch = 1;
  if (!OnPath0()) {
    // The one trigger of stages 1 to 4 off the main path: the route banner
    // of a play that took the second path.
    if (key == 2) g_ZGInterface.SetStageTimer();
    return;
  }
  switch (key) {
    case 148: AddStageName(3); break;
    case 280: PlayStageSe(2, 61440); break;
    case 3276: g_ZGInterface.SetStageTimer(); break;
    default: break;
  }
}
