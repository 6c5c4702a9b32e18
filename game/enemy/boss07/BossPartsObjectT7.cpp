#include "game/enemy/boss07/BossPartsObjectT7.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxProc.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/EnemyToolkit.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kDepth = 512.0f;
constexpr int32_t kFullLevel = 65536;
// The nodes whose world positions the show reads.
constexpr int32_t kReadNodes[] = {15, 12, 35, 5, 18, 26, 40, 51, 47, 43, 56, 63, 67, 58};
// The pieces that shake from frame 90 on, in two groups.
constexpr int32_t kShakeA[] = {40, 51, 47, 43};
constexpr int32_t kShakeB[] = {56, 63, 67, 58};
// The drifts of the wreck start at these frames and last 25 frames each.
constexpr int32_t kDrifts[] = {150, 175, 200, 225, 250};

float S() { return RandFS(); }
float U() { return RandF(); }

SMatrix Placed(float x, float y, float z) {
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = x, m.m[3][1] = y, m.m[3][2] = z;
  return m;
}

void ScaleToZero(SGpNode* n) {
  if (n != nullptr) SMatrix::Scale(n->GetLocal(), n->GetLocal(), 0.0f, 0.0f, 0.0f);
}

}  // namespace

BossPartsObjectT7::BossPartsObjectT7(ModelInstance* model) : BossPartsObject(model) {
  static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  colour.SetColour(kWhite);
}

int32_t BossPartsObjectT7::User(int32_t code, SProcArg) {
  RequestPresentSkip(7);
  if (code == kCodeInit) SetUp();
  if (code == kCodeMain) Frame();
  return 0;
}

void BossPartsObjectT7::SetUp() {
  SetName("BossPartsObjectT7");
  for (int32_t n : kReadNodes)
    if (SGpNode* node = GetNode(n)) node->SetKeepWorld(1);
  if (SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr) {
    root->SetKeepWorld(1);
    savedRoot = *root->GetLocal();
    root->AddPacketFront(&colour);
    root->GetLastInTree()->AddPacket(&end);
  }
  targetAngles[0] = targetAngles[1] = targetAngles[2] = 0.0f;
}

SVec4 BossPartsObjectT7::WorldAt(int32_t n) {
  SGpNode* node = GetNode(n);
  if (node == nullptr) return SVec4{0.0f, 0.0f, 0.0f, 1.0f};
  const SMatrix* w = node->GetWorld();
  return SVec4{w->m[3][0], w->m[3][1], w->m[3][2], 1.0f};
}

SVec4 BossPartsObjectT7::Point(int32_t n) {
  const SVec4 w = WorldAt(n);
  const float p[3] = {w.x, w.y, w.z};
  float out[4];
  Project(out, p, kDepth);
  return SVec4{out[0], out[1], out[2], out[3]};
}

void BossPartsObjectT7::Burst(int32_t n) {
  const SVec4 p = Point(n);
  EfxBurstE(&p, 1.0f, false);
}

SMatrix BossPartsObjectT7::FanSpark(int32_t n, int i, float z, float x) {
  SMatrix m = kIdentityMatrix;
  RotateZ(&m, &m, 0.03f * float(i) + z);
  RotateX(&m, &m, x);
  SMatrix::Multiply(&m, &m, &savedRoot);
  const SVec4 at = WorldAt(n);
  m.m[3][0] = at.x, m.m[3][1] = at.y, m.m[3][2] = at.z;
  return m;
}

void BossPartsObjectT7::SetRootRotation(const float* turns) {
  ResetRotation(&savedRoot);
  RotateX(&savedRoot, &savedRoot, turns[0]);
  RotateY(&savedRoot, &savedRoot, turns[1]);
  RotateZ(&savedRoot, &savedRoot, turns[2]);
}

void BossPartsObjectT7::Frame() {
  const int32_t c = timer.GetCount();
  Opening(c);
  if (timer.Window(90, 150)) {
    const float r = timer.GetRatio();
    if (timer.IsAtStart() != 0.0f) {
      BossSe(14, kFullLevel);
      BossSe(33);
      Burst(15);
      const SVec4 p = Point(12);
      EfxGlowSpot(&p, 1.0f, 40);
      timer.SetPhase(2);
    }
    // The wreck sinks 250 units, shaking.
    Offset()[0] = 20.0f * S();
    Offset()[1] = 250.0f * std::sin(r * kHalfPi) + 20.0f * S();
  }
  if (c >= 90) {
    const float s = S();
    for (int32_t n : kShakeA)
      if (SGpNode* node = GetNode(n)) RotateX(node->GetLocal(), node->GetLocal(), 0.7f * s);
    const float s2 = S();
    for (int32_t n : kShakeB)
      if (SGpNode* node = GetNode(n)) RotateX(node->GetLocal(), node->GetLocal(), 0.7f * s2);
  }
  if (timer.Window(90, 250))
    for (int i = -3; i <= 3; ++i) {
      const SMatrix m = FanSpark(15, i, 0.0f, -0.25f);
      EfxBurstA(&m, 16.0f, 16.0f, 0.9f, 1.25f, 1);
    }
  Drift(c);
  Fall(c);
  if (c == 320)
    if (Game* g = GetGame()) g->SendEvent(Game::kEventStageClear, 0);
  Tail();
}

void BossPartsObjectT7::Opening(int32_t c) {
  if (timer.Window(0, 25)) {
    if (timer.IsAtStart() != 0.0f) {
      // Full white, the alpha kept.
      const float white[4] = {1.0f, 1.0f, 1.0f, colour.ambient.Colour().a};
      colour.SetColour(white);
      BossSe(14, kFullLevel);
      BossSe(25, kFullLevel);
      BossSe(33);
      for (int32_t n : {26, 18, 35, 5}) Burst(n);
      const SVec4 a = Point(35), b = Point(5);
      pointA[0] = a.x, pointA[1] = a.y + 40.0f;
      pointB[0] = b.x, pointB[1] = b.y + 40.0f;
      timer.SetPhase(1);
    }
    if (c == 10) {
      const SVec4 p26 = Point(26), p18 = Point(18);
      for (int i = -3; i <= 2; ++i) {
        SMatrix m = Placed(p26.x, p26.y, p26.z);
        RotateZ(&m, &m, 0.25f + 0.03f * float(i));
        RotateX(&m, &m, 0.1f);
        EfxProc::SpawnD(this, &m, 18.0f, 2.0f, 0.9f, 1.25f, 60, true);
      }
      for (int i = -3; i <= 3; ++i) {
        SMatrix m = Placed(p18.x, p18.y, p18.z);
        RotateZ(&m, &m, 0.03f * float(i) - 0.375f);
        RotateX(&m, &m, 0.1f);
        EfxProc::SpawnD(this, &m, 18.0f, 2.0f, 0.9f, 1.25f, 60, true);
      }
    }
    if (c == 15) Burst(56);
    if (c == 20) Burst(12);
    if (c == 25) Burst(40);
  }
  Sparks(pointA, 50.0f, 300.0f, 20);
  Sparks(pointB, -80.0f, 250.0f, 25);
}

void BossPartsObjectT7::Sparks(const float* from, float dx, float dy, int32_t last) {
  if (!timer.Window(0, last)) return;
  const float r = timer.GetRatio();
  const float x = from[0] + dx * (1.0f - std::cos(r * kHalfPi));
  const float y = from[1] + dy * std::sin(r * kHalfPi);
  SMatrix m = kIdentityMatrix;
  RotateX(&m, &m, -0.15f);
  m.m[3][0] = x, m.m[3][1] = y;
  EfxBurstA(&m, 2.0f, 1.0f, 1.0f, 1.25f, 3);
  EfxBurstB(&m, 2.0f, 1.0f, 1.0f, 1.25f, 3);
  if (timer.IsDone() == 0.0f) return;
  BossSe(33);
  for (int i = -3; i <= 3; ++i) {
    SMatrix e = Placed(x, y, 0.0f);
    RotateZ(&e, &e, 0.03f * float(i));
    RotateX(&e, &e, 0.2f);
    EfxBurstB(&e, 4.0f, 1.0f, 0.9f, 1.25f, 6);
    EfxBurstA(&e, 4.0f, 1.0f, 0.85f, 1.25f, 6);
  }
}

void BossPartsObjectT7::Drift(int32_t c) {
  for (int32_t k : kDrifts) {
    if (!timer.Window(k, k + 24)) continue;
    const float r = timer.GetRatio();
    if (c == k) {
      BossSe(33);
      const SVec4 p = Point(12);
      EfxGlowSpot(&p, 1.0f, 40);
      SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr;
      SGpNode* placement = root != nullptr ? root->GetParent() : nullptr;
      const float tx = placement != nullptr ? placement->GetLocal()->m[3][0] : 0.0f;
      const float ty = placement != nullptr ? placement->GetLocal()->m[3][1] : 0.0f;
      if (k == kDrifts[4]) {
        pointB[0] = -tx, pointB[1] = -ty;
      } else {
        const float a = U();
        const float d = 100.0f * (U() + 1.0f);
        pointB[0] = d * std::cos(kTwoPi * a) - tx;
        pointB[1] = d * std::sin(kTwoPi * a) - ty;
      }
      pointA[0] = Offset()[0], pointA[1] = Offset()[1];
      for (int i = 0; i < 3; ++i) startAngles[i] = targetAngles[i];
      targetAngles[0] = 0.025f + 0.45f * U();
      targetAngles[1] = 0.0f;
      targetAngles[2] = S();
    }
    const float e = std::sin(r * kHalfPi);
    float turns[3];
    for (int i = 0; i < 3; ++i) turns[i] = startAngles[i] + (targetAngles[i] - startAngles[i]) * e;
    SetRootRotation(turns);
    const float f = (1.0f - std::cos(kPi * r)) / 2.0f;
    Offset()[0] = pointA[0] + (pointB[0] - pointA[0]) * f + 20.0f * S();
    Offset()[1] = pointA[1] + (pointB[1] - pointA[1]) * f + 20.0f * S();
  }
  for (int32_t k : kDrifts) {
    if (!timer.Window(k, k + 14)) continue;
    for (int i = -3; i <= 3; ++i) {
      const SMatrix m = FanSpark(15, i, 0.0f, -0.25f);
      EfxBurstB(&m, 16.0f, 16.0f, 0.95f, 1.25f, 1);
    }
  }
}

void BossPartsObjectT7::Fall(int32_t c) {
  if (timer.Window(275, 400)) {
    const float r = timer.GetRatio();
    if (timer.IsAtStart() != 0.0f) {
      BossSe(14, kFullLevel);
      BossSe(25, kFullLevel);
      for (int32_t n : {56, 40, 12}) Burst(n);
      const SVec4 p = Point(12);
      EfxGlowSpot(&p, 0.5f, 90);
      EfxGlowSpot(&p, 1.0f, 90);
      static constexpr float kTurns[3] = {0.445927f, 0.0f, 0.213034f};
      SetRootRotation(kTurns);
      timer.SetPhase(3);
    }
    const float w = 20.0f - 18.0f * (1.0f - std::cos(r * kHalfPi));
    for (int i = -3; i <= 3; ++i) {
      const SMatrix a = FanSpark(15, i, 0.0f, -0.25f);
      EfxBurstA(&a, w, w, 0.85f, 1.25f, 1);
      EfxBurstB(&a, w, w, 0.95f, 1.25f, 1);
      SMatrix b = FanSpark(18, i, -0.25f, 0.25f);
      EfxBurstA(&b, w, w, 0.85f, 1.25f, 1);
      EfxBurstB(&b, w, w, 0.95f, 1.25f, 1);
      const SVec4 at = WorldAt(26);
      b.m[3][0] = at.x, b.m[3][1] = at.y, b.m[3][2] = at.z;
      EfxBurstA(&b, -w, -w, 0.85f, 1.25f, 1);
      EfxBurstB(&b, -w, -w, 0.95f, 1.25f, 1);
    }
    Offset()[1] -= 0.5f * (1.0f - std::cos(kPi * r));
  }
  if (timer.Window(275, 440)) {
    const float r = timer.GetRatio();
    RotateX(&savedRoot, &savedRoot, 0.013f - 0.012f * std::cos(kTwoPi * r));
    RotateZ(&savedRoot, &savedRoot, 0.0105f - 0.0095f * std::cos(2.0f * kTwoPi * r));
  }
  if (timer.Window(320, 440) && c % 2 == 0) {
    const float r = timer.GetRatio();
    const float t = 0.055f - 0.045f * std::cos(1.75f * kPi * r);
    const SVec4 p = Point(12);
    const float x = p.x + 80.0f * t * S();
    const float y = p.y + 80.0f * t * S();
    const SVec4 at{x, y, 0.0f, 1.0f};
    EfxGlowSpot(&at, t, 20);
  }
  if (c == 440) {
    BossSe(23);
    const SVec4 p = Point(12);
    SMatrix m = Placed(p.x, p.y + 40.0f, 0.0f);
    RotateX(&m, &m, -0.025f);
    EfxProc::SpawnA(this, &m);
    timer.SetPhase(4);
  }
}

void BossPartsObjectT7::Tail() {
  if (SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr) *root->GetLocal() = savedRoot;
  const int32_t phase = timer.GetPhase();
  if (phase >= 1 && phase <= 3)
    for (int32_t n : {18, 26, 35, 5}) ScaleToZero(GetNode(n));
  if (phase == 2 || phase == 3) ScaleToZero(GetNode(15));
  if (phase == 3) {
    ScaleToZero(GetNode(40));
    ScaleToZero(GetNode(56));
  }
  if (phase == 4) {
    ClearNodePackets();
    timer.SetPhase(5);
  } else if (phase == 5 && timer.GetCount() == kEndFrame) {
    if (Game* g = GetGame()) g->SendEvent(Game::kEventStageClear, 0);
    // The body's end takes this companion with it; the timeline runs on.
    if (SProc* body = GetParent()) body->Kill(0);
  }
  timer.Tick();
}
