#include "game/enemy/boss07/EnemyType7Storm.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/RandF.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
// The flash light of light A.
constexpr int kFlashLight = 1;
// The thunder sounds 38 to 41 of the effect bank.
constexpr int32_t kClapSound = 38;

bool g_clapDrawn = false;
float g_clapValue = 0.0f;

void SetFlash(float intensity) {
  Game* g = GetGame();
  if (g == nullptr) return;
  SVec3 d{0.0f, 0.0f, 1.0f};
  if (g_MapMng.camera != nullptr) d = g_MapMng.camera->GetViewDirection();
  g->LightA().SetDirection(kFlashLight, -d.x, -d.y, -d.z);
  g->LightA().SetColour(kFlashLight, intensity, intensity, intensity);
}

}  // namespace

void EnemyType7Storm::ForgetClapValue() {
  g_clapDrawn = false;
  g_clapValue = 0.0f;
}

void EnemyType7Storm::SetStageLevel(float level) {
  Game* g = GetGame();
  if (g == nullptr) return;
  g->Ambient10().Set(level, level, level);
  g->LightA().SetColour(0, level, level, level);
}

void EnemyType7Storm::Thunderclap(int32_t flashes) {
  if (!g_clapDrawn) {
    g_clapValue = RandF();
    g_clapDrawn = true;
  }
  const float r = g_clapValue;
  active = 1;
  flashesDone = 0;
  flashTimer = 0.0f;
  intensity = 0.2f;
  flashesWanted = flashes == kDefaultFlashes ? 3 + int32_t(4.0f * r) : flashes;
  flashing = flashesWanted != 0 ? 1 : 0;
  if (Game* g = GetGame()) g->PlaySe(kClapSound + int32_t(r * 10000.0f) % 4, 61440);
}

int32_t EnemyType7Storm::Init(SProcArg) {
  SetName("EnemyType7Storm");
  flashTimer = 0.0f;
  active = 0;
  flashing = 1;
  flashesDone = 0;
  flashesWanted = 0;
  intensity = 0.2f;
  darkening = 0;
  // The flash light joins light A, dark until the first clap.
  if (Game* g = GetGame()) {
    g->LightA().SetColour(kFlashLight, 0.0f, 0.0f, 0.0f);
    g->LightA().SetEnable(g->LightA().GetEnable() | (1u << kFlashLight));
  }
  return 0;
}

int32_t EnemyType7Storm::Main(SProcArg) {
  if (darkening <= kDarkeningFrames) {
    SetStageLevel(0.9f - float(darkening) * 0.005f);
    if (darkening == kDarkeningFrames) {
      waitTimer = RandF() * 240.0f + 120.0f;
      armed = 1;
    }
    ++darkening;
  } else {
    SetStageLevel(0.4f);
    waitTimer -= 1.0f;
    if (armed == 0) {
      armed = 1;
      waitTimer = RandF() * 300.0f + 900.0f;
    }
    if (waitTimer <= 0.0f) {
      Thunderclap(kDefaultFlashes);
      armed = 0;
    }
  }
  if (active == 0) return 0;
  flashTimer += 1.0f;
  if (flashing != 0) {
    const float t = flashTimer;
    const int32_t j = int32_t(t);
    intensity = j % 2 == 0 ? 0.8f + 0.2f * (t - float(j)) : 1.0f - 0.2f * (t - float(j));
    if (t > 3.0f) {
      ++flashesDone;
      flashTimer -= 3.0f;
    }
    if (flashesDone == flashesWanted) {
      flashing = 0;
      flashesDone = 0;
    }
  }
  if (flashing == 0 && flashTimer >= 60.0f) {
    intensity = 0.0f;
    active = 0;
    SetStageLevel(0.6f);
    return 0;
  }
  if (flashing == 0) {
    intensity = 1.0f - std::sin(flashTimer / 60.0f * kHalfPi);
    if (intensity < 0.0f) {
      active = 0;
      intensity = 0.0f;
    }
  }
  if (active != 0) SetFlash(intensity);
  return 0;
}
