#include "game/enemy/boss05/EnemyType5.h"

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"

float* EnemyType5::NodePoint(int32_t n) {
  SGpNode* node = model.GetNode(n);
  if (node == nullptr) return nowhere_;
  node->SetKeepWorld(1);
  return &node->GetWorld()->m[3][0];
}

void EnemyType5::CreateGlows() {
  static constexpr float kColour[4] = {1.0f, 1.0f, 1.0f, 0.4f};
  static constexpr float kScale[kGlows][2] = {{1.1f, 1.5f}, {1.3f, 1.6f}, {1.4f, 1.7f},
                                               {2.0f, 1.9f}, {1.9f, 1.8f}, {1.2f, 1.5f}};
  for (int32_t i = 0; i < kGlows; ++i)
    glows[i].Create(13, NodePoint(kFirstGlowNode + i), SprEfx02_4Keys, kColour, -0.1f, kScale[i][0], kScale[i][1]);
}

void EnemyType5::ReleaseGlows() {
  for (ObjHolder& g : glows) g.Release2();
}

int32_t EnemyType5::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  angles[0] = 0.14f;
  script_.muzzle36 = NodePoint(36);
  script_.muzzle35 = NodePoint(35);
  script_.muzzle11 = NodePoint(11);
  script_.muzzle19 = NodePoint(19);
  smoke = EfxSpriteDesc{SprEfx00_1KeysB, {0.8f, 0.2f, 0.2f, 0.6f}, {0.7f, 0.5f, 0.5f, 0.2f}, 30, 80};
  script_.position = GetPosition();
  script_.Enter();
  script_.effectShots.SetStatic(true);
  AddChild(2, &script_.effectShots, 0);
  g_MapMng.armedT = kLoopTo;
  g_MapMng.armedAt = kLoopAt;
  g_MapMng.armedPath = 0;
  g_MapMng.armed = 1;
  SetInitResult(0);
  return 0;
}

int32_t EnemyType5::Main(SProcArg arg) {
  OnMain(arg);
  const float* p = GetPosition();
  const float k = 512.0f / (p[2] + 512.0f);
  screen[0] = p[0] * k, screen[1] = p[1] * k, screen[2] = 0.0f;
  const int32_t s = script_.GetState();
  if (s <= 0 || s >= SCRIPT_DEFEATED) return 0;
  static constexpr float kSteps[kGlows] = {2.0f, 1.5f, 1.25f, 1.0f, 1.0f, 1.5f};
  for (int32_t i = 0; i < kGlows; ++i) glows[i].Step(kSteps[i]);
  Smoke(framesAlive % 14);
  return 0;
}

void EnemyType5::Smoke(int32_t k) {
  struct Puff {
    int32_t k, glow;
    float size;
    SVec4 v1, v2;
    float last;
  };
  static constexpr Puff kPuffs[] = {
      {8, 4, 2.0f, {0, -1, 0, 1}, {-1.5f, -1.5f, 0, 1}, 0.98f}, {8, 2, 1.5f, {0, -1, 0, 1}, {-2.5f, -1, 0, 1}, 0.97f},
      {8, 1, 1.4f, {0, -1, 0, 1}, {-2.5f, -1, 0, 1}, 0.97f},   {13, 5, 2.0f, {0, -0.7f, 0, 1}, {-1.5f, -1.5f, 0, 1}, 0.98f},
      {13, 3, 2.0f, {0, -0.7f, 0, 1}, {-2, -1.5f, 0, 1}, 0.98f}, {13, 1, 1.0f, {0, -1, 0, 1}, {-2, -1, 0, 1}, 0.97f}};
  EfxMan* efx = EfxMan::Instance();
  for (const Puff& f : kPuffs) {
    if (f.k != k) continue;
    const float* at = NodePoint(kFirstGlowNode + f.glow);
    const SVec4 pos{at[0], at[1], at[2], 1.0f};
    const float r = RandF();
    if (efx != nullptr) efx->SpawnSpriteDir(14, &pos, &smoke, r, f.size, f.size, &f.v1, &f.v2, f.last, 1);
  }
}

int32_t EnemyType5::End(SProcArg) {
  BroadcastAll(EVENT_END, 0);
  return 0;
}

int32_t EnemyType5::KillChildren(SProcArg arg) {
  if (Game* g = GetGame()) g->StopSe(kChargeSound);
  return EnemyBase::KillChildren(arg);
}

int32_t EnemyType5::OnDispose(SProcArg arg) {
  script_.entryGlows.reset();
  ReleaseGlows();
  return EnemyBase::OnDispose(arg);
}
