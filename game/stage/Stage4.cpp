#include "game/stage/Stage4.h"

#include <new>

#include "game/effect/EfxMath.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageRscTables.h"
#include "game/stage/StageTables.h"

namespace {

constexpr float kPr = 0.98f, kPg = 0.784f, kPb = 0.901f;               // pink
constexpr float kMr = 0.505882f, kMg = 0.329412f, kMb = 0.447059f;    // mauve
constexpr float kRr = 0.768627f, kRg = 0.286275f, kRb = 0.215686f;    // red
constexpr float kVr = 0.282353f, kVg = 0.176471f, kVb = 0.392157f;    // violet

constexpr FogKey kFogKeys0[] = {
    {0, 0, 70000, kPr, kPg, kPb},     {400, 0, 50000, kMr, kMg, kMb},   {900, 0, 13000, kMr, kMg, kMb},
    {2000, 0, 13000, kMr, kMg, kMb},  {2250, 0, 8000, kMr, kMg, kMb},   {2756, 0, 8000, kMr, kMg, kMb},
    {3200, 0, 8000, kRr, kRg, kRb},   {3500, 0, 3000, kRr, kRg, kRb},   {4320, 0, 3000, kRr, kRg, kRb},
    {4700, 0, 3000, kVr, kVg, kVb},   {5000, 0, 8000, kVr, kVg, kVb},   {6300, 0, 8000, kVr, kVg, kVb},
    {6400, 0, 12000, kVr, kVg, kVb},  {6900, 0, 12000, kVr, kVg, kVb},  {7000, 0, 35000, 0, 0, 0},
    {7230, 0, 15000, 0, 0, 0},        {10000, 0, 15000, 0, 0, 0},
};
constexpr FogKey kFogFrom1[] = {{0, 1200, 7423, 0.784314f, 0.784314f, 1.0f}};
constexpr FogKey kFogTo1[] = {{500, 1000, 7530, 0.784314f, 0.784314f, 1.0f}};
constexpr auto kFog0 = FogFromKeys(kFogKeys0);
constexpr auto kFog1 = FogRecords(kFogFrom1, kFogTo1);

// Cloud quads tinted like the fog they drift through: pale pink puffs at
// the start, thinner and redder in the valleys, violet and rare towards the
// dark end of the stage.
constexpr CloudKey kCloudKeys[] = {
    {0, 0, 6, 420, 1.0f, 0.85f, 0.9f, 0.3f, 0, 0, 40, 0},     {900, 0, 6, 420, 0.9f, 0.7f, 0.8f, 0.3f, 0, 0, 30, 0},
    {2000, 0, 6, 420, 0.9f, 0.7f, 0.8f, 0.25f, 0, 0, 30, 0},  {3200, 0, 7, 420, 1.0f, 0.6f, 0.5f, 0.3f, 0, 0, 30, 0},
    {4700, 0, 7, 420, 0.6f, 0.5f, 0.8f, 0.25f, 0, 0, 35, 0},  {6400, 0, 6, 420, 0.5f, 0.4f, 0.7f, 0.2f, 0, 0, 40, 0},
    {7000, 0, 6, 420, 0.3f, 0.3f, 0.4f, 0.15f, 0, 0, 60, 0},  {10000, 0, 6, 420, 0.3f, 0.3f, 0.4f, 0.1f, 0, 0, 60, 0},
};
constexpr auto kCloud = CloudFromKeys(kCloudKeys);
static_assert(kFog0.size() == 17 * 12 && kFog1.size() == 2 * 12 && kCloud.size() == 8 * 24);

constexpr StageParams kParams{4, "Stage4", RscTableStage4, "\\cache\\stage4", 3};

}  // namespace

Stage4::Stage4() : StageProc(kParams) {}

void Stage4::StartLayers() {
  StartFog(kFog0.data(), kFog1.data());
  StartClouds(CloudQuadArgs{4, kCloud.data(), nullptr, 0x0101u, 1000.0f, 90.0f});
  sky_.Set(static_cast<Stage4Sky*>(AddNewChild(new (std::nothrow) Stage4Sky())));
}

void Stage4::SetUpMap() {
  MapMng& m = g_MapMng;
  m.PushEventType3(0, 0, 0, 0, 0);
  m.PushEventType3(1, 0, 4314, 0, 4315);
  m.PushEventType3(2, 0, 7995, 0, 8000);
  m.PushEventA(MapCommand::LOOP, 0, 2756, 0, 2656, 10);
  m.PushEventA(MapCommand::LOOP, 0, 5873, 0, 5671, 7);
  m.PushEventA(MapCommand::LOOP, 0, 9658, 0, 8868, 100);
  m.PushEventB(MapCommand::SHOW, 0, 2000, MapCommand::kTargetLayers, 0);
  m.PushEventB(MapCommand::SHOW, 0, 2000, 2, 1);
  m.PushEventB(MapCommand::SHOW, 0, 2000, 6, 1);
  m.PushEventB(MapCommand::SHOW, 0, 3300, MapCommand::kTargetLayers, 1);
  m.layers[7].drawKey = 27;
}

// Only while the checkpoint value is below 2; no attract-sound rule.
void Stage4::StartMusic() { PlayMusic(2, false); }

void Stage4::PlayTriggers() {
  if (!OnPath0()) return;
  switch (RailKey()) {
    case 180: AddStageName(4); break;
    case 3200: PlayStageSe(20, 63488); break;
    default: break;
  }
}

void Stage4::PlayDraw() {
  if (g_MapMng.t < 7000.0f) return;
  // The sky round the camera once the flash has opened the view.
  SMatrix& m = SkyMatrix();
  GetSharedMatrix(&m, 1);
  SMatrix::Scale(&m, &m, 0.01f, 0.01f, 0.016666668f);
  const float* eye = g_MapMng.camera->GetPosition();
  m.m[3][0] = eye[0], m.m[3][1] = eye[1], m.m[3][2] = eye[2];
  EnterSky(35);
}
