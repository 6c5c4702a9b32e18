#include "game/stage/Stage5.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "game/core/Game.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageRscTables.h"
#include "game/stage/StageTables.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kBr = 0.50980395f, kBg = 0.43137255f, kBb = 0.35294119f;  // 130, 110, 90
constexpr float kSky = 0.78431374f;                                      // 200

constexpr FogKey kFogFrom0[] = {{0, 0, 14000, kBr, kBg, kBb}, {4100, 0, 14000, kBr, kBg, kBb}};
constexpr FogKey kFogTo0[] = {{4100, 0, 14000, kBr, kBg, kBb}, {4350, 0, 50000, 0, 0, 0}};
constexpr FogKey kFogFrom1[] = {{0, 1200, 7423, kSky, kSky, 1.0f}};
constexpr FogKey kFogTo1[] = {{3500, 1000, 7530, kSky, kSky, 1.0f}};
constexpr auto kFog0 = FogRecords(kFogFrom0, kFogTo0);
constexpr auto kFog1 = FogRecords(kFogFrom1, kFogTo1);

constexpr StageParams kParams{5, "Stage5", RscTableStage5, "\\cache\\stage5", Stage5::kMusicEntry, false};

// Object slots of the hall.
enum : int32_t { kDome0 = 1, kDome1 = 2, kDome2 = 3, kSkySlot = 4, kSide = 5 };

}  // namespace

Stage5::Stage5() : StageProc(kParams) {}

void Stage5::StartLayers() {
  StartFog(kFog0.data(), kFog1.data());
  rocks_.Set(static_cast<Stage5Rock*>(AddNewChild(new (std::nothrow) Stage5Rock())));
}

void Stage5::SetUpMap() { g_MapMng.PushEventType3(0, 0, 0, 0, 0); }

void Stage5::FinishLoading() {
  if (Game* game = GetGame()) {
    SGpState_Fog& fog = game->StageFog();
    fog.SetEnable(0);
    fog.SetRange(3000.0f, 6000.0f);
    fog.SetColour(0.3f, 0.3f, 0.3f);
    // No checkpoint or attract rule: only the sound-off flag.
    game->PlayMusic(kMusicEntry);
  }
  behavior_.ChangeState(STATE_PLAY);
}

float Stage5::MusicFade(int32_t k) {
  const float v = static_cast<float>(5300 - k) * (1.0f / 120.0f);
  return v <= 0.0f ? 0.0f : v;
}

float Stage5::ShakeX(int32_t k) {
  if (k < 4400) return 0.0f;
  float a = 200.0f * std::min(static_cast<float>(k - 4400) * 0.005f, 1.0f);
  // Jolts of height h that die away over their windows.
  static constexpr struct {
    int32_t start;
    float height;
    int32_t length;
  } kJolts[3] = {{4600, 500.0f, 50}, {4720, 700.0f, 50}, {4880, 1200.0f, 100}};
  for (const auto& j : kJolts) {
    if (k >= j.start && k < j.start + j.length) {
      const float w = static_cast<float>(k - j.start) / static_cast<float>(j.length) * kPi;
      a += j.height * (std::cos(w) + 1.0f) * 0.5f;
    }
  }
  float x = a * (std::sin(static_cast<float>(k % 4) * 0.25f * kPi + 4.712389f) + 1.0f) * 0.5f;
  if ((k / 3) % 2 == 0) x = -x;
  return x;
}

void Stage5::PlayTriggers() {
  Game* game = GetGame();
  const int32_t k = RailKey();
  switch (k) {
    case 100: AddStageName(5); break;
    case 3921:
      g_Player.OnEvent(9);
      g_ZGInterface.Ramp().Update(false);
      PlayStageSe(26, 61440);
      break;
    case 4600: PlayStageSe(33, 61440); break;
    case 4723: PlayStageSe(25, 65536); break;
    case 4850: PlayStageSe(24, 65536); break;
    case 4900:
      if (game != nullptr) game->StopSe(26);
      break;
    case 5180:
      if (game != nullptr) game->RampValue(1, 0.0f, 120);
      break;
    case 5300:
      if (game != nullptr) {
        game->ClearStageObjects();
        game->ChangeScene(SCENE_ENDING2, 1);
      }
      break;
    default: break;
  }
  if (k >= 5180 && game != nullptr) game->SetMusicVolume(kMusicEntry, 65536.0f * MusicFade(k));
}

void Stage5::DrawSlots(int32_t first, int32_t last, float time) {
  // A unit scale: the slot is placed at the shake position.
  static constexpr SVec3 kUnit{1.0f, 1.0f, 1.0f};
  g_MapMng.PlaceLayers(first, last + 1, time, &shake_, nullptr, &kUnit);
}

void Stage5::PlayDraw() {
  const int32_t k = RailKey();
  if (k < Stage5Rock::kAheadFromKey) return;
  MapMng& m = g_MapMng;
  m.layers[kSkySlot].drawKey = 34;
  // The sky and the rain of rocks stand ahead of the eye along +z (the rocks
  // fly from z 27000 towards -30000 and go once 1000 units past the eye), the
  // side the second view looks to. Key 34 is seen through it from here on;
  // the rocks draw there after the scene, the hall at its own keys as ever.
  if (Game* game = GetGame()) {
    collapseView_.SetMatrix(game->SecondView());
    collapseView_.Enter(Stage5Rock::kDrawKey);
  }
  shake_ = SVec3{ShakeX(k), 0.0f, 0.0f};
  const float* eye = m.camera->GetPosition();
  const SVec3 skyAt{eye[0], eye[1], eye[2] + 10000.0f};
  static constexpr SVec3 kSkyScale{0.21f, 0.21f, 0.1f};
  auto sky = [&] { m.layers[kSkySlot].Place(-1.0f, &skyAt, nullptr, &kSkyScale); };
  if (k < 4350) {
    // Nothing shown yet: the falling pieces wait at the start of their
    // motion.
    for (int32_t n = 6; n <= 34; ++n) m.layers[n].Update(0.0f);
  } else if (k < 4600) {
    DrawSlots(kDome0, kDome0, -1.0f);
    DrawSlots(kSide, kSide, -1.0f);
    sky();
    DrawSlots(6, 15, -1.0f);
    DrawSlots(29, 34, -1.0f);
  } else if (k < 4700) {
    // The first pillars fall.
    DrawSlots(kDome1, kDome1, -1.0f);
    sky();
    DrawSlots(6, 8, 100.0f * std::min(static_cast<float>(k - 4600) * 0.01f, 1.0f));
    DrawSlots(9, 15, -1.0f);
    DrawSlots(29, 34, -1.0f);
    DrawSlots(16, 28, -1.0f);
  } else if (k < 4900) {
    // The stones fall.
    DrawSlots(kDome1, kDome1, -1.0f);
    sky();
    DrawSlots(9, 28, -1.0f);
    DrawSlots(29, 34, 170.0f * std::min(static_cast<float>(k - 4700) * 0.005f, 1.0f));
  } else if (k < 5200) {
    // The second pillars and the vault's pieces.
    const float r = std::min(static_cast<float>(k - 4900) * (1.0f / 300.0f), 1.0f);
    DrawSlots(kDome2, kDome2, -1.0f);
    sky();
    DrawSlots(9, 15, 100.0f * r);
    DrawSlots(16, 28, 300.0f * r);
  } else {
    sky();
  }
}
