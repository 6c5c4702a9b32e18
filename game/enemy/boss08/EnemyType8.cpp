#include "game/enemy/boss08/EnemyType8.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "platform/crt_rand.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr int32_t kExhaustNodes[7] = {21, 12, 52, 47, 42, 37, 32};
constexpr int32_t kCannonNode = 56;
constexpr int32_t kMountNodes[3] = {58, 57, 2};
constexpr int32_t kHumLevel = 59136;

float R() { return float(plat::Rand()) / 32767.0f; }

// One exhaust sprite at p: heading d (turns) at speed v, rising 20 a frame.
// Its animation runs once through and ends it, also when life B is 0 (a held
// last part would keep the puff for 18 minutes and fill the sprite cells).
void Exhaust(const float* p, float d, float v, const float* colourA, int32_t lifeA, int32_t lifeB, float size,
             const SVec4* drift, float decay) {
  static constexpr float kColourB[4] = {0.2f, 0.2f, 0.2f, 0.2f};
  const SVec4 at{p[0], p[1], p[2], p[3]};
  const SVec4 velocity{v * std::cos(kTwoPi * d), v * std::sin(kTwoPi * d), 20.0f, 0.0f};
  const float start = R();
  g_EfxMan.SpawnSprite(13, &at, SprEfx00_4KeysC, colourA, kColourB, lifeA, lifeB, start, size, size, drift, &velocity,
                       decay, 1);
}

}  // namespace

int32_t EnemyType8::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  own.Take(this);
  humInterval = 540;
  angles[0] = -0.11f;
  script_.enemy = this;
  script_.position = position;
  script_.Enter();
  if (SGpNode* n = model.GetNode(kCannonNode)) {
    n->SetKeepWorld(1);
    script_.cannonPoint = &n->GetWorld()->m[3][0];
  }
  for (int i = 0; i < 7; ++i) {
    SGpNode* n = model.GetNode(kExhaustNodes[i]);
    if (n == nullptr) continue;
    n->SetKeepWorld(1);
    exhaustNodes[i] = &n->GetWorld()->m[3][0];
  }
  for (int i = 0; i < 3; ++i) {
    B006Parts& p = script_.parts[i];
    p.SetStatic(true);
    AddChild(2, &p, kMountNodes[i]);
  }
  g_MapMng.armed = 1;
  g_MapMng.armedT = kLoopStart;
  g_MapMng.armedAt = kLoopTrigger;
  g_MapMng.armedPath = 0;
  return 0;
}

void EnemyType8::PoseRoot() {
  SGpNode* root = model.GetRootNode();
  if (root == nullptr) return;
  SMatrix* m = root->GetLocal();
  *m = kIdentityMatrix;
  RotateLeft(m, 1, angles[1]);
  RotateLeft(m, 0, angles[0]);
}

void EnemyType8::Step() {
  // The animation has posed the root afresh: turned again as the draw turns
  // it, the mounts and exhausts ride where the craft is shown.
  PoseRoot();
  UpdateNodeWorlds(model.GetRootNode());
  EnemyBase::Step();
}

void EnemyType8::StepChildren() {
  script_.Hover();
  BroadcastAll(EVENT_MAIN, 0);
}

int32_t EnemyType8::Draw(SProcArg) {
  if (image != nullptr) image->GetTexturePacket(0)->Enter(kModelKey8);
  if (model.GetRootNode() != nullptr) model.Enter(kModelKey8);
  script_.Notify();
  PoseRoot();
  gauge.Enter(kGaugeKey);
  spare.Enter(kGaugeKey);
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t EnemyType8::Main(SProcArg arg) {
  OnMain(arg);
  ProjectToScreen(hitPosition, hitPosition);
  const int32_t s = script_.GetState();
  if ((s >= 0 && s <= EnemyType8Behavior::MOVE_B) || s == SCRIPT_RELEASED) HumAndExhaust();
  return 0;
}

int32_t EnemyType8::KillChildren(SProcArg arg) {
  const int32_t r = EnemyBase::KillChildren(arg);
  if (Game* g = GetGame()) g->StopSe(EnemyType8Behavior::kHum);
  return r;
}

void EnemyType8::HumAndExhaust() {
  // The frame's own count (frames alive before this frame's increment): the
  // hum plays on frame 0.
  const int32_t f = framesAlive - 1;
  if (humInterval > 0 && f % humInterval == 0) {
    humInterval = int32_t(R() * 420.0f + 360.0f);
    if (Game* g = GetGame()) g->PlaySe(kHumSound, kHumLevel);
  }
  static constexpr float kPuff[4] = {0.3f, 0.3f, 0.3f, 0.3f};
  static constexpr float kJet[4] = {0.35f, 0.35f, 0.35f, 0.4f};
  float src[7][4];
  for (int i = 0; i < 7; ++i) {
    for (int c = 0; c < 4; ++c) src[i][c] = exhaustNodes[i] != nullptr ? exhaustNodes[i][c] : 0.0f;
    ProjectToScreen(src[i], src[i]);
  }
  float(*row)[4] = exhaustPoints;           // 0..4: the row of five
  float(*puffs21)[4] = exhaustPoints + 5;   // 5..8
  float(*jets21)[4] = exhaustPoints + 9;    // 9..11
  float(*puffs12)[4] = exhaustPoints + 12;  // 12..15
  float(*jets12)[4] = exhaustPoints + 16;   // 16..18
  if (f % 3 == 0) {
    for (int i = 0; i < 4; ++i) {
      float* p = puffs21[i];
      std::copy_n(src[0], 4, p);
      p[0] += 25.0f * float(i) + (R() - 0.5f) * 10.0f;
      p[1] += (R() - 0.5f) * 10.0f + 30.0f;
      const float d = (R() - 0.5f) * 0.15f + 0.35f - 0.02f * float(i);
      const float v = 14.0f + 9.0f * R();
      const float a = kTwoPi * (0.32f - 0.01f * float(i));
      const SVec4 drift{14.0f * std::cos(a), 14.0f * std::sin(a), 0.0f, 0.0f};
      Exhaust(p, d, v, kPuff, 20, 0, 3.0f, &drift, 0.96f);
    }
  }
  if (f % 3 == 2) {
    for (int i = 0; i < 4; ++i) {
      float* p = puffs12[i];
      std::copy_n(src[1], 4, p);
      p[0] -= 25.0f * float(i) + (R() - 0.5f) * 10.0f;
      p[1] -= (R() - 0.5f) * 10.0f + 30.0f;
      const float d = 0.02f * float(i) + ((R() - 0.5f) + 1.0f) * 0.15f;
      const float v = 14.0f + 9.0f * R();
      const float a = kTwoPi * (0.12f + 0.01f * float(i));
      const SVec4 drift{14.0f * std::cos(a), 14.0f * std::sin(a), 0.0f, 0.0f};
      Exhaust(p, d, v, kPuff, 20, 0, 3.0f, &drift, 0.96f);
    }
  }
  if (f % 5 == 0) {
    for (int i = 0; i < 5; ++i) {
      std::copy_n(src[2 + i], 4, row[i]);
      const float d = 0.3f - 0.025f * float(i) + (R() - 0.5f) * 0.05f;
      const float v = 18.0f + 9.0f * R();
      Exhaust(row[i], d, v, kPuff, 25, 0, 2.5f, nullptr, 0.0f);
    }
  }
  if (f % 2 == 0) {
    for (int i = 0; i < 3; ++i) {
      float* p = jets21[i];
      std::copy_n(src[0], 4, p);
      p[0] += 20.0f * float(i) + (R() - 0.5f) * 20.0f - 70.0f;
      p[1] += 25.0f * float(i) + (R() - 0.5f) * 20.0f - 30.0f;
      const float d = (R() - 0.5f) * 0.15f + 0.45f - 0.03f * float(i);
      const float v = 18.0f + 9.0f * R();
      Exhaust(p, d, v, kJet, 5 + 4 * i, 5, 2.0f, nullptr, 0.0f);
    }
    for (int i = 0; i < 3; ++i) {
      float* p = jets12[i];
      std::copy_n(src[1], 4, p);
      p[0] += 20.0f * float(i) + (R() - 0.5f) * 20.0f + 30.0f;
      p[1] -= 25.0f * float(i) + (R() - 0.5f) * 20.0f + 30.0f;
      const float d = 0.03f * float(i) + (R() - 0.5f) * 0.15f + 0.05f;
      const float v = 18.0f + 9.0f * R();
      Exhaust(p, d, v, kJet, 5 + 4 * i, 5, 2.0f, nullptr, 0.0f);
    }
  }
}
