#include <cmath>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/enemy/boss04/EnemyType4.h"
#include "platform/crt_rand.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kEye = 512.0f;
constexpr int32_t kFull = 65536;
constexpr int32_t kMost = 61440;
constexpr float kGridColour[4] = {0.0f, 0.5f, 0.0f, 0.0f};
constexpr float kGridScale = 9.5f;
constexpr float kGridGrowth = 18.5f;

void Se(int32_t n) {
  if (Game* g = GetGame()) g->PlaySe(n, n == 14 || n == 16 || n == 25 ? kFull : kMost);
}
float RandS() { return float(plat::Rand()) / 32767.0f - 0.5f; }
float EaseIn(float r) { return 1.0f - std::cos(r * kHalfPi); }

}  // namespace

SVec4 BossPartsObjectT4::Point(int32_t n) {
  float out[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  if (SGpNode* node = GetNode(n)) Project(out, &node->GetWorld()->m[3][0], kEye);
  return SVec4{out[0], out[1], out[2], out[3]};
}

SMatrix BossPartsObjectT4::Placement(float z, float x, const SVec4& p) {
  SMatrix m = kIdentityMatrix;
  MatrixRotateZ(&m, z);
  MatrixRotateX(&m, x);
  m.m[3][0] = p.x;
  m.m[3][1] = p.y;
  m.m[3][2] = p.z;
  return m;
}

void BossPartsObjectT4::Burst(float x, float y, float c2, float c3, float d0) {
  EfxBurstC(x, y, c2, c3, 3, 30);
  EfxBurstD(x, y, d0, 15, 4, 30);
}

void BossPartsObjectT4::RadiusBurst(float cx, float cy, float angle, float radius) {
  Burst(cx + radius * std::cos(kTwoPi * angle), cy + radius * std::sin(kTwoPi * angle), 30, 50, 60);
}

int32_t BossPartsObjectT4::User(int32_t code, SProcArg) {
  RequestPresentSkip(7);
  if (code == kCodeInit) {
    for (int32_t n : {17, 14, 20, 27, 44, 49, 35, 40, 11, 5, 56})
      if (SGpNode* node = GetNode(n)) node->SetKeepWorld(1);
    SMatrix m = kIdentityMatrix;
    MatrixRotateX(&m, -0.05f);
    SMatrix::Scale(&m, &m, kGridScale, kGridScale, 1.0f);
    // The grid stands at the boss's depth, so that its brushes land round
    // the boss on the screen.
    m.m[3][2] = RootDepth();
    AttachDrawA(&m, 480.0f, 640.0f, 48.0f, 64.0f, kGridColour);
    return 0;
  }
  if (code != kCodeMain) return 0;
  Timeline();
  if (timer.GetCount() == kBeatenFrame)
    if (Game* g = GetGame()) g->SendEvent(Game::kEventStageClear, 0);
  Vanish();
  // The show never ends the boss: the wreck holds the enemy timeline until
  // the stage ends, so nothing of the stage's script comes after it.
  timer.Tick();
  return 0;
}

void BossPartsObjectT4::Vanish() {
  static constexpr struct {
    int32_t phase, node;
  } kGroups[] = {{1, 27}, {1, 40}, {2, 44}, {3, 20}, {4, 49}, {4, 35}, {5, 17}};
  const int32_t phase = timer.GetPhase();
  for (const auto& g : kGroups)
    if (phase >= g.phase)
      if (SGpNode* n = GetNode(g.node)) SMatrix::Scale(n->GetLocal(), n->GetLocal(), 0.0f, 0.0f, 0.0f);
  if (phase == 6) {
    ClearNodePackets();
    timer.SetPhase(7);
  }
}

void BossPartsObjectT4::Timeline() {
  PhaseTimer& t = timer;
  const int32_t c = t.GetCount();
  auto start = [&t](int32_t a, int32_t b) { return t.Window(a, b) && t.GetRatio() == 0.0f; };
  auto ring = [this](int k0, int k1, float z0, float dz, float x, const SVec4& p, float size, float spread,
                     int32_t count, float v0, float dv, bool jets) {
    for (int k = k0; k <= k1; ++k) {
      const SMatrix m = Placement(z0 + dz * float(k), x, p);
      EfxBurstB(&m, size, spread, 0.9f, 1.0f, count);
      if (jets) EfxProc::SpawnD(this, &m, size, spread, 0.9f, 1.0f, int32_t(v0 + dv * float(k)), true);
    }
  };
  if (t.Window(0, 30)) {
    if (t.GetRatio() == 0.0f) {
      Se(14);
      const SVec4 p = Point(14);
      for (float dx : {0.0f, -32.0f, 32.0f}) {
        SMatrix m = Placement(0.0f, 0.2f, p);
        m.m[3][0] += dx;
        EfxBurstB(&m, 16.0f, 1.0f, 0.9f, 1.0f, 8);
      }
      const SVec4 q = Point(20);
      EfxBurstE(&q, 1.0f, true);
      Burst(-20, 100, 35, 50, 45);
      Burst(20, 0, 35, 50, 45);
    }
    if (c == 15 || c == 25) {
      Se(14);
      const SVec4 q = Point(c == 15 ? 27 : 44);
      EfxBurstE(&q, 1.0f, true);
      Burst(c == 15 ? -30.0f : 0.0f, c == 15 ? -75.0f : -125.0f, 25, 37.5f, 40);
    }
  }
  if (t.Window(45, 135)) {
    if (t.GetRatio() == 0.0f) {
      Se(14);
      Se(33);
      SVec4 p = Point(27);
      EfxBurstE(&p, 1.0f, true);
      p.x += 10.0f;
      ring(0, 7, 0.05f, 0.025f, 0.2f, p, 15.0f, 2.0f, 8, 90.0f, -5.0f, true);
      const SVec4 q = Point(27);
      EfxProc::SpawnF(this, &q, 1.0f, 60, true);
      EfxGlowSpot(&q, 1.0f, 90);
      Burst(-150, -50, 25, 37.5f, 40);
      t.NextPhase();
    }
    if ((c & 3) == 3) RadiusBurst(0, -150, 0.45f + 0.23f * RandS(), 160.0f - EaseIn(t.GetRatio()) * 120.0f);
  }
  if (c == 155) {
    Se(14);
    Se(34);
    const SVec4 p = Point(44);
    EfxBurstE(&p, 1.0f, true);
    ring(0, 7, 0.45f, 0.05f, 0.1f, p, 16.0f, 2.0f, 8, 0.0f, 0.0f, false);
    Burst(40, -200, 30, 50, 60);
    Burst(40, -250, 30, 50, 60);
    t.NextPhase();
  }
  if (t.Window(200, 300)) {
    if (t.GetRatio() == 0.0f) Burst(40, -100, 30, 50, 60);
    if ((c & 31) == 15) {
      const float s1 = RandS();
      const float s2 = RandS();
      Burst(40.0f + 80.0f * s1, -70.0f + 80.0f * s2, 30, 50, 60);
    }
  }
  if (t.Window(310, 360)) {
    if (t.GetRatio() == 0.0f) {
      Se(16);
      Se(33);
      const SVec4 p = Point(20);
      EfxBurstE(&p, 1.0f, true);
      EfxGlowSpot(&p, 1.0f, 90);
      ring(0, 6, -0.15f, 0.028f, 0.2f, p, 16.0f, 2.0f, 8, 40.0f, 4.0f, true);
      t.NextPhase();
    }
    if ((c & 3) == 3) RadiusBurst(20, -40, 0.15f + 0.2f * RandS(), 160.0f - EaseIn(t.GetRatio()) * 120.0f);
  }
  if (t.Window(390, 410)) {
    if (t.GetRatio() == 0.0f) {
      Se(14);
      const SVec4 p = Point(20);
      EfxBurstE(&p, 1.0f, true);
      ring(0, 4, -0.05f, 0.025f, 0.2f, p, 16.0f, 2.0f, 8, 0.0f, 0.0f, false);
    }
    if (c == 400) {
      Se(14);
      const SVec4 p = Point(27);
      EfxBurstE(&p, 1.0f, true);
    }
    if ((c & 1) != 0) RadiusBurst(0, -120, 0.25f + 0.1f * RandS(), 240.0f - t.GetRatio() * 160.0f);
  }
  if (t.Window(425, 500)) {
    if (t.GetRatio() == 0.0f) {
      Se(14);
      Se(25);
      const SVec4 p49 = Point(49), p35 = Point(35), p40 = Point(40);
      EfxBurstE(&p49, 1.0f, true);
      EfxBurstE(&p35, 1.0f, true);
      ring(0, 7, 0.05f, -0.03f, 0.2f, p35, 20.0f, 2.0f, 4, 50.0f, -2.0f, true);
      EfxBurstE(&p40, 1.0f, true);
      ring(0, 7, -0.05f, 0.03f, 0.2f, p40, 20.0f, 2.0f, 4, 50.0f, -2.0f, true);
      t.NextPhase();
    }
    if ((c & 1) != 0) RadiusBurst(0, -120, 0.25f + 0.4f * RandS(), 200.0f - EaseIn(t.GetRatio()) * 120.0f);
  }
  if (t.Window(530, 600)) {
    if (t.GetRatio() == 0.0f) {
      Se(34);
      const SVec4 p = Point(17);
      ring(0, 2, -0.025f, 0.025f, 0.2f, p, 12.0f, 2.0f, 4, 40.0f, 0.0f, true);
      for (const auto& [b, frames] : {std::pair{true, 60}, {false, 80}, {true, 80}, {false, 120}, {true, 100},
                                      {false, 150}}) {
        if (b) EfxProc::SpawnB(this, &p, 1.0f, frames, false);
        else EfxProc::SpawnC(this, &p, 1.0f, frames, true);
      }
      EfxBurstC(0, 0, 50, 50, 1, 150);
      t.NextPhase();
    }
    if ((c & 7) == 7) RadiusBurst(0, 40, 0.25f + 0.025f * RandS(), 120.0f - EaseIn(t.GetRatio()) * 120.0f);
  }
  if (start(720, 730)) {
    Se(23);
    SMatrix m = kIdentityMatrix;
    MatrixRotateX(&m, -0.05f);
    const SVec4 p = Point(14);
    m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = p.z;
    EfxProc::SpawnA(this, &m);
    t.NextPhase();
  }
  if (t.Window(720, 730))
    if (DrawSet* a = SetA()) {
      SMatrix* w = &a->world.GetMatrix();
      OrthonormalizeAxes(w);
      const float s = kGridScale + kGridGrowth * std::sin(t.GetRatio() * kHalfPi);
      SMatrix::Scale(w, w, s, s, 1.0f);
    }
}
